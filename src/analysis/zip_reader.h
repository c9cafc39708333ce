// ZipReader: lists ZIP archives (also JAR, WSZ and WMZ) from their central directory, including the
// ZIP64 records of archives and entries over 4 GiB. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class ZipReader final : public ArchiveReader {
 public:
  ZipReader(ArchiveKind kind, platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;

 private:
  struct Directory {
    uint64_t offset = 0;
    uint64_t entries = 0;
  };
  std::optional<Directory> FindDirectory();
};

}  // namespace volumist
