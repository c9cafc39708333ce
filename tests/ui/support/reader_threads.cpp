#include "ui/support/reader_threads.h"

#include <chrono>
#include <memory>
#include <utility>

namespace volumist::ui::testing {

class ReaderThreads::Recorded final : public platform::File {
 public:
  Recorded(std::unique_ptr<platform::File> file, ReaderThreads& owner, size_t id)
      : file_(std::move(file)), owner_(owner), id_(id) {}
  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    owner_.BeforeRead(id_);
    return file_->ReadAt(offset, out);
  }
  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override { return file_->WriteAt(offset, data); }
  std::optional<uint64_t> Size() override { return file_->Size(); }
  bool Truncate(uint64_t length) override { return file_->Truncate(length); }
  bool Sync() override { return file_->Sync(); }
  bool Close() override { return file_->Close(); }
  platform::LockResult TryLockExclusive() override { return file_->TryLockExclusive(); }
  std::optional<platform::FileStatus> Status() override { return file_->Status(); }
  bool SetMode(uint32_t mode) override { return file_->SetMode(mode); }
  bool SetOwner(uint32_t user, uint32_t group) override { return file_->SetOwner(user, group); }

 private:
  std::unique_ptr<platform::File> file_;
  ReaderThreads& owner_;
  size_t id_;
};

void ReaderThreads::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
}

void ReaderThreads::Open() {
  {
    std::lock_guard lock(mutex_);
    closed_ = false;
  }
  opened_.notify_all();
}

std::vector<ReaderThreads::OpenFile> ReaderThreads::Files() const {
  std::lock_guard lock(mutex_);
  return files_;
}

platform::OpenResult ReaderThreads::Wrap(const std::string& path, platform::OpenResult opened) {
  if (!opened.file) {
    ++failedOpens;
    return opened;
  }
  size_t id = 0;
  {
    std::lock_guard lock(mutex_);
    id = files_.size();
    files_.push_back({path, {}});
  }
  opened.file = std::make_unique<Recorded>(std::move(opened.file), *this, id);
  return opened;
}

void ReaderThreads::BeforeRead(size_t file) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock lock(mutex_);
  files_[file].readers.insert(self);
  if (self == gui_) return;
  if (closed_) {
    ++waiting_;
    opened_.wait(lock, [this] { return !closed_; });
    --waiting_;
  }
  lock.unlock();
  if (const int delay = workerReadDelayMicroseconds.load(); delay > 0) {
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
  }
}

}  // namespace volumist::ui::testing
