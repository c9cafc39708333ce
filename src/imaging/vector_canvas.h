// VectorCanvas: a small rasteriser for pictures that are drawn rather than stored as pixels
// (metafiles). It fills polygons by scan lines (even-odd or non-zero winding), strokes polylines of
// any width, and lets blits write pixels, all clipped to a rectangle within the canvas. Pixels are
// either covered or not (no anti-aliasing): callers render at a multiple of the size they need and
// average down.
//
// Coordinates are device pixels as doubles; a pixel is covered when its centre lies inside a shape.
// Every drawing call costs work (edge steps and pixels written) from a budget fixed at construction;
// once it is spent, drawing does nothing more, so a hostile picture of millions of shapes costs a
// bounded time. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/rgb_image.h"

namespace volumist {

struct PointF {
  double x = 0;
  double y = 0;
};

struct Rgb8 {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

// Pixel rectangle: left and top included, right and bottom excluded.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  PixelRect Intersect(const PixelRect& other) const;
};

enum class FillRule { kEvenOdd, kNonZero };

// How a fill covers its pixels: all in `color`, or, with a hatch style (0 to 5: horizontal,
// vertical, \ diagonal, / diagonal, cross, diagonal cross), lines 8 pixels apart in `color` with
// the gaps in `background` when `opaqueGaps`, or left as they were.
struct FillStyle {
  Rgb8 color;
  int hatch = -1;
  bool opaqueGaps = false;
  Rgb8 background{255, 255, 255};
};

class VectorCanvas {
 public:
  // A white canvas of width x height (both at least 1, small enough to hold).
  VectorCanvas(uint32_t width, uint32_t height, uint64_t workBudget);

  uint32_t Width() const { return image_.width; }
  uint32_t Height() const { return image_.height; }
  PixelRect Bounds() const { return {0, 0, static_cast<int>(image_.width), static_cast<int>(image_.height)}; }
  const RgbImage& Pixels() const { return image_; }
  RgbImage TakePixels() { return std::move(image_); }

  // Drawing is limited to `clip`, cut to the canvas.
  void SetClip(const PixelRect& clip) { clip_ = clip.Intersect(Bounds()); }
  const PixelRect& Clip() const { return clip_; }

  // Fills the area of one or more outlines (`counts` points each, taken in turn from `points`;
  // each outline is closed implicitly).
  void FillPolygon(std::span<const PointF> points, std::span<const size_t> counts, FillRule rule,
                   const FillStyle& style);
  // A line of `width` pixels (1 or less: one pixel) through the points, with round joins and ends
  // when wide; `closed` adds the segment back to the first point.
  void StrokePolyline(std::span<const PointF> points, bool closed, double width, Rgb8 color);
  void SetPixel(PointF at, Rgb8 color);

  // For blits: takes `work` from the budget; false (and nothing taken) when it does not cover it.
  bool Charge(uint64_t work);
  bool Exhausted() const { return exhausted_; }
  uint8_t* Row(uint32_t y) { return image_.Row(y); }

 private:
  void FillSpan(int y, int x0, int x1, const FillStyle& style);
  void ThinLine(PointF a, PointF b, Rgb8 color);

  RgbImage image_;
  PixelRect clip_;
  uint64_t budget_;
  bool exhausted_ = false;
};

// The points of an elliptic arc around `center` with radii rx, ry, from angle `start` through
// `sweep` radians, appended to `out`, both ends included; the point at angle t is
// (cx + rx cos t, cy + ry sin t), so a positive sweep turns clockwise on the screen (y points
// down). Enough points that the chords stay within about half a pixel of the curve.
void AppendArc(std::vector<PointF>& out, PointF center, double rx, double ry, double start, double sweep);

}  // namespace volumist
