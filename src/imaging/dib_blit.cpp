#include "imaging/dib_blit.h"

#include <algorithm>
#include <cmath>

namespace volumist {
namespace {

constexpr double kFar = 1 << 28;

int CentreIndex(double v) { return static_cast<int>(std::ceil(std::clamp(v, -kFar, kFar) - 0.5)); }

}  // namespace

DibBlit::DibBlit(VectorCanvas& canvas, const SourceRect& source, PointF from, PointF to, BlitOp op)
    : canvas_(canvas), source_(source), from_(from), to_(to), op_(op) {}

DibBlit::Cover DibBlit::CoverOf(double origin, double scale, int64_t index, int low, int high) {
  double a = origin + static_cast<double>(index) * scale;
  double b = a + scale;
  if (a > b) std::swap(a, b);
  Cover cover{CentreIndex(a), CentreIndex(b)};
  // A source pixel smaller than a canvas pixel still lands on the one that holds its middle.
  if (cover.end <= cover.first) {
    cover.first = static_cast<int>(std::floor(std::clamp((a + b) / 2, -kFar, kFar)));
    cover.end = cover.first + 1;
  }
  cover.first = std::max(cover.first, low);
  cover.end = std::min(cover.end, high);
  if (cover.end < cover.first) cover.end = cover.first;
  return cover;
}

bool DibBlit::Begin(uint32_t width, uint32_t height) {
  stopped_ = true;
  // The source rectangle within the bitmap; the destination keeps the scale of the whole request.
  if (source_.width <= 0 || source_.height <= 0) return false;
  double scaleX = (to_.x - from_.x) / static_cast<double>(source_.width);
  double scaleY = (to_.y - from_.y) / static_cast<double>(source_.height);
  int64_t x0 = std::clamp<int64_t>(source_.x, 0, width), x1 = std::clamp<int64_t>(source_.x + source_.width, 0, width);
  int64_t y0 = std::clamp<int64_t>(source_.y, 0, height), y1 = std::clamp<int64_t>(source_.y + source_.height, 0, height);
  if (x1 <= x0 || y1 <= y0) return false;
  PixelRect covered{CentreIndex(std::min(from_.x, to_.x)), CentreIndex(std::min(from_.y, to_.y)),
                    CentreIndex(std::max(from_.x, to_.x)), CentreIndex(std::max(from_.y, to_.y))};
  visible_ = covered.Intersect(canvas_.Clip());
  if (visible_.Empty()) return false;
  auto area = static_cast<uint64_t>(visible_.right - visible_.left) * static_cast<uint64_t>(visible_.bottom - visible_.top);
  if (!canvas_.Charge(area + static_cast<uint64_t>(x1 - x0))) return false;
  // From here on source coordinates are relative to the clipped source rectangle.
  origin_ = {from_.x + static_cast<double>(x0 - source_.x) * scaleX, from_.y + static_cast<double>(y0 - source_.y) * scaleY};
  scale_ = {scaleX, scaleY};
  source_ = {x0, y0, x1 - x0, y1 - y0};
  columns_.resize(static_cast<size_t>(source_.width));
  columnWork_ = 1;
  for (int64_t x = 0; x < source_.width; ++x) {
    Cover& cover = columns_[static_cast<size_t>(x)];
    cover = CoverOf(origin_.x, scaleX, x, visible_.left, visible_.right);
    columnWork_ += static_cast<uint64_t>(cover.end - cover.first);
  }
  sums_.assign(3 * static_cast<size_t>(area), 0);
  counts_.assign(static_cast<size_t>(area), 0);
  stopped_ = false;
  return true;
}

void DibBlit::PutRow(uint32_t y, const uint8_t* rgb) {
  if (stopped_ || y < source_.y || y >= source_.y + source_.height) return;
  Cover rows = CoverOf(origin_.y, scale_.y, y - source_.y, visible_.top, visible_.bottom);
  if (rows.end <= rows.first) return;
  if (!canvas_.Charge(columnWork_ * static_cast<uint64_t>(rows.end - rows.first))) {
    stopped_ = true;
    return;
  }
  size_t stride = static_cast<size_t>(visible_.right - visible_.left);
  const uint8_t* in = rgb + 3 * source_.x;
  for (int row = rows.first; row < rows.end; ++row) {
    size_t base = static_cast<size_t>(row - visible_.top) * stride;
    for (size_t x = 0; x < columns_.size(); ++x) {
      const uint8_t* pixel = in + 3 * x;
      for (int column = columns_[x].first; column < columns_[x].end; ++column) {
        size_t at = base + static_cast<size_t>(column - visible_.left);
        sums_[3 * at] += pixel[0];
        sums_[3 * at + 1] += pixel[1];
        sums_[3 * at + 2] += pixel[2];
        ++counts_[at];
      }
    }
  }
}

void DibBlit::Finish() {
  if (counts_.empty()) return;
  size_t stride = static_cast<size_t>(visible_.right - visible_.left);
  for (int row = visible_.top; row < visible_.bottom; ++row) {
    uint8_t* out = canvas_.Row(static_cast<uint32_t>(row));
    for (int column = visible_.left; column < visible_.right; ++column) {
      size_t at = static_cast<size_t>(row - visible_.top) * stride + static_cast<size_t>(column - visible_.left);
      uint32_t count = counts_[at];
      if (count == 0) continue;
      uint8_t* p = out + 3 * column;
      for (int c = 0; c < 3; ++c) {
        auto s = static_cast<uint8_t>((sums_[3 * at + c] + count / 2) / count);
        switch (op_) {
          case BlitOp::kCopy: p[c] = s; break;
          case BlitOp::kInvertCopy: p[c] = static_cast<uint8_t>(~s); break;
          case BlitOp::kAnd: p[c] &= s; break;
          case BlitOp::kOr: p[c] |= s; break;
          case BlitOp::kXor: p[c] ^= s; break;
        }
      }
    }
  }
  sums_.clear();
  counts_.clear();
}

}  // namespace volumist
