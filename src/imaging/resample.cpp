#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace volumist {
namespace {

// The source pixels that one target pixel covers, with their weights (summing to 1).
struct Span {
  uint32_t first = 0;
  std::vector<float> weights;
};

std::vector<Span> CoverageOf(uint32_t sourceSize, uint32_t targetSize) {
  std::vector<Span> spans(targetSize);
  double scale = static_cast<double>(sourceSize) / targetSize;
  for (uint32_t t = 0; t < targetSize; ++t) {
    double begin = t * scale;
    double end = std::min<double>((t + 1) * scale, sourceSize);
    auto first = static_cast<uint32_t>(begin);
    auto last = std::min<uint32_t>(static_cast<uint32_t>(std::ceil(end)), sourceSize);
    if (last <= first) last = first + 1;
    Span& span = spans[t];
    span.first = first;
    double total = end - begin;
    for (uint32_t s = first; s < last; ++s) {
      double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
      span.weights.push_back(static_cast<float>(std::max(covered, 0.0) / total));
    }
  }
  return spans;
}

}  // namespace

RgbImage ResampleArea(const RgbImage& source, uint32_t width, uint32_t height) {
  RgbImage target;
  if (source.empty() || width == 0 || height == 0) return target;
  if (width == source.width && height == source.height) return source;
  std::vector<Span> columns = CoverageOf(source.width, width);
  std::vector<Span> rows = CoverageOf(source.height, height);

  // Horizontal pass into floats, then the vertical pass into bytes.
  std::vector<float> horizontal(size_t{width} * 3 * source.height);
  for (uint32_t y = 0; y < source.height; ++y) {
    const uint8_t* in = source.Row(y);
    float* out = horizontal.data() + size_t{y} * width * 3;
    for (uint32_t x = 0; x < width; ++x) {
      const Span& span = columns[x];
      float r = 0, g = 0, b = 0;
      const uint8_t* pixel = in + size_t{span.first} * 3;
      for (float weight : span.weights) {
        r += weight * pixel[0];
        g += weight * pixel[1];
        b += weight * pixel[2];
        pixel += 3;
      }
      out[3 * x] = r;
      out[3 * x + 1] = g;
      out[3 * x + 2] = b;
    }
  }
  target.width = width;
  target.height = height;
  target.pixels.resize(target.Stride() * height);
  std::vector<float> accumulator(size_t{width} * 3);
  for (uint32_t y = 0; y < height; ++y) {
    const Span& span = rows[y];
    std::fill(accumulator.begin(), accumulator.end(), 0.0f);
    for (size_t i = 0; i < span.weights.size(); ++i) {
      const float* in = horizontal.data() + (size_t{span.first} + i) * width * 3;
      float weight = span.weights[i];
      for (size_t c = 0; c < accumulator.size(); ++c) accumulator[c] += weight * in[c];
    }
    uint8_t* out = target.Row(y);
    for (size_t c = 0; c < accumulator.size(); ++c) {
      out[c] = static_cast<uint8_t>(std::clamp(std::lround(accumulator[c]), 0L, 255L));
    }
  }
  return target;
}

}  // namespace volumist
