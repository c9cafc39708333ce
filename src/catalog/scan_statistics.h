// ScanStatistics: the five counters of a volume header and the lock that guards them. The scan
// thread raises them while the window reads them for its progress display.
#pragma once

#include <cstdint>
#include <mutex>

namespace volumist {

struct Counters {
  uint32_t folderCount = 0;       // folders found on disk
  uint32_t fileCount = 0;         // files found on disk (a listed archive counts as a file)
  uint32_t archiveCount = 0;      // archives whose contents were listed
  uint32_t totalFolderCount = 0;  // folders on disk and inside archives
  uint32_t totalFileCount = 0;    // files on disk and inside archives

  friend bool operator==(const Counters&, const Counters&) = default;
};

class ScanStatistics {
 public:
  Counters Snapshot() const {
    std::lock_guard lock(mutex_);
    return counters_;
  }
  void Set(const Counters& counters) {
    std::lock_guard lock(mutex_);
    counters_ = counters;
  }
  // Adds every field of `delta`; the scan batches its increments this way.
  void Add(const Counters& delta) {
    std::lock_guard lock(mutex_);
    counters_.folderCount += delta.folderCount;
    counters_.fileCount += delta.fileCount;
    counters_.archiveCount += delta.archiveCount;
    counters_.totalFolderCount += delta.totalFolderCount;
    counters_.totalFileCount += delta.totalFileCount;
  }
  void RaiseFolder() { Add({1, 0, 0, 1, 0}); }
  void RaiseFile() { Add({0, 1, 0, 0, 1}); }
  void RaiseArchive() { Add({0, 1, 1, 0, 1}); }
  void RaiseArchiveFolder() { Add({0, 0, 0, 1, 0}); }
  void RaiseArchiveFile() { Add({0, 0, 0, 0, 1}); }

 private:
  mutable std::mutex mutex_;
  Counters counters_;
};

}  // namespace volumist
