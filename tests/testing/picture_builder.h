// Pictures for tests, encoded by the codec libraries themselves (libpng, libjpeg, giflib, libtiff),
// so that decoders are checked against what real producers write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/rgb_image.h"

namespace volumist::testing {

// A picture with detail: a diagonal gradient in red and green and a checker pattern in blue.
RgbImage PatternImage(uint32_t width, uint32_t height);
// One colour everywhere.
RgbImage SolidImage(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b);

struct PngOptions {
  enum class Kind { kRgb, kRgba, kGray, kPalette };
  Kind kind = Kind::kRgb;
  int bitDepth = 8;         // 16 for 16-bit RGB
  bool interlaced = false;
  uint8_t alpha = 255;      // kRgba: the alpha of every pixel
};
// kPalette uses the image's first 256 distinct colours (others map to entry 0); kGray the red
// channel.
std::string EncodePng(const RgbImage& image, const PngOptions& options = {});

std::string EncodeJpegFile(const RgbImage& image, int quality = 90, bool grayscale = false, bool progressive = false);

struct GifOptions {
  std::vector<uint8_t> palette;   // RGB triples; its size sets the colour table (2^n entries)
  bool interlaced = false;
  int transparentIndex = -1;
  uint32_t screenWidth = 0;       // 0: the frame's size
  uint32_t screenHeight = 0;
  uint32_t left = 0, top = 0;     // the frame's place on the screen
};
std::string EncodeGif(uint32_t width, uint32_t height, const std::vector<uint8_t>& indexes, const GifOptions& options);

// RGB, 8 bits a sample, in strips.
std::string EncodeTiff(const RgbImage& image);

}  // namespace volumist::testing
