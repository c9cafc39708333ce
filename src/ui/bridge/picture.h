// Core pictures (decoded RGB pixels) to QImage, in this one place.
#pragma once

#include <QImage>

#include "imaging/rgb_image.h"

namespace volumist::ui {

// A deep copy of `picture` (3 bytes a pixel, rows without padding); a null image for an empty or
// inconsistent picture.
QImage ToQImage(const RgbImage& picture);

}  // namespace volumist::ui
