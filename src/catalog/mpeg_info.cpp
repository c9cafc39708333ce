#include "catalog/mpeg_info.h"

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

bool MpegInfo::Read(FieldReader& in) {
  width = in.U16();
  height = in.U16();
  frameRateCode = in.U8();
  audioLayer = in.U8();
  audioBitrateIndex = in.U8();
  audioRateCode = in.U8();
  audioChannelMode = in.U8();
  lengthSeconds = in.F32();
  isEmpty = !in.ok();
  return in.ok();
}

void MpegInfo::Write(VolumeWriter& out) const {
  out.WriteU16(width);
  out.WriteU16(height);
  out.WriteU8(frameRateCode);
  out.WriteU8(audioLayer);
  out.WriteU8(audioBitrateIndex);
  out.WriteU8(audioRateCode);
  out.WriteU8(audioChannelMode);
  out.WriteF32(lengthSeconds);
}

bool MpegInfo::Skip(FieldReader& in) {
  in.Skip(format::kMpegBodySize);
  return in.ok();
}

}  // namespace volumist
