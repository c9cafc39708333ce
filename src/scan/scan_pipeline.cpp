#include "scan/scan_pipeline.h"

#include <algorithm>

#include "platform/file_system.h"

namespace volumist {
namespace {

// Limits of the work done ahead of the walk.
constexpr size_t kMaxListedAhead = 4096;           // directories
constexpr size_t kMaxListedEntriesAhead = 200000;  // their entries
constexpr int64_t kMaxPreparedAhead = 256;         // files prepared and not yet written

WalkKey ChildKey(const WalkKey& parent, size_t index) {
  WalkKey key = parent;
  key.push_back(static_cast<uint32_t>(index));
  return key;
}

}  // namespace

ScanPipeline::ScanPipeline(const ScanOptions& options, const std::atomic<bool>& stop, const MountRule& mounts,
                           unsigned helpers, const DirectoryLister& lister)
    : options_(options),
      stop_(stop),
      lister_(lister),
      mounts_(mounts),
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

bool ScanPipeline::WalksInto(const PreparedDirectory& directory, const platform::ListedEntry& entry) const {
  return entry.isDirectory && options_.scanSubfolders &&
         (options_.includeHiddenSystem || !(entry.isHidden || entry.isSystem)) &&
         directory.key.size() < kMaxWalkDepth && mounts_.Judge(*directory.listing, entry, directory.path) != MountRule::Verdict::kNotEntered;
}

bool ScanPipeline::TakesFile(const platform::ListedEntry& entry) const {
  return !entry.isDirectory && (options_.includeHiddenSystem || !(entry.isHidden || entry.isSystem));
}

std::shared_ptr<PreparedDirectory> ScanPipeline::List(const std::string& path, const WalkKey& key) const {
  auto directory = std::make_shared<PreparedDirectory>();
  directory->path = path;
  directory->key = key;
  directory->listing = lister_(path);
  if (directory->listing) {
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
  entry.isLink = listed.isLink;
  return PrepareFile(entry, options_, &stop_);
}

bool ScanPipeline::HasRoomAhead() const {
  return listed_.size() < kMaxListedAhead && listedEntries_ < kMaxListedEntriesAhead;
}

ScanPipeline::Subdirectories ScanPipeline::SubdirectoriesOf(const PreparedDirectory& directory) const {
  Subdirectories found;
  if (!directory.listing) return found;
  const platform::DirectoryListing& listing = *directory.listing;
  for (size_t i = 0; i < listing.entries.size(); ++i) {
    if (WalksInto(directory, listing.entries[i])) {
      found.emplace_back(ChildKey(directory.key, i),
                         platform::JoinPath(directory.path, std::string(listing.Name(listing.entries[i]))));
    }
  }
  return found;
}

bool ScanPipeline::Queue(const std::shared_ptr<PreparedDirectory>& directory, Subdirectories&& subdirectories) {
  if (!directory->listing) return false;
  const bool newWork = !subdirectories.empty() || prepareAhead_;
  for (auto& [key, path] : subdirectories) pending_.emplace_hint(pending_.end(), std::move(key), std::move(path));
  if (prepareAhead_) toPrepare_.emplace(directory->key, directory);
  return newWork;
}

size_t ScanPipeline::NextFileToPrepare(PreparedDirectory& directory) const {
  size_t& next = directory.nextToPrepare_;
  while (next < directory.slotCount_ &&
         (!TakesFile(directory.listing->entries[next]) ||
          directory.slots_[next].state.load(std::memory_order_relaxed) != PreparedDirectory::kFree)) {
    ++next;
  }
  return next;
}

std::shared_ptr<PreparedDirectory> ScanPipeline::Enter(const std::string& path, const WalkKey& key) {
  if (helpers_.empty()) return List(path, key);
  std::unique_lock lock(mutex_);
  for (;;) {
    if (auto found = listed_.find(key); found != listed_.end()) {
      const bool wasFull = !HasRoomAhead();
      std::shared_ptr<PreparedDirectory> directory = std::move(found->second);
      listed_.erase(found);
      if (directory->listing) listedEntries_ -= directory->listing->entries.size();
      const bool wake = wasFull && idleHelpers_ > 0;
      lock.unlock();
      if (wake) changed_.notify_all();  // room to list more ahead
      return directory;
    }
    if (!listing_.count(key)) break;
    // A helper is listing it: rather than wait, list what comes next in the walk.
    if (!pending_.empty() && HasRoomAhead()) {
      ListEarliestPending(lock);
      continue;
    }
    walkWaits_ = true;
    changed_.wait(lock);
    walkWaits_ = false;
  }
  // Nobody has started it: the walk lists it itself.
  pending_.erase(key);
  lock.unlock();
  std::shared_ptr<PreparedDirectory> directory = List(path, key);
  Subdirectories subdirectories = SubdirectoriesOf(*directory);
  lock.lock();
  const bool newWork = Queue(directory, std::move(subdirectories));
  const bool wake = newWork && idleHelpers_ > 0;
  lock.unlock();
  if (wake) changed_.notify_all();
  return directory;
}

const FilePreparation& ScanPipeline::Prepared(PreparedDirectory& directory, size_t index) {
  PreparedDirectory::Slot& slot = directory.slots_[index];
  uint8_t state = PreparedDirectory::kFree;
  if (slot.state.compare_exchange_strong(state, PreparedDirectory::kClaimed, std::memory_order_acquire)) {
    slot.result = PrepareEntry(directory, index);
    slot.state.store(PreparedDirectory::kDone, std::memory_order_release);
    return slot.result;
  }
  while ((state = slot.state.load(std::memory_order_acquire)) != PreparedDirectory::kDone) slot.state.wait(state);
  bool roomAgain;
  {
    std::lock_guard lock(mutex_);
    roomAgain = preparedAhead_-- == kMaxPreparedAhead;
  }
  if (roomAgain) changed_.notify_all();
  return slot.result;
}

void ScanPipeline::ListEarliestPending(std::unique_lock<std::mutex>& lock) {
  auto next = pending_.begin();
  WalkKey key = next->first;
  std::string path = std::move(next->second);
  pending_.erase(next);
  listing_.insert(key);
  lock.unlock();
  std::shared_ptr<PreparedDirectory> directory = List(path, key);
  Subdirectories subdirectories = SubdirectoriesOf(*directory);
  lock.lock();
  listing_.erase(key);
  if (directory->listing) listedEntries_ += directory->listing->entries.size();
  const bool newWork = Queue(directory, std::move(subdirectories));
  listed_.emplace(std::move(key), std::move(directory));
  // Wake only who can use it: the walk waiting for a listing, or idle helpers for new work.
  if (walkWaits_ || (newWork && idleHelpers_ > 0)) changed_.notify_all();
}

void ScanPipeline::HelperLoop() {
  // Helpers keep the priority of the thread that made them (the scan worker's).
  std::unique_lock lock(mutex_);
  for (;;) {
    if (shutdown_) return;
    if (stop_.load(std::memory_order_relaxed)) {
      changed_.wait(lock);
      continue;
    }
    // The earliest file to prepare, in walk order.
    std::shared_ptr<PreparedDirectory> prepareIn;
    size_t fileIndex = 0;
    WalkKey fileKey;
    if (prepareAhead_ && preparedAhead_ < kMaxPreparedAhead) {
      for (auto it = toPrepare_.begin(); it != toPrepare_.end();) {
        prepareIn = it->second.lock();
        if (prepareIn && (fileIndex = NextFileToPrepare(*prepareIn)) < prepareIn->slotCount_) {
          fileKey = ChildKey(it->first, fileIndex);
          break;
        }
        prepareIn.reset();
        it = toPrepare_.erase(it);
      }
    }
    // The earliest directory to list, when there is room ahead.
    bool canList = !pending_.empty() && HasRoomAhead();
    if (prepareIn && (!canList || fileKey < pending_.begin()->first)) {
      PreparedDirectory::Slot& slot = prepareIn->slots_[fileIndex];
      uint8_t state = PreparedDirectory::kFree;
      ++prepareIn->nextToPrepare_;
      if (!slot.state.compare_exchange_strong(state, PreparedDirectory::kClaimed, std::memory_order_acquire)) continue;
      ++preparedAhead_;
      lock.unlock();
      slot.result = PrepareEntry(*prepareIn, fileIndex);
      slot.state.store(PreparedDirectory::kDone, std::memory_order_release);
      slot.state.notify_all();
      prepareIn.reset();
      lock.lock();
      continue;
    }
    if (canList) {
      ListEarliestPending(lock);
      continue;
    }
    ++idleHelpers_;
    changed_.wait(lock);
    --idleHelpers_;
  }
}

}  // namespace volumist
