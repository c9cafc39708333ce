// Stored thumbnails: read only inside the volume's tree, decoded only as small JPEG pictures;
// damaged bytes and pictures larger than a thumbnail give nothing to draw.
#include <gtest/gtest.h>

#include "browse/thumbnail.h"
#include "browse_volume.h"
#include "imaging/jpeg_encoder.h"

namespace volumist::browse {
namespace {

std::vector<uint8_t> Jpeg(uint32_t width, uint32_t height) {
  RgbImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(size_t{width} * height * 3, 0);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 7);
  std::optional<std::vector<uint8_t>> bytes = EncodeJpeg(image, 45);
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(std::vector<uint8_t>{});
}

TEST(ThumbnailTest, AStoredThumbnailDecodes) {
  std::vector<uint8_t> bytes = Jpeg(100, 75);
  std::optional<RgbImage> image = DecodeThumbnail(bytes);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 100u);
  EXPECT_EQ(image->height, 75u);
}

TEST(ThumbnailTest, DamagedBytesGiveNothing) {
  std::vector<uint8_t> good = Jpeg(100, 75);
  std::vector<uint8_t> noHeader(good.begin() + 20, good.end());
  std::vector<uint8_t> header(good.begin(), good.begin() + 10);
  std::vector<uint8_t> zeros(600, 0);
  std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  for (const std::vector<uint8_t>* bytes : {&noHeader, &header, &zeros, &text}) {
    EXPECT_FALSE(DecodeThumbnail(*bytes).has_value());
  }
  EXPECT_FALSE(DecodeThumbnail({}).has_value());
}

TEST(ThumbnailTest, PicturesLargerThanAThumbnailAreRefused) {
  EXPECT_TRUE(DecodeThumbnail(Jpeg(kMaxThumbnailSide, 1)).has_value());
  EXPECT_FALSE(DecodeThumbnail(Jpeg(kMaxThumbnailSide + 1, 1)).has_value());
  EXPECT_FALSE(DecodeThumbnail(Jpeg(1, 2000)).has_value());
  // A few bytes may declare a huge picture: the size field of a valid 8 x 8 stream raised to
  // 60000 x 60000 is refused before anything is allocated for it.
  std::vector<uint8_t> bytes = Jpeg(8, 8);
  bool patched = false;
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // start of frame: length, precision, height, width
      bytes[i + 5] = 0xEA, bytes[i + 6] = 0x60, bytes[i + 7] = 0xEA, bytes[i + 8] = 0x60;
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  EXPECT_FALSE(DecodeThumbnail(bytes).has_value());
}

TEST(ThumbnailTest, BytesAreReadOnlyInsideTheTree) {
  testing::BrowseVolume volume;
  ::volumist::testing::MemoryNode photo = ::volumist::testing::MemoryNode::File("photo", ".png", 5000);
  ImageInfo info;
  info.width = 640, info.height = 480, info.bitsPerPixel = 24, info.isEmpty = false;
  info.thumbnail = Jpeg(100, 75);
  info.thumbnailLength = static_cast<uint16_t>(info.thumbnail.size());
  photo.hasMediaInfo = true;
  photo.mediaInfo.mediaType = kMediaPng;
  photo.mediaInfo.body = info;
  ::volumist::testing::MemorySource source;
  source.children = {photo};
  ASSERT_TRUE(volume.Write({source}, {false}));
  std::optional<ItemRow> row = volume.Row({"photo.png"});
  ASSERT_TRUE(row.has_value());
  ASSERT_NE(row->Image(), nullptr);
  ImageInfo stored = *row->Image();
  std::optional<std::vector<uint8_t>> bytes = ReadThumbnailBytes(volume.Volume(), stored);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, info.thumbnail);
  EXPECT_TRUE(DecodeThumbnail(*bytes).has_value());
  // Offsets that a damaged record could hold: before the tree, past its end, wrapping.
  for (uint64_t offset : {uint64_t{0}, uint64_t{volume.Volume().Header().treeEnd}, UINT64_MAX - 10}) {
    ImageInfo damaged = stored;
    damaged.thumbnailOffset = offset;
    EXPECT_FALSE(ReadThumbnailBytes(volume.Volume(), damaged).has_value()) << offset;
  }
  ImageInfo empty = stored;
  empty.thumbnailLength = 0;
  EXPECT_FALSE(ReadThumbnailBytes(volume.Volume(), empty).has_value());
}

}  // namespace
}  // namespace volumist::browse
