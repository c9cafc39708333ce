// The fixed texts the scan shows to the user, character for character.
#pragma once

#include "catalog/messages.h"

namespace volumist::messages {

inline constexpr char kVolumeNameNotDefined[] = "Volume name is not defined!";
inline constexpr char kFolderNameNotDefined[] = "Name of folder is not defined!";
inline constexpr char kScanPathNotDefined[] = "Path for scanning is not defined!";
inline constexpr char kNoSource[] = "You must define at least one source!";
inline constexpr char kVolumeFileNameNotDefined[] = "Volume filename is not defined!";
// kVolumeFileExists ("File of Disk Ledger already exists!..."): catalog/messages.h, since the writer
// asks it too when a file took the name during the scan.
// A source that is not an existing folder; the path follows the text.
inline constexpr char kScanPathNotFound[] = "Path for scanning does not exist or is not a folder: ";
// The volume file name cannot be a file name here: longer than a name may be (255 bytes), or "." or
// "..".
inline constexpr char kVolumeFileNameUnusable[] =
    "The volume file name must be at most 255 bytes long and may not be \".\" or \"..\". Choose another name.";
// The volume file name names a folder, a pipe, a device or a socket.
inline constexpr char kVolumeFileNameNotRegular[] =
    "The volume file name names a folder or a special file, which is never replaced. Choose another name.";
inline constexpr char kLoadVolumeFirst[] = "Please, load some volume first.";
inline constexpr char kNoTimer[] = "Timer is not available, real time progress will not be reported.";

// A mount point below a source, recorded as a folder and not entered; the scan's report names it with
// this text.
inline constexpr char kNotEnteredOtherFileSystem[] = "not entered: other file system";

// Status texts of a scan run.
inline constexpr char kStatusScanning[] = "Scanning...";
inline constexpr char kStatusInjecting[] = "Injecting...";
inline constexpr char kStatusEjecting[] = "Ejecting...";
inline constexpr char kStatusReadingVolume[] = "Reading volume...";
inline constexpr char kStatusIdle[] = "Idle.";

}  // namespace volumist::messages
