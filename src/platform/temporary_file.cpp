#include "platform/temporary_file.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace volumist::platform {
namespace {

// True when the name at `path` is still the open `file` (a sweep may have removed it).
bool StillNamed(FileSystem& fileSystem, File& file, const std::string& path) {
  std::optional<FileStatus> open = file.Status();
  if (!open) return true;  // a file without a status is not on disk; nothing else reaches it
  std::optional<FileStatus> named = fileSystem.LinkStatus(path);
  return named && SameFile(*open, *named);
}

}  // namespace

std::string MakeTemporaryName(int minute, int second, int millisecond, int randomNumber) {
  char name[64];
  std::snprintf(name, sizeof name, "%02d%02d%02d%02d.$$$", minute, second, millisecond, randomNumber);
  return name;
}

bool IsTemporaryFileName(std::string_view name) {
  constexpr std::string_view kExtension = ".$$$";
  if (name.size() < 8 + kExtension.size() || name.size() > 12 + kExtension.size()) return false;
  if (!name.ends_with(kExtension)) return false;
  for (char c : name.substr(0, name.size() - kExtension.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

TemporaryFile::TemporaryFile(FileSystem& fileSystem, std::unique_ptr<File> file, std::string path,
                             TemporaryFileRegistration registration)
    : fileSystem_(&fileSystem), file_(std::move(file)), path_(std::move(path)), registration_(std::move(registration)) {}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : fileSystem_(other.fileSystem_),
      file_(std::move(other.file_)),
      path_(std::move(other.path_)),
      registration_(std::move(other.registration_)) {
  other.path_.clear();
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
  if (this != &other) {
    Remove();
    fileSystem_ = other.fileSystem_;
    file_ = std::move(other.file_);
    path_ = std::move(other.path_);
    other.path_.clear();
    registration_ = std::move(other.registration_);
  }
  return *this;
}

std::optional<TemporaryFile> TemporaryFile::Create(FileSystem& fileSystem, const std::string& directory) {
  thread_local std::minstd_rand generator(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
  std::uniform_int_distribution<int> randomNumber(0, 32767);

  constexpr int kAttempts = 64;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    int millisecond = static_cast<int>(milliseconds % 1000);
    int second = static_cast<int>((milliseconds / 1000) % 60);
    int minute = static_cast<int>((milliseconds / 60000) % 60);
    std::string path = JoinPath(directory, MakeTemporaryName(minute, second, millisecond, randomNumber(generator)));
    // Registered before it exists, so that no signal can come between its creation and its
    // registration.
    TemporaryFileRegistration registration(path);
    OpenResult opened = fileSystem.CreateExclusive(path, 0600);
    if (!opened) {
      if (opened.error == FileError::kExists) continue;
      return std::nullopt;
    }
    // A sweep that came between the creation and the lock holds the lock now, and removes the
    // file; one that came and went has removed the name already. Either way: another name.
    if (opened.file->TryLockExclusive() == LockResult::kBusy || !StillNamed(fileSystem, *opened.file, path)) {
      continue;
    }
    // A file held in memory (tests, fuzzers) has no status, and no name on disk for a signal to remove.
    if (!opened.file->Status()) registration.Release();
    return TemporaryFile(fileSystem, std::move(opened.file), std::move(path), std::move(registration));
  }
  return std::nullopt;
}

void TemporaryFile::Forget() {
  path_.clear();
  registration_.Release();
}

bool TemporaryFile::Close() {
  if (!file_) return false;
  bool closed = file_->Close();
  file_.reset();
  return closed;
}

void TemporaryFile::Remove() {
  if (file_) file_->Close();
  file_.reset();
  if (!path_.empty()) fileSystem_->Remove(path_);
  path_.clear();
  registration_.Release();
}

size_t SweepTemporaryFiles(FileSystem& fileSystem, const std::string& directory) {
  auto items = fileSystem.ListDirectory(directory);
  if (!items) return 0;
  size_t removed = 0;
  for (const DirectoryItem& item : *items) {
    if (item.isDirectory || !IsTemporaryFileName(item.name)) continue;
    std::string path = JoinPath(directory, item.name);
    std::optional<FileStatus> named = fileSystem.LinkStatus(path);
    if (!named || !named->isRegularFile) continue;
    OpenResult opened = fileSystem.OpenForRead(path);
    // A file whose lock is taken belongs to a live writer; one whose lock cannot be tried at all
    // (a file system without locks) cannot be told apart, and stays too.
    if (!opened || opened.file->TryLockExclusive() != LockResult::kLocked) continue;
    std::optional<FileStatus> open = opened.file->Status();
    if (!open || !StillNamed(fileSystem, *opened.file, path)) continue;
    if (fileSystem.Remove(path)) ++removed;
  }
  return removed;
}

}  // namespace volumist::platform
