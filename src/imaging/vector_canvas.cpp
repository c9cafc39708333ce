#include "imaging/vector_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace volumist {
namespace {

// Device coordinates far outside any canvas are cut to this before they become integers.
constexpr double kFar = 1 << 28;
// The work one polygon edge costs, in pixels written.
constexpr uint64_t kEdgeWork = 8;
// The most points of the discs that round wide lines' ends and joins: they are small on a thumbnail.
constexpr int kMaxDiscPoints = 64;

int ToPixel(double v) { return static_cast<int>(std::clamp(v, -kFar, kFar)); }

// The first pixel whose centre lies at or after v.
int FirstCentreAtOrAfter(double v) { return ToPixel(std::ceil(std::clamp(v, -kFar, kFar) - 0.5)); }

bool HatchCovers(int hatch, int x, int y) {
  auto on = [](int v) { return (v & 7) == 0; };
  switch (hatch) {
    case 0: return on(y);
    case 1: return on(x);
    case 2: return on(x - y);
    case 3: return on(x + y);
    case 4: return on(x) || on(y);
    default: return on(x - y) || on(x + y);
  }
}

// Cuts the segment a-b to the rectangle (Liang-Barsky); false when nothing of it lies inside.
bool ClipSegment(PointF& a, PointF& b, double left, double top, double right, double bottom) {
  double t0 = 0, t1 = 1;
  double dx = b.x - a.x, dy = b.y - a.y;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double r = q / p;
    if (p < 0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
    return true;
  };
  if (!edge(-dx, a.x - left) || !edge(dx, right - a.x) || !edge(-dy, a.y - top) || !edge(dy, bottom - a.y)) return false;
  PointF start{a.x + t0 * dx, a.y + t0 * dy};
  b = {a.x + t1 * dx, a.y + t1 * dy};
  a = start;
  return true;
}

}  // namespace

PixelRect PixelRect::Intersect(const PixelRect& other) const {
  PixelRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
              std::min(bottom, other.bottom)};
  if (r.Empty()) r = {};
  return r;
}

VectorCanvas::VectorCanvas(uint32_t width, uint32_t height, uint64_t workBudget) : budget_(workBudget) {
  image_.width = width;
  image_.height = height;
  image_.pixels.assign(image_.Stride() * height, 0xFF);
  clip_ = Bounds();
}

bool VectorCanvas::Charge(uint64_t work) {
  if (exhausted_) return false;
  if (work > budget_) {
    exhausted_ = true;
    budget_ = 0;
    return false;
  }
  budget_ -= work;
  return true;
}

void VectorCanvas::FillSpan(int y, int x0, int x1, const FillStyle& style) {
  x0 = std::max(x0, clip_.left);
  x1 = std::min(x1, clip_.right);
  if (x1 <= x0 || y < clip_.top || y >= clip_.bottom) return;
  uint8_t* row = image_.Row(static_cast<uint32_t>(y));
  if (style.hatch < 0) {
    for (uint8_t* p = row + 3 * x0; p < row + 3 * x1; p += 3) p[0] = style.color.r, p[1] = style.color.g, p[2] = style.color.b;
    return;
  }
  for (int x = x0; x < x1; ++x) {
    const Rgb8* c = &style.color;
    if (!HatchCovers(style.hatch, x, y)) {
      if (!style.opaqueGaps) continue;
      c = &style.background;
    }
    uint8_t* p = row + 3 * x;
    p[0] = c->r, p[1] = c->g, p[2] = c->b;
  }
}

void VectorCanvas::FillPolygon(std::span<const PointF> points, std::span<const size_t> counts, FillRule rule,
                               const FillStyle& style) {
  if (exhausted_ || clip_.Empty()) return;
  struct Edge {
    double x;  // at yTop
    double dxdy;
    double yTop;
    double yBottom;
    int winding;
  };
  std::vector<Edge> edges;
  double minY = kFar, maxY = -kFar;
  size_t start = 0;
  for (size_t count : counts) {
    if (count > points.size() - start) break;
    for (size_t i = 0; i < count; ++i) {
      PointF p = points[start + i];
      PointF q = points[start + (i + 1) % count];
      if (p.y == q.y) continue;
      int winding = 1;
      if (p.y > q.y) std::swap(p, q), winding = -1;
      edges.push_back({p.x, (q.x - p.x) / (q.y - p.y), p.y, q.y, winding});
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, q.y);
    }
    start += count;
  }
  // Setting up and sorting an edge costs more than writing a pixel.
  if (!Charge(kEdgeWork * edges.size() + 1) || edges.empty()) return;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yTop < b.yTop; });

  int firstRow = std::max(clip_.top, FirstCentreAtOrAfter(minY));
  int endRow = std::min(clip_.bottom, FirstCentreAtOrAfter(maxY));
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> crossings;
  size_t nextEdge = 0;
  for (int y = firstRow; y < endRow; ++y) {
    double centre = y + 0.5;
    while (nextEdge < edges.size() && edges[nextEdge].yTop <= centre) active.push_back(&edges[nextEdge++]);
    std::erase_if(active, [centre](const Edge* e) { return e->yBottom <= centre; });
    crossings.clear();
    for (const Edge* e : active) crossings.emplace_back(e->x + (centre - e->yTop) * e->dxdy, e->winding);
    std::sort(crossings.begin(), crossings.end());
    uint64_t covered = 0;
    auto span = [&](double from, double to) {
      int x0 = std::max(FirstCentreAtOrAfter(from), clip_.left);
      int x1 = std::min(FirstCentreAtOrAfter(to), clip_.right);
      if (x1 > x0) {
        FillSpan(y, x0, x1, style);
        covered += static_cast<uint64_t>(x1 - x0);
      }
    };
    if (rule == FillRule::kEvenOdd) {
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) span(crossings[i].first, crossings[i + 1].first);
    } else {
      int winding = 0;
      double from = 0;
      for (const auto& [x, direction] : crossings) {
        int before = winding;
        winding += direction;
        if (before == 0 && winding != 0) from = x;
        if (before != 0 && winding == 0) span(from, x);
      }
    }
    if (!Charge(crossings.size() + covered + 1)) return;
  }
}

