#include "analysis/zip_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "analysis/dos_time.h"

namespace volumist {
namespace {

constexpr uint8_t kLocalHeader[4] = {'P', 'K', 3, 4};
constexpr uint8_t kCentralHeader[4] = {'P', 'K', 1, 2};
constexpr uint8_t kEndRecord[4] = {'P', 'K', 5, 6};
constexpr uint8_t kZip64EndRecord[4] = {'P', 'K', 6, 6};
constexpr uint8_t kZip64Locator[4] = {'P', 'K', 6, 7};
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndRecordSize = 56;
constexpr size_t kCentralHeaderSize = 46;
// The end record's comment is at most 65,535 bytes, so the record starts within this many bytes of
// the end.
constexpr size_t kEndSearchLength = kEndRecordSize + 65535;
constexpr uint16_t kZip64Extra = 0x0001;
constexpr uint16_t kTimestampExtra = 0x5455;  // "UT": modification time in seconds since 1970, UTC

bool Is(const uint8_t* p, const uint8_t (&signature)[4]) { return std::memcmp(p, signature, 4) == 0; }

constexpr uint16_t kNtfsExtra = 0x000A;       // NTFS times: 100 ns steps since 1601-01-01, UTC
constexpr uint16_t kNtfsTimesTag = 0x0001;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

// Catalog times are stored in 32 bits.
int64_t CatalogRange(int64_t time) {
  return std::clamp<int64_t>(time, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

// What the extra field adds to a central header: the ZIP64 size, and the exact modification time
// of the "UT" or the NTFS field (the first one found), when there is one.
std::optional<int64_t> ReadExtra(const uint8_t* extra, size_t length, bool sizeInZip64, ArchiveEntry& entry) {
  std::optional<int64_t> time;
  while (length >= 4) {
    uint16_t id = GetU16(extra);
    size_t size = GetU16(extra + 2);
    if (size > length - 4) break;
    const uint8_t* data = extra + 4;
    // In the ZIP64 field the uncompressed size comes first when its 32-bit field is 0xFFFFFFFF.
    if (id == kZip64Extra && sizeInZip64 && size >= 8) entry.size = GetU64(data);
    // Flags byte, then the modification time when its bit 0 is set: signed seconds since 1970.
    if (id == kTimestampExtra && size >= 5 && (data[0] & 1) && !time) time = static_cast<int32_t>(GetU32(data + 1));
    if (id == kNtfsExtra && !time) {
      // Four reserved bytes, then attributes of a tag and a size each; tag 1 holds the
      // modification, access and creation times.
      for (size_t at = 4; at + 4 <= size;) {
        uint16_t tag = GetU16(data + at);
        size_t tagSize = GetU16(data + at + 2);
        if (tagSize > size - at - 4) break;
        if (tag == kNtfsTimesTag && tagSize >= 8) {
          time = static_cast<int64_t>(GetU64(data + at + 4) / 10000000) - kSecondsFrom1601To1970;
          break;
        }
        at += 4 + tagSize;
      }
    }
    extra += 4 + size;
    length -= 4 + size;
  }
  return time;
}

}  // namespace

ZipReader::ZipReader(ArchiveKind kind, platform::File& file, const ScanOptions& options)
    : ArchiveReader(kind, '/', file, options) {}

bool ZipReader::IsValid() {
  uint8_t head[4];
  in_.Seek(0);
  return ReadBytes(head, 4) && Is(head, kLocalHeader);
}

std::optional<ZipReader::Directory> ZipReader::FindDirectory() {
  uint64_t size = in_.Size();
  if (size < kEndRecordSize) return std::nullopt;
  // The end record: searched backwards from the end through the longest possible comment. The one
  // whose comment reaches exactly to the end of the file wins, so that signatures inside a comment
  // do not mislead; failing that (bytes appended after the archive), the one nearest the end.
  size_t tailLength = static_cast<size_t>(std::min<uint64_t>(size, kEndSearchLength));
  uint64_t tailStart = size - tailLength;
  std::vector<uint8_t> tail(tailLength);
  in_.Seek(tailStart);
  if (!ReadBytes(tail.data(), tailLength)) return std::nullopt;
  const uint8_t* record = nullptr;
  for (size_t i = tailLength - kEndRecordSize + 1; i-- > 0;) {
    if (tail[i] != 'P' || !Is(&tail[i], kEndRecord)) continue;
    if (record == nullptr) record = &tail[i];
    if (i + kEndRecordSize + GetU16(&tail[i + 20]) == tailLength) {
      record = &tail[i];
      break;
    }
  }
  if (record == nullptr) return std::nullopt;
  uint64_t recordOffset = tailStart + static_cast<uint64_t>(record - tail.data());

  Directory directory;
  directory.entries = GetU16(record + 8);
  directory.offset = GetU32(record + 16);
  bool zip64 = directory.entries == 0xFFFF || directory.offset == 0xFFFFFFFF || GetU32(record + 12) == 0xFFFFFFFF;
  if (zip64 && recordOffset >= kZip64LocatorSize) {
    // Archives with more than 65,534 entries or a directory beyond 4 GiB keep the true values in the
    // ZIP64 end record, found through the locator right before the end record.
    uint8_t locator[kZip64LocatorSize];
    in_.Seek(recordOffset - kZip64LocatorSize);
    if (ReadBytes(locator, sizeof locator) && Is(locator, kZip64Locator)) {
      uint8_t end64[kZip64EndRecordSize];
      in_.Seek(GetU64(locator + 8));
      if (ReadBytes(end64, sizeof end64) && Is(end64, kZip64EndRecord)) {
        directory.entries = GetU64(end64 + 24);
        directory.offset = GetU64(end64 + 48);
      }
    }
  }
  if (directory.entries < 1 || directory.offset >= size) return std::nullopt;
  return directory;
}

bool ZipReader::ReadContent() {
  std::optional<Directory> directory = FindDirectory();
  if (!directory) return false;
  in_.Seek(directory->offset);
  for (;;) {
    uint8_t header[kCentralHeaderSize];
    if (!ReadBytes(header, sizeof header) || !Is(header, kCentralHeader)) break;
    uint16_t time = GetU16(header + 12);
    uint16_t date = GetU16(header + 14);
    uint32_t crc = GetU32(header + 16);
    uint32_t size = GetU32(header + 24);
    size_t nameLength = GetU16(header + 28);
    size_t extraLength = GetU16(header + 30);
    size_t commentLength = GetU16(header + 32);
    uint8_t attributes = header[38];  // the low byte of the external attributes: DOS attributes
    if (nameLength == 0) break;
    std::optional<std::string> name = ReadString(nameLength);
    std::optional<std::string> extra = ReadString(extraLength);
    if (!name || !extra || !in_.Skip(commentLength)) break;

    if (name->back() == '/') {
      name->pop_back();
      if (!AddPath(*name, true, {})) break;
      continue;
    }
    ArchiveEntry entry;
    entry.size = size;
    entry.SetDosAttributes(attributes);
    entry.crc32 = crc;
    std::optional<int64_t> exact =
        ReadExtra(reinterpret_cast<const uint8_t*>(extra->data()), extra->size(), size == 0xFFFFFFFF, entry);
    entry.time = exact ? CatalogRange(*exact) : DosDateTimeToUnix(date, time);
    if (!AddPath(*name, false, entry)) break;
  }
  return true;
}

}  // namespace volumist
