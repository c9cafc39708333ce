#include "analysis/lzh_reader.h"

#include <algorithm>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr size_t kBaseFields = 22;
constexpr uint8_t kFileNameHeader = 0x01;
constexpr uint8_t kDirectoryHeader = 0x02;
constexpr uint8_t kAttributeHeader = 0x40;
constexpr uint8_t kSizeHeader = 0x42;
constexpr uint8_t kUnixTimeHeader = 0x54;

bool HasMethodMarks(const uint8_t* b) { return b[2] == '-' && b[3] == 'l' && (b[4] == 'h' || b[4] == 'z') && b[6] == '-'; }

// LZH paths separate folders with "\", "/" or 0xFF depending on the packer; one separator is kept.
void NormalizeSeparators(std::string& path) {
  std::replace_if(path.begin(), path.end(), [](char c) { return c == '/' || c == '\xFF'; }, '\\');
}

}  // namespace

LzhReader::LzhReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveLzh, '\\', file, options) {}

bool LzhReader::IsValid() {
  uint8_t head[7];
  in_.Seek(0);
  return ReadBytes(head, sizeof head) && HasMethodMarks(head);
}

LzhReader::Extended LzhReader::ReadExtendedHeaders(uint64_t position, uint16_t size, uint64_t limit) {
  Extended extended;
  // Each extended header: its type, its data, and the size of the next one; sizes count all three.
  while (size != 0) {
    if (size < 3 || position + size > limit) {
      extended.ok = false;
      break;
    }
    in_.Seek(position);
    std::optional<std::string> header = ReadString(size);
    if (!header) {
      extended.ok = false;
      break;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(header->data());
    std::string data = header->substr(1, size - 3);
    switch (bytes[0]) {
      case kFileNameHeader: extended.fileName = data; break;
      case kDirectoryHeader: extended.directory = data; break;
      case kAttributeHeader:
        if (data.size() >= 2) extended.attributes = bytes[1];
        break;
      case kSizeHeader:
        if (data.size() >= 16) extended.size = GetU64(bytes + 9);
        break;
      case kUnixTimeHeader:
        if (data.size() >= 4) extended.time = static_cast<int32_t>(GetU32(bytes + 1));
        break;
      default: break;
    }
    position += size;
    extended.length += size;
    size = GetU16(bytes + size - 2);
  }
  return extended;
}

bool LzhReader::ReadContent() {
  uint64_t position = 0;
  for (;;) {
    in_.Seek(position);
    uint8_t base[kBaseFields];
    if (!ReadBytes(base, sizeof base) || !HasMethodMarks(base)) break;
    bool isFolder = base[4] == 'h' && base[5] == 'd';  // "-lhd-": a directory entry
    uint64_t packedSize = GetU32(base + 7);
    ArchiveEntry entry;
    entry.size = GetU32(base + 11);
    uint8_t level = base[20];
    std::string name;
    std::string directory;
    uint64_t next = 0;
    if (level == 0 || level == 1) {
      uint64_t headerEnd = position + base[0] + 2;
      size_t nameLength = base[21];
      std::optional<std::string> stored = ReadString(nameLength);
      if (base[0] == 0 || nameLength < 1 || !stored || headerEnd < position + kBaseFields + nameLength) break;
      name = std::move(*stored);
      entry.time = DosDateTimeToUnix(GetU16(base + 17), GetU16(base + 15));
      next = headerEnd + packedSize;
      if (level == 0) {
        entry.SetDosAttributes(base[19]);
      } else {
        // Level 1: the size of the first extended header ends the base header; the extended
        // headers follow it and count in the packed size.
        uint8_t size[2];
        in_.Seek(headerEnd - 2);
        if (!ReadBytes(size, sizeof size)) break;
        Extended extended = ReadExtendedHeaders(headerEnd, GetU16(size), next);
        if (!extended.ok) break;
        if (extended.fileName) name = *extended.fileName;
        directory = extended.directory;
        if (extended.attributes) entry.SetDosAttributes(*extended.attributes);
        if (extended.size) entry.size = *extended.size;
        if (extended.time) entry.time = *extended.time;
      }
    } else if (level == 2) {
      uint64_t headerSize = GetU16(base);
      uint8_t more[4];  // header CRC, OS, size of the first extended header
      if (headerSize < kBaseFields + 4 || !ReadBytes(more, sizeof more)) break;
      entry.time = static_cast<int32_t>(GetU32(base + 15));
      Extended extended = ReadExtendedHeaders(position + kBaseFields + 4, GetU16(more + 2), position + headerSize);
      if (!extended.ok || (!extended.fileName && !isFolder)) break;
      name = extended.fileName.value_or("");
      directory = extended.directory;
      if (extended.attributes) entry.SetDosAttributes(*extended.attributes);
      if (extended.size) entry.size = *extended.size;
      next = position + headerSize + packedSize;
    } else {
      break;
    }
    std::string path = directory;
    NormalizeSeparators(path);
    NormalizeSeparators(name);
    if (!path.empty() && !name.empty() && path.back() != '\\') path += '\\';
    path += name;
    if (path.empty() || path.size() > kMaxNameLength) break;
    if (!AddPath(path, isFolder, entry)) break;
    position = next;
  }
  return true;
}

}  // namespace volumist
