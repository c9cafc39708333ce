// TarReader: lists TAR archives from their 512-byte member headers: v7, ustar (names with their
// prefix), GNU (long names and link targets, sparse members, base-256 numbers) and pax (path, size,
// mtime and sparse records). Archives compressed by gzip, xz, bzip2 or zstd are decompressed as
// they are read, in bounded memory, and stopped by the scan's stop flag. Layout in docs/archives.md.
#pragma once

#include "analysis/archive_reader.h"

namespace volumist {

class TarSource;

class TarReader final : public ArchiveReader {
 public:
  TarReader(ArchiveKind kind, platform::File& file, const ScanOptions& options);
  // Any file can be offered; ReadContent decides from the first header.
  bool IsValid() override { return true; }
  bool ReadContent() override;

 private:
  // Lists the members that `source` holds; `compressed` when it is a decompressed stream.
  bool List(TarSource& source, bool compressed);
};

// A numeric header field: octal digits after optional leading blanks, ended by the first blank,
// NUL or other non-octal byte; or, when the first byte has its high bit set, a big-endian binary
// number in the remaining bits (GNU tar's form for values that octal cannot hold). Saturates.
uint64_t ParseTarNumber(const uint8_t* field, size_t width);
// A time field: as ParseTarNumber, and a base-256 number whose sign bit is set is negative (two's
// complement), as GNU tar writes times before 1970. Saturates to the 64-bit range.
int64_t ParseTarTime(const uint8_t* field, size_t width);

}  // namespace volumist
