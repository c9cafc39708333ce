#include "scan/verify.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "analysis/archive_kind.h"
#include "catalog/file_name.h"
#include "catalog/file_type_group.h"
#include "catalog/item_path.h"
#include "catalog/tree_walk.h"
#include "platform/drive_system.h"
#include "scan/mount_rule.h"
#include "scan/scan_engine.h"

namespace volumist {
namespace {

// Files waiting for a digest thread. Enough to keep every thread busy while the walk lists the next
// folders; small enough that a stop leaves little queued.
constexpr size_t kQueuedFiles = 64;

constexpr auto kRateWindow = std::chrono::seconds(3);

// One catalogued item outside archives. Children are indexes into the same list.
struct Node {
  std::string name;
  ItemKind kind = ItemKind::kFolder;
  uint64_t size = 0;
  int64_t time = 0;
  SignatureBlock signatures;
  std::vector<uint32_t> children;
};

bool HoldsDigests(const SignatureBlock& block) { return block.hasCrc32 || block.hasMd4 || block.hasMd5; }

// The volume stores the low 32 bits of a time and reads them back sign-extended.
int64_t AsStored(int64_t seconds) { return static_cast<int32_t>(static_cast<uint32_t>(seconds)); }

// The tree of each source, read from the volume once.
struct SourceTree {
  std::vector<Node> nodes;  // nodes[0] is the source's top: its root folder, or the drive's top entries
};

std::optional<std::vector<SourceTree>> ReadSourceTrees(VolumeCatalog& volume, VerifyReport& report,
                                                       VerifyCounters& counters, const std::atomic<bool>& stop) {
  const SourceList& sources = volume.Sources();
  std::vector<SourceTree> trees(sources.size());
  for (SourceTree& tree : trees) tree.nodes.emplace_back();
  TreeWalker walker(volume, false);
  walker.Start();
  size_t source = SIZE_MAX;
  // Per open folder or archive: its node, or none inside an archive.
  std::vector<std::optional<uint32_t>> open;
  uint64_t total = 0;
  uint64_t toDigest = 0;
  uint32_t polled = 0;
  auto sourceOf = [&](RecordKey key) {
    if (source < sources.size() && sources[source].ContainsKey(key)) return source;
    for (size_t i = 0; i < sources.size(); ++i) {
      if (sources[i].ContainsKey(key)) return i;
    }
    return SIZE_MAX;
  };
  // Adds an item below the open folder; nothing when it lies inside an archive or outside any source.
  auto add = [&](Node node) -> std::optional<uint32_t> {
    if (open.empty()) source = sourceOf(walker.Key());
    if (source >= trees.size()) return std::nullopt;
    std::optional<uint32_t> parent = open.empty() ? std::optional<uint32_t>(0) : open.back();
    if (!parent) {
      ++report.archiveItemsSkipped;
      return std::nullopt;
    }
    std::vector<Node>& nodes = trees[source].nodes;
    const bool sourceRoot = open.empty() && sources[source].isFolderSource && node.kind == ItemKind::kFolder;
    if (sourceRoot) {
      // The root folder of a folder source is the top node itself.
      nodes[0].name = std::move(node.name);
      return 0;
    }
    auto index = static_cast<uint32_t>(nodes.size());
    ++total;
    if (node.kind != ItemKind::kFolder && HoldsDigests(node.signatures)) toDigest += node.size;
    nodes.push_back(std::move(node));
    nodes[*parent].children.push_back(index);
    return index;
  };
  for (;;) {
    if (++polled % 4096 == 0 && stop.load(std::memory_order_relaxed)) return std::nullopt;
    switch (walker.Next()) {
      case TreeWalker::Step::kFolder: {
        Node node;
        node.name = walker.Folder().name.Text();
        node.kind = ItemKind::kFolder;
        node.size = walker.Folder().size.Value();
        open.push_back(add(std::move(node)));
        break;
      }
      case TreeWalker::Step::kArchive: {
        const ArchiveRecord& archive = walker.Archive();
        Node node;
        node.name = archive.name.Text() + archive.extension.Text();
        node.kind = ItemKind::kArchive;
        node.size = archive.size.Value();
        node.time = archive.modifiedTime.Value();
        if (archive.tag.hasSignatures) node.signatures = archive.signatures;
        add(std::move(node));
        open.push_back(std::nullopt);  // its members are not compared
        break;
      }
      case TreeWalker::Step::kFile: {
        const FileRecord& file = walker.File();
        Node node;
        node.name = file.name.Text() + file.extension.Text();
        node.kind = ItemKind::kFile;
        node.size = file.size.Value();
        node.time = file.modifiedTime.Value();
        if (file.tag.hasSignatures) node.signatures = file.signatures;
        add(std::move(node));
        break;
      }
      case TreeWalker::Step::kLeave:
        if (!open.empty()) open.pop_back();
        break;
      case TreeWalker::Step::kSourceMark:
        open.clear();
        source = SIZE_MAX;
        break;
      case TreeWalker::Step::kEnd:
        counters.itemsTotal.store(total, std::memory_order_relaxed);
        counters.bytesToDigest.store(toDigest, std::memory_order_relaxed);
        return trees;
      case TreeWalker::Step::kDamaged: return std::nullopt;
    }
  }
}

// A file to digest, with what the volume holds of it.
struct DigestTask {
  size_t order = 0;  // its place in the walk
  size_t source = 0;
  std::string path;      // item path
  std::string diskPath;  // where it is read
  const Node* node = nullptr;
  uint64_t size = 0;
  int64_t time = 0;  // as on the disk
};

// A difference with its place in the walk.
struct Found {
  size_t order = 0;
  VerifyDifference difference;
};

class Verification {
 public:
  Verification(const VerifyJob& job, VerifyCounters& counters, const std::atomic<bool>& stop, VerifyReport& report)
      : counters_(counters),
        stop_(stop),
        report_(report),
        fileSystem_(job.fileSystem != nullptr ? *job.fileSystem : platform::FileSystem::Default()),
        lister_(job.lister ? job.lister : DirectoryLister(platform::ListDirectoryEntries)) {
    unsigned threads = job.digestThreads != 0 ? job.digestThreads : DefaultWorkerThreads();
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { DigestLoop(); });
  }

