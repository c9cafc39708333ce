// CabReader: lists cabinet files ("MSCF") from their file entries. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class CabReader final : public ArchiveReader {
 public:
  CabReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;
};

}  // namespace volumist
