#include "platform/drive_table.h"

#include <algorithm>

#include "platform/volume_serial.h"

namespace volumist::platform {
namespace {

// What tells a medium without a UUID apart: the share of a network drive, the device and label of a
// disk, the place of anything else (a RAM disk is known by where it is mounted).
std::string MediumIdentity(const MountEntry& mount, const std::optional<BlockDevice>& device, const std::string& label) {
  std::string identity = mount.fileSystemType + '\n' + mount.source + '\n';
  if (device) return identity + device->devicePath + '\n' + label;
  if (IsRemoteFileSystem(mount.fileSystemType)) return identity;
  return identity + mount.mountPoint;
}

std::optional<std::vector<MountEntry>> ReadVisibleMounts(DriveSystem& system) {
  std::optional<std::string> text = system.ReadMountTable();
  if (!text) return std::nullopt;
  return VisibleMounts(ParseMountInfo(*text));
}

}  // namespace

Drive DescribeMount(DriveSystem& system, const MountEntry& mount) {
  Drive drive;
  drive.mount = mount;
  drive.device = system.FindBlockDevice(mount);
  drive.kind = ClassifyMount(mount, drive.device, system.RealPath(mount.mountPoint).has_value());
  std::string probedType;
  if (drive.device) {
    VolumeIdentity identity = system.ReadVolumeIdentity(drive.device->devicePath);
    drive.label = std::move(identity.label);
    drive.uuid = std::move(identity.uuid);
    probedType = std::move(identity.type);
  }
  if (probedType.empty()) probedType = mount.fileSystemType;
  drive.serialNumber = DeriveSerialNumber(probedType, drive.uuid, MediumIdentity(mount, drive.device, drive.label));
  return drive;
}

std::vector<size_t> SelectDriveMounts(const std::vector<MountEntry>& mounts,
                                      const std::function<bool(const std::string&)>& isDirectory) {
  std::vector<size_t> candidates;
  for (size_t i = 0; i < mounts.size(); ++i) {
    if (IsDriveMount(mounts[i]) && isDirectory(mounts[i].mountPoint)) candidates.push_back(i);
  }
  // A mount is a second view of a medium when another mount of the same file system shows a
  // directory that holds its root; of two views of the same directory the first one stays.
  auto isSecondView = [&](size_t m) {
    const MountEntry& mount = mounts[m];
    for (size_t n : candidates) {
      const MountEntry& other = mounts[n];
      if (n == m || other.major != mount.major || other.minor != mount.minor) continue;
      if (!IsPathWithin(mount.root, other.root)) continue;
      if (other.root != mount.root || n < m) return true;
    }
    return false;
  };
  std::vector<size_t> selected;
  for (size_t m : candidates) {
    if (!isSecondView(m)) selected.push_back(m);
  }
  return selected;
}

std::vector<Drive> ListMountedDrives(DriveSystem& system) {
  std::optional<std::vector<MountEntry>> mounts = ReadVisibleMounts(system);
  if (!mounts) return {};
  std::vector<Drive> drives;
  for (size_t i : SelectDriveMounts(*mounts, [&](const std::string& path) { return system.IsDirectory(path); })) {
    drives.push_back(DescribeMount(system, (*mounts)[i]));
  }
  std::stable_sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.Root() < b.Root(); });
  return drives;
}

PathDrive FindDriveOfPath(DriveSystem& system, const std::string& path) {
  PathDrive result;
  std::optional<std::string> realPath = system.RealPath(path);
  if (!realPath) return result;
  result.pathExists = true;
  std::optional<std::vector<MountEntry>> mounts = ReadVisibleMounts(system);
  if (!mounts) return result;
  int index = FindMountForPath(*mounts, *realPath);
  if (index >= 0) result.drive = DescribeMount(system, (*mounts)[static_cast<size_t>(index)]);
  return result;
}

}  // namespace volumist::platform
