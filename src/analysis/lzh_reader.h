// LzhReader: lists LHA/LZH archives ("-lh?-" and "-lz?-" methods) with headers of levels 0, 1 and 2,
// including the file and directory names and 64-bit sizes of extended headers. Layout in
// docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class LzhReader final : public ArchiveReader {
 public:
  LzhReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;

 private:
  struct Extended {
    std::optional<std::string> fileName;
    std::string directory;
    std::optional<uint8_t> attributes;
    std::optional<uint64_t> size;
    std::optional<int64_t> time;
    uint64_t length = 0;  // bytes taken by the extended headers
    bool ok = true;
  };
  // Reads the chain of extended headers starting at `position` with the first size `size`, none
  // reaching past `limit`.
  Extended ReadExtendedHeaders(uint64_t position, uint16_t size, uint64_t limit);
};

}  // namespace volumist
