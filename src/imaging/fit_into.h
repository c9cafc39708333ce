// FitInto: the size a picture takes when it is shrunk to fit a box, keeping its proportions. Used
// for thumbnails and for drawing them into smaller cells.
#pragma once

#include <cstdint>

namespace volumist {

struct FitResult {
  uint32_t width = 0;
  uint32_t height = 0;
  bool needsScaling = false;  // false when the picture fits as it is
};

// A picture of w x h that fits into bw x bh keeps its size. Otherwise its longer side (the width
// when w >= h) becomes the box's side and the other side shrinks in proportion, rounded up and at
// least 1: 1024 x 768 into 100 x 100 gives 100 x 75, 1000 x 3 gives 100 x 1, 101 x 7 gives 100 x 7.
FitResult FitInto(uint32_t w, uint32_t h, uint32_t bw, uint32_t bh);

}  // namespace volumist
