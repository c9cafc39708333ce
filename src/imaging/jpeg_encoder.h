// Encoding RGB pictures as baseline JPEG streams in memory (the thumbnails of the catalog).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/rgb_image.h"

namespace volumist {

// `quality` 1..100 (libjpeg's scale). Nothing for an empty picture or when libjpeg fails. Safe to
// call from several threads at once.
std::optional<std::vector<uint8_t>> EncodeJpeg(const RgbImage& image, int quality);

}  // namespace volumist
