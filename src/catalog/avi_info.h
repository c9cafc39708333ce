// AviInfo: what the AVI analyzer learned of a video file; a 20-byte body in the volume file.
#pragma once

#include <cstdint>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

struct AviInfo {
  uint16_t width = 0;
  uint16_t height = 0;
  uint32_t frameCount = 0;       // 24 bits stored
  uint8_t videoCodec = 0;
  float framesPerSecond = 0;
  uint8_t audioCodec = 0;
  uint32_t audioBitrate = 0;     // bits per second, 24 bits stored
  uint32_t audioSampleRate = 0;  // 24 bits stored
  uint8_t audioChannels = 0;
  bool isEmpty = true;

  bool Read(FieldReader& in);
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);
  friend bool operator==(const AviInfo&, const AviInfo&) = default;
};

}  // namespace volumist