void VectorCanvas::ThinLine(PointF a, PointF b, Rgb8 color) {
  // Cut to the clip first, so that a line from far outside costs only its visible steps.
  if (!ClipSegment(a, b, clip_.left - 1.0, clip_.top - 1.0, clip_.right + 1.0, clip_.bottom + 1.0)) return;
  double dx = b.x - a.x, dy = b.y - a.y;
  auto steps = static_cast<int>(std::ceil(std::max(std::abs(dx), std::abs(dy))));
  if (!Charge(static_cast<uint64_t>(steps) + 1)) return;
  double stepX = steps == 0 ? 0 : dx / steps, stepY = steps == 0 ? 0 : dy / steps;
  // After the cut every coordinate is above -2, so truncating v + 2 is the floor of v, plus 2.
  double x = a.x + 2, y = a.y + 2;
  for (int i = 0; i <= steps; ++i, x += stepX, y += stepY) {
    int px = static_cast<int>(x) - 2, py = static_cast<int>(y) - 2;
    if (px < clip_.left || px >= clip_.right || py < clip_.top || py >= clip_.bottom) continue;
    uint8_t* p = image_.Row(static_cast<uint32_t>(py)) + 3 * px;
    p[0] = color.r, p[1] = color.g, p[2] = color.b;
  }
}

void VectorCanvas::StrokePolyline(std::span<const PointF> points, bool closed, double width, Rgb8 color) {
  if (exhausted_ || clip_.Empty() || points.empty()) return;
  size_t segments = closed ? points.size() : points.size() - 1;
  if (width <= 1.5) {
    if (points.size() == 1) ThinLine(points[0], points[0], color);
    for (size_t i = 0; i < segments && !exhausted_; ++i) ThinLine(points[i], points[(i + 1) % points.size()], color);
    return;
  }
  // Wide lines: a rectangle along each segment, and a disc at each point for the joins and ends.
  double half = width / 2;
  FillStyle solid{color};
  PointF quad[4];
  size_t four[] = {4};
  for (size_t i = 0; i < segments && !exhausted_; ++i) {
    PointF a = points[i], b = points[(i + 1) % points.size()];
    double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length == 0) continue;
    double nx = -(b.y - a.y) / length * half, ny = (b.x - a.x) / length * half;
    quad[0] = {a.x + nx, a.y + ny};
    quad[1] = {b.x + nx, b.y + ny};
    quad[2] = {b.x - nx, b.y - ny};
    quad[3] = {a.x - nx, a.y - ny};
    FillPolygon(quad, four, FillRule::kNonZero, solid);
  }
  // One disc, moved to each point.
  std::vector<PointF> circle;
  AppendArc(circle, {0, 0}, half, half, 0, 2 * std::numbers::pi);
  if (circle.size() > kMaxDiscPoints) {
    circle.clear();
    for (int i = 0; i < kMaxDiscPoints; ++i) {
      double t = 2 * std::numbers::pi * i / kMaxDiscPoints;
      circle.push_back({half * std::cos(t), half * std::sin(t)});
    }
  }
  std::vector<PointF> disc(circle.size());
  size_t count[] = {disc.size()};
  for (size_t i = 0; i < points.size() && !exhausted_; ++i) {
    for (size_t k = 0; k < circle.size(); ++k) disc[k] = {points[i].x + circle[k].x, points[i].y + circle[k].y};
    FillPolygon(disc, count, FillRule::kNonZero, solid);
  }
}

void VectorCanvas::SetPixel(PointF at, Rgb8 color) {
  int x = ToPixel(std::floor(at.x)), y = ToPixel(std::floor(at.y));
  if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom || !Charge(1)) return;
  uint8_t* p = image_.Row(static_cast<uint32_t>(y)) + 3 * x;
  p[0] = color.r, p[1] = color.g, p[2] = color.b;
}

void AppendArc(std::vector<PointF>& out, PointF center, double rx, double ry, double start, double sweep) {
  double radius = std::min(std::max(std::abs(rx), std::abs(ry)), kFar);
  // The angle step whose chord strays at most half a pixel from a circle of that radius.
  double step = radius > 0.5 ? 2 * std::acos(1 - 0.5 / radius) : std::numbers::pi / 2;
  auto n = static_cast<int>(std::clamp(std::ceil(std::abs(sweep) / step), 2.0, 1024.0));
  for (int i = 0; i <= n; ++i) {
    double t = start + sweep * i / n;
    out.push_back({center.x + rx * std::cos(t), center.y + ry * std::sin(t)});
  }
}

}  // namespace volumist
