// ContentWriter: what CreateVolume and AddToVolume ask of whoever produces a volume's contents (the
// scan engine, or a fixed tree in tests and benchmarks).
#pragma once

#include <cstdint>
#include <functional>

#include "catalog/catalog_record.h"
#include "catalog/scan_job.h"
#include "catalog/scan_statistics.h"
#include "catalog/source_list.h"
#include "catalog/volume_writer.h"

namespace volumist {

class ContentWriter {
 public:
  virtual ~ContentWriter() = default;

  // Fills the medium fields of a new source entry (label, file system, serial number, drive kind,
  // capacity and free space) for `source`. Fields it cannot learn stay empty or 0.
  virtual void DescribeSource(const ScanSource& source, SourceEntry& entry) = 0;

  // Writes the records of job.sources[i] for every i, as entries[firstIndex + i] of `sources`, with
  // source mark numbers counted from 0, each through WriteSourceFrame. Raises `counters` as it goes
  // and adds the sources' sizes to `totalSize`. False when stopped or when writing failed.
  virtual bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                            ScanStatistics& counters, uint64_t& totalSize) = 0;
};

// Writes a folder's (or a drive's) contents: the records below `root` (null for a drive source) at
// `level`, with `parentKey`. Closes `root` with its first WriteFolderEnd when there is one, and adds
// the contents' total size to `size`. False when stopped or failed.
using FolderContentsWriter =
    std::function<bool(VolumeWriter& out, FolderRecord* root, uint8_t level, RecordKey parentKey, uint64_t& size)>;

// Writes one source: its mark with `markNumber`, the root folder record of a folder source (named
// after the source, level 0), the contents, the root's second folder end (the first closes the walk,
// the second the source; both patch the root), and the source's key range into `entry`. False when
// the contents writer failed.
bool WriteSourceFrame(VolumeWriter& out, SourceEntry& entry, uint16_t markNumber, const ScanOptions& options,
                      const FolderContentsWriter& writeContents, uint64_t& size);

}  // namespace volumist
