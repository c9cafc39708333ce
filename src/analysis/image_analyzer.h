// AnalyzeImage: the size and colour depth of a picture and its thumbnail, a JPEG stream of at most
// 100 x 100 pixels at quality 45 in 24-bit colour; LoadThumbnail: the stored thumbnail of a volume
// decoded for drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/image_info.h"
#include "catalog/volume_catalog.h"
#include "imaging/picture.h"
#include "imaging/picture_format.h"
#include "platform/file_system.h"

namespace volumist {

inline constexpr uint32_t kThumbnailBox = 100;
inline constexpr int kThumbnailQuality = 45;

// The picture format of an image media type (5 to 16); nothing for other types. ".wbmp" files
// (type 16) are read as wireless bitmaps.
std::optional<PictureFormat> PictureFormatOfMediaType(uint8_t mediaType);

// Fills `out` (size, declared depth, thumbnail bytes) and returns true when the picture could be
// decoded; otherwise `out` is reset and false is returned. Safe to call from several threads at once.
bool AnalyzeImage(const std::string& path, uint8_t mediaType, ImageInfo& out,
                  platform::FileSystem& fileSystem = platform::FileSystem::Default());
bool AnalyzeImage(platform::File& file, uint8_t mediaType, ImageInfo& out);

// Reads the thumbnail of a record read from the loaded `volume` and decodes it. Nothing when the
// bytes cannot be read or do not decode. Moves the volume's read position.
std::optional<Picture> LoadThumbnail(VolumeCatalog& volume, const ImageInfo& info);

// -1, 0 or 1 times `direction`: by width x height x bits per pixel. A file without image
// information (null) sorts after every file that has it, in either direction.
int CompareImage(const ImageInfo* a, const ImageInfo* b, int direction);

}  // namespace volumist
