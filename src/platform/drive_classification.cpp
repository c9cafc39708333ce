#include "platform/drive_classification.h"

#include <algorithm>
#include <array>

namespace volumist::platform {
namespace {

// The kernel's own state shown as files: never a drive, and never scanned.
constexpr std::array<std::string_view, 24> kKernelTypes = {
    "proc",      "sysfs",        "devtmpfs", "devpts",    "cgroup",     "cgroup2", "securityfs",
    "tracefs",   "debugfs",      "pstore",   "bpf",       "configfs",   "fusectl", "hugetlbfs",
    "mqueue",    "autofs",       "binfmt_misc", "efivarfs", "selinuxfs", "nsfs",   "rpc_pipefs",
    "nfsd",      "fuse.lxcfs",   "smackfs",
};

// The union file systems that container roots are made of: not drives, but their files are files.
constexpr std::array<std::string_view, 2> kUnionTypes = {"overlay", "aufs"};

constexpr std::array<std::string_view, 24> kRemoteTypes = {
    "nfs",        "nfs4",          "cifs",        "smb3",        "smbfs",      "ncpfs",
    "ncp",        "afs",           "ceph",        "glusterfs",   "lustre",     "coda",
    "9p",         "virtiofs",      "vboxsf",      "davfs",       "orangefs",   "sshfs",
    "fuse.sshfs", "fuse.rclone",   "fuse.s3fs",   "fuse.glusterfs", "fuse.curlftpfs", "fuse.vmhgfs-fuse",
};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool IsKernelFileSystem(std::string_view fileSystemType) { return Contains(kKernelTypes, fileSystemType); }

bool IsPseudoFileSystem(std::string_view fileSystemType) {
  return IsKernelFileSystem(fileSystemType) || Contains(kUnionTypes, fileSystemType);
}

bool IsRemoteFileSystem(std::string_view fileSystemType) { return Contains(kRemoteTypes, fileSystemType); }

bool IsSystemMountPoint(std::string_view mountPoint) {
  if (IsPathWithin(mountPoint, "/run/media")) return mountPoint == "/run/media";
  return IsPathWithin(mountPoint, "/proc") || IsPathWithin(mountPoint, "/sys") || IsPathWithin(mountPoint, "/dev") ||
         IsPathWithin(mountPoint, "/run");
}

bool IsDriveMount(const MountEntry& mount) {
  return !IsPseudoFileSystem(mount.fileSystemType) && !IsSystemMountPoint(mount.mountPoint);
}

bool IsOpticalDrive(const MountEntry& mount, const std::optional<BlockDevice>& device) {
  if (mount.source.starts_with("/dev/sr")) return true;
  return device && device->name.starts_with("sr");
}

DriveKind ClassifyMount(const MountEntry& mount, const std::optional<BlockDevice>& device, bool rootExists) {
  const std::string& type = mount.fileSystemType;
  if (!rootExists) return DriveKind::kInvalidRoot;
  if (IsOpticalDrive(mount, device) || type == "iso9660" || type == "udf") return DriveKind::kCdRom;
  if (device && (device->removable || device->onUsb)) return DriveKind::kRemovable;
  if (IsRemoteFileSystem(type)) return DriveKind::kRemote;
  if (type == "tmpfs" || type == "ramfs") return DriveKind::kRamDisk;
  if (device || mount.source.starts_with("/dev/")) return DriveKind::kFixed;
  return DriveKind::kUnknown;
}

}  // namespace volumist::platform
