#include "imaging/fit_into.h"

#include <algorithm>

namespace volumist {

FitResult FitInto(uint32_t w, uint32_t h, uint32_t bw, uint32_t bh) {
  if (w <= bw && h <= bh) return {w, h, false};
  // Exact rational arithmetic: h * (bw / w) rounded up, so that a side that comes out whole is not
  // raised by one through a floating-point remainder.
  auto scaled = [](uint64_t side, uint64_t to, uint64_t from) {
    return static_cast<uint32_t>(std::max<uint64_t>(1, (side * to + from - 1) / from));
  };
  if (w >= h) return {bw, scaled(h, bw, w), true};
  return {scaled(w, bh, h), bh, true};
}

}  // namespace volumist
