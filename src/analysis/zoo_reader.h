// ZooReader: lists ZOO archives by following their chain of directory entries, with the long names
// and directories of type-2 entries. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class ZooReader final : public ArchiveReader {
 public:
  ZooReader(platform::File& file, const ScanOptions& options);
  bool IsValid() override;
  bool ReadContent() override;
};

}  // namespace volumist
