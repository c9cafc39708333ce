// Verifying a present disk against its volume: every source of the volume is walked again where it
// is mounted now and each catalogued item is compared with what is there.
//
// An item is the same, changed (its size or time differ), content changed (same size, but a digest
// the volume holds for it differs: only files whose records hold digests are read, and every digest
// kind the record holds is computed in one read), missing, or unreadable (a folder that cannot be
// listed, a file that cannot be opened or whose reading fails: the offset of the first block that
// could not be read is reported, and the verification goes on). What the folder holds and the volume
// does not is new. A missing or new folder is reported once, not item by item. Files inside listed
// archives are not compared: the archive file itself is compared as a file (its size, time and
// digests).
//
// The walk follows the scan's rules (scan/scan_pipeline.h): a source scanned without hidden files
// does not find its hidden files new, and a mount point below a source is entered only when the
// volume holds its contents. The walk runs on the calling thread; files are digested on worker
// threads, several at a time, so that reading and hashing use every core. Differences come back in
// the walk's order.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/file_signatures.h"
#include "catalog/change_report.h"
#include "catalog/source_list.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"
#include "scan/scan_pipeline.h"

namespace volumist {

struct VerifyJob {
  // Where each source of the volume is now, by its index in the volume's source list. A source
  // without an entry here, or with an empty one, is looked for at the path the volume records.
  std::vector<std::string> sourcePaths;
  // Checks the medium of a source looked for at its recorded path (CheckSourceMedium); none: every
  // source whose path is a folder counts as present.
  std::function<SourcePresence(const SourceEntry&)> checkMedium;
  // Threads that digest files; 0: one per core (at most four).
  unsigned digestThreads = 0;
  // The file layer files are read through; null: the operating system's. Tests inject read faults.
  platform::FileSystem* fileSystem = nullptr;
  // Lists folders; none: platform::ListDirectoryEntries.
  DirectoryLister lister;
};

enum class VerifyFinding : uint8_t {
  kChanged,         // size or time differ
  kContentChanged,  // same size, a stored digest differs
  kMissing,         // in the volume, not on the disk
  kUnreadable,      // on the disk, but it could not be read
  kNew,             // on the disk, not in the volume
};

// Why an item could not be read.
enum class ReadProblem : uint8_t {
  kNone,
  kCannotList,  // a folder that could not be listed
  kCannotOpen,  // a file that could not be opened
  kReadError,   // a read failed at `offset`
  kShorter,     // the file ended at `offset`, before the size it was listed with
};

struct VerifyDifference {
  VerifyFinding finding = VerifyFinding::kChanged;
  ItemKind kind = ItemKind::kFile;  // what the volume holds (for new items: what the disk holds)
  size_t source = 0;                // index into VerifyReport::sources
  std::string path;                 // in the path language of catalog/item_path.h
  uint64_t oldSize = 0;             // as the volume holds it (not for new items)
  uint64_t newSize = 0;             // as the disk holds it (not for missing items)
  int64_t oldTime = 0;              // files and archives: seconds since 1970
  int64_t newTime = 0;
  uint8_t changes = 0;              // kChanged and kContentChanged: kChanged* bits of change_report.h
  DigestChoice differing;           // kContentChanged: the digests that differ
  ReadProblem problem = ReadProblem::kNone;  // kUnreadable
  uint64_t offset = 0;                       // kUnreadable with kReadError or kShorter
};

enum class SourceState : uint8_t {
  kVerified,     // walked and compared
  kOtherMedium,  // walked and compared, but the disk there is not the one the volume was made from
  kAbsent,       // its path is not a folder: nothing of it was compared
};

struct VerifiedSource {
  std::string name;
  std::string recordedPath;  // as the volume holds it
  std::string path;          // where it was looked for
  SourceState state = SourceState::kVerified;
};

struct VerifyCounts {
  uint64_t same = 0;  // items found unchanged (folders and files)
  uint64_t changed = 0;
  uint64_t contentChanged = 0;
  uint64_t missing = 0;
  uint64_t unreadable = 0;
  uint64_t added = 0;  // new items
};

struct VerifyReport {
  std::string volumeName;
  std::vector<VerifiedSource> sources;
  std::vector<VerifyDifference> differences;  // in the order of the walk
  uint64_t same = 0;
  uint64_t filesDigested = 0;
  uint64_t bytesDigested = 0;
  uint64_t archiveItemsSkipped = 0;  // items inside listed archives, which are not compared
  bool stopped = false;              // the stop flag ended the walk: what was compared is reported

  VerifyCounts Counts() const;
  // True when every source was compared (on its own disk or another), nothing differs and the
  // verification was not stopped.
  bool AllMatch() const;
};

// The counters of a running verification. The verifying threads raise them; any thread may read them.
struct VerifyCounters {
  std::atomic<uint64_t> itemsTotal{0};    // catalogued items to compare (known once the volume is read)
  std::atomic<uint64_t> itemsChecked{0};
  // The bytes of every file to digest: the sizes of the files whose records hold digests, less those
  // found missing, changed in size or unreadable.
  std::atomic<uint64_t> bytesToDigest{0};
  std::atomic<uint64_t> bytesDigested{0};
  std::atomic<uint64_t> filesDigested{0};
};

// Compares the sources of `volume` (loaded) with the disk as `job` says. `counters` is raised as
// the work goes on; `stop` ends it within a block of reading (the report then has `stopped` set).
// Nothing when the volume's tree cannot be read.
std::optional<VerifyReport> VerifyVolume(VolumeCatalog& volume, const VerifyJob& job, VerifyCounters& counters,
                                         const std::atomic<bool>& stop);

// What a progress display shows, from the counters sampled over time.
struct VerifyProgress {
  uint64_t bytesDigested = 0;
  uint64_t bytesTotal = 0;  // the bytes to digest in all
  uint64_t itemsChecked = 0;
  uint64_t itemsTotal = 0;
  uint64_t filesDigested = 0;
  double bytesPerSecond = 0;            // over the last few seconds
  std::optional<double> secondsLeft;    // once a rate is known
};

// Turns samples of the counters into rates. Used by one thread.
class VerifyProgressMeter {
 public:
  using Clock = std::chrono::steady_clock;
  explicit VerifyProgressMeter(Clock::time_point start) : start_(start) {}
  VerifyProgress Sample(const VerifyCounters& counters, Clock::time_point now);
  // The same from values, for callers (and tests) that hold them already.
  VerifyProgress Sample(uint64_t bytesDigested, uint64_t bytesTotal, uint64_t itemsChecked,
                        uint64_t itemsTotal, uint64_t filesDigested, Clock::time_point now);

 private:
  Clock::time_point start_;
  std::deque<std::pair<Clock::time_point, uint64_t>> samples_;  // the last few seconds of (time, bytes)
};

}  // namespace volumist
