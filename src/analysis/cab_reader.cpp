#include "analysis/cab_reader.h"

#include <cstring>

#include "analysis/dos_time.h"

namespace volumist {

CabReader::CabReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveCab, '\\', file, options) {}

bool CabReader::IsValid() {
  uint8_t head[4];
  in_.Seek(0);
  return ReadBytes(head, 4) && std::memcmp(head, "MSCF", 4) == 0;
}

bool CabReader::ReadContent() {
  uint8_t header[36];
  in_.Seek(0);
  if (!ReadBytes(header, sizeof header) || std::memcmp(header, "MSCF", 4) != 0) return false;
  uint32_t firstFile = GetU32(header + 16);
  uint16_t fileCount = GetU16(header + 28);
  if (firstFile < sizeof header) return false;
  in_.Seek(firstFile);
  for (uint16_t i = 0; i < fileCount; ++i) {
    uint8_t fields[16];
    if (!ReadBytes(fields, sizeof fields)) break;
    std::optional<std::string> name = ReadCString();
    if (!name || name->empty()) break;
    ArchiveEntry entry;
    entry.size = GetU32(fields);
    entry.time = DosDateTimeToUnix(GetU16(fields + 10), GetU16(fields + 12));
    entry.SetDosAttributes(static_cast<uint8_t>(GetU16(fields + 14)));
    if (!AddPath(*name, false, entry)) break;
  }
  return true;
}

}  // namespace volumist