  ~Verification() { FinishDigests(); }

  // Compares one source's tree with the folder at `path`.
  void CompareSource(size_t source, const SourceEntry& entry, const SourceTree& tree, const std::string& path) {
    options_ = entry.options;
    listsArchives_ = entry.options.analyzeArchives;
    // Only listing: the files the verification reads are read by the digest threads.
    options_.computeSignatures = false;
    options_.analyzeArchives = false;
    options_.analyzeAudio = options_.analyzeVideo = options_.analyzeImages = false;
    MountRule mounts(false, platform::DriveSystem::Default().ReadMountTable(), path,
                     platform::FileSystem::Default().RealPath(path).value_or(path));
    ScanPipeline pipeline(options_, stop_, mounts, 0, lister_);
    source_ = source;
    tree_ = &tree;
    pipeline_ = &pipeline;
    std::string top;
    if (entry.isFolderSource) AppendName(top, tree.nodes[0].name);
    CompareFolder(tree.nodes[0], path, top, WalkKey{});
    pipeline_ = nullptr;
  }

  // Waits for the digests still queued and puts every difference into the report, in walk order.
  void FinishDigests() {
    {
      std::lock_guard lock(mutex_);
      if (finished_) return;
      finished_ = true;
      noMoreTasks_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    std::sort(found_.begin(), found_.end(), [](const Found& a, const Found& b) { return a.order < b.order; });
    for (Found& item : found_) report_.differences.push_back(std::move(item.difference));
    report_.same += same_;
    report_.filesDigested = counters_.filesDigested.load();
    report_.bytesDigested = counters_.bytesDigested.load();
  }

 private:
  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

  void Report(VerifyDifference difference) {
    difference.source = source_;
    std::lock_guard lock(mutex_);
    found_.push_back({order_++, std::move(difference)});
  }

  void CountSame() {
    std::lock_guard lock(mutex_);
    ++same_;
  }

  void Checked() { counters_.itemsChecked.fetch_add(1, std::memory_order_relaxed); }

  // The bytes of a file the volume holds digests of, when it will not be read after all.
  void NotDigesting(const Node& node) {
    if (node.kind != ItemKind::kFolder && HoldsDigests(node.signatures)) {
      counters_.bytesToDigest.fetch_sub(node.size, std::memory_order_relaxed);
    }
  }

  // Counts a missing folder's contents as checked: they are reported with it.
  void CheckedBelow(const Node& node) {
    for (uint32_t child : node.children) {
      const Node& below = tree_->nodes[child];
      Checked();
      NotDigesting(below);
      CheckedBelow(below);
    }
  }

  void Missing(const Node& node, const std::string& path) {
    VerifyDifference difference;
    difference.finding = VerifyFinding::kMissing;
    difference.kind = node.kind;
    difference.path = path;
    difference.oldSize = node.size;
    difference.oldTime = node.kind == ItemKind::kFolder ? 0 : node.time;
    Report(std::move(difference));
    Checked();
    NotDigesting(node);
    CheckedBelow(node);
  }

  void New(const platform::ListedEntry& entry, const std::string& path) {
    VerifyDifference difference;
    difference.finding = VerifyFinding::kNew;
    difference.path = path;
    if (entry.isDirectory) {
      difference.kind = ItemKind::kFolder;
    } else {
      difference.kind = ItemKind::kFile;
      difference.newSize = entry.size;
      difference.newTime = entry.modifiedTime;
    }
    Report(std::move(difference));
  }

  void CompareFolder(const Node& folder, const std::string& diskPath, const std::string& itemPath,
                     const WalkKey& key) {
    if (Stopped()) return;
    std::shared_ptr<PreparedDirectory> directory = pipeline_->Enter(diskPath, key);
    if (!directory->listing) {
      VerifyDifference difference;
      difference.finding = VerifyFinding::kUnreadable;
      difference.kind = ItemKind::kFolder;
      difference.path = itemPath;
      difference.problem = ReadProblem::kCannotList;
      Report(std::move(difference));
      CheckedBelow(folder);
      return;
    }
    const platform::DirectoryListing& listing = *directory->listing;
    std::unordered_map<std::string_view, size_t> byName;
    byName.reserve(listing.entries.size());
    for (size_t i = 0; i < listing.entries.size(); ++i) byName.emplace(listing.Name(listing.entries[i]), i);
    std::vector<bool> matched(listing.entries.size(), false);
    for (uint32_t child : folder.children) {
      if (Stopped()) return;
      const Node& node = tree_->nodes[child];
      std::string path = itemPath;
      AppendName(path, node.name);
      auto found = byName.find(node.name);
      if (found == byName.end()) {
        Missing(node, path);
        continue;
      }
      const size_t index = found->second;
      const platform::ListedEntry& entry = listing.entries[index];
      const bool isFolder = node.kind == ItemKind::kFolder;
      if (isFolder != entry.isDirectory) {
        // A folder became a file, or a file a folder: the one is gone, the other new.
        matched[index] = true;
        Missing(node, path);
        New(entry, path);
        continue;
      }
      matched[index] = true;
      std::string childDisk = platform::JoinPath(diskPath, node.name);
      if (isFolder) {
        Checked();
        CountSame();
        // The volume holds what the scan entered: a mount point it did not enter is compared as a
        // folder only, unless the volume has its contents.
        if (key.size() < kMaxWalkDepth && (!node.children.empty() || pipeline_->WalksInto(*directory, entry))) {
          WalkKey subkey = key;
          subkey.push_back(static_cast<uint32_t>(index));
          CompareFolder(node, childDisk, path, subkey);
        }
        continue;
      }
      CompareFile(node, entry, path, childDisk);
    }
    for (size_t i = 0; i < listing.entries.size(); ++i) {
      if (matched[i] || Stopped()) continue;
      const platform::ListedEntry& entry = listing.entries[i];
      std::string_view name = listing.Name(entry);
      bool recorded;
      if (entry.isDirectory) {
        recorded = options_.scanSubfolders && (options_.includeHiddenSystem || !(entry.isHidden || entry.isSystem));
      } else {
        recorded = pipeline_->TakesFile(entry) && RecordsFileNamed(name);
      }
      if (!recorded) continue;
      std::string path = itemPath;
      AppendName(path, name);
      New(entry, path);
    }
  }

  // Whether the scan records a file of this name: its type group takes it, or it is an archive the
  // scan lists (archives pass the group).
  bool RecordsFileNamed(std::string_view name) const {
    size_t dot = ExtensionDot(name);
    std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
    if (MatchesFileTypeGroup(options_.fileTypeGroup, extension)) return true;
    return listsArchives_ && !extension.empty() && ArchiveKindByExtension(extension.substr(1)) != kArchiveNone;
  }

  void CompareFile(const Node& node, const platform::ListedEntry& entry, const std::string& path,
                   const std::string& diskPath) {
    uint8_t changes = 0;
    if (node.size != entry.size) changes |= kChangedSize;
    if (AsStored(node.time) != AsStored(entry.modifiedTime)) changes |= kChangedTime;
    const bool readable = !entry.isLink && !entry.isSystem;
    if ((changes & kChangedSize) == 0 && readable && HoldsDigests(node.signatures)) {
      DigestTask task;
      task.source = source_;
      task.path = path;
      task.diskPath = diskPath;
      task.node = &node;
      task.size = entry.size;
      task.time = entry.modifiedTime;
      Queue(std::move(task));
      return;
    }
    NotDigesting(node);
    Checked();
    if (changes == 0) {
      CountSame();
      return;
    }
    VerifyDifference difference;
    difference.finding = VerifyFinding::kChanged;
    difference.kind = node.kind;
    difference.path = path;
    difference.oldSize = node.size;
    difference.newSize = entry.size;
    difference.oldTime = node.time;
    difference.newTime = entry.modifiedTime;
    difference.changes = changes;
    Report(std::move(difference));
  }

  void Queue(DigestTask task) {
    std::unique_lock lock(mutex_);
    task.order = order_++;  // its place among the differences, taken now
    spaceFree_.wait(lock, [&] { return tasks_.size() < kQueuedFiles || Stopped(); });
    if (Stopped()) return;
    tasks_.push_back(std::move(task));
    changed_.notify_one();
  }

  void DigestLoop() {
    for (;;) {
      DigestTask task;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !tasks_.empty() || noMoreTasks_; });
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      spaceFree_.notify_one();
      if (!Stopped()) Digest(task);
    }
  }

