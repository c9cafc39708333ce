// Stored thumbnails, read from the volume file and decoded for drawing. The bytes are foreign
// (a damaged or hostile volume may hold anything there), so they are read only within the volume's
// tree and decoded only when they are a JPEG picture of at most kMaxThumbnailSide pixels a side:
// the scan stores 100 x 100 at most, and a few bytes could otherwise declare a picture of
// hundreds of megabytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "catalog/image_info.h"
#include "catalog/volume_catalog.h"
#include "imaging/rgb_image.h"

namespace volumist::browse {

inline constexpr uint32_t kMaxThumbnailSide = 256;

// The thumbnail bytes of `info`, a record of the loaded `volume`: nothing when there are none or
// they do not lie inside the volume's tree. Moves the volume's read position.
std::optional<std::vector<uint8_t>> ReadThumbnailBytes(VolumeCatalog& volume, const ImageInfo& info);

// The picture of thumbnail bytes; nothing when they are no JPEG picture, declare a side above
// kMaxThumbnailSide, or deliver no row.
std::optional<RgbImage> DecodeThumbnail(std::span<const uint8_t> bytes);

}  // namespace volumist::browse
