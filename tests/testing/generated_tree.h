// A large generated volume for benchmarks: 1,000,000 files in 20,000 folders (200 top folders of
// 100 folders of 50 files), every file with an attribute block, written as a scan would write it.
#pragma once

#include <string>

#include "catalog/content_writer.h"

namespace volumist::testing {

class GeneratedTree final : public ContentWriter {
 public:
  // Every file also with a CRC32, an eDonkey hash and an MD5 made from its number, as a scan with
  // all signatures records them.
  explicit GeneratedTree(bool withDigests = false) : withDigests_(withDigests) {}

  static constexpr int kFolders = 20000;
  static constexpr int kFilesPerFolder = 50;
  static constexpr int kFiles = kFolders * kFilesPerFolder;

  void DescribeSource(const ScanSource& source, SourceEntry& entry) override;
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override;

 private:
  bool withDigests_;
};

// Writes the generated tree as the volume file `path` (one folder source "Generated"). The volume is
// not opened.
bool WriteGeneratedVolume(const std::string& path, bool withDigests = false);

}  // namespace volumist::testing
