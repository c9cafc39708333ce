#include "analysis/arj_reader.h"

#include <cstring>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr size_t kMaxBasicHeaderSize = 2600;
constexpr size_t kMinFirstHeaderSize = 30;
constexpr uint8_t kPathSymbolFlag = 0x10;  // main header: paths use "/"
constexpr uint8_t kMainHeaderType = 2;
constexpr uint8_t kDirectoryType = 3;
constexpr uint8_t kVolumeLabelType = 4;
constexpr uint8_t kHostUnix = 2;  // packers on Unix store seconds since 1970 instead of a DOS time

}  // namespace

ArjReader::ArjReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveArj, '\\', file, options) {}

bool ArjReader::IsValid() {
  uint8_t head[11];
  in_.Seek(0);
  return ReadBytes(head, sizeof head) && head[0] == 0x60 && head[1] == 0xEA && head[10] == kMainHeaderType;
}

std::optional<ArjReader::Header> ArjReader::ReadHeader(uint64_t position) {
  in_.Seek(position);
  uint8_t id[4];
  if (!ReadBytes(id, sizeof id) || id[0] != 0x60 || id[1] != 0xEA) return std::nullopt;
  size_t basicSize = GetU16(id + 2);
  if (basicSize == 0 || basicSize > kMaxBasicHeaderSize) return std::nullopt;  // 0 ends the archive
  std::optional<std::string> basic = ReadString(basicSize);
  if (!basic || static_cast<uint8_t>((*basic)[0]) < kMinFirstHeaderSize ||
      static_cast<uint8_t>((*basic)[0]) >= basicSize) {
    return std::nullopt;
  }
  // The header's CRC, then extended headers (each with its own CRC) up to a size of 0.
  if (!in_.Skip(4)) return std::nullopt;
  for (;;) {
    uint8_t size[2];
    if (!ReadBytes(size, sizeof size)) return std::nullopt;
    if (GetU16(size) == 0) break;
    if (!in_.Skip(uint64_t{GetU16(size)} + 4)) return std::nullopt;
  }
  return Header{in_.Position(), std::move(*basic)};
}

bool ArjReader::ReadContent() {
  if (!IsValid()) return false;
  std::optional<Header> main = ReadHeader(0);
  if (!main || static_cast<uint8_t>(main->basic[6]) != kMainHeaderType) return false;
  separator_ = (static_cast<uint8_t>(main->basic[4]) & kPathSymbolFlag) ? '/' : '\\';
  uint64_t position = main->end;
  for (;;) {
    std::optional<Header> header = ReadHeader(position);
    if (!header) break;
    const auto* basic = reinterpret_cast<const uint8_t*>(header->basic.data());
    size_t firstSize = basic[0];
    uint8_t type = basic[6];
    uint64_t compressedSize = GetU32(basic + 12);
    // The name follows the fixed fields, ended by NUL inside the basic header.
    std::string_view rest = std::string_view(header->basic).substr(firstSize);
    size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) break;
    std::string_view name = rest.substr(0, nul);
    if (!name.empty() && type != kVolumeLabelType && type != kMainHeaderType) {
      bool added;
      if (type == kDirectoryType) {
        added = AddPath(name, true, {});
      } else {
        ArchiveEntry entry;
        entry.size = GetU32(basic + 16);
        entry.time = basic[3] == kHostUnix ? int64_t{GetU32(basic + 8)}
                                           : DosDateTimeToUnix(GetU16(basic + 10), GetU16(basic + 8));
        added = AddPath(name, false, entry);
      }
      if (!added) break;
    }
    position = header->end + compressedSize;
  }
  return true;
}

}  // namespace volumist
