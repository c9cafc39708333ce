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

// Before a rescan: another disk at a source's path (the path stands between the two parts), and a
// source whose medium is missing (its name, then its path, between the parts).
inline constexpr char kRescanOtherMediumStart[] = "The disk at ";
inline constexpr char kRescanOtherMediumEnd[] =
    " is not the one this volume was made from.\n\nRescan it all the same? What the volume holds of it will be "
    "replaced by what is on this disk.";
inline constexpr char kRescanMissingStart[] = "The source \"";
inline constexpr char kRescanMissingMiddle[] = "\" (";
inline constexpr char kRescanMissingEnd[] =
    ") is not present.\n\nKeep what the volume holds of it as it is? No leaves it out of the volume.";
// The volume file's sources are no longer those the rescan was prepared for.
inline constexpr char kRescanSourcesChanged[] =
    "The volume file was changed by another program since the rescan was prepared. Nothing was written; "
    "please try again.";
// The old tree could not be read to its end.
inline constexpr char kRescanDamaged[] = "The volume file is damaged and cannot be rescanned. Nothing was written.";
// The lost-descriptions file could not be written; its path follows.
inline constexpr char kLostDescriptionsNotWritten[] =
    "The volume was not rescanned: the descriptions whose items are gone could not be written to ";

// Status texts of a scan run.
inline constexpr char kStatusScanning[] = "Scanning...";
inline constexpr char kStatusRescanning[] = "Rescanning...";
inline constexpr char kStatusInjecting[] = "Injecting...";
inline constexpr char kStatusEjecting[] = "Ejecting...";
inline constexpr char kStatusReadingVolume[] = "Reading volume...";
inline constexpr char kStatusIdle[] = "Idle.";

}  // namespace volumist::messages
