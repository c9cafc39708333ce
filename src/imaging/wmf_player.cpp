#include "imaging/wmf_player.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/dib_blit.h"
#include "imaging/memory_file.h"
#include "imaging/picture_decoder.h"
#include "imaging/wmf_format.h"

namespace volumist {

namespace {

// Saved states beyond this many are not kept (a restore then goes back to the oldest kept).
constexpr size_t kMaxSavedStates = 256;
// The most entries of an object table, whose indexes are 16-bit.
constexpr size_t kMaxObjects = 65535;
// The most palette entries kept over all palettes of a file (beyond them palettes stay short), so
// that memory does not grow with a file of palettes.
constexpr size_t kMaxPaletteEntries = 1 << 16;

constexpr Rgb8 kBlack{0, 0, 0};
constexpr Rgb8 kWhite{255, 255, 255};

// The average colour of a pattern bitmap (brushes are drawn in it). Patterns are small: larger
// bitmaps are refused.
struct AverageSink final : RasterSink {
  uint64_t sum[3] = {0, 0, 0};
  uint64_t count = 0;
  uint32_t width = 0;
  bool Begin(uint32_t w, uint32_t h) override {
    width = w;
    return w <= 256 && h <= 256;
  }
  void PutRow(uint32_t, const uint8_t* rgb) override {
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) sum[c] += rgb[3 * x + c];
    }
    count += width;
  }
};

}  // namespace

