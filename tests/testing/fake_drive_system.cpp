#include "testing/fake_drive_system.h"

#include "platform/mount_table.h"
#include "testing/recorded_mount_tables.h"

namespace volumist::testing {

using platform::BlockDevice;
using platform::DiskSpace;
using platform::IsPathWithin;
using platform::VolumeIdentity;

std::optional<std::string> FakeDriveSystem::RealPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return std::nullopt;
  std::string real = path;
  while (real.size() > 1 && real.back() == '/') real.pop_back();
  for (const auto& [from, to] : links) {
    if (IsPathWithin(real, from)) {
      real = to + real.substr(from.size());
      break;
    }
  }
  for (const std::string& missing : missingPaths) {
    if (IsPathWithin(real, missing)) return std::nullopt;
  }
  return real;
}

bool FakeDriveSystem::IsDirectory(const std::string& path) {
  std::optional<std::string> real = RealPath(path);
  return real && !files.contains(*real);
}

std::optional<BlockDevice> FakeDriveSystem::FindBlockDevice(const platform::MountEntry& mount) {
  auto found = blockDevices.find(std::to_string(mount.major) + ":" + std::to_string(mount.minor));
  if (found == blockDevices.end()) return std::nullopt;
  return found->second;
}

VolumeIdentity FakeDriveSystem::ReadVolumeIdentity(const std::string& devicePath) {
  auto found = identities.find(devicePath);
  return found == identities.end() ? VolumeIdentity{} : found->second;
}

std::optional<DiskSpace> FakeDriveSystem::ReadDiskSpace(const std::string& mountPoint) {
  auto found = space.find(mountPoint);
  if (found == space.end()) return std::nullopt;
  return found->second;
}

bool FakeDriveSystem::MoveTray(const std::string& devicePath, const std::string& mountPoint, bool open) {
  trayCalls.push_back({devicePath, mountPoint, open});
  return trayMoves;
}

FakeDriveSystem MakeDesktopDriveSystem() {
  FakeDriveSystem system;
  system.mountTable = kDesktopMountInfo;
  system.blockDevices = {
      {"259:1", {"nvme0n1p1", "/dev/nvme0n1p1", false, false}},
      {"259:2", {"nvme0n1p2", "/dev/nvme0n1p2", false, false}},
      {"259:3", {"nvme0n1p3", "/dev/nvme0n1p3", false, false}},
      {"8:17", {"sdb1", "/dev/sdb1", true, true}},
      {"8:33", {"sdc1", "/dev/sdc1", false, true}},
      {"11:0", {"sr0", "/dev/sr0", true, false}},
      {"7:0", {"loop0", "/dev/loop0", false, false}},
  };
  system.identities = {
      {"/dev/nvme0n1p1", {"", "5A3C-1F2E", "vfat"}},
      {"/dev/nvme0n1p2", {"", "3f1c2a7e-5b7d-4c1e-9a0b-1234567890ab", "ext4"}},
      {"/dev/nvme0n1p3", {"home", "a0b1c2d3-0000-4000-8000-000000000001", "ext4"}},
      {"/dev/sdb1", {"My Stick", "1234-ABCD", "vfat"}},
      {"/dev/sdc1", {"Backup", "0123456789ABCDEF", "ntfs"}},
      {"/dev/sr0", {"HOLIDAY_2023", "2023-07-14-09-30-00-00", "iso9660"}},
      {"/dev/loop0", {"INSTALL", "2022-01-01-00-00-00-00", "iso9660"}},
  };
  uint64_t gigabyte = 1'000'000'000;
  for (const char* root : {"/", "/boot/efi", "/home", "/tmp", "/run/media/anna/My Stick", "/media/anna/Backup",
                           "/media/cdrom0", "/mnt/image", "/mnt/nas", "/mnt/share", "/srv/projects", "/mnt/remote"}) {
    system.space[root] = {100 * gigabyte, 40 * gigabyte};
  }
  return system;
}

}  // namespace volumist::testing
