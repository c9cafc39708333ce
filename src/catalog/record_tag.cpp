#include "catalog/record_tag.h"

#include "catalog/volume_format.h"

namespace volumist {

RecordTag RecordTag::Decode(uint8_t byte) {
  RecordTag tag;
  uint8_t high = byte & 0xF0;
  // The order of these tests is part of the format: 0x0F and 0x1F would otherwise match the
  // source mark test, and 0xA0 the folder one.
  if (byte == format::kTagNone) {
    tag.kind = RecordKind::kNone;
  } else if (high == 0xC0 || high == 0xE0) {
    tag.kind = high == 0xC0 ? RecordKind::kFile : RecordKind::kArchive;
    tag.sizeWidthCode = byte & format::kTagWidthMask;
    tag.hasSignatures = byte & format::kTagHasSignatures;
    tag.hasMediaInfo = tag.kind == RecordKind::kFile && (byte & format::kTagHasMediaInfo);
  } else if (high == 0x80) {
    tag.kind = RecordKind::kFolder;
    tag.isSourceRoot = byte & format::kTagFolderSourceRoot;
  } else if (byte == format::kTagFolderEnd || byte == format::kTagFolderEndWithSubfolders) {
    tag.kind = RecordKind::kFolderEnd;
    tag.hasSubfolders = byte & format::kFolderEndHasSubfolders;
  } else if (high == 0xA0) {
    tag.kind = RecordKind::kDescriptionIndex;
  } else if ((byte & 0x20) && !(byte & 0x18)) {
    tag.kind = RecordKind::kSourceMark;
  } else {
    tag.kind = RecordKind::kUnknown;
  }
  return tag;
}

uint8_t RecordTag::Encode() const {
  switch (kind) {
    case RecordKind::kFolder: return format::kTagFolder | (isSourceRoot ? format::kTagFolderSourceRoot : 0);
    case RecordKind::kFile:
    case RecordKind::kArchive: {
      uint8_t byte = kind == RecordKind::kFile ? format::kTagFile : format::kTagArchive;
      byte |= sizeWidthCode & format::kTagWidthMask;
      if (hasSignatures) byte |= format::kTagHasSignatures;
      if (hasMediaInfo && kind == RecordKind::kFile) byte |= format::kTagHasMediaInfo;
      return byte;
    }
    case RecordKind::kFolderEnd: return hasSubfolders ? format::kTagFolderEndWithSubfolders : format::kTagFolderEnd;
    case RecordKind::kDescriptionIndex: return format::kTagDescriptionIndex;
    case RecordKind::kSourceMark: return format::kTagSourceMark;
    case RecordKind::kNone:
    case RecordKind::kUnknown: break;
  }
  return format::kTagNone;
}

}  // namespace volumist
