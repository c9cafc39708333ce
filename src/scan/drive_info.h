// Drives and media as the scan, the scan dialog and the description of a recorded source see them:
// the drive list with its kind filter, the medium fields of a source entry, whether a recorded
// medium is in its drive, and the CD tray. On Linux a drive is a mounted file system and its root
// is the mount point (platform/drive_table.h). Every call asks the system afresh; the functions
// share no state and may run on any thread.
//
// Each operation has a form that takes the DriveSystem to ask (tests give recorded answers) and one
// that asks the running system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/source_list.h"
#include "platform/drive_system.h"
#include "platform/drive_table.h"

namespace volumist {

// Bits of the drive filter mask, one per listed kind. The scan dialog starts with every kind shown.
inline constexpr uint32_t kDriveFilterFixed = 1;
inline constexpr uint32_t kDriveFilterCdRom = 2;
inline constexpr uint32_t kDriveFilterRemovable = 4;
inline constexpr uint32_t kDriveFilterRemote = 8;
inline constexpr uint32_t kDriveFilterRamDisk = 16;
inline constexpr uint32_t kDriveFilterAll = 0x1F;

// The short kind name of the drive list ("Local Disk", "CD Drive"...); nullptr for kinds that are
// never listed (unknown, invalid root and codes without a name).
const char* DriveKindShortName(uint8_t driveType);
// The filter bit of a kind; 0 for kinds that are never listed.
uint32_t DriveFilterBit(uint8_t driveType);

// One line of the drive list.
struct DriveRow {
  std::string root;         // the mount point
  std::string kindName;     // the short kind name
  std::string displayName;  // the medium's label, or the last component of the mount point
  uint8_t driveType = kDriveUnknown;  // for choosing an icon
};

// The drives of a listed kind whose filter bit is set in `filterMask`, ordered by root text.
std::vector<DriveRow> ListDrives(platform::DriveSystem& system, uint32_t filterMask);
std::vector<DriveRow> ListDrives(uint32_t filterMask);

// The roots of all drives, whatever their kind (except an invalid root), ordered by root text: the
// top nodes of the folder tree. platform/folder_tree.h lists what is below them.
std::vector<std::string> ListDriveRoots(platform::DriveSystem& system);
std::vector<std::string> ListDriveRoots();

// Fills `entry` for a source at `path`: rootPath (the path as given), the source name, index and
// folder flag (always), then from the drive that holds the path its serial number, label, file
// system name and kind, and the capacity and free space of the whole disk. Fields that cannot be
// learnt stay empty or 0; a path that does not exist gets the kind "invalid root". True only when
// both the drive and its space could be read. Callers keep the entry whatever the result.
bool ReadMediaInfo(platform::DriveSystem& system, SourceEntry& entry, const std::string& path,
                   const std::string& sourceName, bool isFolderSource, uint16_t sourceIndex);
bool ReadMediaInfo(SourceEntry& entry, const std::string& path, const std::string& sourceName, bool isFolderSource,
                   uint16_t sourceIndex);

// True when the drive that holds the recorded rootPath can be read now and its medium has the
// recorded serial number. When the path itself is gone, the drive of its nearest existing folder
// is asked.
[[nodiscard]] bool IsMediumPresent(platform::DriveSystem& system, const SourceEntry& entry);
[[nodiscard]] bool IsMediumPresent(const SourceEntry& entry);

// Copies what identifies `drive`'s medium (serial number, label, file system name) and its kind into
// `entry`.
void SetMediumFields(SourceEntry& entry, const platform::Drive& drive);

// True when the medium `now` describes (filled by ReadMediaInfo or SetMediumFields) is the one
// `recorded` was scanned from: the same serial number, label and file system. The one rule for "the
// same disk", shared by the rescan's check and the presence of volumes (scan/volume_presence.h).
bool SameMedium(const SourceEntry& recorded, const SourceEntry& now);

// Whether the medium a recorded source was scanned from is the one at its path now.
enum class SourcePresence : uint8_t {
  kPresent,      // the path is a folder on a medium with the recorded serial number, label and file system
  kOtherMedium,  // the path is a folder, but on a medium that differs in one of them: another disk
  kMissing,      // the path is not a folder (or, for a drive source, no longer a drive's root)
};

// Compares the medium found at the recorded rootPath with the recorded one. A drive source must
// still be the root of a drive: an empty mount point left behind by an unmounted disc is missing,
// not another medium.
SourcePresence CheckSourceMedium(platform::DriveSystem& system, const SourceEntry& entry);
SourcePresence CheckSourceMedium(const SourceEntry& entry);

// True when the drive that holds `path` is a CD-ROM drive (an optical drive, or an iso9660 or udf
// file system such as a mounted disc image).
[[nodiscard]] bool IsCdDrive(platform::DriveSystem& system, const std::string& path);
[[nodiscard]] bool IsCdDrive(const std::string& path);

// Opens (ejects) or closes the tray of the optical drive that holds `path`. Does nothing, and says
// nothing, when the path is not on an optical drive or the tray does not move. A drive without a
// disc is not mounted, so no path leads to it.
void SetDoor(platform::DriveSystem& system, bool open, const std::string& path);
void SetDoor(bool open, const std::string& path);

}  // namespace volumist
