// ArjReader: lists ARJ archives (60 EA main header) from their local file headers. Layout in
// docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class ArjReader final : public ArchiveReader {
 public:
  ArjReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;

 private:
  struct Header {
    uint64_t end = 0;  // the file position after the header and its extended headers
    std::string basic;  // the basic header, from its first-header-size byte on
  };
  // Reads the header at `position`; nothing at the end of the archive or on a damaged header.
  std::optional<Header> ReadHeader(uint64_t position);
};

}  // namespace volumist
