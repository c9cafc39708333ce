#include "imaging/picture.h"

#include "imaging/jpeg_encoder.h"
#include "imaging/memory_file.h"
#include "imaging/picture_decoder.h"
#include "imaging/raster_sink.h"
#include "imaging/resample.h"

namespace volumist {

bool DecodePicture(PictureFormat format, platform::File& file, uint32_t thumbnailBox, RasterSink& sink,
                   PictureHeader& header) {
  switch (format) {
    case PictureFormat::kJpeg: return DecodeJpeg(file, thumbnailBox, sink, header);
    case PictureFormat::kBmp: return DecodeBmp(file, sink, header);
    case PictureFormat::kGif: return DecodeGif(file, sink, header);
    case PictureFormat::kIco: return DecodeIco(file, sink, header);
    case PictureFormat::kTga: return DecodeTga(file, sink, header);
    case PictureFormat::kPcx: return DecodePcx(file, sink, header);
    case PictureFormat::kPng: return DecodePng(file, sink, header);
    case PictureFormat::kTiff: return DecodeTiff(file, sink, header);
    case PictureFormat::kWbmp: return DecodeWbmp(file, sink, header);
    case PictureFormat::kWmf: return DecodeWmf(file, thumbnailBox, sink, header);
  }
  return false;
}

bool Picture::LoadFromFile(platform::File& file, PictureFormat format, uint32_t thumbnailBox) {
  *this = Picture{};
  ReducingSink sink(thumbnailBox);
  PictureHeader header;
  if (!DecodePicture(format, file, thumbnailBox, sink, header)) return false;
  RgbImage pixels = sink.Finish();
  if (pixels.empty()) return false;
  pixels_ = std::move(pixels);
  width_ = header.width;
  height_ = header.height;
  bitsPerPixel_ = header.bitsPerPixel;
  return true;
}

bool Picture::Load(const std::string& path, PictureFormat format, uint32_t thumbnailBox,
                   platform::FileSystem& fileSystem) {
  *this = Picture{};
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return false;
  return LoadFromFile(*opened.file, format, thumbnailBox);
}

bool Picture::LoadFromMemory(std::span<const uint8_t> bytes, PictureFormat format, uint32_t thumbnailBox) {
  MemoryFile file(bytes);
  return LoadFromFile(file, format, thumbnailBox);
}

bool Picture::Resample(uint32_t width, uint32_t height) {
  if (!IsValid() || !IsDecodableSize(width, height) || uint64_t{width} * height > kMaxFullSizePixels) return false;
  RgbImage resampled = ResampleArea(pixels_, width, height);
  if (resampled.empty()) return false;
  pixels_ = std::move(resampled);
  width_ = width;
  height_ = height;
  return true;
}

bool Picture::IncreaseColorDepth(int bits) {
  if (!IsValid() || bits != 24) return false;
  bitsPerPixel_ = 24;
  return true;
}

std::optional<std::vector<uint8_t>> Picture::EncodeJpeg() const {
  if (!IsValid()) return std::nullopt;
  return volumist::EncodeJpeg(pixels_, jpegQuality_);
}

}  // namespace volumist
