// Picture: the picture object of the codec subsystem, with the operations the image analysis and
// the thumbnail view need: load a file or bytes of a given format, tell the size and colour depth,
// resample, raise the depth to 24 bits, and encode as JPEG. Drawing is left to the front end, which
// takes the RGB pixels (Pixels()) into its own image type.
//
// A Picture owns its pixels; copies are deep. Not thread-safe; different Pictures may be used on
// different threads at once.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/picture_format.h"
#include "imaging/rgb_image.h"
#include "platform/file_system.h"

namespace volumist {

class Picture {
 public:
  // The JPEG quality used when none was set.
  static constexpr int kDefaultJpegQuality = 75;

  Picture() = default;

  // Loads a picture file. With `thumbnailBox` above 0 the pixels may be kept at a reduced size
  // (still at least twice the size of the picture's thumbnail in that box), which makes large
  // pictures much faster to thumbnail; Width() and Height() still tell the file's size. False (and
  // the picture invalid) when the file cannot be read or is no picture of that format.
  [[nodiscard]] bool Load(const std::string& path, PictureFormat format, uint32_t thumbnailBox = 0,
                          platform::FileSystem& fileSystem = platform::FileSystem::Default());
  [[nodiscard]] bool LoadFromMemory(std::span<const uint8_t> bytes, PictureFormat format, uint32_t thumbnailBox = 0);
  [[nodiscard]] bool LoadFromFile(platform::File& file, PictureFormat format, uint32_t thumbnailBox = 0);

  bool IsValid() const { return !pixels_.empty(); }
  // The picture's size: as the file declares it after loading, the new size after Resample.
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  // The colour depth: as the file declares it (8 for a 256-colour palette), 24 after
  // IncreaseColorDepth(24).
  uint8_t BitsPerPixel() const { return bitsPerPixel_; }

  // Resamples the pixels to exactly width x height by area averaging. False (the picture unchanged)
  // when it is invalid or the size is 0 or beyond the limits of decodable pictures.
  [[nodiscard]] bool Resample(uint32_t width, uint32_t height);
  // The pixels are always held as 24-bit RGB; raising the depth to 24 records that depth. Other
  // depths are refused.
  [[nodiscard]] bool IncreaseColorDepth(int bits);
  void SetJpegQuality(int quality) { jpegQuality_ = quality; }
  // The pixels as a baseline JPEG stream at the quality set; nothing when invalid or on failure.
  std::optional<std::vector<uint8_t>> EncodeJpeg() const;

  // The pixels as they are held (possibly reduced after a Load with a thumbnail box).
  const RgbImage& Pixels() const { return pixels_; }

 private:
  RgbImage pixels_;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint8_t bitsPerPixel_ = 0;
  int jpegQuality_ = kDefaultJpegQuality;
};

}  // namespace volumist
