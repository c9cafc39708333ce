// TarReader: lists TAR archives (also files named .gz that hold a plain TAR) from their 512-byte
// member headers: ustar names with their prefix, GNU long names and pax path and size records.
// Compressed archives (gzip) are not listed. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class TarReader final : public ArchiveReader {
 public:
  TarReader(ArchiveKind kind, platform::File& file, const ScanOptions& options);
  // Any file can be offered; ReadContent decides from the first header.
  bool IsValid() override { return true; }
  bool ReadContent() override;
};

// A numeric header field: octal digits after optional leading blanks, ended by the first blank,
// NUL or other non-octal byte; or, when the first byte has its high bit set, a big-endian binary
// number in the remaining bits (GNU tar's form for values that octal cannot hold). Saturates.
uint64_t ParseTarNumber(const uint8_t* field, size_t width);

}  // namespace volumist