  void Digest(const DigestTask& task) {
    const Node& node = *task.node;
    const SignatureBlock& stored = node.signatures;
    DigestChoice want{stored.hasCrc32, stored.hasMd4, stored.hasMd5};
    SignatureBlock now;
    DigestResult result =
        DigestFile(task.diskPath, want, now, DigestSettings{&fileSystem_, &stop_, task.size, &counters_.bytesDigested});
    if (result.outcome == DigestOutcome::kCancelled) return;
    // The bytes a failed reading did not get to are no longer to come.
    if (result.outcome != DigestOutcome::kDone) {
      counters_.bytesToDigest.fetch_sub(node.size - std::min(node.size, result.failedAt), std::memory_order_relaxed);
    }
    counters_.itemsChecked.fetch_add(1, std::memory_order_relaxed);
    VerifyDifference difference;
    difference.source = task.source;
    difference.kind = node.kind;
    difference.path = task.path;
    difference.oldSize = node.size;
    difference.newSize = task.size;
    difference.oldTime = node.time;
    difference.newTime = task.time;
    if (AsStored(node.time) != AsStored(task.time)) difference.changes |= kChangedTime;
    switch (result.outcome) {
      case DigestOutcome::kDone: break;
      case DigestOutcome::kCannotOpen:
        difference.finding = VerifyFinding::kUnreadable;
        difference.problem = ReadProblem::kCannotOpen;
        break;
      case DigestOutcome::kReadError:
        difference.finding = VerifyFinding::kUnreadable;
        difference.problem = ReadProblem::kReadError;
        difference.offset = result.failedAt;
        break;
      case DigestOutcome::kShorter:
      case DigestOutcome::kCancelled:
        difference.finding = VerifyFinding::kUnreadable;
        difference.problem = ReadProblem::kShorter;
        break;
    }
    if (result.outcome == DigestOutcome::kDone) {
      counters_.filesDigested.fetch_add(1, std::memory_order_relaxed);
      difference.differing.crc32 = stored.hasCrc32 && stored.crc32 != now.crc32;
      difference.differing.md4 = stored.hasMd4 && stored.md4 != now.md4;
      difference.differing.md5 = stored.hasMd5 && stored.md5 != now.md5;
      const bool contentDiffers = difference.differing.crc32 || difference.differing.md4 || difference.differing.md5;
      if (contentDiffers) {
        difference.finding = VerifyFinding::kContentChanged;
        difference.changes |= kChangedContent;
      } else if (difference.changes != 0) {
        difference.finding = VerifyFinding::kChanged;
      } else {
        std::lock_guard lock(mutex_);
        ++same_;
        return;
      }
    }
    std::lock_guard lock(mutex_);
    found_.push_back({task.order, std::move(difference)});
  }

