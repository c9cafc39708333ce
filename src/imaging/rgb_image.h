// RgbImage: decoded pixels, 3 bytes (red, green, blue) a pixel, rows top-down without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace volumist {

struct RgbImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes

  bool empty() const { return width == 0 || height == 0; }
  size_t Stride() const { return size_t{width} * 3; }
  uint8_t* Row(uint32_t y) { return pixels.data() + y * Stride(); }
  const uint8_t* Row(uint32_t y) const { return pixels.data() + y * Stride(); }
};

}  // namespace volumist
