// AceReader: lists ACE archives ("**ACE**") from their file headers. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class AceReader final : public ArchiveReader {
 public:
  AceReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;
};

}  // namespace volumist
