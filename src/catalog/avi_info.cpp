#include "catalog/avi_info.h"

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

bool AviInfo::Read(FieldReader& in) {
  width = in.U16();
  height = in.U16();
  frameCount = in.U24();
  videoCodec = in.U8();
  framesPerSecond = in.F32();
  audioCodec = in.U8();
  audioBitrate = in.U24();
  audioSampleRate = in.U24();
  audioChannels = in.U8();
  isEmpty = !in.ok();
  return in.ok();
}

void AviInfo::Write(VolumeWriter& out) const {
  out.WriteU16(width);
  out.WriteU16(height);
  out.WriteU24(frameCount);
  out.WriteU8(videoCodec);
  out.WriteF32(framesPerSecond);
  out.WriteU8(audioCodec);
  out.WriteU24(audioBitrate);
  out.WriteU24(audioSampleRate);
  out.WriteU8(audioChannels);
}

bool AviInfo::Skip(FieldReader& in) {
  in.Skip(format::kAviBodySize);
  return in.ok();
}

}  // namespace volumist
