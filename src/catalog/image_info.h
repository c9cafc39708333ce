// ImageInfo: the size and depth of a picture and its thumbnail. In the volume file a 7-byte body is
// followed by the thumbnail bytes; reading keeps only their position, so thumbnails are loaded when
// they are shown.
#pragma once

#include <cstdint>
#include <vector>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

struct ImageInfo {
  uint16_t thumbnailLength = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t bitsPerPixel = 0;
  uint64_t thumbnailOffset = 0;         // file offset of the thumbnail bytes, once read
  std::vector<uint8_t> thumbnail;       // the encoded thumbnail while it is being written
  bool isEmpty = true;

  bool Read(FieldReader& in);
  // Writes the body with the thumbnail bytes (thumbnailLength follows their count).
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);
  friend bool operator==(const ImageInfo&, const ImageInfo&) = default;
};

}  // namespace volumist
