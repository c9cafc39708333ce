#include "catalog/signature_block.h"

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

uint8_t SignatureBlock::Flags() const {
  uint8_t flags = 0;
  if (hasCrc32) flags |= format::kSignatureCrc32;
  if (hasMd5) flags |= format::kSignatureMd5;
  if (hasMd4) flags |= format::kSignatureMd4;
  if (attrArchive) flags |= format::kAttributeArchive;
  if (attrHidden) flags |= format::kAttributeHidden;
  if (attrSystem) flags |= format::kAttributeSystem;
  if (attrReadOnly) flags |= format::kAttributeReadOnly;
  return flags;
}

bool SignatureBlock::Read(FieldReader& in) {
  uint8_t flags = in.U8();
  hasCrc32 = flags & format::kSignatureCrc32;
  hasMd5 = flags & format::kSignatureMd5;
  hasMd4 = flags & format::kSignatureMd4;
  attrArchive = flags & format::kAttributeArchive;
  attrHidden = flags & format::kAttributeHidden;
  attrSystem = flags & format::kAttributeSystem;
  attrReadOnly = flags & format::kAttributeReadOnly;
  crc32 = hasCrc32 ? in.U32() : 0;
  md5.fill(0);
  md4.fill(0);
  if (hasMd5) in.Bytes(md5.data(), md5.size());
  if (hasMd4) in.Bytes(md4.data(), md4.size());
  return in.ok();
}

void SignatureBlock::Write(VolumeWriter& out) const {
  out.WriteU8(Flags());
  if (hasCrc32) out.WriteU32(crc32);
  if (hasMd5) out.Write(md5.data(), md5.size());
  if (hasMd4) out.Write(md4.data(), md4.size());
}

bool SignatureBlock::Skip(FieldReader& in) {
  uint8_t flags = in.U8();
  uint64_t length = 0;
  if (flags & format::kSignatureCrc32) length += 4;
  if (flags & format::kSignatureMd5) length += 16;
  if (flags & format::kSignatureMd4) length += 16;
  in.Skip(length);
  return in.ok();
}

}  // namespace volumist
