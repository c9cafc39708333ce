#include "analysis/tar_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace volumist {
namespace {

constexpr size_t kBlock = 512;
// Headers are read through a buffer of this size, so the members of an archive of small files cost
// no system call each.
constexpr size_t kReadBuffer = 256 * 1024;
// GNU long names and pax records longer than this end the listing instead of being read.
constexpr uint64_t kMaxExtendedData = 1 << 20;

struct Field {
  size_t offset;
  size_t width;
};
constexpr Field kName{0, 100};
constexpr Field kSize{124, 12};
constexpr Field kTime{136, 12};
constexpr Field kChecksum{148, 8};
constexpr size_t kTypeFlag = 156;
constexpr Field kMagic{257, 6};
constexpr Field kPrefix{345, 155};

std::string_view Text(const uint8_t* header, Field field) {
  std::string_view text(reinterpret_cast<const char*>(header) + field.offset, field.width);
  return text.substr(0, text.find('\0'));
}

bool ChecksumMatches(const uint8_t* header) {
  // Summed with the checksum field taken as eight blanks; some old programs summed signed bytes.
  uint64_t unsignedSum = 0;
  int64_t signedSum = 0;
  for (size_t i = 0; i < kBlock; ++i) {
    bool inField = i >= kChecksum.offset && i < kChecksum.offset + kChecksum.width;
    uint8_t byte = inField ? ' ' : header[i];
    unsignedSum += byte;
    signedSum += static_cast<int8_t>(byte);
  }
  uint64_t stored = ParseTarNumber(header + kChecksum.offset, kChecksum.width);
  return stored == unsignedSum || static_cast<int64_t>(stored) == signedSum;
}

bool IsZeroBlock(const uint8_t* header) {
  return std::all_of(header, header + kBlock, [](uint8_t b) { return b == 0; });
}

// What GNU long-name and pax headers say of the member that follows them.
struct NextMember {
  std::string name;
  bool hasName = false;
  uint64_t size = 0;
  bool hasSize = false;
};

// Pax records: "LENGTH KEY=VALUE\n", LENGTH counting the whole record.
void ReadPaxRecords(std::string_view data, NextMember& next) {
  while (!data.empty()) {
    size_t space = data.find(' ');
    if (space == std::string_view::npos || space == 0 || space > 20) return;
    uint64_t length = 0;
    for (char c : data.substr(0, space)) {
      if (c < '0' || c > '9') return;
      length = length * 10 + static_cast<uint64_t>(c - '0');
    }
    if (length <= space + 1 || length > data.size()) return;
    std::string_view record = data.substr(space + 1, length - space - 1);
    if (!record.empty() && record.back() == '\n') record.remove_suffix(1);
    size_t equals = record.find('=');
    if (equals != std::string_view::npos) {
      std::string_view key = record.substr(0, equals);
      std::string_view value = record.substr(equals + 1);
      if (key == "path") {
        next.name = std::string(value);
        next.hasName = true;
      }
      if (key == "size") {
        uint64_t number = 0;
        bool digits = !value.empty();
        for (char c : value) {
          if (c < '0' || c > '9' || number > std::numeric_limits<uint64_t>::max() / 10 - 1) {
            digits = false;
            break;
          }
          number = number * 10 + static_cast<uint64_t>(c - '0');
        }
        if (digits) {
          next.size = number;
          next.hasSize = true;
        }
      }
    }
    data.remove_prefix(length);
  }
}

uint64_t RoundUpToBlock(uint64_t size) {
  return size > std::numeric_limits<uint64_t>::max() - (kBlock - 1) ? std::numeric_limits<uint64_t>::max()
                                                                     : (size + kBlock - 1) / kBlock * kBlock;
}

}  // namespace

uint64_t ParseTarNumber(const uint8_t* field, size_t width) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  if (width > 0 && (field[0] & 0x80)) {
    for (size_t i = 0; i < width; ++i) {
      uint8_t byte = i == 0 ? (field[0] & 0x7F) : field[i];
      if (value > (kMax >> 8)) return kMax;
      value = value << 8 | byte;
    }
    return value;
  }
  size_t i = 0;
  while (i < width && field[i] == ' ') ++i;
  for (; i < width && field[i] >= '0' && field[i] <= '7'; ++i) {
    if (value > (kMax >> 3)) return kMax;
    value = value << 3 | static_cast<uint64_t>(field[i] - '0');
  }
  return value;
}

TarReader::TarReader(ArchiveKind kind, platform::File& file, const ScanOptions& options)
    : ArchiveReader(kind, '/', file, options, kReadBuffer) {}

bool TarReader::ReadContent() {
  uint8_t magic[2];
  in_.Seek(0);
  if (!ReadBytes(magic, 2) || (magic[0] == 0x1F && magic[1] == 0x8B)) return false;  // gzip: compressed

  NextMember pending;
  uint64_t position = 0;
  for (bool first = true;; first = false) {
    uint8_t header[kBlock];
    in_.Seek(position);
    if (!ReadBytes(header, kBlock)) return !first;
    if (IsZeroBlock(header)) break;  // the end of the archive
    // A block that is no header: a file that is no TAR at all, or the end of a damaged one.
    if (!ChecksumMatches(header)) return !first;

    uint8_t type = header[kTypeFlag];
    uint64_t size = ParseTarNumber(header + kSize.offset, kSize.width);
    if (type >= '0' && type <= '7' && pending.hasSize) size = pending.size;
    uint64_t next = position + kBlock;
    uint64_t dataLength = RoundUpToBlock(size);
    next = next > std::numeric_limits<uint64_t>::max() - dataLength ? std::numeric_limits<uint64_t>::max()
                                                                     : next + dataLength;

    if (type == 'L' || type == 'x') {
      if (size > kMaxExtendedData) break;
      std::optional<std::string> data = ReadString(static_cast<size_t>(size));
      if (!data) break;
      if (type == 'L') {
        pending.name = data->substr(0, data->find('\0'));
        pending.hasName = true;
      } else {
        ReadPaxRecords(*data, pending);
      }
    } else if (type == 'g') {
      // Global pax records: nothing in them changes the listing.
    } else if (type >= '0' && type <= '7') {
      std::string name;
      if (pending.hasName) {
        name = std::move(pending.name);
      } else {
        name = std::string(Text(header, kName));
        // POSIX ustar keeps the start of long paths in the prefix field; GNU's own format uses
        // those bytes for other things and has no prefix.
        if (std::memcmp(header + kMagic.offset, "ustar\0", 6) == 0) {
          std::string_view prefix = Text(header, kPrefix);
          if (!prefix.empty()) name = std::string(prefix) + "/" + name;
        }
      }
      pending = NextMember{};
      if (name.empty()) break;
      bool added;
      if (type == '5') {
        added = AddPath(name, true, {});
      } else {
        ArchiveEntry entry;
        entry.size = size;
        uint64_t time = ParseTarNumber(header + kTime.offset, kTime.width);
        entry.time = static_cast<int64_t>(std::min<uint64_t>(time, std::numeric_limits<int64_t>::max()));
        added = AddPath(name, false, entry);
      }
      if (!added) break;
    } else {
      break;  // a member kind this reader does not know
    }
    position = next;
  }
  return true;
}

}  // namespace volumist
