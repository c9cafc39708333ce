// HaReader: lists HA archives ("HA") from their entry headers. HA separates folders with the byte
// 0xFF. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class HaReader final : public ArchiveReader {
 public:
  HaReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;
};

}  // namespace volumist
