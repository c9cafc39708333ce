// FileReplacement: how every file the program writes is replaced, or made: the new version is
// written to a temporary file beside the target and put in its place in one step. Volume files,
// saved descriptions, XML documents, the configuration and the volume counter all go through it.
//
// What it guarantees, step by step:
// 1. Links. The target is resolved: a symbolic link, or a chain of them (each relative to its own
//    folder), is followed to the file it names, so the link stays a link and the file behind it is
//    the one replaced. A dangling link names the file to make.
// 2. Kinds. A target that exists and is not a regular file (a folder, a pipe, a device node, a
//    socket) is refused with kNotRegularFile before anything is written. Nothing but a regular file
//    is ever replaced.
// 3. Locks. Writers of one file exclude each other by the exclusive lock (flock) of an open of the
//    file itself. With `lockTarget`, Begin locks the existing target before the caller reads it, so
//    the caller reads, changes and writes back one version while every other writer waits; without
//    it, the target is locked only for its replacement in Commit. A lock is waited for at most
//    `lockWait`, then the operation fails with kBusy. Once the lock is taken, the target's name is
//    checked to still name the locked file: a writer that replaced it meanwhile released the old
//    file, and the new one is locked instead, so a second writer always works on the newest content.
// 4. Sweep. The temporary files that dead writers left in the target's folder are removed
//    (SweepTemporaryFiles: only files of the pattern whose lock is free).
// 5. The temporary file is made in the real target's folder, so on its file system: created
//    exclusively with permission bits 0600, locked while it exists, registered for removal when a
//    signal ends the process (platform/temporary_file.h).
// 6. Commit: the temporary file takes the permission bits of the file it replaces, and its owner
//    and group where the process may set them (as root always; otherwise the group, if the user
//    belongs to it); a new file gets 0666 less the umask and the caller as owner. It is synced,
//    renamed over the target in one step (rename) or, where a file that appeared meanwhile must not
//    be replaced, with RENAME_NOREPLACE (kExists then, with the temporary file kept for another
//    try); then the folder is synced.
// 7. Anything short of a successful Commit removes the temporary file (also the destructor) and
//    leaves the target as it was.
// Readers take no locks and never wait: they see the old file or the new one, never a mix.
//
// Not guaranteed: programs that do not take the lock are not held off; other hard links to the
// target keep the old content; extended attributes and ACLs are not copied; on a file system that
// cannot lock (LockResult::kUnsupported), files are replaced without locks.
//
// One object per replacement, used by one thread at a time. The file system outlives it.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/temporary_file.h"

namespace volumist::platform {

// How long a writer waits for another writer's lock before it gives up.
inline constexpr std::chrono::milliseconds kDefaultLockWait{10000};

struct ReplaceOptions {
  bool lockTarget = false;
  std::chrono::milliseconds lockWait = kDefaultLockWait;
};

// What Commit does with a file that has the target's name.
enum class ExistingTarget {
  kReplace,  // replace it
  kKeep,     // keep it: kExists (a new file that must not replace one made meanwhile)
};

// A path with its symbolic links followed (step 1).
struct ResolvedTarget {
  std::string path;                   // absolute, in the real folder
  std::optional<FileStatus> status;   // of the existing file; nothing when there is none
  FileError error = FileError::kNone; // kNotFound: the folder does not exist; kNotRegularFile
};
ResolvedTarget ResolveTarget(FileSystem& fileSystem, const std::string& path);

// True when replacing `target` would replace the file `existing`: both name the same file (through
// links too), or, when `target` does not exist yet, the same absolute path.
bool WouldReplaceFile(FileSystem& fileSystem, const std::string& target, const std::string& existing);

// An existing regular file, open for reading and locked exclusively (step 3).
struct LockedFile {
  std::unique_ptr<File> file;  // closing it releases the lock
  std::string path;            // the real path (links followed)
  FileError error = FileError::kNone;
  explicit operator bool() const { return file != nullptr; }
};
// Locks the regular file at `path` (links followed), waiting at most `wait` for another writer.
// kNotFound when there is none, kNotRegularFile, kBusy when the wait ran out.
LockedFile LockFile(FileSystem& fileSystem, const std::string& path, std::chrono::milliseconds wait);

class FileReplacement {
 public:
  explicit FileReplacement(FileSystem& fileSystem) : fileSystem_(fileSystem) {}
  ~FileReplacement() { Abandon(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Steps 1 to 5 for `target`. kNone, or why not: kNotFound (no such folder), kNotRegularFile,
  // kBusy (the lock wait ran out), or the error of making the temporary file.
  [[nodiscard]] FileError Begin(const std::string& target, const ReplaceOptions& options = {});

  bool IsOpen() const { return temporary_.has_value(); }
  // The temporary file, while the replacement is open.
  File& Temporary() { return temporary_->file(); }
  const std::string& TemporaryPath() const { return temporary_->path(); }
  // The real target (step 1).
  const std::string& Target() const { return target_; }
  // With lockTarget: the existing target, open for reading and locked, whose content is the one
  // being replaced. Null when there was none.
  File* LockedTarget() const { return targetLock_.get(); }

  // Step 6, and the end of the replacement on success. Failures: kExists (only with kKeep; the
  // replacement stays open for Retarget or another Commit), kBusy (replacing, the lock wait ran
  // out), kIoError for a failed sync, another error for a failed rename. After any failure but kExists the replacement is
  // abandoned.
  [[nodiscard]] FileError Commit(ExistingTarget existing = ExistingTarget::kReplace);
  // Names another target, which must resolve into the same folder; for the next free name after
  // kExists. kExists at once when the name is taken; kNotRegularFile; kOther for another folder.
  [[nodiscard]] FileError Retarget(const std::string& target);
  // Removes the temporary file and releases the locks; the target stays as it was.
  void Abandon();

 private:
  FileSystem& fileSystem_;
  std::chrono::milliseconds lockWait_ = kDefaultLockWait;
  std::string target_;
  std::string directory_;
  std::unique_ptr<File> targetLock_;
  std::optional<TemporaryFile> temporary_;
};

}  // namespace volumist::platform
