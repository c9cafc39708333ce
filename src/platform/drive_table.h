// Drives on a system without drive letters: every mounted file system that holds a medium is a
// drive, its root the mount point. Built from the answers of a DriveSystem; nothing is cached.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drive_classification.h"
#include "platform/drive_system.h"
#include "platform/mount_table.h"

namespace volumist::platform {

struct Drive {
  MountEntry mount;                    // mount.mountPoint is the drive's root
  std::optional<BlockDevice> device;   // the block device behind it, when there is one
  DriveKind kind = DriveKind::kUnknown;
  std::string label;
  std::string uuid;
  uint32_t serialNumber = 0;

  const std::string& Root() const { return mount.mountPoint; }
  const std::string& FileSystemName() const { return mount.fileSystemType; }
  bool IsOpticalDrive() const { return platform::IsOpticalDrive(mount, device); }
};

// Fills a drive from its mount: block device, kind, label, UUID and serial number.
Drive DescribeMount(DriveSystem& system, const MountEntry& mount);

// Which of the visible mounts are drives: a drive mount (IsDriveMount) whose mount point is a
// directory, and not a second view of a medium already listed (a bind mount of a directory of a
// file system that is mounted in full, or of the same directory, elsewhere). Indexes into `mounts`,
// in table order. `isDirectory` answers for a mount point.
std::vector<size_t> SelectDriveMounts(const std::vector<MountEntry>& mounts,
                                      const std::function<bool(const std::string&)>& isDirectory);

// Every drive, sorted by root. Empty when the mount table cannot be read.
std::vector<Drive> ListMountedDrives(DriveSystem& system);

// The drive that holds a path: the visible mount whose mount point is the longest prefix of the
// path's real path, whether or not it is listed as a drive (so that every existing path has one).
struct PathDrive {
  bool pathExists = false;
  std::optional<Drive> drive;  // nothing when the path does not exist or the table cannot be read
};
PathDrive FindDriveOfPath(DriveSystem& system, const std::string& path);

}  // namespace volumist::platform
