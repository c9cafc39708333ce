#include "analysis/rar_reader.h"

#include <cstring>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr uint8_t kSignature[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
constexpr uint8_t kArchiveHeader = 0x73;
constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kNewSubHeader = 0x7A;
constexpr uint16_t kLongBlock = 0x8000;        // a 32-bit data size follows the block head
constexpr uint16_t kLargeFile = 0x0100;        // high 32 bits of both sizes follow the fixed fields
constexpr uint16_t kDirectoryMask = 0x00E0;    // all three dictionary bits set: a directory
constexpr uint8_t kHostMsDos = 0, kHostOs2 = 1, kHostWin32 = 2;

}  // namespace

RarReader::RarReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveRar, '\\', file, options) {}

bool RarReader::IsValid() {
  uint8_t head[7];
  in_.Seek(0);
  return ReadBytes(head, 7) && std::memcmp(head, kSignature, 7) == 0;
}

bool RarReader::ReadContent() {
  if (!IsValid()) return false;
  uint8_t archive[13];
  if (!ReadBytes(archive, sizeof archive) || archive[2] != kArchiveHeader) return false;
  uint16_t archiveHeaderSize = GetU16(archive + 5);
  if (archiveHeaderSize < 7) return false;
  uint64_t position = 7 + uint64_t{archiveHeaderSize};

  for (;;) {
    in_.Seek(position);
    uint8_t head[7];
    if (!ReadBytes(head, sizeof head)) break;
    uint8_t type = head[2];
    uint16_t flags = GetU16(head + 3);
    uint16_t headerSize = GetU16(head + 5);
    if (headerSize < 7) break;
    uint64_t next = position + headerSize;
    if (type == kFileHeader) {
      uint8_t fields[25];
      if (headerSize < 32 || !ReadBytes(fields, sizeof fields)) break;
      uint64_t packedSize = GetU32(fields);
      uint64_t size = GetU32(fields + 4);
      uint8_t host = fields[8];
      uint32_t crc = GetU32(fields + 9);
      uint16_t time = GetU16(fields + 13);
      uint16_t date = GetU16(fields + 15);
      size_t nameLength = GetU16(fields + 19);
      uint32_t attributes = GetU32(fields + 21);
      if (flags & kLargeFile) {
        uint8_t high[8];
        if (!ReadBytes(high, sizeof high)) break;
        packedSize |= uint64_t{GetU32(high)} << 32;
        size |= uint64_t{GetU32(high + 4)} << 32;
      }
      if (nameLength < 1 || nameLength > kMaxNameLength) break;
      std::optional<std::string> name = ReadString(nameLength);
      if (!name) break;
      // A Unicode name follows a NUL after the plain one; the plain one is listed.
      name->resize(std::strlen(name->c_str()));
      if (name->empty()) break;
      // Only DOS-like hosts store DOS attributes; Unix hosts store a mode, whose bit 0x10 is not
      // the directory attribute.
      bool dosHost = host == kHostMsDos || host == kHostOs2 || host == kHostWin32;
      bool isFolder = (flags & kDirectoryMask) == kDirectoryMask || (dosHost && (attributes & 0x10));
      if (isFolder) {
        if (!AddPath(*name, true, {})) break;
      } else {
        ArchiveEntry entry;
        entry.size = size;
        entry.time = DosDateTimeToUnix(date, time);
        if (dosHost) entry.SetDosAttributes(static_cast<uint8_t>(attributes));
        entry.crc32 = crc;
        if (!AddPath(*name, false, entry)) break;
      }
      next += packedSize;
    } else if (type == kNewSubHeader || (type >= 0x75 && type <= 0x78 && (flags & kLongBlock))) {
      uint8_t added[4];
      if (headerSize < 11 || !ReadBytes(added, sizeof added)) break;
      next += GetU32(added);
    } else if (!(type >= 0x75 && type <= 0x78)) {
      break;  // the end of the archive, or a block this reader does not know
    }
    position = next;
  }
  return true;
}

}  // namespace volumist
