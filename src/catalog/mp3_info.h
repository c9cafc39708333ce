// Mp3Info: the tag texts and stream facts of an MP3 file; a variable body in the volume file.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

struct Mp3Info {
  // Tag texts; empty means absent. At most 254 bytes of a text longer than 255 are stored.
  std::string title;
  std::string artist;
  std::string album;
  std::string comment;
  std::string year;             // at most 4 characters
  uint8_t genre = 0;            // ID3v1 genre number, 0 when none
  uint32_t lengthSeconds = 0;
  uint16_t mpegHeaderBits = 0;  // version, sample-rate index, bitrate index, layer of the first frame
  int32_t vbrBitrate = -1;      // average kbit/s of a variable-bitrate file, -1 for constant bitrate
  bool isEmpty = true;

  bool Read(FieldReader& in);
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);
  friend bool operator==(const Mp3Info&, const Mp3Info&) = default;
};

}  // namespace volumist
