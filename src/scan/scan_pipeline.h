// ScanPipeline: lists directories and prepares files ahead of the walk, on helper threads, while the
// walk writes records in tree order on its own thread.
//
// Every directory and file has a place in the walk's depth-first order, given by its key: the
// positions of its ancestors and of itself in their listings. Helpers always take the earliest work
// in that order that nobody has started (listing a directory, or preparing a file), so the walk finds
// what it needs next ready, or waits for the helper that is doing it. What no helper has started, the
// walk does itself; results never depend on the helpers. Work ahead of the walk is bounded (listed
// directories and their entries, prepared files), so memory does not grow with the tree.
//
// Enter and Prepared are called by the walking thread only.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "catalog/scan_options.h"
#include "platform/directory_listing.h"
#include "scan/file_preparation.h"
#include "scan/mount_rule.h"

namespace volumist {

// How deep below a source's root the walk enters folders. A folder one level deeper is recorded but
// not entered. The walk recurses once per level (about half a kilobyte of stack, a few kilobytes in
// sanitizer builds), so a bound keeps a pathologically deep tree from overflowing the worker's stack;
// real trees stay far above it.
inline constexpr size_t kMaxWalkDepth = 1024;

// The place of a directory in the walk: the index of each ancestor below the source's root, then its
// own, in their directories' listings. Lexicographic order is the walk's order.
using WalkKey = std::vector<uint32_t>;

class PreparedDirectory {
 public:
  std::string path;
  WalkKey key;
  // Nothing when the directory could not be read.
  std::optional<platform::DirectoryListing> listing;

 private:
  friend class ScanPipeline;
  enum : uint8_t { kFree = 0, kClaimed = 1, kDone = 2 };
  struct Slot {
    std::atomic<uint8_t> state{kFree};
    FilePreparation result;
  };
  std::unique_ptr<Slot[]> slots_;
  size_t slotCount_ = 0;
  size_t nextToPrepare_ = 0;  // under the pipeline's lock
};

// Lists one directory (platform::ListDirectoryEntries, unless a test substitutes it). Called from any
// thread of the pipeline.
using DirectoryLister = std::function<std::optional<platform::DirectoryListing>(const std::string& path)>;

class ScanPipeline {
 public:
  // `options`, `stop`, `mounts` and `lister` must outlive the pipeline. `mounts` decides which mount
  // points are entered. `helpers` threads are started (0 for none: the walk does everything itself).
  ScanPipeline(const ScanOptions& options, const std::atomic<bool>& stop, const MountRule& mounts, unsigned helpers,
               const DirectoryLister& lister);
  ~ScanPipeline();
  ScanPipeline(const ScanPipeline&) = delete;
  ScanPipeline& operator=(const ScanPipeline&) = delete;

  // The listing of the directory at `path` with walk key `key` (empty for the source's root).
  std::shared_ptr<PreparedDirectory> Enter(const std::string& path, const WalkKey& key);
  // The preparation of file `index` of `directory`.
  const FilePreparation& Prepared(PreparedDirectory& directory, size_t index);

  // Whether the walk enters this sub-directory of `directory` (same rules as the walk). A
  // sub-directory that the walk records but does not enter is a mount point not crossed, or lies
  // deeper than kMaxWalkDepth.
  bool WalksInto(const PreparedDirectory& directory, const platform::ListedEntry& entry) const;
  // Whether the walk looks at this file at all (the hidden/system rule).
  bool TakesFile(const platform::ListedEntry& entry) const;

 private:
  std::shared_ptr<PreparedDirectory> List(const std::string& path, const WalkKey& key) const;
  FilePreparation PrepareEntry(const PreparedDirectory& directory, size_t index) const;
  // The sub-directories the walk will enter, with their keys and paths (made outside the lock).
  using Subdirectories = std::vector<std::pair<WalkKey, std::string>>;
  Subdirectories SubdirectoriesOf(const PreparedDirectory& directory) const;
  // Under the lock: notes a new listing's sub-directories and files as work for helpers; true when
  // there is new work.
  bool Queue(const std::shared_ptr<PreparedDirectory>& directory, Subdirectories&& subdirectories);
  // Under the lock: whether helpers may list more directories ahead of the walk.
  bool HasRoomAhead() const;
  // Under the lock: the next file to prepare in `directory` at or after its cursor, or slotCount_.
  size_t NextFileToPrepare(PreparedDirectory& directory) const;
  // Under the lock (released while listing): lists the earliest directory nobody has started.
  void ListEarliestPending(std::unique_lock<std::mutex>& lock);
  void HelperLoop();

  const ScanOptions& options_;
  const std::atomic<bool>& stop_;
  const DirectoryLister& lister_;
  const MountRule& mounts_;
  const bool prepareAhead_;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool shutdown_ = false;
  std::map<WalkKey, std::string> pending_;  // directories to list
  std::set<WalkKey> listing_;               // being listed by a helper
  std::map<WalkKey, std::shared_ptr<PreparedDirectory>> listed_;  // listed ahead, not yet entered
  size_t listedEntries_ = 0;
  std::map<WalkKey, std::weak_ptr<PreparedDirectory>> toPrepare_;  // directories with files to prepare
  int64_t preparedAhead_ = 0;  // files prepared by helpers and not yet taken
  int idleHelpers_ = 0;        // helpers waiting for work
  bool walkWaits_ = false;     // the walk waits for a helper's listing
  std::vector<std::thread> helpers_;
};

}  // namespace volumist
