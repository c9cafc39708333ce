// The file layer every part of the program reads and writes through. One interface, one Linux
// implementation (file_system_linux.cpp); tests substitute a fault-injecting one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace volumist::platform {

// Why an open or a file-system call failed, as far as callers care.
enum class FileError {
  kNone,
  kExists,
  kNotFound,
  kAccessDenied,
  kReadOnly,        // the file system is mounted read-only
  kNoSpace,
  kNotRegularFile,  // a folder, pipe, device or socket where a regular file is needed
  kBusy,            // another writer holds the file's lock (and kept it past the wait)
  kIoError,         // a read, write or sync failed on the device
  kOther,
};

// A short text of the cause, such as "access denied", for messages that name it.
const char* FileErrorText(FileError error);

// The result of trying to take a file's lock.
enum class LockResult { kLocked, kBusy, kUnsupported };

struct FileStatus {
  uint64_t size = 0;
  int64_t modifiedTime = 0;  // seconds since 1970-01-01 UTC
  int64_t createdTime = 0;   // birth time where the file system records it, else the change time
  uint64_t device = 0;       // the file system that holds the file
  uint64_t inode = 0;        // with `device`, the file's identity
  uint32_t mode = 0;         // permission bits (07777)
  uint32_t owner = 0;
  uint32_t group = 0;
  bool isDirectory = false;
  bool isRegularFile = false;
  bool isLink = false;       // only from LinkStatus: the name is a symbolic link
};

inline bool SameFile(const FileStatus& a, const FileStatus& b) { return a.device == b.device && a.inode == b.inode; }

// The bytes read from the files of this process so far, by every File the default file system
// opened. Each read adds to it once (a relaxed atomic), so a progress display can follow workers
// that read files in blocks; it orders nothing.
uint64_t BytesReadSoFar();

// An open file addressed by 64-bit positions. Reads and writes name their offset, so a file has no
// hidden position that callers must keep in step. Not thread-safe; one owner at a time.
class File {
 public:
  virtual ~File() = default;

  // Reads up to out.size() bytes starting at `offset`. Returns how many were read (fewer only at the
  // end of the file), or nothing on a read error.
  virtual std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) = 0;
  // Writes all of `data` at `offset`, extending the file as needed; false if any byte failed.
  virtual bool WriteAt(uint64_t offset, std::span<const std::byte> data) = 0;
  virtual std::optional<uint64_t> Size() = 0;
  virtual bool Truncate(uint64_t length) = 0;
  // Forces written data to the storage device.
  virtual bool Sync() = 0;
  // Closes the file and reports whether the close succeeded (a late write error shows here).
  // Further calls on a closed file fail. The destructor closes a file still open.
  virtual bool Close() = 0;

  // The rest concerns files on disk; files held in memory keep these defaults (no status, no
  // permissions, and a lock that is always free, since nothing else can open them).
  //
  // Takes the exclusive advisory lock (flock) of this open file, without waiting. The lock belongs
  // to this open file: another open of the same file, in this process or another, is refused it
  // until this one is closed. kUnsupported when the file system cannot lock.
  virtual LockResult TryLockExclusive() { return LockResult::kLocked; }
  // The status of the open file itself (what its name now points to may differ).
  virtual std::optional<FileStatus> Status() { return std::nullopt; }
  // Sets the permission bits (mode & 07777), and the owner and group. False when not permitted.
  virtual bool SetMode(uint32_t) { return false; }
  virtual bool SetOwner(uint32_t, uint32_t) { return false; }
};

struct OpenResult {
  std::unique_ptr<File> file;
  FileError error = FileError::kNone;
  explicit operator bool() const { return file != nullptr; }
};

struct DirectoryItem {
  std::string name;
  bool isDirectory = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual OpenResult OpenForRead(const std::string& path) = 0;
  // Opens an existing file for reading and writing in place.
  virtual OpenResult OpenForUpdate(const std::string& path) = 0;
  // Creates a new file for reading and writing with permission bits `mode` (less the umask);
  // fails with kExists when the name is taken.
  virtual OpenResult CreateExclusive(const std::string& path, uint32_t mode = 0666) = 0;
  // Renames `from` to `to`, replacing `to` in one step if it exists (never a moment without either).
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Renames `from` to `to` only if nothing has the name `to`, in one step; kExists otherwise.
  virtual FileError RenameNoReplace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // The status of what `path` names, following symbolic links; LinkStatus does not follow a link
  // in the last component.
  virtual std::optional<FileStatus> Status(const std::string& path) = 0;
  virtual std::optional<FileStatus> LinkStatus(const std::string& path) = 0;
  // The text of the symbolic link `path`.
  virtual std::optional<std::string> ReadLink(const std::string& path) = 0;
  // The absolute path of an existing `path` with every symbolic link, "." and ".." resolved.
  virtual std::optional<std::string> RealPath(const std::string& path) = 0;
  // The permission bits a new file gets: 0666 less the process's umask.
  virtual uint32_t NewFileMode() = 0;
  // Lists a directory's entries other than "." and "..", in the order the file system gives them.
  virtual std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  virtual std::optional<std::string> CurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
  // Makes a completed rename inside `directory` durable.
  virtual bool SyncDirectory(const std::string& directory) = 0;

  // The operating system's file system. Lives for the whole process.
  static FileSystem& Default();
};

// Standard output as a File: bytes are written in order (a write at another offset than the end
// fails), Sync flushes what is a file on disk and succeeds for pipes and terminals, Close leaves the
// descriptor open. A closed reader (EPIPE) fails the write, as long as SIGPIPE is ignored.
std::unique_ptr<File> StandardOutputFile();

// The directory part of `path` ("." when it has none), and the last component.
std::string DirectoryOf(const std::string& path);
std::string BaseNameOf(const std::string& path);
// Joins a directory and a name with one separator.
std::string JoinPath(const std::string& directory, const std::string& name);
bool IsAbsolutePath(const std::string& path);
// The path with repeated and trailing separators, "." components and "name/.." pairs removed, by the
// text alone (symbolic links are not followed): for comparing two spellings of one path.
std::string NormalizePath(const std::string& path);
// `path` made absolute against the current directory and normalised. Nothing when it is relative
// and the current directory cannot be read.
std::optional<std::string> MakeAbsolutePath(FileSystem& fileSystem, const std::string& path);
// Creates `path` and every missing folder above it. True when `path` is a directory afterwards.
bool CreateDirectories(FileSystem& fileSystem, const std::string& path);

}  // namespace volumist::platform
