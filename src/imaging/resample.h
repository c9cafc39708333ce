// Resampling of RGB pictures by area averaging: every target pixel is the mean of the source area
// it covers, weighted by how much of each source pixel lies inside. Shrinking therefore blends all
// source pixels (no aliasing of nearest-neighbour picking); enlarging repeats pixels with blended
// edges.
#pragma once

#include <cstdint>

#include "imaging/rgb_image.h"

namespace volumist {

// The resampled picture; empty when `source` is empty or a target side is 0.
RgbImage ResampleArea(const RgbImage& source, uint32_t width, uint32_t height);

}  // namespace volumist
