// What kind of drive a mounted file system is, and whether it is a drive at all. Pure functions over
// a parsed mount entry and the facts the system gave about its block device, so that recorded
// tables can be tested.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/mount_table.h"

namespace volumist::platform {

// Drive kind codes; the values are stored in volume files and never renumbered.
enum class DriveKind : uint8_t {
  kUnknown = 0,
  kInvalidRoot = 1,  // the mount point does not exist
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

// The block device that holds a mounted file system, as /sys describes it.
struct BlockDevice {
  std::string name;          // kernel name: "sdb1", "sr0", "nvme0n1p2"
  std::string devicePath;    // the node to open: "/dev/sdb1"
  bool removable = false;    // "removable" of the disk (of the whole disk for a partition)
  bool onUsb = false;        // attached through USB
};

// File systems that show the kernel's own state rather than stored files (proc, sysfs, devtmpfs,
// devpts, cgroup, tracefs, debugfs, autofs, efivarfs...). The one list of them: they are never drives
// and a scan never enters them, even when it crosses into other mounts.
bool IsKernelFileSystem(std::string_view fileSystemType);
// Kernel file systems and the union file systems that container engines assemble their roots from.
bool IsPseudoFileSystem(std::string_view fileSystemType);
// Network file systems: nfs, cifs, sshfs and the like.
bool IsRemoteFileSystem(std::string_view fileSystemType);
// Mount points of the system's own plumbing: /proc, /sys, /dev and /run and everything below them,
// except /run/media, where removable media are mounted for the user.
bool IsSystemMountPoint(std::string_view mountPoint);
// A mount that can be a drive: neither a pseudo file system nor one of the system's own places.
bool IsDriveMount(const MountEntry& mount);

// True when the mount is an optical disc in a CD or DVD drive (a device /dev/sr*).
bool IsOpticalDrive(const MountEntry& mount, const std::optional<BlockDevice>& device);

// The kind of a mounted file system, in this order of rules: a mount point that does not exist is
// kInvalidRoot; an optical drive or an iso9660 or udf file system is kCdRom; a removable or USB
// block device is kRemovable; a network file system kRemote; tmpfs and ramfs kRamDisk; another
// block device kFixed; anything else kUnknown.
DriveKind ClassifyMount(const MountEntry& mount, const std::optional<BlockDevice>& device, bool rootExists);

}  // namespace volumist::platform
