// RarReader: lists RAR archives of format versions 1.5 to 4 (the "Rar!" 1A 07 00 signature) from
// their file headers. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class RarReader final : public ArchiveReader {
 public:
  RarReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;
};

}  // namespace volumist
