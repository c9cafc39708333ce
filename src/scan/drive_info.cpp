#include "scan/drive_info.h"

#include <algorithm>

#include "platform/drive_table.h"
#include "platform/file_system.h"

namespace volumist {
namespace {

using platform::DriveKind;

static_assert(static_cast<uint8_t>(DriveKind::kUnknown) == kDriveUnknown);
static_assert(static_cast<uint8_t>(DriveKind::kInvalidRoot) == kDriveInvalidRoot);
static_assert(static_cast<uint8_t>(DriveKind::kRemovable) == kDriveRemovable);
static_assert(static_cast<uint8_t>(DriveKind::kFixed) == kDriveFixed);
static_assert(static_cast<uint8_t>(DriveKind::kRemote) == kDriveRemote);
static_assert(static_cast<uint8_t>(DriveKind::kCdRom) == kDriveCdRom);
static_assert(static_cast<uint8_t>(DriveKind::kRamDisk) == kDriveRamDisk);

std::string DisplayNameOf(const platform::Drive& drive) {
  if (!drive.label.empty()) return drive.label;
  std::string last = platform::BaseNameOf(drive.Root());
  return last.empty() ? drive.Root() : last;
}

}  // namespace

const char* DriveKindShortName(uint8_t driveType) {
  switch (driveType) {
    case kDriveRemovable: return "Removable";
    case kDriveFixed: return "Local Disk";
    case kDriveRemote: return "Network";
    case kDriveCdRom: return "CD Drive";
    case kDriveRamDisk: return "RAM Disk";
    default: return nullptr;
  }
}

uint32_t DriveFilterBit(uint8_t driveType) {
  switch (driveType) {
    case kDriveRemovable: return kDriveFilterRemovable;
    case kDriveFixed: return kDriveFilterFixed;
    case kDriveRemote: return kDriveFilterRemote;
    case kDriveCdRom: return kDriveFilterCdRom;
    case kDriveRamDisk: return kDriveFilterRamDisk;
    default: return 0;
  }
}

std::vector<DriveRow> ListDrives(platform::DriveSystem& system, uint32_t filterMask) {
  std::vector<DriveRow> rows;
  for (const platform::Drive& drive : platform::ListMountedDrives(system)) {
    auto type = static_cast<uint8_t>(drive.kind);
    if ((DriveFilterBit(type) & filterMask) == 0) continue;
    rows.push_back({drive.Root(), DriveKindShortName(type), DisplayNameOf(drive), type});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const DriveRow& a, const DriveRow& b) { return a.root < b.root; });
  return rows;
}

std::vector<DriveRow> ListDrives(uint32_t filterMask) { return ListDrives(platform::DriveSystem::Default(), filterMask); }

std::vector<std::string> ListDriveRoots(platform::DriveSystem& system) {
  std::vector<std::string> roots;
  for (const platform::Drive& drive : platform::ListMountedDrives(system)) {
    if (drive.kind != DriveKind::kInvalidRoot) roots.push_back(drive.Root());
  }
  return roots;
}

std::vector<std::string> ListDriveRoots() { return ListDriveRoots(platform::DriveSystem::Default()); }

bool ReadMediaInfo(platform::DriveSystem& system, SourceEntry& entry, const std::string& path,
                   const std::string& sourceName, bool isFolderSource, uint16_t sourceIndex) {
  entry.rootPath.Set(path);
  // The caller's own fields are set whatever the medium says, so that a source whose drive cannot
  // be read keeps its name and place in the list.
  entry.sourceName.Set(sourceName);
  entry.sourceIndex = sourceIndex;
  entry.isFolderSource = isFolderSource;
  entry.serialNumber = 0;
  entry.volumeLabel.Clear();
  entry.fileSystemName.Clear();
  entry.driveType = kDriveUnknown;
  entry.totalBytes = 0;
  entry.freeBytes = 0;

  platform::PathDrive found = platform::FindDriveOfPath(system, path);
  if (!found.pathExists) {
    entry.driveType = kDriveInvalidRoot;
    return false;
  }
  if (!found.drive) return false;
  const platform::Drive& drive = *found.drive;
  SetMediumFields(entry, drive);

  std::optional<platform::DiskSpace> space = system.ReadDiskSpace(drive.Root());
  if (!space) return false;
  entry.totalBytes = space->totalBytes;
  entry.freeBytes = space->freeBytes;
  return true;
}

