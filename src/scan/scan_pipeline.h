// ScanPipeline: lists directories and prepares files ahead of the walk, on helper threads, while
// the walk writes records in tree order on its own thread.
//
// The walk asks for each directory with Enter and for each file's preparation with Prepared. What a
// helper has done already is handed over; what it has not started, the walk does itself, so the
// result and the order of records never depend on the helpers. Helpers list the sub-directories the
// walk will enter next and prepare the files of listed directories, within fixed limits, so memory
// does not grow with the tree.
//
// Enter and Prepared are called by the walking thread only.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/scan_options.h"
#include "platform/directory_listing.h"
#include "scan/file_preparation.h"

namespace volumist {

class PreparedDirectory {
 public:
  std::string path;
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
  std::atomic<size_t> nextClaim_{0};
};

// Lists one directory (platform::ListDirectoryEntries, unless a test substitutes it). Called from any
// thread of the pipeline.
using DirectoryLister = std::function<std::optional<platform::DirectoryListing>(const std::string& path)>;

class ScanPipeline {
 public:
  // `options`, `stop` and `lister` must outlive the pipeline. `rootDevice` is the file system of the
  // source: directories on other file systems are not entered. `helpers` threads are started (0 for
  // none).
  ScanPipeline(const ScanOptions& options, const std::atomic<bool>& stop, uint64_t rootDevice, unsigned helpers,
               const DirectoryLister& lister);
  ~ScanPipeline();
  ScanPipeline(const ScanPipeline&) = delete;
  ScanPipeline& operator=(const ScanPipeline&) = delete;

  // The listing of `path`, from a helper or made now; queues its sub-directories for listing ahead.
  std::shared_ptr<PreparedDirectory> Enter(const std::string& path);
  // The preparation of file `index` of `directory`.
  const FilePreparation& Prepared(PreparedDirectory& directory, size_t index);

  // Whether the walk enters this sub-directory (same rules as the walk).
  bool WalksInto(const platform::ListedEntry& entry) const;
  // Whether the walk looks at this file at all (the hidden/system rule).
  bool TakesFile(const platform::ListedEntry& entry) const;

 private:
  std::shared_ptr<PreparedDirectory> List(const std::string& path) const;
  FilePreparation PrepareEntry(const PreparedDirectory& directory, size_t index) const;
  void HelperLoop();
  bool PrepareSome();

  const ScanOptions& options_;
  const std::atomic<bool>& stop_;
  const DirectoryLister& lister_;
  const uint64_t rootDevice_;
  const bool prepareAhead_;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool shutdown_ = false;
  std::vector<std::string> pending_;  // to list ahead; the top is listed first
  std::unordered_set<std::string> listing_;
  std::unordered_map<std::string, std::shared_ptr<PreparedDirectory>> listed_;
  size_t listedEntries_ = 0;
  std::deque<std::weak_ptr<PreparedDirectory>> toPrepare_;
  std::atomic<int64_t> preparedAhead_{0};
  std::vector<std::thread> helpers_;
};

}  // namespace volumist
