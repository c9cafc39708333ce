#include "catalog/image_info.h"

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

bool ImageInfo::Read(FieldReader& in) {
  thumbnailLength = in.U16();
  width = in.U16();
  height = in.U16();
  bitsPerPixel = in.U8();
  thumbnailOffset = in.Position();
  thumbnail.clear();
  in.Skip(thumbnailLength);
  isEmpty = !in.ok();
  return in.ok();
}

void ImageInfo::Write(VolumeWriter& out) const {
  size_t length = std::min<size_t>(thumbnail.size(), 0xFFFF);
  out.WriteU16(static_cast<uint16_t>(length));
  out.WriteU16(width);
  out.WriteU16(height);
  out.WriteU8(bitsPerPixel);
  out.Write(thumbnail.data(), length);
}

bool ImageInfo::Skip(FieldReader& in) {
  uint16_t length = in.U16();
  in.Skip(format::kImageBodyFixedSize - 2 + uint64_t{length});
  return in.ok();
}

}  // namespace volumist
