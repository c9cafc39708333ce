// A file system that passes everything to the real one but can be told to fail: the Nth write (or
// every write once N bytes were written, like a full disk), renames (both kinds), creates, opens,
// syncs, and reads past an offset. It can also run a test's code before every read, to change a file
// while it is being read at a known moment.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace volumist::testing {

class FaultFileSystem final : public platform::FileSystem {
 public:
  explicit FaultFileSystem(platform::FileSystem& base = platform::FileSystem::Default()) : base_(base) {}

  // Write number `n` (counted from 1 over all files) and every later write fail.
  int failWritesFrom = 0;
  // Writes fail once this many bytes were written in all (0 = no limit).
  uint64_t diskSpace = 0;
  bool failRename = false;
  bool failCreate = false;
  bool failOpenForRead = false;
  bool failSync = false;
  bool failClose = false;
  // Reads of any byte at or past this offset fail (UINT64_MAX = never), like a bad sector.
  uint64_t failReadsFrom = UINT64_MAX;

  // Called before every read of a file opened through this file system, with the number of the
  // read (from 1, over all files) and its offset. Reads of one file come from one thread at a time.
  std::function<void(int readNumber, uint64_t offset)> beforeRead;

  int writeCount = 0;
  uint64_t bytesWritten = 0;
  int readCount = 0;

  platform::OpenResult OpenForRead(const std::string& path) override;
  platform::OpenResult OpenForUpdate(const std::string& path) override;
  platform::OpenResult CreateExclusive(const std::string& path, uint32_t mode) override;
  bool Rename(const std::string& from, const std::string& to) override;
  platform::FileError RenameNoReplace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override { return base_.Remove(path); }
  std::optional<platform::FileStatus> Status(const std::string& path) override { return base_.Status(path); }
  std::optional<platform::FileStatus> LinkStatus(const std::string& path) override { return base_.LinkStatus(path); }
  std::optional<std::string> ReadLink(const std::string& path) override { return base_.ReadLink(path); }
  std::optional<std::string> RealPath(const std::string& path) override { return base_.RealPath(path); }
  uint32_t NewFileMode() override { return base_.NewFileMode(); }
  std::optional<std::vector<platform::DirectoryItem>> ListDirectory(const std::string& path) override {
    return base_.ListDirectory(path);
  }
  bool CreateDirectory(const std::string& path) override { return base_.CreateDirectory(path); }
  std::optional<std::string> CurrentDirectory() override { return base_.CurrentDirectory(); }
  bool SetCurrentDirectory(const std::string& path) override { return base_.SetCurrentDirectory(path); }
  bool SyncDirectory(const std::string& directory) override { return base_.SyncDirectory(directory); }

  // Decides whether a write of n bytes goes through.
  bool AllowWrite(size_t n);

 private:
  platform::OpenResult Wrap(platform::OpenResult opened);
  platform::FileSystem& base_;
};

}  // namespace volumist::testing
