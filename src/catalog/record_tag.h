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

  static RecordTag Decode(uint8_t byte);
  uint8_t Encode() const;

  friend bool operator==(const RecordTag&, const RecordTag&) = default;
};

}  // namespace volumist
