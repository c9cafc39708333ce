// SearchResult: one item a search found, with what a results list shows of it, and the collector
// that gathers results while the search runs.
#pragma once

#include <cstdint>
#include <memory>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog_time.h"
#include "catalog/media_info.h"
#include "catalog/record_key.h"
#include "catalog/signature_block.h"

namespace volumist {

// The volume a result comes from; shared by all its results.
struct ResultVolume {
  std::string name;
  std::string path;
  int index = 0;  // in the volume list; 0 for the loaded volume searched alone
};

// The folders and archives that hold a result, shared by the results found in them.
struct ResultFolder {
  // The window's form: each enclosing folder's name followed by "\", each enclosing archive's
  // followed by "/".
  std::string text;
  // Each enclosing folder's and archive's name (archives with their extension), outermost first.
  std::vector<std::string> names;
};

// Results are many and searches long: what many results share (their folder's path, their volume)
// is held once, and a media block only where there is one.
struct SearchResult {
  enum class Kind : uint8_t { kFile = 0, kFolder = 1, kArchive = 2 };
  Kind kind = Kind::kFile;
  uint8_t archiveKind = 0;
  bool hasSignatures = false;
  std::string name;       // a folder's name; a file's or archive's name with its extension
  std::string extension;  // the text after the last dot, without it ("" for folders)
  uint64_t size = 0;
  CatalogTime modifiedTime;  // files and archives
  SignatureBlock signatures;  // attributes and digests, when hasSignatures
  std::shared_ptr<const MediaInfo> media;  // the media block, when the file has one
  RecordKey key = 0;        // the record's key in its volume
  RecordKey parentKey = 0;  // folders and archives: the parent key stored in the record
  // The folder or archive that lists the item (0 at the top of the volume), as the browsing of the
  // volume opens it: found again by its key, whatever the names on the way hold.
  RecordKey containerKey = 0;
  std::shared_ptr<const ResultFolder> folder;
  std::shared_ptr<const ResultVolume> volume;
  std::optional<std::string> description;  // read when descriptions are asked for

  // The folder that holds the item in the window's form (ResultFolder::text).
  const std::string& FolderPath() const { return folder ? folder->text : Empty(); }
  // The names of the folders and archives that hold the item, outermost first.
  const std::vector<std::string>& FolderNames() const { return folder ? folder->names : NoNames(); }
  const std::string& VolumeName() const { return volume ? volume->name : Empty(); }
  const std::string& VolumePath() const { return volume ? volume->path : Empty(); }
  int VolumeIndex() const { return volume ? volume->index : 0; }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  static const std::vector<std::string>& NoNames() {
    static const std::vector<std::string> none;
    return none;
  }
};

// Takes results from the search thread while another thread reads them.
class ResultCollector {
 public:
  virtual ~ResultCollector() = default;
  virtual void AddResult(const SearchResult& result) = 0;
  // Takes a result the caller no longer needs; collectors that store results move it.
  virtual void AddResult(SearchResult&& result) { AddResult(static_cast<const SearchResult&>(result)); }
  virtual size_t ResultCount() const = 0;
};

// Keeps every result in order, under a lock of its own.
class ResultList final : public ResultCollector {
 public:
  void AddResult(const SearchResult& result) override {
    std::lock_guard lock(mutex_);
    results_.push_back(result);
  }
  void AddResult(SearchResult&& result) override {
    std::lock_guard lock(mutex_);
    results_.push_back(std::move(result));
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
  // Moves every result out, leaving the list empty.
  std::deque<SearchResult> TakeAll() {
    std::lock_guard lock(mutex_);
    return std::exchange(results_, {});
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    results_.clear();
  }

 private:
  mutable std::mutex mutex_;
  // A deque: results are large, and growing never moves the ones already found.
  std::deque<SearchResult> results_;
};

}  // namespace volumist
