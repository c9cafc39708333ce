#include "analysis/image_analyzer.h"

#include <vector>

#include "analysis/text_compare.h"
#include "catalog/media_info.h"
#include "imaging/fit_into.h"

namespace volumist {

std::optional<PictureFormat> PictureFormatOfMediaType(uint8_t mediaType) {
  switch (mediaType) {
    case kMediaJpeg: return PictureFormat::kJpeg;
    case kMediaBmp: return PictureFormat::kBmp;
    case kMediaGif: return PictureFormat::kGif;
    case kMediaIco: return PictureFormat::kIco;
    case kMediaTga: return PictureFormat::kTga;
    case kMediaPcx: return PictureFormat::kPcx;
    case kMediaPng: return PictureFormat::kPng;
    case kMediaWmf: return PictureFormat::kWmf;
    case kMediaTiff: return PictureFormat::kTiff;
    case kMediaWbmp: return PictureFormat::kWbmp;
    default: return std::nullopt;
  }
}

bool AnalyzeImage(platform::File& file, uint8_t mediaType, ImageInfo& out) {
  out = ImageInfo{};
  std::optional<PictureFormat> format = PictureFormatOfMediaType(mediaType);
  if (!format) return false;
  Picture picture;
  if (!picture.LoadFromFile(file, *format, kThumbnailBox)) return false;
  uint32_t width = picture.Width();
  uint32_t height = picture.Height();
  uint8_t bits = picture.BitsPerPixel();
  FitResult thumbnail = FitInto(width, height, kThumbnailBox, kThumbnailBox);
  if (!picture.Resample(thumbnail.width, thumbnail.height)) return false;
  if (!picture.IncreaseColorDepth(24)) return false;
  picture.SetJpegQuality(kThumbnailQuality);
  std::optional<std::vector<uint8_t>> bytes = picture.EncodeJpeg();
  // The stored length has 16 bits; a 100 x 100 JPEG at quality 45 never comes near it.
  if (!bytes || bytes->empty() || bytes->size() > 0xFFFF) return false;
  out.width = static_cast<uint16_t>(width);
  out.height = static_cast<uint16_t>(height);
  out.bitsPerPixel = bits;
  out.thumbnailLength = static_cast<uint16_t>(bytes->size());
  out.thumbnail = std::move(*bytes);
  out.isEmpty = false;
  return true;
}

bool AnalyzeImage(const std::string& path, uint8_t mediaType, ImageInfo& out, platform::FileSystem& fileSystem) {
  out = ImageInfo{};
  if (!PictureFormatOfMediaType(mediaType)) return false;
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return false;
  return AnalyzeImage(*opened.file, mediaType, out);
}

std::optional<Picture> LoadThumbnail(VolumeCatalog& volume, const ImageInfo& info) {
  if (!volume.IsLoaded() || info.thumbnailLength == 0) return std::nullopt;
  platform::BufferedReader& in = volume.Records().Input();
  std::vector<uint8_t> bytes(info.thumbnailLength);
  in.Seek(info.thumbnailOffset);
  if (!in.Read(bytes.data(), bytes.size())) return std::nullopt;
  Picture picture;
  if (!picture.LoadFromMemory(bytes, PictureFormat::kJpeg)) return std::nullopt;
  return picture;
}

int CompareImage(const ImageInfo* a, const ImageInfo* b, int direction) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? 1 : -1);
  auto weight = [](const ImageInfo& i) { return uint64_t{i.width} * i.height * i.bitsPerPixel; };
  return CompareNumbers(weight(*a), weight(*b)) * direction;
}

}  // namespace volumist
