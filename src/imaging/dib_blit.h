// DibBlit: draws a bitmap, as a decoder delivers its rows, into a rectangle of a VectorCanvas,
// stretched or shrunk (and mirrored when the rectangle's corners are swapped). Each canvas pixel
// that the rectangle covers gets the average of the source pixels that fall on it, combined with
// the canvas by a raster operation. Only the part of the rectangle inside the canvas's clip is
// held (an accumulator per pixel), so a bitmap placed mostly outside costs no memory for it.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/raster_sink.h"
#include "imaging/vector_canvas.h"

namespace volumist {

// How source pixels combine with the canvas.
enum class BlitOp { kCopy, kInvertCopy, kAnd, kOr, kXor };

// A part of the source bitmap, in pixels from its top-left corner.
struct SourceRect {
  int64_t x = 0;
  int64_t y = 0;
  int64_t width = 0;
  int64_t height = 0;
};

class DibBlit final : public RasterSink {
 public:
  // Draws `source` of the bitmap onto the canvas rectangle with corners `from` (where the source's
  // top-left corner lands) and `to`. The canvas must outlive the blit.
  DibBlit(VectorCanvas& canvas, const SourceRect& source, PointF from, PointF to, BlitOp op);

  // Refuses (false) when nothing of the source or the rectangle would be visible, or when the
  // canvas's work budget is spent.
  bool Begin(uint32_t width, uint32_t height) override;
  void PutRow(uint32_t y, const uint8_t* rgb) override;
  // Writes the averaged pixels into the canvas. Call once, after the decoder finished.
  void Finish();

 private:
  // The canvas pixels [first, end) along one axis whose centres lie in the span of source pixel
  // `index`, cut to [low, high).
  struct Cover {
    int first = 0;
    int end = 0;
  };
  static Cover CoverOf(double origin, double scale, int64_t index, int low, int high);

  VectorCanvas& canvas_;
  SourceRect source_;
  PointF from_, to_;
  PointF origin_;  // after Begin: where the clipped source's top-left corner lands
  PointF scale_;   // after Begin: canvas pixels per source pixel (negative: mirrored)
  BlitOp op_;
  PixelRect visible_;            // canvas pixels the rectangle covers, within the clip
  std::vector<Cover> columns_;   // per source column of the source rectangle
  uint64_t columnWork_ = 0;      // canvas pixels that one source row touches per canvas row
  std::vector<uint64_t> sums_;   // per visible pixel: red, green, blue
  std::vector<uint32_t> counts_; // per visible pixel
  bool stopped_ = true;
};

}  // namespace volumist
