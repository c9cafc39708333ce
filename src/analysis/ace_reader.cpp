#include "analysis/ace_reader.h"

#include <cstring>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr uint8_t kFileHeader = 1;
constexpr size_t kFileFields = 35;  // the fixed part of a file header, up to the name

}  // namespace

AceReader::AceReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveAce, '\\', file, options) {}

bool AceReader::IsValid() {
  uint8_t head[14];
  in_.Seek(0);
  return ReadBytes(head, sizeof head) && head[4] == 0 && std::memcmp(head + 7, "**ACE**", 7) == 0;
}

bool AceReader::ReadContent() {
  uint8_t head[14];
  in_.Seek(0);
  if (!ReadBytes(head, sizeof head) || head[4] != 0 || std::memcmp(head + 7, "**ACE**", 7) != 0) return false;
  // Every header starts with its CRC (2 bytes) and the size of what follows the size field (2 bytes).
  uint64_t position = 4 + uint64_t{GetU16(head + 2)};
  for (;;) {
    in_.Seek(position);
    uint8_t fields[kFileFields];
    if (!ReadBytes(fields, sizeof fields) || fields[4] != kFileHeader) break;
    uint16_t headerSize = GetU16(fields + 2);
    uint64_t packedSize = GetU32(fields + 7);
    uint32_t attributes = GetU32(fields + 19);
    size_t nameLength = GetU16(fields + 33);
    if (nameLength < 1 || nameLength > kMaxNameLength || 4 + uint64_t{headerSize} < kFileFields + nameLength) break;
    std::optional<std::string> name = ReadString(nameLength);
    if (!name || name->empty()) break;
    if (attributes & 0x10) {
      if (!AddPath(*name, true, {})) break;
    } else {
      ArchiveEntry entry;
      entry.size = GetU32(fields + 11);
      entry.time = DosDateTimeToUnix(GetU16(fields + 17), GetU16(fields + 15));
      entry.SetDosAttributes(static_cast<uint8_t>(attributes));
      entry.crc32 = GetU32(fields + 23);
      if (!AddPath(*name, false, entry)) break;
    }
    // The data follows the whole header, which may hold a comment after the name.
    position += 4 + uint64_t{headerSize} + packedSize;
  }
  return true;
}

}  // namespace volumist
