#include "platform/file_replacement.h"

#include <algorithm>
#include <thread>

namespace volumist::platform {
namespace {

// Links are followed at most this many times, as the kernel does.
constexpr int kMaxLinkHops = 40;
// fchown leaves the owner (or group) as it is for this value.
constexpr uint32_t kUnchanged = static_cast<uint32_t>(-1);

bool NamesFolder(const std::string& baseName) { return baseName.empty() || baseName == "." || baseName == ".."; }

// True when `path` still names the open `file` (or the file has no status: it is not on disk).
bool StillNamed(FileSystem& fileSystem, File& file, const std::string& path) {
  std::optional<FileStatus> open = file.Status();
  if (!open) return true;
  std::optional<FileStatus> named = fileSystem.LinkStatus(path);
  return named && SameFile(*open, *named);
}

// The replaced file's mode and, where allowed, its owner and group for the new one.
void TakePermissions(File& file, const FileStatus& replaced) {
  std::optional<FileStatus> mine = file.Status();
  if (mine && (mine->owner != replaced.owner || mine->group != replaced.group) &&
      !file.SetOwner(replaced.owner, replaced.group)) {
    // Not root: the group can still be one the user belongs to.
    file.SetOwner(kUnchanged, replaced.group);
  }
  // After the owner: changing the owner clears the set-user-ID and set-group-ID bits.
  file.SetMode(replaced.mode);
}

}  // namespace

ResolvedTarget ResolveTarget(FileSystem& fileSystem, const std::string& path) {
  ResolvedTarget resolved;
  std::string current = path;
  for (int hops = 0;; ++hops) {
    std::optional<FileStatus> status = fileSystem.LinkStatus(current);
    if (!status) break;  // nothing there (a dangling link names the file to make)
    if (!status->isLink) {
      resolved.status = status;
      break;
    }
    std::optional<std::string> text = hops < kMaxLinkHops ? fileSystem.ReadLink(current) : std::nullopt;
    if (!text || text->empty()) {
      resolved.error = FileError::kOther;  // a loop of links, or one that cannot be read
      return resolved;
    }
    current = IsAbsolutePath(*text) ? *text : JoinPath(DirectoryOf(current), *text);
  }
  std::string baseName = BaseNameOf(current);
  if (NamesFolder(baseName) || (resolved.status && !resolved.status->isRegularFile)) {
    resolved.error = FileError::kNotRegularFile;
    return resolved;
  }
  // The folder as an absolute path without links: the temporary file's name must mean the same
  // file to a signal handler and to a later sweep, whatever the current directory.
  std::optional<std::string> folder = fileSystem.RealPath(DirectoryOf(current));
  if (!folder) {
    resolved.error = FileError::kNotFound;
    return resolved;
  }
  resolved.path = JoinPath(*folder, baseName);
  return resolved;
}

LockedFile LockFile(FileSystem& fileSystem, const std::string& path, std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  std::chrono::milliseconds pause{1};
  for (;;) {
    ResolvedTarget resolved = ResolveTarget(fileSystem, path);
    if (resolved.error != FileError::kNone) return {nullptr, {}, resolved.error};
    if (!resolved.status) return {nullptr, {}, FileError::kNotFound};
    OpenResult opened = fileSystem.OpenForRead(resolved.path);
    if (!opened) return {nullptr, {}, opened.error};
    for (;;) {
      LockResult result = opened.file->TryLockExclusive();
      // A file system without locks is written without them.
      if (result != LockResult::kBusy) break;
      Clock::time_point now = Clock::now();
      if (now >= deadline) return {nullptr, {}, FileError::kBusy};
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
      pause = std::min(pause * 2, std::chrono::milliseconds{50});
    }
    if (StillNamed(fileSystem, *opened.file, resolved.path)) {
      return {std::move(opened.file), std::move(resolved.path), FileError::kNone};
    }
    // Replaced while we waited: the lock that counts now is the new file's.
    if (Clock::now() >= deadline) return {nullptr, {}, FileError::kBusy};
  }
}

FileError FileReplacement::Begin(const std::string& target, const ReplaceOptions& options) {
  Abandon();
  lockWait_ = options.lockWait;
  ResolvedTarget resolved = ResolveTarget(fileSystem_, target);
  if (resolved.error != FileError::kNone) return resolved.error;
  target_ = std::move(resolved.path);
  directory_ = DirectoryOf(target_);
  if (options.lockTarget && resolved.status) {
    LockedFile locked = LockFile(fileSystem_, target_, lockWait_);
    // A target removed meanwhile is simply new.
    if (!locked && locked.error != FileError::kNotFound) return locked.error;
    targetLock_ = std::move(locked.file);
  }
  SweepTemporaryFiles(fileSystem_, directory_);
  temporary_ = TemporaryFile::Create(fileSystem_, directory_);
  if (!temporary_) {
    targetLock_.reset();
    return FileError::kOther;
  }
  return FileError::kNone;
}

FileError FileReplacement::Retarget(const std::string& target) {
  ResolvedTarget resolved = ResolveTarget(fileSystem_, target);
  if (resolved.error != FileError::kNone) return resolved.error;
  if (DirectoryOf(resolved.path) != directory_) return FileError::kOther;
  target_ = std::move(resolved.path);
  targetLock_.reset();  // it was the other file's
  return resolved.status ? FileError::kExists : FileError::kNone;
}

FileError FileReplacement::Commit(ExistingTarget existing) {
  if (!temporary_) return FileError::kOther;
  File& file = temporary_->file();
  std::optional<FileStatus> replaced;
  if (existing == ExistingTarget::kReplace) {
    if (!targetLock_) {
      LockedFile locked = LockFile(fileSystem_, target_, lockWait_);
      if (!locked && locked.error != FileError::kNotFound) {
        Abandon();
        return locked.error;
      }
      targetLock_ = std::move(locked.file);
    }
    if (targetLock_) replaced = targetLock_->Status();
  }
  if (replaced) {
    TakePermissions(file, *replaced);
  } else {
    file.SetMode(fileSystem_.NewFileMode());
  }
  if (!file.Sync()) {
    Abandon();
    return FileError::kIoError;
  }
  if (existing == ExistingTarget::kReplace) {
    if (!fileSystem_.Rename(temporary_->path(), target_)) {
      Abandon();
      return FileError::kOther;
    }
  } else if (FileError error = fileSystem_.RenameNoReplace(temporary_->path(), target_); error != FileError::kNone) {
    if (error == FileError::kExists) return error;
    Abandon();
    return error;
  }
  // The file has its name now; closing it (after the rename, so that no sweep could take it
  // before) releases its lock, and then the replaced file's.
  temporary_->Forget();
  fileSystem_.SyncDirectory(directory_);
  temporary_.reset();
  targetLock_.reset();
  return FileError::kNone;
}

void FileReplacement::Abandon() {
  temporary_.reset();
  targetLock_.reset();
}

bool WouldReplaceFile(FileSystem& fileSystem, const std::string& target, const std::string& existing) {
  ResolvedTarget output = ResolveTarget(fileSystem, target);
  auto existingStatus = fileSystem.Status(existing);
  if (output.status && existingStatus && SameFile(*output.status, *existingStatus)) return true;
  auto absolute = MakeAbsolutePath(fileSystem, target);
  return absolute && absolute == MakeAbsolutePath(fileSystem, existing);
}

}  // namespace volumist::platform
