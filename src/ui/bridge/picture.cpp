#include "ui/bridge/picture.h"

#include <cstring>

namespace volumist::ui {

QImage ToQImage(const RgbImage& picture) {
  if (picture.empty() || picture.pixels.size() < picture.Stride() * picture.height) return {};
  QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height), QImage::Format_RGB888);
  if (image.isNull()) return {};
  for (uint32_t y = 0; y < picture.height; ++y) {
    std::memcpy(image.scanLine(static_cast<int>(y)), picture.Row(y), picture.Stride());
  }
  return image;
}

}  // namespace volumist::ui
