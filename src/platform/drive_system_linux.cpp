#include <blkid.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/drive_system.h"
#include "platform/file_system.h"
#include "platform/udev_record.h"

namespace volumist::platform {
namespace {

// Reads a whole small file. Files under /proc and /sys report no size, so it reads until the end.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

std::optional<std::string> ResolvePath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string text(resolved);
  std::free(resolved);
  return text;
}

// "1" in a sysfs flag file.
bool ReadFlag(const std::string& path, bool& value) {
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text || text->empty()) return false;
  value = (*text)[0] == '1';
  return true;
}

std::string DeviceNumberText(dev_t device) {
  return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

std::optional<dev_t> BlockDeviceNumber(const std::string& node) {
  struct stat st;
  if (::stat(node.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return std::nullopt;
  return st.st_rdev;
}

// Label, UUID and type as libblkid reads them from the superblock. Needs read access to the device.
bool ProbeWithBlkid(const std::string& devicePath, VolumeIdentity& identity) {
  blkid_probe probe = blkid_new_probe_from_filename(devicePath.c_str());
  if (probe == nullptr) return false;
  blkid_probe_enable_superblocks(probe, 1);
  blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
  bool found = blkid_do_safeprobe(probe) == 0;
  if (found) {
    auto lookup = [&](const char* name, std::string& out) {
      const char* value = nullptr;
      if (blkid_probe_lookup_value(probe, name, &value, nullptr) == 0 && value != nullptr) out = value;
    };
    lookup("LABEL", identity.label);
    lookup("UUID", identity.uuid);
    lookup("TYPE", identity.type);
  }
  blkid_free_probe(probe);
  return found;
}

class LinuxDriveSystem final : public DriveSystem {
 public:
  explicit LinuxDriveSystem(std::string sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

  std::optional<std::string> ReadMountTable() override { return ReadWholeFile("/proc/self/mountinfo"); }

  std::optional<std::string> RealPath(const std::string& path) override { return ResolvePath(path); }

  bool IsDirectory(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::optional<BlockDevice> FindBlockDevice(const MountEntry& mount) override {
    // The device node named in the table, or, where that node is not visible (inside a container),
    // the device number of the mount when it is a real one (anonymous devices have major 0).
    std::string node;
    std::optional<dev_t> number;
    if (mount.source.starts_with("/dev/")) {
      number = BlockDeviceNumber(mount.source);
      if (number) node = mount.source;
    }
    if (!number && mount.major != 0) number = makedev(mount.major, mount.minor);
    if (!number) return std::nullopt;

    std::optional<std::string> sysPath = ResolvePath(sysfsRoot_ + "/dev/block/" + DeviceNumberText(*number));
    if (!sysPath) {
      if (node.empty()) return std::nullopt;
      return BlockDevice{BaseNameOf(node), node, false, false};
    }
    BlockDevice device;
    device.name = BaseNameOf(*sysPath);
    device.devicePath = node.empty() ? "/dev/" + device.name : node;
    // A partition has no flag of its own; the disk that holds it has.
    if (!ReadFlag(*sysPath + "/removable", device.removable)) {
      ReadFlag(DirectoryOf(*sysPath) + "/removable", device.removable);
    }
    // Devices attached through USB sit below a USB host controller ("/devices/pci.../usb2/2-1/...").
    std::optional<std::string> root = ResolvePath(sysfsRoot_);
    size_t tail = root && sysPath->starts_with(*root) ? root->size() : 0;
    device.onUsb = sysPath->find("/usb", tail) != std::string::npos;
    return device;
  }

  VolumeIdentity ReadVolumeIdentity(const std::string& devicePath) override {
    VolumeIdentity identity;
    if (ProbeWithBlkid(devicePath, identity)) return identity;
    // Without read access to the device, udev's database still knows what it found on it.
    std::optional<dev_t> number = BlockDeviceNumber(devicePath);
    if (!number) return identity;
    std::optional<std::string> record = ReadWholeFile("/run/udev/data/b" + DeviceNumberText(*number));
    return record ? IdentityFromUdevRecord(*record) : identity;
  }

  std::optional<DiskSpace> ReadDiskSpace(const std::string& mountPoint) override {
    struct statvfs st;
    if (::statvfs(mountPoint.c_str(), &st) != 0) return std::nullopt;
    uint64_t unit = st.f_frsize != 0 ? st.f_frsize : st.f_bsize;
    return DiskSpace{static_cast<uint64_t>(st.f_blocks) * unit, static_cast<uint64_t>(st.f_bfree) * unit};
  }

  bool MoveTray(const std::string& devicePath, const std::string& mountPoint, bool open) override {
    int fd = ::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool moved;
    if (!open) {
      moved = ::ioctl(fd, CDROMCLOSETRAY, 0) == 0;
    } else {
      moved = ::ioctl(fd, CDROMEJECT, 0) == 0;
      // A mounted disc keeps the drive busy. Unmounting succeeds only with the right to do so and
      // when nothing uses the disc; it is never forced.
      if (!moved && errno == EBUSY && !mountPoint.empty() && ::umount2(mountPoint.c_str(), 0) == 0) {
        moved = ::ioctl(fd, CDROMEJECT, 0) == 0;
      }
    }
    ::close(fd);
    return moved;
  }

 private:
  std::string sysfsRoot_;
};

}  // namespace

DriveSystem& DriveSystem::Default() {
  static LinuxDriveSystem system("/sys");
  return system;
}

std::unique_ptr<DriveSystem> NewLinuxDriveSystem(const std::string& sysfsRoot) {
  return std::make_unique<LinuxDriveSystem>(sysfsRoot);
}

}  // namespace volumist::platform
