#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/file_system.h"
#include "platform/long_path_linux.h"

namespace volumist::platform {
namespace {

FileError ErrorFromErrno(int error) {
  switch (error) {
    case EEXIST: return FileError::kExists;
    case ENOENT:
    case ENOTDIR: return FileError::kNotFound;
    case EACCES:
    case EPERM: return FileError::kAccessDenied;
    case EROFS: return FileError::kReadOnly;
    case ENOSPC:
    case EDQUOT: return FileError::kNoSpace;
    case EISDIR:
    case EIO: return FileError::kIoError;
    case ENXIO: return FileError::kNotRegularFile;  // a socket, or a device without its driver
    default: return FileError::kOther;
  }
}

FileStatus StatusFromStatx(const struct statx& sx) {
  FileStatus status;
  status.size = sx.stx_size;
  status.modifiedTime = sx.stx_mtime.tv_sec;
  status.createdTime = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
  status.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  status.inode = sx.stx_ino;
  status.mode = sx.stx_mode & 07777;
  status.owner = sx.stx_uid;
  status.group = sx.stx_gid;
  status.isDirectory = S_ISDIR(sx.stx_mode);
  status.isRegularFile = S_ISREG(sx.stx_mode);
  status.isLink = S_ISLNK(sx.stx_mode);
  return status;
}

std::optional<FileStatus> StatusAt(int directoryFd, const char* path, int flags) {
  struct statx sx;
  if (::statx(directoryFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return std::nullopt;
  return StatusFromStatx(sx);
}

// Paths inside a scanned tree may be longer than PATH_MAX.
std::optional<FileStatus> StatusOfPath(const std::string& path, int flags) {
  struct statx sx;
  if (StatxAnyLength(path, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return std::nullopt;
  return StatusFromStatx(sx);
}

// The umask, read without changing it (umask(2) can only be read by setting it, which would race
// with other threads creating files).
uint32_t ReadUmask() {
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    }
    std::fclose(status);
    if (found) return mask & 0777;
  }
  return 022;
}

std::atomic<uint64_t> bytesRead{0};

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { Close(); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    size_t done = 0;
    while (done < out.size()) {
      ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    bytesRead.fetch_add(done, std::memory_order_relaxed);
    return done;
  }

  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (n == 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  std::optional<uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }

  bool Truncate(uint64_t length) override {
    while (::ftruncate(fd_, static_cast<off_t>(length)) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }

  bool Sync() override { return fd_ >= 0 && ::fsync(fd_) == 0; }

  LockResult TryLockExclusive() override {
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      return errno == EWOULDBLOCK ? LockResult::kBusy : LockResult::kUnsupported;
    }
    return LockResult::kLocked;
  }

  std::optional<FileStatus> Status() override { return StatusAt(fd_, "", AT_EMPTY_PATH); }

  bool SetMode(uint32_t mode) override { return ::fchmod(fd_, mode & 07777) == 0; }
  bool SetOwner(uint32_t owner, uint32_t group) override { return ::fchown(fd_, owner, group) == 0; }

  bool Close() override {
    if (fd_ < 0) return false;
    int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close reports EINTR; retrying could close another file.
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Only regular files are opened: a pipe or device with a file's name must not block a scan or feed a
// reader endless bytes. O_NONBLOCK keeps the open of a pipe from waiting for a writer; it changes
// nothing for regular files. Paths inside a scanned tree may be longer than PATH_MAX.
OpenResult OpenWithFlags(const std::string& path, int flags, mode_t mode = 0666) {
  int fd = OpenAnyLength(path, flags | O_CLOEXEC | O_NONBLOCK, mode);
  if (fd < 0) return {nullptr, ErrorFromErrno(errno)};
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {nullptr, FileError::kNotRegularFile};
  }
  return {std::make_unique<PosixFile>(fd), FileError::kNone};
}

class LinuxFileSystem final : public FileSystem {
 public:
  OpenResult OpenForRead(const std::string& path) override { return OpenWithFlags(path, O_RDONLY); }
  OpenResult OpenForUpdate(const std::string& path) override { return OpenWithFlags(path, O_RDWR); }
  OpenResult CreateExclusive(const std::string& path, uint32_t mode) override {
    return OpenWithFlags(path, O_RDWR | O_CREAT | O_EXCL, static_cast<mode_t>(mode & 07777));
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0;
  }

  FileError RenameNoReplace(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return FileError::kNone;
    if (errno != EINVAL && errno != ENOSYS) return ErrorFromErrno(errno);
    // A file system without the flag: a hard link is made only where the name is free, in one step;
    // then the temporary name goes.
    if (::link(from.c_str(), to.c_str()) != 0) return ErrorFromErrno(errno);
    ::unlink(from.c_str());
    return FileError::kNone;
  }

  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  std::optional<FileStatus> Status(const std::string& path) override { return StatusOfPath(path, 0); }

  std::optional<FileStatus> LinkStatus(const std::string& path) override {
    return StatusOfPath(path, AT_SYMLINK_NOFOLLOW);
  }

  std::optional<std::string> ReadLink(const std::string& path) override {
    std::string text(PATH_MAX, '\0');
    ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0 || static_cast<size_t>(n) >= text.size()) return std::nullopt;
    text.resize(static_cast<size_t>(n));
    return text;
  }

  std::optional<std::string> RealPath(const std::string& path) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string result = resolved;
    ::free(resolved);
    return result;
  }

  uint32_t NewFileMode() override {
    static const uint32_t mode = 0666 & ~ReadUmask();
    return mode;
  }

  std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& path) override {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return std::nullopt;
    std::vector<DirectoryItem> items;
    while (struct dirent* entry = ::readdir(dir)) {
      std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool isDirectory = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        isDirectory = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
      }
      items.push_back({std::string(name), isDirectory});
    }
    ::closedir(dir);
    return items;
  }

  bool CreateDirectory(const std::string& path) override {
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
  }

  std::optional<std::string> CurrentDirectory() override {
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::nullopt;
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
  }

  bool SetCurrentDirectory(const std::string& path) override { return ::chdir(path.c_str()) == 0; }

  bool SyncDirectory(const std::string& directory) override {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }
};

class StandardOutput final : public File {
 public:
  std::optional<size_t> ReadAt(uint64_t, std::span<std::byte>) override { return std::nullopt; }

  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override {
    if (offset != written_) return false;
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(n);
    }
    written_ += done;
    return true;
  }

  std::optional<uint64_t> Size() override { return written_; }
  bool Truncate(uint64_t length) override { return length == written_; }
  // A pipe, a terminal or /dev/null cannot be synced and need not be.
  bool Sync() override { return ::fsync(STDOUT_FILENO) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP; }
  bool Close() override { return true; }

 private:
  uint64_t written_ = 0;
};

}  // namespace

std::unique_ptr<File> StandardOutputFile() { return std::make_unique<StandardOutput>(); }

uint64_t BytesReadSoFar() { return bytesRead.load(std::memory_order_relaxed); }

FileSystem& FileSystem::Default() {
  static LinuxFileSystem fileSystem;
  return fileSystem;
}

}  // namespace volumist::platform
