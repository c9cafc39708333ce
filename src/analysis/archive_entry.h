// ArchiveEntry: what an archive's directory tells of one file inside it. Nothing is read from the
// file's data.
#pragma once

#include <cstdint>

namespace volumist {

struct ArchiveEntry {
  uint64_t size = 0;  // uncompressed size
  int64_t time = 0;   // last-write time, seconds since 1970-01-01 UTC; 0 when the archive gives none
  bool hasAttributes = false;  // the kind stores DOS attributes for its entries
  bool hidden = false;
  bool system = false;
  bool archive = false;
  bool readOnly = false;
  uint32_t crc32 = 0;  // CRC-32 of the uncompressed data; 0 when the kind stores none

  // Takes hidden, system, archive and read-only from a DOS attribute byte.
  void SetDosAttributes(uint8_t attributes) {
    hasAttributes = true;
    readOnly = attributes & 0x01;
    hidden = attributes & 0x02;
    system = attributes & 0x04;
    archive = attributes & 0x20;
  }
};

}  // namespace volumist