// The parameters of one record as 16-bit words; reads beyond them give 0, and Has() tells whether
// a record is long enough for its function.
class WmfPlayer::Params {
 public:
  explicit Params(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Words() const { return bytes_.size() / 2; }
  bool Has(size_t words) const { return Words() >= words; }
  uint16_t U16(size_t word) const {
    return 2 * word + 1 < bytes_.size() ? static_cast<uint16_t>(bytes_[2 * word] | bytes_[2 * word + 1] << 8) : 0;
  }
  int16_t S16(size_t word) const { return static_cast<int16_t>(U16(word)); }
  uint32_t U32(size_t word) const { return U16(word) | uint32_t{U16(word + 1)} << 16; }
  uint8_t Byte(size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
  std::span<const uint8_t> From(size_t word) const {
    return 2 * word <= bytes_.size() ? bytes_.subspan(2 * word) : std::span<const uint8_t>();
  }

 private:
  std::span<const uint8_t> bytes_;
};

struct WmfPlayer::Object {
  enum class Kind { kFree, kPen, kBrush, kPalette, kOther };
  Kind kind = Kind::kFree;
  // Pen: visible, width in logical units (0: one pixel), colour.
  bool visible = true;
  double width = 0;
  Rgb8 color;
  // Brush: colour (above) and hatch style (-1: solid).
  int hatch = -1;
  std::shared_ptr<const std::vector<Rgb8>> palette;

  static Object Make(Kind kind, Rgb8 colour = {}) {
    Object object;
    object.kind = kind;
    object.color = colour;
    return object;
  }
};

struct WmfPlayer::State {
  Object pen = Object::Make(Object::Kind::kPen, kBlack);
  Object brush = Object::Make(Object::Kind::kBrush, kWhite);
  std::shared_ptr<const std::vector<Rgb8>> palette;
  Rgb8 background = kWhite;
  bool opaque = true;
  FillRule fill = FillRule::kEvenOdd;
  bool isotropic = false;
  WmfWindow window;
  PixelRect clip;
  double x = 0, y = 0;  // the current position, logical
};

WmfPlayer::WmfPlayer(VectorCanvas& canvas, const WmfWindow& window)
    : canvas_(canvas), state_(std::make_unique<State>()) {
  state_->window = window;
  state_->clip = canvas.Bounds();
}

WmfPlayer::~WmfPlayer() = default;

PointF WmfPlayer::Map(double x, double y) const {
  const WmfWindow& w = state_->window;
  double sx = canvas_.Width() / w.extX, sy = canvas_.Height() / w.extY;
  if (state_->isotropic) {
    // Both axes at the same scale, the smaller one, each keeping its direction.
    double m = std::min(std::abs(sx), std::abs(sy));
    sx = std::copysign(m, sx);
    sy = std::copysign(m, sy);
  }
  return {(x - w.orgX) * sx, (y - w.orgY) * sy};
}

PixelRect WmfPlayer::MapRect(double left, double top, double right, double bottom) const {
  PointF a = Map(left, top), b = Map(right, bottom);
  auto centre = [](double v) { return static_cast<int>(std::ceil(std::clamp(v, -1e9, 1e9) - 0.5)); };
  return {centre(std::min(a.x, b.x)), centre(std::min(a.y, b.y)), centre(std::max(a.x, b.x)), centre(std::max(a.y, b.y))};
}

Rgb8 WmfPlayer::ColorAt(const Params& p, size_t word) const {
  Rgb8 c{p.Byte(2 * word), p.Byte(2 * word + 1), p.Byte(2 * word + 2)};
  if (p.Byte(2 * word + 3) == wmf::kPaletteIndexFlag) {
    size_t index = c.r | c.g << 8;
    const auto& palette = state_->palette;
    return palette && index < palette->size() ? (*palette)[index] : kBlack;
  }
  return c;
}

FillStyle WmfPlayer::BrushFill() const {
  return {state_->brush.color, state_->brush.hatch, state_->opaque, state_->background};
}

double WmfPlayer::PenWidth() const {
  PointF origin = Map(0, 0), unit = Map(state_->pen.width, 0);
  return std::max(1.0, std::abs(unit.x - origin.x));
}

void WmfPlayer::Stroke(std::span<const PointF> points, bool closed) {
  if (state_->pen.visible) canvas_.StrokePolyline(points, closed, PenWidth(), state_->pen.color);
}

void WmfPlayer::FillAndStroke(std::span<const PointF> points, std::span<const size_t> counts, bool closed) {
  if (state_->brush.visible) canvas_.FillPolygon(points, counts, state_->fill, BrushFill());
  size_t start = 0;
  for (size_t count : counts) {
    if (count > points.size() - start) break;
    Stroke(points.subspan(start, count), closed);
    start += count;
  }
}

void WmfPlayer::FillRect(const PixelRect& rect, const FillStyle& style) {
  PointF corners[] = {{double(rect.left), double(rect.top)}, {double(rect.right), double(rect.top)},
                      {double(rect.right), double(rect.bottom)}, {double(rect.left), double(rect.bottom)}};
  size_t four[] = {4};
  canvas_.FillPolygon(corners, four, FillRule::kNonZero, style);
}

void WmfPlayer::PatternBlit(uint32_t rop, double x, double y, double width, double height) {
  PixelRect rect = MapRect(x, y, x + width, y + height);
  if (rop == wmf::kRopPatCopy) {
    if (state_->brush.visible) FillRect(rect, BrushFill());
  } else if (rop == wmf::kRopBlackness || rop == wmf::kRopWhiteness) {
    FillRect(rect, FillStyle{rop == wmf::kRopBlackness ? kBlack : kWhite});
  }
}

void WmfPlayer::AddObject(Object object) {
  // Each new object takes the lowest free index, as the records that select it expect: a freed one,
  // or else the next one never used. (A search of the table for each object would let a file of
  // creations and deletions cost the square of its length.)
  size_t index;
  if (!freed_.empty()) {
    index = freed_.top();
    freed_.pop();
  } else if (objects_.size() < kMaxObjects) {
    index = objects_.size();
    objects_.emplace_back();
  } else {
    return;  // the table is full: the object is not made, as the system's player would not
  }
  objects_[index] = std::move(object);
}

void WmfPlayer::ArcRecord(uint16_t function, const Params& p) {
  // End point, start point, then the bounding box (bottom, right, top, left).
  PointF end = Map(p.S16(1), p.S16(0)), start = Map(p.S16(3), p.S16(2));
  PointF a = Map(p.S16(7), p.S16(6)), b = Map(p.S16(5), p.S16(4));
  PointF centre{(a.x + b.x) / 2, (a.y + b.y) / 2};
  double rx = std::abs(b.x - a.x) / 2, ry = std::abs(b.y - a.y) / 2;
  if (rx == 0 || ry == 0) return;
  // The arc runs counterclockwise on the screen from the start ray to the end ray; equal rays
  // give the whole ellipse.
  double from = std::atan2((start.y - centre.y) / ry, (start.x - centre.x) / rx);
  double to = std::atan2((end.y - centre.y) / ry, (end.x - centre.x) / rx);
  double sweep = from - to;
  while (sweep <= 0) sweep += 2 * std::numbers::pi;
  points_.clear();
  AppendArc(points_, centre, rx, ry, from, -sweep);
  if (function == wmf::kArc) {
    Stroke(points_, false);
    return;
  }
  if (function == wmf::kPie) points_.push_back(centre);
  size_t count[] = {points_.size()};
  FillAndStroke(points_, count, true);
}

void WmfPlayer::RoundRect(const Params& p) {
  // Corner height and width, then bottom, right, top, left.
  PixelRect box = MapRect(p.S16(5), p.S16(4), p.S16(3), p.S16(2));
  PointF corner = Map(p.S16(1), p.S16(0)), origin = Map(0, 0);
  double rx = std::min(std::abs(corner.x - origin.x) / 2, (box.right - box.left) / 2.0);
  double ry = std::min(std::abs(corner.y - origin.y) / 2, (box.bottom - box.top) / 2.0);
  double l = box.left, t = box.top, r = box.right, b = box.bottom;
  constexpr double kQuarter = std::numbers::pi / 2;
  points_.clear();
  AppendArc(points_, {r - rx, t + ry}, rx, ry, -kQuarter, kQuarter);
  AppendArc(points_, {r - rx, b - ry}, rx, ry, 0, kQuarter);
  AppendArc(points_, {l + rx, b - ry}, rx, ry, kQuarter, kQuarter);
  AppendArc(points_, {l + rx, t + ry}, rx, ry, 2 * kQuarter, kQuarter);
  size_t count[] = {points_.size()};
  FillAndStroke(points_, count, true);
}

void WmfPlayer::DrawDib(std::span<const uint8_t> dib, int64_t srcX, int64_t srcY, int64_t srcWidth, int64_t srcHeight,
                        bool bottomUpOrigin, PointF from, PointF to, uint32_t rop) {
  if (dib.size() < 16) return;
  // The source's y counts from the bottom row for the DIB functions when the bitmap is stored
  // bottom-up (a positive height), as for the bitmap itself.
  uint32_t headerSize = dib[0] | dib[1] << 8 | dib[2] << 16 | uint32_t{dib[3]} << 24;
  int64_t height = headerSize == 12 ? int64_t{int16_t(dib[6] | dib[7] << 8)}
                                    : int64_t{int32_t(dib[8] | dib[9] << 8 | dib[10] << 16 | uint32_t{dib[11]} << 24)};
  if (bottomUpOrigin && height > 0) srcY = height - (srcY + srcHeight);
  BlitOp op = BlitOp::kCopy;
  switch (rop) {
    case wmf::kRopSrcPaint: op = BlitOp::kOr; break;
    case wmf::kRopSrcAnd: op = BlitOp::kAnd; break;
    case wmf::kRopSrcInvert: op = BlitOp::kXor; break;
    case wmf::kRopNotSrcCopy: op = BlitOp::kInvertCopy; break;
    default: break;
  }
  DibBlit blit(canvas_, {srcX, srcY, srcWidth, srcHeight}, from, to, op);
  MemoryFile file(dib);
  PictureHeader header;
  if (DecodeDib(file, false, blit, header)) blit.Finish();
}

void WmfPlayer::DibRecord(uint16_t function, const Params& p) {
  uint32_t rop = p.U32(0);
  // A blit whose record holds no bitmap paints with the brush alone.
  bool withoutBitmap = p.Words() + 3 == (function >> 8) + 3u;
  if (function == wmf::kDibBitBlt) {
    if (withoutBitmap) return PatternBlit(rop, p.S16(8), p.S16(7), p.S16(6), p.S16(5));
    int16_t width = p.S16(5), height = p.S16(4), x = p.S16(7), y = p.S16(6);
    if (rop == wmf::kRopPatCopy || rop == wmf::kRopBlackness || rop == wmf::kRopWhiteness) {
      return PatternBlit(rop, x, y, width, height);
    }
    return DrawDib(p.From(8), p.S16(3), p.S16(2), width, height, false, Map(x, y), Map(x + width, y + height), rop);
  }
  if (function == wmf::kDibStretchBlt) {
    if (withoutBitmap) return PatternBlit(rop, p.S16(10), p.S16(9), p.S16(8), p.S16(7));
    int16_t x = p.S16(9), y = p.S16(8), width = p.S16(7), height = p.S16(6);
    if (rop == wmf::kRopPatCopy || rop == wmf::kRopBlackness || rop == wmf::kRopWhiteness) {
      return PatternBlit(rop, x, y, width, height);
    }
    return DrawDib(p.From(10), p.S16(5), p.S16(4), p.S16(3), p.S16(2), false, Map(x, y), Map(x + width, y + height), rop);
  }
  if (function == wmf::kStretchDib) {
    if (p.U16(2) != wmf::kDibRgbColors) return;  // colours as palette indexes: not drawn
    int16_t x = p.S16(10), y = p.S16(9), width = p.S16(8), height = p.S16(7);
    return DrawDib(p.From(11), p.S16(6), p.S16(5), p.S16(4), p.S16(3), true, Map(x, y), Map(x + width, y + height), rop);
  }
  // SetDIBitsToDevice: unscaled, the same width and height for source and destination.
  if (p.U16(0) != wmf::kDibRgbColors) return;
  int16_t x = p.S16(8), y = p.S16(7), width = p.S16(6), height = p.S16(5);
  DrawDib(p.From(9), p.S16(4), p.S16(3), width, height, true, Map(x, y), Map(x + width, y + height), wmf::kRopSrcCopy);
}

void WmfPlayer::Play(uint16_t function, std::span<const uint8_t> bytes) {
  Params p(bytes);
  State& s = *state_;
  auto need = [&](size_t words) { return p.Has(words); };
  switch (function) {
    case wmf::kSetWindowOrg:
      if (need(2)) s.window.orgX = p.S16(1), s.window.orgY = p.S16(0);
      break;
    case wmf::kSetWindowExt:
      // A zero extent would map everything to infinity; such a record is refused, as it is by
      // the system's own player.
      if (need(2) && p.S16(0) != 0 && p.S16(1) != 0) s.window.extX = p.S16(1), s.window.extY = p.S16(0);
      break;
    case wmf::kOffsetWindowOrg:
      if (need(2)) s.window.orgX += p.S16(1), s.window.orgY += p.S16(0);
      break;
    case wmf::kScaleWindowExt:
      if (need(4) && p.S16(0) != 0 && p.S16(1) != 0 && p.S16(2) != 0 && p.S16(3) != 0) {
        double x = s.window.extX * p.S16(3) / p.S16(2), y = s.window.extY * p.S16(1) / p.S16(0);
        if (std::abs(x) >= 1e-6 && std::abs(y) >= 1e-6 && std::abs(x) <= 1e12 && std::abs(y) <= 1e12) {
          s.window.extX = x, s.window.extY = y;
        }
      }
      break;
    case wmf::kSetMapMode:
      if (need(1)) s.isotropic = p.U16(0) == wmf::kMapIsotropic;
      break;
    case wmf::kSetBkColor:
      if (need(2)) s.background = ColorAt(p, 0);
      break;
    case wmf::kSetBkMode:
      if (need(1)) s.opaque = p.U16(0) != wmf::kBkTransparent;
      break;
    case wmf::kSetPolyFillMode:
      if (need(1)) s.fill = p.U16(0) == wmf::kFillWinding ? FillRule::kNonZero : FillRule::kEvenOdd;
      break;
    case wmf::kSaveDc:
      if (saved_.size() < kMaxSavedStates) saved_.push_back(s);
      break;
    case wmf::kRestoreDc: {
      if (!need(1) || saved_.empty()) break;
      // Negative: that many states back; positive: the state saved as that number (1 the first).
      int16_t which = p.S16(0);
      int64_t keep = which < 0 ? static_cast<int64_t>(saved_.size()) + which : which - 1;
      if (keep < 0 || keep >= static_cast<int64_t>(saved_.size())) break;
      s = saved_[static_cast<size_t>(keep)];
      saved_.resize(static_cast<size_t>(keep));
      canvas_.SetClip(s.clip);
      break;
    }
    case wmf::kIntersectClipRect:
      if (need(4)) {
        s.clip = s.clip.Intersect(MapRect(p.S16(3), p.S16(2), p.S16(1), p.S16(0)));
        canvas_.SetClip(s.clip);
      }
      break;
    case wmf::kSelectClipRegion:
      // Regions are not kept: selecting one lifts the clip.
      s.clip = canvas_.Bounds();
      canvas_.SetClip(s.clip);
      break;
    case wmf::kCreatePenIndirect: {
      if (!need(5)) break;
      Object pen = Object::Make(Object::Kind::kPen);
      pen.visible = (p.U16(0) & wmf::kPenStyleMask) != wmf::kPenNull;
      pen.width = std::abs(p.S16(1));
      pen.color = ColorAt(p, 3);
      AddObject(pen);
      break;
    }
    case wmf::kCreateBrushIndirect: {
      if (!need(4)) break;
      Object brush = Object::Make(Object::Kind::kBrush);
      uint16_t style = p.U16(0);
      brush.color = ColorAt(p, 1);
      brush.visible = style != wmf::kBrushNull;
      if (style == wmf::kBrushHatched) brush.hatch = std::min<uint16_t>(p.U16(3), wmf::kHatchLast);
      if (style == wmf::kBrushPattern) brush.color = {128, 128, 128};  // a bitmap this record cannot carry
      AddObject(brush);
      break;
    }
    case wmf::kDibCreatePatternBrush:
    case wmf::kCreatePatternBrush: {
      // Drawn with the average colour of the pattern.
      Object brush = Object::Make(Object::Kind::kBrush, {128, 128, 128});
      if (function == wmf::kDibCreatePatternBrush && p.U16(0) != wmf::kBrushPattern && p.U16(1) == wmf::kDibRgbColors) {
        AverageSink pattern;
        MemoryFile file(p.From(2));
        PictureHeader header;
        if (DecodeDib(file, false, pattern, header) && pattern.count > 0) {
          brush.color = {uint8_t(pattern.sum[0] / pattern.count), uint8_t(pattern.sum[1] / pattern.count),
                         uint8_t(pattern.sum[2] / pattern.count)};
        }
      }
      AddObject(brush);
      break;
    }
    case wmf::kCreatePalette: {
      Object palette = Object::Make(Object::Kind::kPalette);
      auto entries = std::make_shared<std::vector<Rgb8>>();
      size_t count = std::min<size_t>(p.U16(1), (p.Words() - std::min<size_t>(p.Words(), 2)) / 2);
      count = std::min(count, kMaxPaletteEntries - std::min(kMaxPaletteEntries, paletteEntries_));
      paletteEntries_ += count;
      for (size_t i = 0; i < count; ++i) {
        size_t at = 4 + 4 * i;  // flags, blue, green, red
        entries->push_back({p.Byte(at + 3), p.Byte(at + 2), p.Byte(at + 1)});
      }
      palette.palette = std::move(entries);
      AddObject(std::move(palette));
      break;
    }
    case wmf::kCreateBrush:
    case wmf::kCreateFontIndirect:
    case wmf::kCreateBitmapIndirect:
    case wmf::kCreateBitmap:
    case wmf::kCreateRegion:
      AddObject(Object::Make(Object::Kind::kOther));
      break;
    case wmf::kSelectObject:
    case wmf::kSelectPalette:
    case wmf::kDeleteObject: {
      if (!need(1) || p.U16(0) >= objects_.size()) break;
      Object& object = objects_[p.U16(0)];
      if (function == wmf::kDeleteObject) {
        // A selected pen or brush stays in use: the state holds a copy.
        if (object.kind != Object::Kind::kFree) freed_.push(p.U16(0));
        object = Object{};
      } else if (object.kind == Object::Kind::kPen) {
        s.pen = object;
      } else if (object.kind == Object::Kind::kBrush) {
        s.brush = object;
      } else if (object.kind == Object::Kind::kPalette) {
        s.palette = object.palette;
      }
      break;
    }
    case wmf::kMoveTo:
      if (need(2)) s.x = p.S16(1), s.y = p.S16(0);
      break;
    case wmf::kLineTo:
      if (need(2)) {
        PointF line[] = {Map(s.x, s.y), Map(p.S16(1), p.S16(0))};
        Stroke(line, false);
        s.x = p.S16(1), s.y = p.S16(0);
      }
      break;
    case wmf::kPolyline:
    case wmf::kPolygon: {
      if (!need(1)) break;
      size_t count = std::min<size_t>(std::max<int16_t>(p.S16(0), 0), (p.Words() - 1) / 2);
      points_.clear();
      for (size_t i = 0; i < count; ++i) points_.push_back(Map(p.S16(1 + 2 * i), p.S16(2 + 2 * i)));
      if (function == wmf::kPolyline) {
        if (count >= 2) Stroke(points_, false);
      } else if (count >= 2) {
        size_t counts[] = {count};
        FillAndStroke(points_, counts, true);
      }
      break;
    }
    case wmf::kPolyPolygon: {
      if (!need(1)) break;
      size_t polygons = std::min<size_t>(p.U16(0), p.Words() - 1);
      std::vector<size_t> counts;
      size_t total = 0;
      for (size_t i = 0; i < polygons; ++i) total += counts.emplace_back(p.U16(1 + i));
      size_t first = 1 + polygons;
      if (total > (p.Words() - first) / 2) break;  // the points do not fit the record
      points_.clear();
      for (size_t i = 0; i < total; ++i) points_.push_back(Map(p.S16(first + 2 * i), p.S16(first + 2 * i + 1)));
      FillAndStroke(points_, counts, true);
      break;
    }
    case wmf::kRectangle:
    case wmf::kEllipse: {
      if (!need(4)) break;
      PointF a = Map(p.S16(3), p.S16(2)), b = Map(p.S16(1), p.S16(0));
      points_.clear();
      if (function == wmf::kRectangle) {
        points_ = {a, {b.x, a.y}, b, {a.x, b.y}};
      } else {
        AppendArc(points_, {(a.x + b.x) / 2, (a.y + b.y) / 2}, std::abs(b.x - a.x) / 2, std::abs(b.y - a.y) / 2, 0,
                  2 * std::numbers::pi);
      }
      size_t count[] = {points_.size()};
      FillAndStroke(points_, count, true);
      break;
    }
    case wmf::kRoundRect:
      if (need(6)) RoundRect(p);
      break;
    case wmf::kArc:
    case wmf::kPie:
    case wmf::kChord:
      if (need(8)) ArcRecord(function, p);
      break;
    case wmf::kSetPixel:
      if (need(4)) canvas_.SetPixel(Map(p.S16(3), p.S16(2)), ColorAt(p, 0));
      break;
    case wmf::kPatBlt:
      if (need(6)) PatternBlit(p.U32(0), p.S16(5), p.S16(4), p.S16(3), p.S16(2));
      break;
    case wmf::kExtTextOut:
      // The text is not drawn; an opaque text box is, in the background colour.
      if (need(8) && (p.U16(3) & wmf::kTextOpaque)) {
        FillRect(MapRect(p.S16(4), p.S16(5), p.S16(6), p.S16(7)), FillStyle{s.background});
      }
      break;
    case wmf::kDibBitBlt:
    case wmf::kDibStretchBlt:
    case wmf::kStretchDib:
    case wmf::kSetDibToDev: {
      // The parameters before the bitmap (or of the form without one).
      size_t least = function == wmf::kDibStretchBlt || function == wmf::kStretchDib ? 11 : 9;
      if (need(least)) DibRecord(function, p);
      break;
    }
    default:
      break;  // records that change nothing the picture shows here (text, palettes, escapes...)
  }
}

}  // namespace volumist