 private:
  VerifyCounters& counters_;
  const std::atomic<bool>& stop_;
  VerifyReport& report_;
  platform::FileSystem& fileSystem_;
  DirectoryLister lister_;
  ScanOptions options_;     // the source's, for listing only
  bool listsArchives_ = false;  // the source was scanned with its archives listed
  size_t source_ = 0;
  const SourceTree* tree_ = nullptr;
  ScanPipeline* pipeline_ = nullptr;

  std::mutex mutex_;
  std::condition_variable changed_;    // a task was queued, or no more will come
  std::condition_variable spaceFree_;  // a task was taken
  std::deque<DigestTask> tasks_;
  bool noMoreTasks_ = false;
  bool finished_ = false;
  size_t order_ = 0;
  uint64_t same_ = 0;
  std::vector<Found> found_;
  std::vector<std::thread> workers_;
};

}  // namespace

VerifyCounts VerifyReport::Counts() const {
  VerifyCounts counts;
  counts.same = same;
  for (const VerifyDifference& difference : differences) {
    switch (difference.finding) {
      case VerifyFinding::kChanged: ++counts.changed; break;
      case VerifyFinding::kContentChanged: ++counts.contentChanged; break;
      case VerifyFinding::kMissing: ++counts.missing; break;
      case VerifyFinding::kUnreadable: ++counts.unreadable; break;
      case VerifyFinding::kNew: ++counts.added; break;
    }
  }
  return counts;
}

