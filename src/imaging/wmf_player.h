// WmfPlayer: plays the records of a Windows metafile onto a VectorCanvas, keeping the state that
// the records change: the window (origin and extent) that maps logical coordinates onto the
// canvas, the object table of pens, brushes and palettes, the selected pen and brush, background,
// fill mode, clip rectangle, current position and the saved states. Text is not drawn.
//
// The canvas stands for the viewport: the window is mapped onto the whole canvas, so a negative
// extent flips that axis. Records whose parameters are too short for their function, unknown
// records and records that would need state the player does not keep (regions, fonts) change
// nothing. Not thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <queue>
#include <span>
#include <vector>

#include "imaging/vector_canvas.h"

namespace volumist {

struct WmfWindow {
  double orgX = 0;
  double orgY = 0;
  double extX = 1;  // never 0
  double extY = 1;
};

class WmfPlayer {
 public:
  // `canvas` must outlive the player. The object table holds up to 65,535 objects, whatever size
  // the metafile header declares (files that declare too few are common).
  WmfPlayer(VectorCanvas& canvas, const WmfWindow& window);
  ~WmfPlayer();
  WmfPlayer(const WmfPlayer&) = delete;
  WmfPlayer& operator=(const WmfPlayer&) = delete;

  // Plays one record: its function and the parameter bytes behind the 6-byte record header.
  void Play(uint16_t function, std::span<const uint8_t> params);

 private:
  struct State;
  struct Object;
  class Params;

  PointF Map(double x, double y) const;
  PixelRect MapRect(double left, double top, double right, double bottom) const;
  Rgb8 ColorAt(const Params& p, size_t word) const;
  FillStyle BrushFill() const;
  double PenWidth() const;
  void FillAndStroke(std::span<const PointF> points, std::span<const size_t> counts, bool closed);
  void Stroke(std::span<const PointF> points, bool closed);
  void FillRect(const PixelRect& rect, const FillStyle& style);
  void PatternBlit(uint32_t rop, double x, double y, double width, double height);
  void ArcRecord(uint16_t function, const Params& p);
  void RoundRect(const Params& p);
  void AddObject(Object object);
  void DibRecord(uint16_t function, const Params& p);
  void DrawDib(std::span<const uint8_t> dib, int64_t srcX, int64_t srcY, int64_t srcWidth, int64_t srcHeight,
               bool bottomUpOrigin, PointF from, PointF to, uint32_t rop);

  VectorCanvas& canvas_;
  std::unique_ptr<State> state_;
  std::vector<State> saved_;
  std::vector<Object> objects_;
  std::priority_queue<size_t, std::vector<size_t>, std::greater<>> freed_;  // freed indexes, lowest first
  std::vector<PointF> points_;  // scratch for the shapes being drawn
  size_t paletteEntries_ = 0;   // palette entries made so far
};

}  // namespace volumist
