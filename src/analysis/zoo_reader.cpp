#include "analysis/zoo_reader.h"

#include <algorithm>
#include <cstring>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr uint8_t kTag[4] = {0xDC, 0xA7, 0xC4, 0xFD};
constexpr size_t kEntryFields = 38;
constexpr size_t kShortNameSize = 13;
// A type-2 entry continues after the short name: variable part length (2), time zone (1), entry
// CRC (2), then the variable part.
constexpr size_t kType2Fields = 5;

std::string UpToNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace

ZooReader::ZooReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveZoo, '\\', file, options) {}

bool ZooReader::IsValid() {
  uint8_t head[24];
  in_.Seek(0);
  return ReadBytes(head, sizeof head) && std::memcmp(head, "ZOO ", 4) == 0 && std::memcmp(head + 20, kTag, 4) == 0;
}

bool ZooReader::ReadContent() {
  uint8_t header[28];
  in_.Seek(0);
  if (!ReadBytes(header, sizeof header) || std::memcmp(header + 20, kTag, 4) != 0) return false;
  uint64_t position = GetU32(header + 24);
  if (position < sizeof header) return false;
  for (;;) {
    in_.Seek(position);
    uint8_t fields[kEntryFields];
    if (!ReadBytes(fields, sizeof fields) || std::memcmp(fields, kTag, 4) != 0) break;
    uint8_t type = fields[4];
    uint64_t next = GetU32(fields + 6);
    bool deleted = fields[30] != 0;
    // Each entry must lie after the one before, so that a chain pointing backwards ends.
    if (next <= position) break;
    std::optional<std::string> shortName = ReadString(kShortNameSize);
    if (!shortName) break;
    std::string name = UpToNul(*shortName);
    std::string directory;
    if (type == 2) {
      uint8_t more[kType2Fields];
      if (ReadBytes(more, sizeof more) && GetU16(more) >= 2) {
        uint8_t lengths[2];
        if (ReadBytes(lengths, sizeof lengths)) {
          std::optional<std::string> longName = ReadString(lengths[0]);
          std::optional<std::string> directoryName = ReadString(lengths[1]);
          if (longName && !UpToNul(*longName).empty()) name = UpToNul(*longName);
          if (directoryName) directory = UpToNul(*directoryName);
        }
      }
    }
    if (name.empty()) break;
    if (!deleted) {
      std::string path = directory;
      std::replace(path.begin(), path.end(), '/', '\\');
      if (!path.empty() && path.back() != '\\') path += '\\';
      path += name;
      ArchiveEntry entry;
      entry.size = GetU32(fields + 20);
      entry.time = DosDateTimeToUnix(GetU16(fields + 14), GetU16(fields + 16));
      if (!AddPath(path, false, entry)) break;
    }
    position = next;
  }
  return true;
}

}  // namespace volumist
