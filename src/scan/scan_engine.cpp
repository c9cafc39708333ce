#include "scan/scan_engine.h"

#include <algorithm>
#include <thread>

#include "catalog/file_name.h"
#include "platform/drive_system.h"
#include "platform/file_system.h"

namespace volumist {
namespace {

constexpr uint32_t kCounterBatch = 256;

// Records store a folder's depth in one byte; deeper folders keep the deepest level.
uint8_t StoredLevel(unsigned depth) { return static_cast<uint8_t>(std::min(depth, 255u)); }

}  // namespace

unsigned DefaultHelperThreads() { return std::clamp(std::thread::hardware_concurrency(), 2u, 5u) - 1; }
unsigned DefaultWorkerThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

ScanEngine::ScanEngine(const std::atomic<bool>& stop, SourceDescriber describe, unsigned helperThreads,
                       DirectoryLister lister, MountTableReader mountTable)
    : stop_(stop),
      describe_(std::move(describe)),
      helperThreads_(helperThreads),
      lister_(lister ? std::move(lister) : DirectoryLister(platform::ListDirectoryEntries)),
      mountTable_(mountTable ? std::move(mountTable)
                             : MountTableReader([] { return platform::DriveSystem::Default().ReadMountTable(); })) {}

void ScanEngine::DescribeSource(const ScanSource& source, SourceEntry& entry) {
  if (describe_) describe_(source, entry);
}

void ScanEngine::FlushCounters() {
  if (pendingCount_ == 0) return;
  counters_->Add(pendingCounters_);
  pendingCounters_ = Counters{};
  pendingCount_ = 0;
}

void ScanEngine::Begin(VolumeWriter& out, const ScanOptions& options, bool crossMounts, ScanStatistics& counters) {
  options_ = &options;
  crossMounts_ = crossMounts;
  counters_ = &counters;
  ownTemporaryName_ = platform::BaseNameOf(out.TemporaryPath());
  ownTemporary_ = out.TemporaryPath().empty() ? std::nullopt : platform::FileSystem::Default().Status(out.TemporaryPath());
}

bool ScanEngine::WriteSource(VolumeWriter& out, const ScanSource& source, const ScanOptions& options, bool crossMounts,
                             SourceEntry& entry, uint16_t markNumber, ScanStatistics& counters, uint64_t& size) {
  Begin(out, options, crossMounts, counters);
  uint64_t sourceSize = 0;
  bool ok = ScanOneSource(out, source, entry, markNumber, sourceSize);
  options_ = nullptr;
  if (ok) size += sourceSize;
  return ok;
}

bool ScanEngine::WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                              ScanStatistics& counters, uint64_t& totalSize) {
  Begin(out, job.Options(), job.crossMounts, counters);
  for (size_t i = 0; i < job.sources.size(); ++i) {
    uint64_t size = 0;
    if (!ScanOneSource(out, job.sources[i], sources[firstIndex + i], static_cast<uint16_t>(i), size)) return false;
    totalSize += size;
  }
  return true;
}

bool ScanEngine::ScanOneSource(VolumeWriter& out, const ScanSource& source, SourceEntry& entry, uint16_t markNumber,
                               uint64_t& size) {
  // The table as the source's scan starts: mounts made later are not crossed into.
  MountRule mounts(crossMounts_, mountTable_(), source.path,
                   platform::FileSystem::Default().RealPath(source.path).value_or(source.path));
  ScanPipeline pipeline(*options_, stop_, mounts, helperThreads_, lister_);
  pipeline_ = &pipeline;
  auto contents = [&](VolumeWriter& writer, FolderRecord* rootFolder, uint8_t level, RecordKey parentKey,
                      uint64_t& contentSize) {
    return WalkFolder(writer, source.path, WalkKey{}, level, parentKey, rootFolder, contentSize);
  };
  bool ok = WriteSourceFrame(out, entry, markNumber, *options_, contents, size);
  FlushCounters();
  pipeline_ = nullptr;
  return ok && !stop_.load(std::memory_order_relaxed);
}

bool ScanEngine::IsOwnTemporaryFile(const std::string& folder, std::string_view name) const {
  if (!ownTemporary_ || name != ownTemporaryName_) return false;
  auto status = platform::FileSystem::Default().LinkStatus(platform::JoinPath(folder, std::string(name)));
  return status && platform::SameFile(*status, *ownTemporary_);
}

