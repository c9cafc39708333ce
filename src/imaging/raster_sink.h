// How decoders hand over pixels: row by row, converted to RGB, so that a large picture need not be
// held whole when only a thumbnail is wanted.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/rgb_image.h"

namespace volumist {

// Receives one decoded picture. Rows may come in any order (bottom-up bitmaps, interlaced GIFs),
// each at most once; rows that never come stay white.
class RasterSink {
 public:
  virtual ~RasterSink() = default;
  // The size of the rows that follow. False refuses the picture (it is too large to hold), and the
  // decoder then stops without delivering rows.
  [[nodiscard]] virtual bool Begin(uint32_t width, uint32_t height) = 0;
  // `rgb` holds width * 3 bytes.
  virtual void PutRow(uint32_t y, const uint8_t* rgb) = 0;
};

// The most pixels held when a picture is kept at full size (192 MB of RGB).
inline constexpr uint64_t kMaxFullSizePixels = uint64_t{1} << 26;

// Collects a picture into an RgbImage, at full size or, when a thumbnail box is given, reduced by
// the largest whole factor that keeps it at least twice the size of its thumbnail in that box
// (every pixel of the result is the average of a factor x factor block). Not thread-safe.
class ReducingSink final : public RasterSink {
 public:
  // box 0 keeps the full size.
  explicit ReducingSink(uint32_t thumbnailBox = 0) : box_(thumbnailBox) {}

  bool Begin(uint32_t width, uint32_t height) override;
  void PutRow(uint32_t y, const uint8_t* rgb) override;

  // The number of rows received.
  uint32_t RowsReceived() const { return rowsReceived_; }
  // The collected picture; call once, after the decoder finished.
  RgbImage Finish();

  // The reduction factor chosen for a picture of width x height and a thumbnail box.
  static uint32_t FactorFor(uint32_t width, uint32_t height, uint32_t box);

 private:
  uint32_t box_;
  uint32_t factor_ = 1;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t rowsReceived_ = 0;
  RgbImage image_;                 // factor 1
  std::vector<uint32_t> sums_;     // factor > 1: channel sums of each reduced pixel
  std::vector<uint32_t> rowHits_;  // factor > 1: source rows received per reduced row
};

}  // namespace volumist
