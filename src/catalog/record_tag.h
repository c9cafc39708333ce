// RecordTag: the decoded first byte of every record of the tree.
#pragma once

#include <cstdint>

namespace volumist {

enum class RecordKind : uint8_t {
  kNone = 0,              // 0x00: the end of the data
  kFolder = 1,
  kFile = 2,
  kArchive = 3,
  kFolderEnd = 4,
  kUnknown = 5,           // a reader stops here
  kDescriptionIndex = 6,
  kSourceMark = 7,
};

struct RecordTag {
  RecordKind kind = RecordKind::kNone;
  uint8_t sizeWidthCode = 0;   // files and archives: 0, 2, 4 or 6
  bool hasMediaInfo = false;   // files
  bool hasSignatures = false;  // files and archives
  bool isSourceRoot = false;   // folders: the root folder of a folder source
  bool hasSubfolders = false;  // folder ends

  // Decoding goes through a table of all 256 tags: readers decode one tag per record.
  static RecordTag Decode(uint8_t byte);
  static constexpr RecordTag Compute(uint8_t byte);
  uint8_t Encode() const;

  friend bool operator==(const RecordTag&, const RecordTag&) = default;
};

constexpr RecordTag RecordTag::Compute(uint8_t byte) {
  RecordTag tag;
  uint8_t high = byte & 0xF0;
  // The order of these tests is part of the format: 0x0F and 0x1F would otherwise match the
  // source mark test, and 0xA0 the folder one.
  if (byte == 0x00) {
    tag.kind = RecordKind::kNone;
  } else if (high == 0xC0 || high == 0xE0) {
    tag.kind = high == 0xC0 ? RecordKind::kFile : RecordKind::kArchive;
    tag.sizeWidthCode = byte & 0x06;
    tag.hasSignatures = byte & 0x08;
    tag.hasMediaInfo = tag.kind == RecordKind::kFile && (byte & 0x01);
  } else if (high == 0x80) {
    tag.kind = RecordKind::kFolder;
    tag.isSourceRoot = byte & 0x02;
  } else if (byte == 0x0F || byte == 0x1F) {
    tag.kind = RecordKind::kFolderEnd;
    tag.hasSubfolders = byte & 0x10;
  } else if (high == 0xA0) {
    tag.kind = RecordKind::kDescriptionIndex;
  } else if ((byte & 0x20) && !(byte & 0x18)) {
    tag.kind = RecordKind::kSourceMark;
  } else {
    tag.kind = RecordKind::kUnknown;
  }
  return tag;
}

namespace detail {
constexpr auto MakeTagTable() {
  struct Table {
    RecordTag tags[256];
  } table{};
  for (int byte = 0; byte < 256; ++byte) table.tags[byte] = RecordTag::Compute(static_cast<uint8_t>(byte));
  return table;
}
inline constexpr auto kTagTable = MakeTagTable();
}  // namespace detail

inline RecordTag RecordTag::Decode(uint8_t byte) { return detail::kTagTable.tags[byte]; }

}  // namespace volumist
