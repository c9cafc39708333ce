// The operating system's answers about mounted file systems and their media: the mount table, the
// block devices behind mounts, labels and UUIDs, free space and the CD tray. One interface, one
// Linux implementation (drive_system_linux.cpp); tests substitute recorded answers. The drive model
// built on it is in drive_table.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/drive_classification.h"
#include "platform/mount_table.h"

namespace volumist::platform {

// What the medium says about itself. Empty texts where it says nothing or cannot be read.
struct VolumeIdentity {
  std::string label;
  std::string uuid;
  std::string type;  // the file system found on the medium ("ntfs" behind a "fuseblk" mount)
};

struct DiskSpace {
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;  // free on the whole file system, including blocks reserved for root
};

// Every call asks the system afresh; nothing is cached. The Linux implementation keeps no state and
// may be called from any thread.
class DriveSystem {
 public:
  virtual ~DriveSystem() = default;

  // The text of the process's mount table (/proc/self/mountinfo); nothing when it cannot be read.
  virtual std::optional<std::string> ReadMountTable() = 0;
  // The absolute path with symbolic links, "." and ".." resolved; nothing when it does not exist.
  virtual std::optional<std::string> RealPath(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // The block device that holds `mount`, when one does.
  virtual std::optional<BlockDevice> FindBlockDevice(const MountEntry& mount) = 0;
  // Label, UUID and type read from the device node `devicePath`.
  virtual VolumeIdentity ReadVolumeIdentity(const std::string& devicePath) = 0;
  // Capacity and free space of the file system mounted at `mountPoint`.
  virtual std::optional<DiskSpace> ReadDiskSpace(const std::string& mountPoint) = 0;
  // Opens (ejects) or closes the tray of the optical drive `devicePath`, whose disc is mounted at
  // `mountPoint`. Ejecting first unmounts the disc when that is allowed and nothing uses it. False
  // when the drive did not move; the caller may ignore that.
  virtual bool MoveTray(const std::string& devicePath, const std::string& mountPoint, bool open) = 0;

  // The system's own answers. Lives for the whole process.
  static DriveSystem& Default();
};

// A Linux implementation that reads /sys under `sysfsRoot` instead of "/sys", for tests that give it
// a recorded device tree. The other answers come from the running system.
std::unique_ptr<DriveSystem> NewLinuxDriveSystem(const std::string& sysfsRoot);

}  // namespace volumist::platform