void ScanEngine::CloseFolder(VolumeWriter& out, FolderRecord& folder, uint64_t size) {
  if (WriteFolderEnd(out, folder, *options_, size)) {
    ++pendingCounters_.folderCount;
    ++pendingCounters_.totalFolderCount;
    ++pendingCount_;
  }
  FlushCounters();
}

bool ScanEngine::WalkFolder(VolumeWriter& out, const std::string& path, const WalkKey& key, unsigned depth,
                            RecordKey parentKey, FolderRecord* folder, uint64_t& size) {
  uint64_t runningSize = 0;
  const uint8_t level = StoredLevel(depth);
  std::shared_ptr<PreparedDirectory> directory = pipeline_->Enter(path, key);
  if (!directory->listing) {
    ++report_.unreadableDirectories;
  } else {
    const platform::DirectoryListing& listing = *directory->listing;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
      if (stop_.load(std::memory_order_relaxed)) return false;
      const platform::ListedEntry& entry = listing.entries[i];
      std::string_view name = listing.Name(entry);
      if (entry.isDirectory) {
        if (!options_->scanSubfolders) continue;
        if (!options_->includeHiddenSystem && (entry.isHidden || entry.isSystem)) continue;
        FolderRecord subfolder;
        subfolder.name.Set(name);
        subfolder.level = level;
        subfolder.parentKey = parentKey;
        WriteFolderRecord(out, subfolder);
        if (folder != nullptr) folder->hasSubfolders = true;
        uint64_t subfolderSize = 0;
        if (key.size() >= kMaxWalkDepth) {
          report_.tooDeepFolders.push_back(platform::JoinPath(path, std::string(name)));
          CloseFolder(out, subfolder, 0);
        } else if (pipeline_->WalksInto(*directory, entry)) {
          WalkKey subkey = key;
          subkey.push_back(static_cast<uint32_t>(i));
          if (!WalkFolder(out, platform::JoinPath(path, std::string(name)), subkey, depth + 1, subfolder.selfKey,
                          &subfolder, subfolderSize)) {
            return false;
          }
        } else {
          // Another file system mounted below the source: recorded, not entered.
          report_.otherFileSystems.push_back(platform::JoinPath(path, std::string(name)));
          CloseFolder(out, subfolder, 0);
        }
        runningSize += subfolderSize;
        continue;
      }
      if (!pipeline_->TakesFile(entry) || IsOwnTemporaryFile(path, name)) continue;
      const FilePreparation& prepared = pipeline_->Prepared(*directory, i);
      if (prepared.shrank) report_.shrunkFiles.push_back(platform::JoinPath(path, std::string(name)));
      if (prepared.archive) {
        ScanEntry scanEntry;
        scanEntry.SetName(name);
        scanEntry.directory = path;
        scanEntry.size = entry.size;
        scanEntry.lastWriteTime = entry.modifiedTime;
        FlushCounters();  // the archive raises counters itself
        ListArchive(out, scanEntry, prepared, parentKey, level, *options_, *counters_, runningSize);
        if (folder != nullptr) folder->hasSubfolders = true;
        continue;
      }
      if (!prepared.recorded) continue;
      size_t dot = ExtensionDot(name);
      if (dot == std::string_view::npos) {
        file_.name.Set(name);
        file_.extension.Clear();
      } else {
        file_.name.Set(name.substr(0, dot));
        file_.extension.Set(name.substr(dot));
      }
      file_.size.Set(entry.size);
      file_.modifiedTime.Set(entry.modifiedTime);
      file_.tag.hasMediaInfo = prepared.hasMediaInfo;
      file_.tag.hasSignatures = prepared.hasSignatures;
      file_.mediaInfo = prepared.media;
      file_.signatures = prepared.signatures;
      WriteFileRecord(out, file_);
      runningSize += entry.size;
      ++pendingCounters_.fileCount;
      ++pendingCounters_.totalFileCount;
      if (++pendingCount_ >= kCounterBatch) FlushCounters();
    }
  }
  if (folder != nullptr) CloseFolder(out, *folder, runningSize);
  size += runningSize;
  if (!out.ok()) return false;
  return !stop_.load(std::memory_order_relaxed);
}

}  // namespace volumist
