// A volume's contents held in memory, and the ContentWriter that writes them with the walk's rules
// (tree order, sizes, counters, sub-folder flags, dropping of empty folders). Feeds CreateVolume and
// AddToVolume in tests and benchmarks without a file system to scan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/content_writer.h"

namespace volumist::testing {

struct MemoryNode {
  enum class Kind { kFolder, kFile, kArchive };
  Kind kind = Kind::kFile;
  std::string name;       // a folder's whole name; a file's or archive's base name
  std::string extension;  // with its dot
  uint64_t size = 0;      // files and archives
  int64_t time = 0;
  bool hasMediaInfo = false;
  MediaInfo mediaInfo;
  bool hasSignatures = false;
  SignatureBlock signatures;
  uint8_t archiveKind = 0;
  std::vector<MemoryNode> children;  // folders and archives

  static MemoryNode Folder(std::string name, std::vector<MemoryNode> children = {});
  static MemoryNode File(std::string name, std::string extension, uint64_t size, int64_t time = 0);
  static MemoryNode Archive(std::string name, std::string extension, uint64_t size, uint8_t kind,
                            std::vector<MemoryNode> children);
};

struct MemorySource {
  std::vector<MemoryNode> children;
  // What DescribeSource reports for it.
  std::string volumeLabel;
  std::string fileSystemName;
  uint8_t driveType = 3;
  uint32_t serialNumber = 0;
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;
};

class MemoryTreeWriter final : public ContentWriter {
 public:
  // Source i of a job is written from sources[i].
  explicit MemoryTreeWriter(std::vector<MemorySource> sources) : sources_(std::move(sources)) {}

  // Stops (as the user's Stop would) before the record with this number (counted from 0); -1 never.
  long stopBeforeRecord = -1;

  void DescribeSource(const ScanSource& source, SourceEntry& entry) override;
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override;

 private:
  bool WriteChildren(VolumeWriter& out, const std::vector<MemoryNode>& children, NestingFields* parent,
                     uint8_t level, RecordKey parentKey, bool insideArchive, uint64_t& size);
  bool NextRecord() { return stopBeforeRecord < 0 || records_++ < stopBeforeRecord; }

  std::vector<MemorySource> sources_;
  const ScanOptions* options_ = nullptr;
  ScanStatistics* counters_ = nullptr;
  long records_ = 0;
  size_t described_ = 0;
};

}  // namespace volumist::testing
