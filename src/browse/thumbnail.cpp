#include "browse/thumbnail.h"

#include "imaging/memory_file.h"
#include "imaging/picture_decoder.h"
#include "imaging/raster_sink.h"

namespace volumist::browse {
namespace {

// Refuses pictures larger than a thumbnail before the decoder allocates anything for them.
class ThumbnailSink final : public RasterSink {
 public:
  bool Begin(uint32_t width, uint32_t height) override {
    if (width == 0 || height == 0 || width > kMaxThumbnailSide || height > kMaxThumbnailSide) return false;
    return inner_.Begin(width, height);
  }
  void PutRow(uint32_t y, const uint8_t* rgb) override { inner_.PutRow(y, rgb); }
  ReducingSink& Inner() { return inner_; }

 private:
  ReducingSink inner_;
};

}  // namespace

std::optional<std::vector<uint8_t>> ReadThumbnailBytes(VolumeCatalog& volume, const ImageInfo& info) {
  if (!volume.IsLoaded() || info.thumbnailLength == 0) return std::nullopt;
  const VolumeHeader& header = volume.Header();
  // Compared without a sum that a damaged offset could make wrap.
  if (info.thumbnailOffset < header.treeStart || info.thumbnailOffset > header.treeEnd ||
      info.thumbnailLength > header.treeEnd - info.thumbnailOffset) {
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(info.thumbnailLength);
  platform::BufferedReader& in = volume.Records().Input();
  in.Seek(info.thumbnailOffset);
  if (!in.Read(bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

std::optional<RgbImage> DecodeThumbnail(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  MemoryFile file(bytes);
  ThumbnailSink sink;
  PictureHeader header;
  if (!DecodeJpeg(file, 0, sink, header)) return std::nullopt;
  if (sink.Inner().RowsReceived() == 0) return std::nullopt;
  RgbImage image = sink.Inner().Finish();
  if (image.empty()) return std::nullopt;
  return image;
}

}  // namespace volumist::browse
