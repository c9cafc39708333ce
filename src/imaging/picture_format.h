// The picture formats the codecs read, and the limits every decoder enforces on what a file
// declares before it allocates anything for it.
#pragma once

#include <cstdint>

namespace volumist {

enum class PictureFormat { kJpeg, kBmp, kGif, kIco, kTga, kPcx, kPng, kWmf, kTiff, kWbmp };

// The longest side that is decoded. Catalogued sizes are stored in 16 bits, so a larger picture
// could not be recorded truthfully.
inline constexpr uint32_t kMaxPictureSide = 65535;
// The most pixels a picture may declare (about 23,000 x 23,000); bounds the time a hostile file can
// cost, since a few compressed bytes can declare any size.
inline constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 29;

// True when a declared size is within the limits above and not empty.
inline bool IsDecodableSize(uint64_t width, uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

}  // namespace volumist
