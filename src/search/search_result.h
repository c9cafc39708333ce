// SearchResult: one item a search found, with what a results list shows of it, and the collector
// that gathers results while the search runs.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog_time.h"
#include "catalog/media_info.h"
#include "catalog/record_key.h"
#include "catalog/signature_block.h"

namespace volumist {

struct SearchResult {
  enum class Kind : uint8_t { kFile = 0, kFolder = 1, kArchive = 2 };
  Kind kind = Kind::kFile;
  std::string name;       // a folder's name; a file's or archive's name with its extension
  std::string extension;  // the text after the last dot, without it ("" for folders)
  uint64_t size = 0;
  CatalogTime modifiedTime;  // files and archives
  bool hasSignatures = false;
  SignatureBlock signatures;  // attributes and digests
  bool hasMediaInfo = false;
  MediaInfo media;
  uint8_t archiveKind = 0;
  RecordKey key = 0;        // the record's key in its volume
  RecordKey parentKey = 0;  // folders and archives: the enclosing folder's key
  // The folder that holds the item: each enclosing folder's name followed by "\", each enclosing
  // archive's followed by "/".
  std::string folderPath;
  std::string volumeName;
  std::string volumePath;
  int volumeIndex = 0;  // in the volume list; 0 for the loaded volume searched alone
  std::optional<std::string> description;  // read when descriptions are asked for
};

// Takes results from the search thread while another thread reads them.
class ResultCollector {
 public:
  virtual ~ResultCollector() = default;
  virtual void AddResult(const SearchResult& result) = 0;
  virtual size_t ResultCount() const = 0;
};

// Keeps every result in order, under a lock of its own.
class ResultList final : public ResultCollector {
 public:
  void AddResult(const SearchResult& result) override {
    std::lock_guard lock(mutex_);
    results_.push_back(result);
  }
  size_t ResultCount() const override {
    std::lock_guard lock(mutex_);
    return results_.size();
  }
  // A copy of the results from `first` on, for a reader that draws what arrived since last time.
  std::vector<SearchResult> Snapshot(size_t first = 0) const {
    std::lock_guard lock(mutex_);
    if (first >= results_.size()) return {};
    return std::vector<SearchResult>(results_.begin() + static_cast<std::ptrdiff_t>(first), results_.end());
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    results_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<SearchResult> results_;
};

}  // namespace volumist
