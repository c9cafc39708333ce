// Image analysis: sizes, declared depths and thumbnails of real pictures, thumbnails read back
// from a volume, and the ordering of image records.
#include <gtest/gtest.h>

#include <array>

#include "analysis/image_analyzer.h"
#include "analysis/media_format.h"
#include "catalog/folder_contents.h"
#include "imaging/memory_file.h"
#include "testing/picture_builder.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"
#include "testing/wmf_builder.h"

namespace volumist {
namespace {

struct Result {
  bool ok = false;
  ImageInfo info;
  Picture thumbnail;  // decoded from the thumbnail bytes
};

Result Analyze(const std::string& bytes, uint8_t mediaType) {
  MemoryFile file({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  Result result;
  result.ok = AnalyzeImage(file, mediaType, result.info);
  if (result.ok) {
    EXPECT_EQ(result.info.thumbnailLength, result.info.thumbnail.size());
    EXPECT_TRUE(result.thumbnail.LoadFromMemory(result.info.thumbnail, PictureFormat::kJpeg));
  }
  return result;
}

TEST(ImageAnalyzerTest, SizesDepthsAndThumbnails) {
  struct Case {
    const char* name;
    std::string bytes;
    uint8_t type;
    uint16_t width, height;
    uint8_t bits;
    uint32_t thumbWidth, thumbHeight;
    const char* colors;
  };
  std::vector<uint8_t> palette(256 * 3);
  for (int i = 0; i < 768; ++i) palette[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> indexes(80 * 60);
  for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = static_cast<uint8_t>(i);
  const Case cases[] = {
      {"1024 x 768 JPEG", testing::EncodeJpegFile(testing::PatternImage(1024, 768)), kMediaJpeg, 1024, 768, 24, 100, 75,
       "16 Million Colors"},
      {"80 x 60 GIF of 256 colours", testing::EncodeGif(80, 60, indexes, {palette}), kMediaGif, 80, 60, 8, 80, 60, "256 Colors"},
      {"1 x 5000 PNG", testing::EncodePng(testing::PatternImage(1, 5000)), kMediaPng, 1, 5000, 24, 1, 100, "16 Million Colors"},
      {"768 x 1024 TIFF", testing::EncodeTiff(testing::PatternImage(768, 1024)), kMediaTiff, 768, 1024, 24, 75, 100,
       "16 Million Colors"},
      {"grey PNG", testing::EncodePng(testing::PatternImage(300, 200), {testing::PngOptions::Kind::kGray}), kMediaPng, 300,
       200, 8, 100, 67, "256 Colors"},
      {"wireless bitmap", std::string("\0\0\x20\x10", 4) + std::string(64, '\x0F'), kMediaWbmp, 32, 16, 1, 32, 16, "2 Colors"},
      {"metafile of 6 x 2 inches", testing::UemfShapes(testing::FourColours(), 8), kMediaWmf, 576, 192, 24, 100, 34,
       "16 Million Colors"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result r = Analyze(c.bytes, c.type);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.info.isEmpty);
    EXPECT_EQ(r.info.width, c.width);
    EXPECT_EQ(r.info.height, c.height);
    EXPECT_EQ(r.info.bitsPerPixel, c.bits);
    EXPECT_EQ(r.thumbnail.Width(), c.thumbWidth);
    EXPECT_EQ(r.thumbnail.Height(), c.thumbHeight);
    EXPECT_EQ(r.thumbnail.BitsPerPixel(), 24);  // the thumbnail is always a colour JPEG
    EXPECT_EQ(FormatFrameSize(r.info), std::to_string(c.width) + " x " + std::to_string(c.height));
    EXPECT_EQ(FormatColors(r.info), c.colors);
    EXPECT_EQ(FormatBits(r.info), std::to_string(c.bits) + " bits");
  }
}

TEST(ImageAnalyzerTest, ThumbnailKeepsThePicture) {
  // Left half red, right half blue: the thumbnail shows the same halves.
  RgbImage image = testing::SolidImage(800, 400, 255, 0, 0);
  for (uint32_t y = 0; y < 400; ++y) {
    for (uint32_t x = 400; x < 800; ++x) image.Row(y)[3 * x] = 0, image.Row(y)[3 * x + 2] = 255;
  }
  Result r = Analyze(testing::EncodePng(image), kMediaPng);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.thumbnail.Width(), 100u);
  ASSERT_EQ(r.thumbnail.Height(), 50u);
  const uint8_t* row = r.thumbnail.Pixels().Row(25);
  EXPECT_GT(row[3 * 10], 200);
  EXPECT_LT(row[3 * 10 + 2], 60);
  EXPECT_LT(row[3 * 90], 60);
  EXPECT_GT(row[3 * 90 + 2], 200);
  // A small quality-45 stream.
  EXPECT_LT(r.info.thumbnail.size(), 4000u);
}

TEST(ImageAnalyzerTest, MetafileThumbnailShowsItsShapes) {
  // A red square on the left, a blue circle in the middle, a bitmap on the right (red, green over
  // blue, white), in a 100 x 34 thumbnail.
  Result r = Analyze(testing::UemfShapes(testing::FourColours(), 24), kMediaWmf);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.thumbnail.Width(), 100u);
  ASSERT_EQ(r.thumbnail.Height(), 34u);
  auto at = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = r.thumbnail.Pixels().Row(y) + 3 * x;
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  auto near = [](std::array<int, 3> actual, std::array<int, 3> expected) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual[c], expected[c], 40) << "channel " << c;
  };
  near(at(16, 17), {255, 0, 0});
  near(at(50, 17), {0, 0, 255});
  near(at(76, 9), {255, 0, 0});
  near(at(91, 9), {0, 255, 0});
  near(at(76, 25), {0, 0, 255});
  near(at(91, 25), {255, 255, 255});
}

TEST(ImageAnalyzerTest, FilesThatAreNoPicturesGiveNoInformation) {
  struct Case {
    const char* name;
    std::string bytes;
    uint8_t type;
  };
  const Case cases[] = {
      {"text named .bmp", "This is not a bitmap at all.", kMediaBmp},
      {"PNG named .jpg", testing::EncodePng(testing::PatternImage(8, 8)), kMediaJpeg},
      {"metafile with a broken header", std::string("\xD7\xCD\xC6\x9A\0\0", 6) + std::string(100, '\0'), kMediaWmf},
      {"no image type", testing::EncodePng(testing::PatternImage(8, 8)), kMediaMp3},
      {"empty", "", kMediaGif},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result r = Analyze(c.bytes, c.type);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.info.isEmpty);
    EXPECT_TRUE(r.info.thumbnail.empty());
  }
  ImageInfo info;
  EXPECT_FALSE(AnalyzeImage("/nonexistent/picture.png", kMediaPng, info));
}

