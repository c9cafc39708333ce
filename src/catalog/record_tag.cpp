#include "catalog/record_tag.h"

#include "catalog/volume_format.h"

namespace volumist {

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