bool VerifyReport::AllMatch() const {
  if (stopped || !differences.empty()) return false;
  // A source on another disk whose every item matches is a match: the data is all there.
  return std::none_of(sources.begin(), sources.end(),
                      [](const VerifiedSource& source) { return source.state == SourceState::kAbsent; });
}

std::optional<VerifyReport> VerifyVolume(VolumeCatalog& volume, const VerifyJob& job, VerifyCounters& counters,
                                         const std::atomic<bool>& stop) {
  VerifyReport report;
  report.volumeName = volume.Header().volumeName;
  std::optional<std::vector<SourceTree>> trees = ReadSourceTrees(volume, report, counters, stop);
  if (!trees) {
    if (!stop.load()) return std::nullopt;
    report.stopped = true;
    return report;
  }
  platform::FileSystem& fileSystem = platform::FileSystem::Default();
  std::vector<std::string> paths;
  for (size_t i = 0; i < volume.Sources().size(); ++i) {
    const SourceEntry& entry = volume.Sources()[i];
    VerifiedSource source;
    source.name = entry.sourceName.Text();
    source.recordedPath = entry.rootPath.Text();
    const bool mapped = i < job.sourcePaths.size() && !job.sourcePaths[i].empty();
    source.path = mapped ? job.sourcePaths[i] : source.recordedPath;
    std::optional<platform::FileStatus> status = fileSystem.Status(source.path);
    if (!status || !status->isDirectory) {
      source.state = SourceState::kAbsent;
    } else if (!mapped && job.checkMedium) {
      switch (job.checkMedium(entry)) {
        case SourcePresence::kPresent: break;
        case SourcePresence::kOtherMedium: source.state = SourceState::kOtherMedium; break;
        case SourcePresence::kMissing: source.state = SourceState::kAbsent; break;
      }
    }
    report.sources.push_back(std::move(source));
  }
  {
    Verification verification(job, counters, stop, report);
    for (size_t i = 0; i < report.sources.size() && !stop.load(); ++i) {
      const SourceEntry& entry = volume.Sources()[i];
      if (report.sources[i].state == SourceState::kAbsent) continue;
      verification.CompareSource(i, entry, (*trees)[i], report.sources[i].path);
    }
    verification.FinishDigests();
  }
  report.stopped = stop.load();
  return report;
}

VerifyProgress VerifyProgressMeter::Sample(const VerifyCounters& counters, Clock::time_point now) {
  return Sample(counters.bytesDigested.load(std::memory_order_relaxed),
                counters.bytesToDigest.load(std::memory_order_relaxed),
                counters.itemsChecked.load(std::memory_order_relaxed), counters.itemsTotal.load(std::memory_order_relaxed),
                counters.filesDigested.load(std::memory_order_relaxed), now);
}

VerifyProgress VerifyProgressMeter::Sample(uint64_t bytesDigested, uint64_t bytesTotal, uint64_t itemsChecked,
                                           uint64_t itemsTotal, uint64_t filesDigested, Clock::time_point now) {
  VerifyProgress progress;
  progress.bytesDigested = bytesDigested;
  progress.bytesTotal = std::max(bytesTotal, bytesDigested);
  progress.itemsChecked = itemsChecked;
  progress.itemsTotal = itemsTotal;
  progress.filesDigested = filesDigested;
  samples_.emplace_back(now, bytesDigested);
  while (samples_.size() > 2 && now - samples_[1].first >= kRateWindow) samples_.pop_front();
  auto [since, before] = samples_.front();
  if (samples_.size() == 1) std::tie(since, before) = std::pair(start_, uint64_t{0});
  const double seconds = std::chrono::duration<double>(now - since).count();
  if (seconds > 0 && bytesDigested >= before) {
    progress.bytesPerSecond = static_cast<double>(bytesDigested - before) / seconds;
  }
  if (progress.bytesPerSecond > 0) {
    const uint64_t left = progress.bytesTotal - bytesDigested;
    progress.secondsLeft = static_cast<double>(left) / progress.bytesPerSecond;
  }
  return progress;
}

}  // namespace volumist