TEST(ImageAnalyzerTest, ThumbnailsAreLoadedFromTheVolume) {
  testing::TempDir dir;
  std::string picturePath = dir.File("p.jpg");
  testing::WriteFileBytes(picturePath, testing::EncodeJpegFile(testing::PatternImage(640, 480)));
  ImageInfo info;
  ASSERT_TRUE(AnalyzeImage(picturePath, kMediaJpeg, info));
  testing::MemoryNode picture = testing::MemoryNode::File("p", ".jpg", 5000);
  picture.hasMediaInfo = true;
  picture.mediaInfo.mediaType = kMediaJpeg;
  picture.mediaInfo.body = info;
  testing::MemoryNode broken = picture;
  ImageInfo garbage = info;
  garbage.thumbnail.assign(50, 0x42);
  broken.name = "broken";
  broken.mediaInfo.body = garbage;
  testing::MemorySource source;
  source.children = {picture, broken};
  testing::RecordingPrompter prompter;
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir.File("v.vkt"), "V", {false}), {source}, prompter));

  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  ASSERT_TRUE(volume.OpenVolume(dir.File("v.vkt")));
  std::vector<ContentItem> items;
  ASSERT_EQ(ReadTopLevel(volume, [&](const ContentItem& item) { items.push_back(item); return true; }), ListingEnd::kComplete);
  ASSERT_EQ(items.size(), 2u);
  const ImageInfo* stored = items[0].file.mediaInfo.Image();
  ASSERT_NE(stored, nullptr);
  EXPECT_TRUE(stored->thumbnail.empty());  // reading keeps the position only
  EXPECT_EQ(stored->width, 640);
  std::optional<Picture> thumbnail = LoadThumbnail(volume, *stored);
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(thumbnail->Width(), 100u);
  EXPECT_EQ(thumbnail->Height(), 75u);
  EXPECT_FALSE(LoadThumbnail(volume, *items[1].file.mediaInfo.Image()));
  EXPECT_TRUE(prompter.entries.empty());
}

TEST(ImageAnalyzerTest, ImagesSortByAreaTimesDepth) {
  ImageInfo small, large, deep;
  small.width = 100, small.height = 100, small.bitsPerPixel = 24;
  large.width = 200, large.height = 200, large.bitsPerPixel = 8;    // 320,000
  deep.width = 100, deep.height = 200, deep.bitsPerPixel = 24;      // 480,000
  for (int direction : {1, -1}) {
    EXPECT_EQ(CompareImage(&small, &large, direction), -direction);
    EXPECT_EQ(CompareImage(&deep, &large, direction), direction);
    EXPECT_EQ(CompareImage(&small, &small, direction), 0);
    EXPECT_EQ(CompareImage(nullptr, &small, direction), 1);
    EXPECT_EQ(CompareImage(&small, nullptr, direction), -1);
  }
}

}  // namespace
}  // namespace volumist
