// ScanEngine: the walk that turns a scan job's sources into records of a volume being written.
//
// CreateVolume and AddToVolume (catalog/volume_catalog.h) drive it as their ContentWriter. For each
// source it writes the source's frame and walks the source's folders depth-first, in the order the
// file system lists them: folders are recorded as they are met (unless hidden ones are excluded or
// sub-folders are not scanned), files pass the archive listing first and then the file-type filter,
// and every recorded file carries what the analysers found. Sizes add up from the files upwards; the
// header counters are raised as records are written. The stop flag is polled before every entry.
// The volume's own temporary file is never recorded, when a source holds the volume's folder.
// Mount points below a source are recorded as folders and entered only as the job and MountRule
// allow. Folders are found by path, and paths may be longer than PATH_MAX (the file layer resolves
// them in pieces), so the depth of a tree is not limited by the length of its paths, only by
// kMaxWalkDepth; the record's one-byte level stays at 255 below that depth.
//
// The engine runs on the thread that writes the volume; a pipeline lists directories and prepares
// files ahead on a helper thread. One engine per scan.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/content_writer.h"
#include "catalog/record_writer.h"
#include "platform/file_system.h"
#include "scan/scan_pipeline.h"

namespace volumist {

// What a scan met that the user should hear of, beyond its counters. Paths are those of the walk
// (the source's path and the names below it), in the order the walk met them.
struct ScanReport {
  // Folders that could not be listed or entered; they are recorded as empty.
  uint32_t unreadableDirectories = 0;
  // Mount points recorded as folders and not entered (kNotEnteredOtherFileSystem).
  std::vector<std::string> otherFileSystems;
  // Files that became shorter than listed while their digests were read; they have none.
  std::vector<std::string> shrunkFiles;
  // Folders nested deeper than kMaxWalkDepth below the source's root: recorded, not entered.
  std::vector<std::string> tooDeepFolders;
};

class ScanEngine final : public ContentWriter {
 public:
  // Fills a new source entry's medium fields (label, file system, serial, kind, sizes).
  using SourceDescriber = std::function<void(const ScanSource& source, SourceEntry& entry)>;
  // The text of the mount table (/proc/self/mountinfo); nothing when it cannot be read. Called once
  // per source, on the writing thread.
  using MountTableReader = std::function<std::optional<std::string>()>;

  // `stop` must outlive the engine. `helperThreads` list and prepare ahead (0: everything on the
  // writing thread). `lister` lists directories (the platform's listing when empty); `mountTable`
  // reads the mount table (the system's when empty).
  ScanEngine(const std::atomic<bool>& stop, SourceDescriber describe, unsigned helperThreads = 1,
             DirectoryLister lister = {}, MountTableReader mountTable = {});

  void DescribeSource(const ScanSource& source, SourceEntry& entry) override;
  // Writes every source of the job in order (entries[firstIndex + i] for source i, mark numbers from
  // 0); false as soon as one fails or the scan is stopped.
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override;

  // Writes one source as `entry` with the mark number `markNumber`, scanned with `options` (a rescan
  // scans each source with its own). Raises `counters` and adds the source's size to `size`; false
  // as soon as writing fails or the scan is stopped. The report collects over every call.
  bool WriteSource(VolumeWriter& out, const ScanSource& source, const ScanOptions& options, bool crossMounts,
                   SourceEntry& entry, uint16_t markNumber, ScanStatistics& counters, uint64_t& size);

  // Directories that could not be read; they were recorded as empty.
  uint32_t UnreadableDirectories() const { return report_.unreadableDirectories; }
  // What the scan met; complete once WriteSources has returned. Read on the writing thread, or after
  // it has been joined.
  const ScanReport& Report() const { return report_; }

 private:
  void Begin(VolumeWriter& out, const ScanOptions& options, bool crossMounts, ScanStatistics& counters);
  bool ScanOneSource(VolumeWriter& out, const ScanSource& source, SourceEntry& entry, uint16_t markNumber,
                     uint64_t& size);
  // `depth` is the depth of the folder's entries (stored as a level of at most 255).
  bool WalkFolder(VolumeWriter& out, const std::string& path, const WalkKey& key, unsigned depth,
                  RecordKey parentKey, FolderRecord* folder, uint64_t& size);
  // Closes a folder record (or drops it) and counts it when it is kept.
  void CloseFolder(VolumeWriter& out, FolderRecord& folder, uint64_t size);
  void FlushCounters();
  // True for the temporary file the volume is being written to.
  bool IsOwnTemporaryFile(const std::string& folder, std::string_view name) const;

  const std::atomic<bool>& stop_;
  SourceDescriber describe_;
  unsigned helperThreads_;
  DirectoryLister lister_;
  MountTableReader mountTable_;
  const ScanOptions* options_ = nullptr;
  bool crossMounts_ = false;
  ScanStatistics* counters_ = nullptr;
  ScanPipeline* pipeline_ = nullptr;
  Counters pendingCounters_;  // raised in batches under the statistics lock
  uint32_t pendingCount_ = 0;
  ScanReport report_;
  std::string ownTemporaryName_;
  std::optional<platform::FileStatus> ownTemporary_;
  // Records reused from entry to entry, so that writing a file allocates nothing.
  FileRecord file_;
};

// The helper threads a scan uses by default: one per core besides the walk's own (which lists and
// prepares whatever it would otherwise wait for), at least one, at most four.
unsigned DefaultHelperThreads();
// Threads for work split evenly, such as searching many volumes: one per core, at most four.
unsigned DefaultWorkerThreads();

// Writes a file whose directory was listed as an archive: its record, the listed tree one level
// deeper, and its end. Adds the archive's own size to `size` and counts it when it is kept (an
// archive whose contents total 0 bytes is dropped when empty folders are). Always deals with the
// file, kept or dropped.
void ListArchive(VolumeWriter& out, const ScanEntry& entry, const FilePreparation& prepared, RecordKey parentKey,
                 uint8_t level, const ScanOptions& options, ScanStatistics& counters, uint64_t& size);

}  // namespace volumist
