#include "testing/fault_file_system.h"

namespace volumist::testing {
namespace {

class FaultFile final : public platform::File {
 public:
  FaultFile(std::unique_ptr<platform::File> base, FaultFileSystem& owner) : base_(std::move(base)), owner_(owner) {}

  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    ++owner_.readCount;
    if (owner_.beforeRead) owner_.beforeRead(owner_.readCount, offset);
    if (!out.empty() && offset + out.size() > owner_.failReadsFrom) return std::nullopt;
    return base_->ReadAt(offset, out);
  }
  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override {
    if (!owner_.AllowWrite(data.size())) return false;
    return base_->WriteAt(offset, data);
  }
  std::optional<uint64_t> Size() override { return base_->Size(); }
  bool Truncate(uint64_t length) override { return base_->Truncate(length); }
  bool Sync() override { return !owner_.failSync && base_->Sync(); }
  bool Close() override {
    bool closed = base_->Close();
    return closed && !owner_.failClose;
  }
  platform::LockResult TryLockExclusive() override { return base_->TryLockExclusive(); }
  std::optional<platform::FileStatus> Status() override { return base_->Status(); }
  bool SetMode(uint32_t mode) override { return base_->SetMode(mode); }
  bool SetOwner(uint32_t owner, uint32_t group) override { return base_->SetOwner(owner, group); }

 private:
  std::unique_ptr<platform::File> base_;
  FaultFileSystem& owner_;
};

}  // namespace

bool FaultFileSystem::AllowWrite(size_t n) {
  ++writeCount;
  if (failWritesFrom > 0 && writeCount >= failWritesFrom) return false;
  if (diskSpace > 0 && bytesWritten + n > diskSpace) return false;
  bytesWritten += n;
  return true;
}

platform::OpenResult FaultFileSystem::Wrap(platform::OpenResult opened) {
  if (opened) opened.file = std::make_unique<FaultFile>(std::move(opened.file), *this);
  return opened;
}

platform::OpenResult FaultFileSystem::OpenForRead(const std::string& path) {
  if (failOpenForRead) return {nullptr, platform::FileError::kAccessDenied};
  return Wrap(base_.OpenForRead(path));
}

platform::OpenResult FaultFileSystem::OpenForUpdate(const std::string& path) { return Wrap(base_.OpenForUpdate(path)); }

platform::OpenResult FaultFileSystem::CreateExclusive(const std::string& path, uint32_t mode) {
  if (failCreate) return {nullptr, platform::FileError::kAccessDenied};
  return Wrap(base_.CreateExclusive(path, mode));
}

bool FaultFileSystem::Rename(const std::string& from, const std::string& to) {
  return !failRename && base_.Rename(from, to);
}

platform::FileError FaultFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return failRename ? platform::FileError::kAccessDenied : base_.RenameNoReplace(from, to);
}

}  // namespace volumist::testing
