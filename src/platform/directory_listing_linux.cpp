#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/directory_listing.h"
#include "platform/long_path_linux.h"

namespace volumist::platform {
namespace {

constexpr long kMsdosSuperMagic = 0x4d44;

// The layout the kernel fills for getdents64.
struct KernelDirent {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// FAT keeps real DOS attributes; the kernel gives them to an open file. This costs an open per entry,
// so it is done on FAT file systems only.
void ReadFatAttributes(int directory, const char* name, ListedEntry& entry) {
  int fd = ::openat(directory, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  uint32_t attributes = 0;
  if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) {
    entry.isHidden = entry.isHidden || (attributes & ATTR_HIDDEN);
    entry.isSystem = entry.isSystem || (attributes & ATTR_SYS);
    entry.isArchive = attributes & ATTR_ARCH;
    entry.isReadOnly = entry.isReadOnly || (attributes & ATTR_RO);
  }
  ::close(fd);
}

}  // namespace

std::optional<DirectoryListing> ListDirectoryEntries(const std::string& path) {
  Descriptor directory(OpenAnyLength(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0) return std::nullopt;
  DirectoryListing listing;
  struct statx self;
  if (::statx(directory.get(), "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &self) != 0) return std::nullopt;
  listing.device = makedev(self.stx_dev_major, self.stx_dev_minor);
  listing.hasMountIds = (self.stx_mask & STATX_MNT_ID) != 0;
  if (listing.hasMountIds) listing.mountId = static_cast<uint32_t>(self.stx_mnt_id);
  // The kind of file system is asked once per device and thread, not once per directory.
  thread_local dev_t lastDevice = 0;
  thread_local bool lastIsFat = false;
  if (listing.device != lastDevice || lastDevice == 0) {
    struct statfs fileSystem;
    lastIsFat = ::fstatfs(directory.get(), &fileSystem) == 0 && fileSystem.f_type == kMsdosSuperMagic;
    lastDevice = listing.device;
  }
  const bool isFat = lastIsFat;

  // One buffer per thread for all its listings: allocating 64 KiB for every directory costs the
  // heap more than the listing of a small directory does.
  constexpr size_t kBufferSize = 64 * 1024;
  thread_local std::unique_ptr<char[]> buffer(new char[kBufferSize]);
  for (;;) {
    long got = ::syscall(SYS_getdents64, directory.get(), buffer.get(), kBufferSize);
    if (got < 0) {
      if (errno == EINTR) continue;
      // A directory that fails part-way is taken as far as it was read.
      break;
    }
    if (got == 0) break;
    for (long offset = 0; offset < got;) {
      auto* dirent = reinterpret_cast<KernelDirent*>(buffer.get() + offset);
      offset += dirent->d_reclen;
      const char* name = dirent->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      struct statx status;
      if (::statx(directory.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                  STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_MNT_ID, &status) != 0) {
        // Without the right to enter the folder no entry's status can be read: the folder is
        // unreadable as a whole, not empty.
        if (errno == EACCES) return std::nullopt;
        continue;
      }
      ListedEntry entry;
      size_t length = std::strlen(name);
      entry.nameOffset = static_cast<uint32_t>(listing.names.size());
      entry.nameLength = static_cast<uint16_t>(length);
      listing.names.append(name, length);
      entry.size = status.stx_size;
      entry.modifiedTime = status.stx_mtime.tv_sec;
      entry.device = makedev(status.stx_dev_major, status.stx_dev_minor);
      if (status.stx_mask & STATX_MNT_ID) {
        entry.mountId = static_cast<uint32_t>(status.stx_mnt_id);
      } else {
        listing.hasMountIds = false;
      }
      mode_t type = status.stx_mode & S_IFMT;
      entry.isDirectory = type == S_IFDIR;
      entry.isSystem = type != S_IFDIR && type != S_IFREG && type != S_IFLNK;
      entry.isLink = type == S_IFLNK;
      entry.isHidden = name[0] == '.';
      entry.isReadOnly = !(status.stx_mode & S_IWUSR);
      if (entry.isDirectory) entry.size = 0;
      if (isFat) ReadFatAttributes(directory.get(), name, entry);
      listing.entries.push_back(entry);
    }
  }
  return listing;
}

}  // namespace volumist::platform
