// A file system held in memory: files can be read, created, written and renamed; directories,
// links, locks and permissions are not modelled. For fuzzers and tests that must not touch the disk.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace volumist::testing {

class MemoryFileSystem final : public platform::FileSystem {
 public:
  void Put(const std::string& path, std::string bytes) { files_[path] = std::make_shared<std::string>(std::move(bytes)); }
  const std::string* Get(const std::string& path) const;

  platform::OpenResult OpenForRead(const std::string& path) override;
  platform::OpenResult OpenForUpdate(const std::string& path) override;
  platform::OpenResult CreateExclusive(const std::string& path, uint32_t mode) override;
  bool Rename(const std::string& from, const std::string& to) override;
  platform::FileError RenameNoReplace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override { return files_.erase(path) > 0; }
  std::optional<platform::FileStatus> Status(const std::string& path) override;
  std::optional<platform::FileStatus> LinkStatus(const std::string& path) override { return Status(path); }
  std::optional<std::string> ReadLink(const std::string&) override { return std::nullopt; }
  // Every folder exists; paths are taken as they are written.
  std::optional<std::string> RealPath(const std::string& path) override { return platform::NormalizePath(path); }
  uint32_t NewFileMode() override { return 0644; }
  std::optional<std::vector<platform::DirectoryItem>> ListDirectory(const std::string&) override { return std::nullopt; }
  bool CreateDirectory(const std::string&) override { return true; }
  std::optional<std::string> CurrentDirectory() override { return std::string("/"); }
  bool SetCurrentDirectory(const std::string&) override { return true; }
  bool SyncDirectory(const std::string&) override { return true; }

 private:
  std::map<std::string, std::shared_ptr<std::string>> files_;
};

}  // namespace volumist::testing
