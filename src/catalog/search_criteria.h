// SearchCriteria: what a search looks for and where. One object belongs to the main window, so the
// criteria survive closing the search dialog; the dialog edits it and the search worker reads it.
// Six of its switches are kept between runs in configuration.cfg.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "catalog/catalog_time.h"
#include "catalog/record_key.h"

namespace volumist {

// How an item's value is compared with the given one (the item's value on the left).
enum class Comparison : uint8_t {
  kLessOrEqual = 0,
  kLess = 1,
  kEqual = 2,
  kGreater = 3,
  kGreaterOrEqual = 4,
  kNotEqual = 5,
};

// Whether `item` stands in `comparison` to `given`.
template <typename T>
bool Compares(T item, Comparison comparison, T given) {
  switch (comparison) {
    case Comparison::kLessOrEqual: return item <= given;
    case Comparison::kLess: return item < given;
    case Comparison::kEqual: return item == given;
    case Comparison::kGreater: return item > given;
    case Comparison::kGreaterOrEqual: return item >= given;
    case Comparison::kNotEqual: return item != given;
  }
  return false;
}

enum class SizeUnit : uint8_t { kBytes = 0, kKilobytes = 1, kMegabytes = 2, kGigabytes = 3 };

// The mask a reset gives: every name with an extension.
inline constexpr char kDefaultSearchMask[] = "*.*";
inline constexpr uint32_t kMinimumSearchMaximum = 10;
inline constexpr uint32_t kMaximumSearchMaximum = 100000;
inline constexpr uint32_t kDefaultSearchMaximum = 1000;
inline constexpr size_t kSearchMaskMaxLength = 255;
inline constexpr size_t kSearchDescriptionMaxLength = 512;

// A mutex that copies as a new, unlocked one, so that the record holding it stays copyable: a copy
// never shares or inherits the lock of its origin.
class CriteriaLock {
 public:
  CriteriaLock() = default;
  CriteriaLock(const CriteriaLock&) {}
  CriteriaLock& operator=(const CriteriaLock&) { return *this; }
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

 private:
  std::mutex mutex_;
};

// The user's stop, read by the search before every record: an atomic flag, so that checking it costs
// no lock. Copies start cleared, like the lock.
class StopRequest {
 public:
  StopRequest() = default;
  StopRequest(const StopRequest&) {}
  StopRequest& operator=(const StopRequest&) { return *this; }
  void Set(bool value) { flag_.store(value, std::memory_order_relaxed); }
  bool Get() const { return flag_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> flag_{false};
};

// Thread use: while a search runs, the worker only reads the criteria and the dialog's thread only
// requests a stop (an atomic flag). Everything else is changed
// only while no search runs. Copy only while no search runs.
struct SearchCriteria {
  std::string mask = kDefaultSearchMask;  // '*' and '?' wildcards; at most 255 characters
  bool allVolumes = false;                // "Look in all volumes"
  bool caseSensitive = false;
  bool lookInArchives = false;
  bool onlyInArchives = false;  // effective only together with lookInArchives
  bool inSubfolders = true;
  bool findFolders = false;
  bool getDescriptions = false;
  uint32_t maximum = kDefaultSearchMaximum;  // results per volume, 10 to 100000
  uint32_t resultViewMode = 0;               // view 0 to 3 of the results list

  // Only inside this folder of the loaded volume, when inFolder is set.
  RecordKey scopeFolder = 0;
  bool inFolder = false;

  bool sizeEnabled = false;
  uint64_t sizeValue = 0;
  Comparison sizeCompare = Comparison::kLessOrEqual;
  SizeUnit sizeUnit = SizeUnit::kBytes;

  // "Changed from:" and "Changed to:", both inclusive.
  bool fromEnabled = false;
  CatalogTime fromTime;
  bool toEnabled = false;
  CatalogTime toTime;

  bool descriptionEnabled = false;  // has effect only with getDescriptions
  std::string descriptionText;      // at most 512 characters

  bool audioEnabled = false;  // any audio criterion is set
  bool titleEnabled = false;
  std::string titleText;
  bool artistEnabled = false;
  std::string artistText;
  bool albumEnabled = false;
  std::string albumText;
  bool commentEnabled = false;
  std::string commentText;
  bool trySequencesInNames = false;
  uint32_t bitrateIndex = 0;  // 0 none, else an entry of the bitrate list
  Comparison bitrateCompare = Comparison::kLessOrEqual;

  bool signaturesEnabled = false;  // any signature criterion is set
  bool crc32Enabled = false;
  std::string crc32Text;  // hexadecimal
  bool md4Enabled = false;
  std::string md4Text;
  bool md5Enabled = false;
  std::string md5Text;

  void RequestStop();
  void ClearStopRequest();
  bool StopRequested() const { return stopRequested_.Get(); }  // read before every record

  mutable CriteriaLock lock;

 private:
  StopRequest stopRequested_;
};

}  // namespace volumist