void SetMediumFields(SourceEntry& entry, const platform::Drive& drive) {
  entry.serialNumber = drive.serialNumber;
  entry.volumeLabel.Set(drive.label);
  entry.fileSystemName.Set(drive.FileSystemName());
  entry.driveType = static_cast<uint8_t>(drive.kind);
}

bool SameMedium(const SourceEntry& recorded, const SourceEntry& now) {
  return now.serialNumber == recorded.serialNumber && now.volumeLabel.Text() == recorded.volumeLabel.Text() &&
         now.fileSystemName.Text() == recorded.fileSystemName.Text();
}

bool ReadMediaInfo(SourceEntry& entry, const std::string& path, const std::string& sourceName, bool isFolderSource,
                   uint16_t sourceIndex) {
  return ReadMediaInfo(platform::DriveSystem::Default(), entry, path, sourceName, isFolderSource, sourceIndex);
}

bool IsMediumPresent(platform::DriveSystem& system, const SourceEntry& entry) {
  // The question is about the medium, not the recorded folder: a folder deleted from a disc that is
  // still in its drive leaves the disc present. The nearest folder of the path that exists tells
  // which drive to look at.
  std::string path = entry.rootPath.Text();
  while (!system.RealPath(path)) {
    std::string parent = platform::DirectoryOf(path);
    if (parent == path) return false;
    path = std::move(parent);
  }
  SourceEntry now;
  if (!ReadMediaInfo(system, now, path, std::string(), false, 0)) return false;
  return now.serialNumber == entry.serialNumber;
}

bool IsMediumPresent(const SourceEntry& entry) { return IsMediumPresent(platform::DriveSystem::Default(), entry); }

SourcePresence CheckSourceMedium(platform::DriveSystem& system, const SourceEntry& entry) {
  const std::string path = entry.rootPath.Text();
  if (path.empty() || !system.IsDirectory(path)) return SourcePresence::kMissing;
  platform::PathDrive found = platform::FindDriveOfPath(system, path);
  if (!found.pathExists) return SourcePresence::kMissing;
  if (!entry.isFolderSource && (!found.drive || platform::NormalizePath(found.drive->Root()) != platform::NormalizePath(path))) {
    return SourcePresence::kMissing;
  }
  SourceEntry now;
  static_cast<void>(ReadMediaInfo(system, now, path, std::string(), entry.isFolderSource, 0));
  return SameMedium(entry, now) ? SourcePresence::kPresent : SourcePresence::kOtherMedium;
}

SourcePresence CheckSourceMedium(const SourceEntry& entry) {
  return CheckSourceMedium(platform::DriveSystem::Default(), entry);
}

bool IsCdDrive(platform::DriveSystem& system, const std::string& path) {
  platform::PathDrive found = platform::FindDriveOfPath(system, path);
  return found.drive && found.drive->kind == DriveKind::kCdRom;
}

bool IsCdDrive(const std::string& path) { return IsCdDrive(platform::DriveSystem::Default(), path); }

void SetDoor(platform::DriveSystem& system, bool open, const std::string& path) {
  platform::PathDrive found = platform::FindDriveOfPath(system, path);
  if (!found.drive || !found.drive->IsOpticalDrive() || !found.drive->device) return;
  // A tray that does not move is not reported.
  (void)system.MoveTray(found.drive->device->devicePath, found.drive->Root(), open);
}

void SetDoor(bool open, const std::string& path) { SetDoor(platform::DriveSystem::Default(), open, path); }

}  // namespace volumist
