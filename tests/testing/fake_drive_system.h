// A DriveSystem that gives recorded answers: a mount table text, block devices by device number,
// labels and UUIDs by device node, free space by mount point. Paths exist unless listed as missing;
// no call touches the machine. Records every tray movement it is asked for.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/drive_system.h"
#include "testing/recorded_mount_tables.h"

namespace volumist::testing {

class FakeDriveSystem final : public platform::DriveSystem {
 public:
  std::optional<std::string> mountTable;  // nothing: the table cannot be read
  // Paths that do not exist, with everything below them.
  std::set<std::string> missingPaths;
  // Existing paths that are not directories.
  std::set<std::string> files;
  // Symbolic links: a path (and everything below it) that really lives elsewhere.
  std::map<std::string, std::string> links;
  std::map<std::string, platform::BlockDevice> blockDevices;  // by "major:minor"
  std::map<std::string, platform::VolumeIdentity> identities;  // by device node
  std::map<std::string, platform::DiskSpace> space;            // by mount point; absent: cannot be read
  bool trayMoves = true;                                       // what MoveTray answers

  struct TrayMove {
    std::string devicePath;
    std::string mountPoint;
    bool open = false;
    friend bool operator==(const TrayMove&, const TrayMove&) = default;
  };
  std::vector<TrayMove> trayCalls;

  std::optional<std::string> ReadMountTable() override { return mountTable; }
  std::optional<std::string> RealPath(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::optional<platform::BlockDevice> FindBlockDevice(const platform::MountEntry& mount) override;
  platform::VolumeIdentity ReadVolumeIdentity(const std::string& devicePath) override;
  std::optional<platform::DiskSpace> ReadDiskSpace(const std::string& mountPoint) override;
  bool MoveTray(const std::string& devicePath, const std::string& mountPoint, bool open) override;
};

// A FakeDriveSystem that answers for kDesktopMountInfo: the block devices behind its mounts, the
// labels and UUIDs on them, and the space of every drive.
FakeDriveSystem MakeDesktopDriveSystem();

}  // namespace volumist::testing
