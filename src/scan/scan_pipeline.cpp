#include "scan/scan_pipeline.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/thread_priority.h"

namespace volumist {
namespace {

// Limits of the work done ahead of the walk.
constexpr size_t kMaxListedAhead = 1024;           // directories
constexpr size_t kMaxListedEntriesAhead = 200000;  // their entries
constexpr int64_t kMaxPreparedAhead = 1024;        // files prepared and not yet written

}  // namespace

ScanPipeline::ScanPipeline(const ScanOptions& options, const std::atomic<bool>& stop, uint64_t rootDevice,
                           unsigned helpers, const DirectoryLister& lister)
    : options_(options),
      stop_(stop),
      lister_(lister),
      rootDevice_(rootDevice),
      prepareAhead_(PreparationReadsFiles(options)) {
  for (unsigned i = 0; i < helpers; ++i) helpers_.emplace_back([this] { HelperLoop(); });
}

ScanPipeline::~ScanPipeline() {
  {
    std::lock_guard lock(mutex_);
    shutdown_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

bool ScanPipeline::WalksInto(const platform::ListedEntry& entry) const {
  return entry.isDirectory && options_.scanSubfolders &&
         (options_.includeHiddenSystem || !(entry.isHidden || entry.isSystem)) && entry.device == rootDevice_;
}

bool ScanPipeline::TakesFile(const platform::ListedEntry& entry) const {
  return !entry.isDirectory && (options_.includeHiddenSystem || !(entry.isHidden || entry.isSystem));
}

std::shared_ptr<PreparedDirectory> ScanPipeline::List(const std::string& path) const {
  auto directory = std::make_shared<PreparedDirectory>();
  directory->path = path;
  directory->listing = lister_(path);
  if (prepareAhead_ && directory->listing) {
    directory->slotCount_ = directory->listing->entries.size();
    directory->slots_ = std::make_unique<PreparedDirectory::Slot[]>(directory->slotCount_);
  }
  return directory;
}

FilePreparation ScanPipeline::PrepareEntry(const PreparedDirectory& directory, size_t index) const {
  const platform::ListedEntry& listed = directory.listing->entries[index];
  ScanEntry entry;
  entry.SetName(directory.listing->Name(listed));
  entry.directory = directory.path;
  entry.lastWriteTime = listed.modifiedTime;
  entry.size = listed.size;
  entry.isHidden = listed.isHidden;
  entry.isSystem = listed.isSystem;
  entry.isArchive = listed.isArchive;
  entry.isReadOnly = listed.isReadOnly;
  return PrepareFile(entry, options_);
}

std::shared_ptr<PreparedDirectory> ScanPipeline::Enter(const std::string& path) {
  std::shared_ptr<PreparedDirectory> directory;
  if (!helpers_.empty()) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (auto found = listed_.find(path); found != listed_.end()) {
        directory = std::move(found->second);
        listed_.erase(found);
        if (directory->listing) listedEntries_ -= directory->listing->entries.size();
        lock.unlock();
        changed_.notify_all();  // room to list more ahead
        break;
      }
      if (!listing_.count(path)) {
        // Not started: take it off the queue and list it here.
        auto queued = std::find(pending_.rbegin(), pending_.rend(), path);
        if (queued != pending_.rend()) pending_.erase(std::next(queued).base());
        break;
      }
      changed_.wait(lock);
    }
  }
  if (!directory) {
    directory = List(path);
    if (prepareAhead_ && !helpers_.empty() && directory->listing) {
      std::lock_guard lock(mutex_);
      toPrepare_.push_back(directory);
    }
  }
  if (!helpers_.empty() && directory->listing && options_.scanSubfolders) {
    // Queue the sub-directories after the first, last first, so that a helper lists the second
    // while the walk descends into the first.
    std::vector<std::string> next;
    for (const platform::ListedEntry& entry : directory->listing->entries) {
      if (WalksInto(entry)) next.push_back(platform::JoinPath(path, std::string(directory->listing->Name(entry))));
    }
    if (next.size() > 1) {
      {
        std::lock_guard lock(mutex_);
        for (size_t i = next.size(); i-- > 1;) pending_.push_back(std::move(next[i]));
      }
      changed_.notify_all();
    }
  }
  return directory;
}

const FilePreparation& ScanPipeline::Prepared(PreparedDirectory& directory, size_t index) {
  if (!directory.slots_) {
    // Nothing reads files: prepare in place. The slot array is made on first use.
    directory.slotCount_ = directory.listing->entries.size();
    directory.slots_ = std::make_unique<PreparedDirectory::Slot[]>(directory.slotCount_);
  }
  PreparedDirectory::Slot& slot = directory.slots_[index];
  uint8_t state = PreparedDirectory::kFree;
  if (slot.state.compare_exchange_strong(state, PreparedDirectory::kClaimed, std::memory_order_acquire)) {
    slot.result = PrepareEntry(directory, index);
    slot.state.store(PreparedDirectory::kDone, std::memory_order_release);
    return slot.result;
  }
  while ((state = slot.state.load(std::memory_order_acquire)) != PreparedDirectory::kDone) slot.state.wait(state);
  if (preparedAhead_.fetch_sub(1, std::memory_order_relaxed) == kMaxPreparedAhead) {
    std::lock_guard lock(mutex_);
    changed_.notify_all();  // a helper may prepare again
  }
  return slot.result;
}

// Prepares one file of the oldest listed directory that has work left. False when there was none.
bool ScanPipeline::PrepareSome() {
  if (!prepareAhead_ || preparedAhead_.load(std::memory_order_relaxed) >= kMaxPreparedAhead) return false;
  std::shared_ptr<PreparedDirectory> directory;
  {
    std::lock_guard lock(mutex_);
    while (!toPrepare_.empty()) {
      directory = toPrepare_.front().lock();
      if (directory && directory->nextClaim_.load(std::memory_order_relaxed) < directory->slotCount_) break;
      directory.reset();
      toPrepare_.pop_front();
    }
  }
  if (!directory) return false;
  for (;;) {
    size_t index = directory->nextClaim_.fetch_add(1, std::memory_order_relaxed);
    if (index >= directory->slotCount_) return true;
    if (!TakesFile(directory->listing->entries[index])) continue;
    PreparedDirectory::Slot& slot = directory->slots_[index];
    uint8_t state = PreparedDirectory::kFree;
    if (!slot.state.compare_exchange_strong(state, PreparedDirectory::kClaimed, std::memory_order_acquire)) continue;
    preparedAhead_.fetch_add(1, std::memory_order_relaxed);
    slot.result = PrepareEntry(*directory, index);
    slot.state.store(PreparedDirectory::kDone, std::memory_order_release);
    slot.state.notify_all();
    return true;
  }
}

void ScanPipeline::HelperLoop() {
  platform::LowerCurrentThreadPriority();
  for (;;) {
    if (stop_.load(std::memory_order_relaxed)) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return shutdown_; });
      return;
    }
    if (PrepareSome()) continue;
    std::string path;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] {
        return shutdown_ || stop_.load(std::memory_order_relaxed) ||
               (!pending_.empty() && listed_.size() < kMaxListedAhead && listedEntries_ < kMaxListedEntriesAhead) ||
               (prepareAhead_ && !toPrepare_.empty() && preparedAhead_.load() < kMaxPreparedAhead);
      });
      if (shutdown_) return;
      if (pending_.empty() || listed_.size() >= kMaxListedAhead || listedEntries_ >= kMaxListedEntriesAhead) continue;
      path = std::move(pending_.back());
      pending_.pop_back();
      listing_.insert(path);
    }
    std::shared_ptr<PreparedDirectory> directory = List(path);
    {
      std::lock_guard lock(mutex_);
      listing_.erase(path);
      if (directory->listing) listedEntries_ += directory->listing->entries.size();
      if (prepareAhead_ && directory->listing) toPrepare_.push_back(directory);
      listed_.emplace(path, std::move(directory));
    }
    changed_.notify_all();
  }
}

}  // namespace volumist
