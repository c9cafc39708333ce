// The fixed texts the scan shows to the user, character for character.
#pragma once

namespace volumist::messages {

inline constexpr char kVolumeNameNotDefined[] = "Volume name is not defined!";
inline constexpr char kFolderNameNotDefined[] = "Name of folder is not defined!";
inline constexpr char kScanPathNotDefined[] = "Path for scanning is not defined!";
inline constexpr char kNoSource[] = "You must define at least one source!";
inline constexpr char kVolumeFileNameNotDefined[] = "Volume filename is not defined!";
inline constexpr char kVolumeFileExists[] = "File of Disk Ledger already exists! Do you want to rewrite it?";
inline constexpr char kLoadVolumeFirst[] = "Please, load some volume first.";
inline constexpr char kNoTimer[] = "Timer is not available, real time progress will not be reported.";

// Status texts of a scan run.
inline constexpr char kStatusScanning[] = "Scanning...";
inline constexpr char kStatusInjecting[] = "Injecting...";
inline constexpr char kStatusEjecting[] = "Ejecting...";
inline constexpr char kStatusReadingVolume[] = "Reading volume...";
inline constexpr char kStatusIdle[] = "Idle.";

}  // namespace volumist::messages
