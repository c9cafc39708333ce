#include "testing/memory_file_system.h"

#include <cstring>

namespace volumist::testing {
namespace {

class MemoryFile final : public platform::File {
 public:
  explicit MemoryFile(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    if (offset >= bytes_->size()) return 0;
    size_t n = std::min<uint64_t>(out.size(), bytes_->size() - offset);
    std::memcpy(out.data(), bytes_->data() + offset, n);
    return n;
  }
  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override {
    if (offset + data.size() > bytes_->size()) bytes_->resize(offset + data.size());
    std::memcpy(bytes_->data() + offset, data.data(), data.size());
    return true;
  }
  std::optional<uint64_t> Size() override { return bytes_->size(); }
  bool Truncate(uint64_t length) override {
    bytes_->resize(length);
    return true;
  }
  bool Sync() override { return true; }
  bool Close() override { return true; }

 private:
  std::shared_ptr<std::string> bytes_;
};

}  // namespace

const std::string* MemoryFileSystem::Get(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : it->second.get();
}

platform::OpenResult MemoryFileSystem::OpenForRead(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) return {nullptr, platform::FileError::kNotFound};
  return {std::make_unique<MemoryFile>(it->second), platform::FileError::kNone};
}

platform::OpenResult MemoryFileSystem::OpenForUpdate(const std::string& path) { return OpenForRead(path); }

platform::OpenResult MemoryFileSystem::CreateExclusive(const std::string& path, uint32_t) {
  if (files_.count(path)) return {nullptr, platform::FileError::kExists};
  Put(path, "");
  return OpenForRead(path);
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = files_.find(from);
  if (it == files_.end()) return false;
  files_[to] = it->second;
  files_.erase(from);
  return true;
}

platform::FileError MemoryFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (files_.count(to)) return platform::FileError::kExists;
  return Rename(from, to) ? platform::FileError::kNone : platform::FileError::kNotFound;
}

std::optional<platform::FileStatus> MemoryFileSystem::Status(const std::string& path) {
  const std::string* bytes = Get(path);
  if (bytes == nullptr) return std::nullopt;
  platform::FileStatus status;
  status.size = bytes->size();
  status.isRegularFile = true;
  return status;
}

}  // namespace volumist::testing
