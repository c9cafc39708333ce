#include "scan/file_reads.h"

#include <mutex>

namespace volumist {

struct FileReads {
  std::mutex mutex;
  FileReadMark* oldest = nullptr;
  FileReadMark* newest = nullptr;

  static FileReads& Instance() {
    static FileReads reads;
    return reads;
  }
};

FileReadMark::FileReadMark(const ScanEntry& entry) : entry_(entry), start_(std::chrono::steady_clock::now()) {
  FileReads& reads = FileReads::Instance();
  std::lock_guard lock(reads.mutex);
  previous_ = reads.newest;
  (previous_ != nullptr ? previous_->next_ : reads.oldest) = this;
  reads.newest = this;
}

FileReadMark::~FileReadMark() {
  FileReads& reads = FileReads::Instance();
  std::lock_guard lock(reads.mutex);
  (previous_ != nullptr ? previous_->next_ : reads.oldest) = next_;
  (next_ != nullptr ? next_->previous_ : reads.newest) = previous_;
}

std::optional<FileRead> OldestFileRead() {
  FileReads& reads = FileReads::Instance();
  std::lock_guard lock(reads.mutex);
  if (reads.oldest == nullptr) return std::nullopt;
  return FileRead{reads.oldest->entry_.FullPath(), reads.oldest->start_};
}

}  // namespace volumist
