#include "imaging/raster_sink.h"

#include <algorithm>
#include <cstring>

#include "imaging/fit_into.h"
#include "imaging/picture_format.h"

namespace volumist {

uint32_t ReducingSink::FactorFor(uint32_t width, uint32_t height, uint32_t box) {
  if (box == 0) return 1;
  FitResult thumb = FitInto(width, height, box, box);
  uint32_t factor = std::min(width / (2 * thumb.width), height / (2 * thumb.height));
  return std::max<uint32_t>(factor, 1);
}

bool ReducingSink::Begin(uint32_t width, uint32_t height) {
  if (!IsDecodableSize(width, height)) return false;
  factor_ = FactorFor(width, height, box_);
  if (factor_ == 1 && uint64_t{width} * height > kMaxFullSizePixels) return false;
  width_ = width;
  height_ = height;
  rowsReceived_ = 0;
  image_.width = (width + factor_ - 1) / factor_;
  image_.height = (height + factor_ - 1) / factor_;
  if (factor_ == 1) {
    image_.pixels.assign(image_.Stride() * image_.height, 0xFF);
  } else {
    // Sums stay below 2^32: the factor never exceeds 65535 / 200, so a block holds at most
    // 327^2 pixels of at most 255.
    sums_.assign(image_.Stride() * image_.height, 0);
    rowHits_.assign(image_.height, 0);
  }
  return true;
}

void ReducingSink::PutRow(uint32_t y, const uint8_t* rgb) {
  if (y >= height_) return;
  ++rowsReceived_;
  if (factor_ == 1) {
    std::memcpy(image_.Row(y), rgb, image_.Stride());
    return;
  }
  uint32_t* sums = sums_.data() + (y / factor_) * image_.Stride();
  ++rowHits_[y / factor_];
  uint32_t x = 0;
  for (uint32_t out = 0; out < image_.width; ++out) {
    uint32_t end = std::min(x + factor_, width_);
    uint32_t r = 0, g = 0, b = 0;
    for (; x < end; ++x) {
      r += rgb[3 * x];
      g += rgb[3 * x + 1];
      b += rgb[3 * x + 2];
    }
    sums[3 * out] += r;
    sums[3 * out + 1] += g;
    sums[3 * out + 2] += b;
  }
}

RgbImage ReducingSink::Finish() {
  if (factor_ > 1) {
    image_.pixels.assign(image_.Stride() * image_.height, 0xFF);
    for (uint32_t oy = 0; oy < image_.height; ++oy) {
      if (rowHits_[oy] == 0) continue;
      const uint32_t* sums = sums_.data() + oy * image_.Stride();
      uint8_t* row = image_.Row(oy);
      for (uint32_t ox = 0; ox < image_.width; ++ox) {
        uint32_t columns = std::min(factor_, width_ - ox * factor_);
        uint32_t count = columns * rowHits_[oy];
        for (int c = 0; c < 3; ++c) row[3 * ox + c] = static_cast<uint8_t>((sums[3 * ox + c] + count / 2) / count);
      }
    }
    sums_.clear();
    sums_.shrink_to_fit();
    rowHits_.clear();
  }
  return std::move(image_);
}

}  // namespace volumist
