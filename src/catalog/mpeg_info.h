// MpegInfo: what the MPEG analyzer learned of a program or elementary stream; a 13-byte body.
#pragma once

#include <cstdint>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

struct MpegInfo {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t frameRateCode = 0;
  uint8_t audioLayer = 0;         // 0 none, 1 Layer III, 2 Layer II, 3 Layer I
  uint8_t audioBitrateIndex = 0;
  uint8_t audioRateCode = 0;      // 0..2 MPEG-1 rate index, 4..6 MPEG-2 rate index + 4
  uint8_t audioChannelMode = 0;   // 3 = mono
  float lengthSeconds = 0;
  bool isEmpty = true;

  bool Read(FieldReader& in);
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);
  friend bool operator==(const MpegInfo&, const MpegInfo&) = default;
};

}  // namespace volumist
