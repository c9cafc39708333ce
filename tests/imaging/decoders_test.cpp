// The picture decoders on pictures written by the codec libraries (PNG, JPEG, GIF, TIFF) and on
// bitmaps, icons, PCX, TGA and WBMP files whose headers are written here field by field.
#include <gtest/gtest.h>

#include <array>

#include "imaging/jpeg_encoder.h"
#include "imaging/picture.h"
#include "testing/byte_builder.h"
#include "testing/picture_builder.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using Rgb = std::array<int, 3>;

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

Rgb PixelAt(const Picture& picture, uint32_t x, uint32_t y) {
  const uint8_t* p = picture.Pixels().Row(y) + 3 * size_t{x};
  return {p[0], p[1], p[2]};
}

void ExpectNear(const Rgb& actual, const Rgb& expected, int tolerance) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual[c], expected[c], tolerance) << "channel " << c;
}

struct Expected {
  uint32_t width, height;
  int bits;
  std::vector<std::pair<std::pair<uint32_t, uint32_t>, Rgb>> pixels;  // (x, y) -> colour
  int tolerance = 0;
};

void ExpectDecodes(const std::string& bytes, PictureFormat format, const Expected& expected) {
  SCOPED_TRACE(::testing::Message() << "format " << static_cast<int>(format) << ", " << bytes.size() << " bytes");
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(Bytes(bytes), format));
  EXPECT_EQ(picture.Width(), expected.width);
  EXPECT_EQ(picture.Height(), expected.height);
  EXPECT_EQ(picture.BitsPerPixel(), expected.bits);
  ASSERT_EQ(picture.Pixels().width, expected.width);
  ASSERT_EQ(picture.Pixels().height, expected.height);
  for (const auto& [at, colour] : expected.pixels) {
    SCOPED_TRACE("pixel " + std::to_string(at.first) + "," + std::to_string(at.second));
    ExpectNear(PixelAt(picture, at.first, at.second), colour, expected.tolerance);
  }
}

// --- Formats written by their libraries.

TEST(DecodersTest, PngInEveryColourType) {
  RgbImage image = testing::PatternImage(40, 30);
  Rgb corner = {image.pixels[0], image.pixels[1], image.pixels[2]};
  const uint8_t* last = image.Row(29) + 3 * 39;
  Rgb far = {last[0], last[1], last[2]};
  using Kind = testing::PngOptions::Kind;
  struct Case {
    const char* name;
    testing::PngOptions options;
    int bits;
    Rgb expectedCorner, expectedFar;
  };
  const Case cases[] = {
      {"rgb", {Kind::kRgb, 8, false}, 24, corner, far},
      {"rgb 16-bit", {Kind::kRgb, 16, false}, 48, corner, far},
      {"interlaced", {Kind::kRgb, 8, true}, 24, corner, far},
      {"gray", {Kind::kGray, 8, false}, 8, {corner[0], corner[0], corner[0]}, {far[0], far[0], far[0]}},
      {"palette", {Kind::kPalette, 8, false}, 8, corner, corner},  // more than 256 colours: the rest is entry 0
      {"transparent rgba", {Kind::kRgba, 8, false, 0}, 32, {255, 255, 255}, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectDecodes(testing::EncodePng(image, c.options), PictureFormat::kPng,
                  {40, 30, c.bits, {{{0, 0}, c.expectedCorner}, {{39, 29}, c.expectedFar}}});
  }
}

TEST(DecodersTest, JpegColourGreyAndProgressive) {
  RgbImage image = testing::SolidImage(64, 48, 200, 40, 90);
  ExpectDecodes(testing::EncodeJpegFile(image, 95), PictureFormat::kJpeg, {64, 48, 24, {{{10, 10}, {200, 40, 90}}}, 6});
  ExpectDecodes(testing::EncodeJpegFile(image, 95, true), PictureFormat::kJpeg, {64, 48, 8, {{{10, 10}, {200, 200, 200}}}, 4});
  ExpectDecodes(testing::EncodeJpegFile(image, 95, false, true), PictureFormat::kJpeg,
                {64, 48, 24, {{{63, 47}, {200, 40, 90}}}, 6});
}

TEST(DecodersTest, LargeJpegIsDecodedScaledDownForAThumbnail) {
  RgbImage image = testing::PatternImage(4000, 3000);
  std::string bytes = testing::EncodeJpegFile(image, 85);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(Bytes(bytes), PictureFormat::kJpeg, 100));
  EXPECT_EQ(picture.Width(), 4000u);
  EXPECT_EQ(picture.Height(), 3000u);
  // Decoded at 1/8 (500 x 375), then halved: still at least twice the 100 x 75 thumbnail.
  EXPECT_EQ(picture.Pixels().width, 250u);
  EXPECT_EQ(picture.Pixels().height, 188u);
  // The gradient survives: red grows from left to right.
  EXPECT_LT(PixelAt(picture, 5, 90)[0], 30);
  EXPECT_GT(PixelAt(picture, 245, 90)[0], 225);
  Picture full;
  ASSERT_TRUE(full.LoadFromMemory(Bytes(bytes), PictureFormat::kJpeg));
  EXPECT_EQ(full.Pixels().width, 4000u);
}

TEST(DecodersTest, GifFirstFrameOnItsScreen) {
  std::vector<uint8_t> palette(256 * 3);
  for (int i = 0; i < 256; ++i) palette[3 * i] = static_cast<uint8_t>(i), palette[3 * i + 2] = 7;
  std::vector<uint8_t> indexes(80 * 60);
  for (uint32_t y = 0; y < 60; ++y) {
    for (uint32_t x = 0; x < 80; ++x) indexes[y * 80 + x] = static_cast<uint8_t>(y * 4);
  }
  testing::GifOptions plain{palette};
  ExpectDecodes(testing::EncodeGif(80, 60, indexes, plain), PictureFormat::kGif,
                {80, 60, 8, {{{3, 0}, {0, 0, 7}}, {{3, 59}, {236, 0, 7}}}});
  testing::GifOptions interlaced = plain;
  interlaced.interlaced = true;
  ExpectDecodes(testing::EncodeGif(80, 60, indexes, interlaced), PictureFormat::kGif,
                {80, 60, 8, {{{0, 1}, {4, 0, 7}}, {{0, 4}, {16, 0, 7}}, {{0, 13}, {52, 0, 7}}}});
  // Two colours are one bit; a transparent index shows white; the screen around the frame too.
  testing::GifOptions framed{{10, 20, 30, 40, 50, 60}, false, 1, 20, 10, 5, 4};
  std::vector<uint8_t> two = {0, 1, 0, 1, 0, 1};
  ExpectDecodes(testing::EncodeGif(3, 2, two, framed), PictureFormat::kGif,
                {20, 10, 1, {{{5, 4}, {10, 20, 30}}, {{6, 4}, {255, 255, 255}}, {{0, 0}, {255, 255, 255}}}});
}

TEST(DecodersTest, TiffRgb) {
  RgbImage image = testing::PatternImage(50, 33);
  const uint8_t* p = image.Row(20) + 3 * 17;
  ExpectDecodes(testing::EncodeTiff(image), PictureFormat::kTiff, {50, 33, 24, {{{17, 20}, {p[0], p[1], p[2]}}}});
}

TEST(DecodersTest, JpegEncoderRoundTrip) {
  RgbImage image = testing::SolidImage(100, 75, 30, 160, 220);
  auto bytes = EncodeJpeg(image, 45);
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[0], 0xFF);
  EXPECT_EQ((*bytes)[1], 0xD8);
  EXPECT_LT(bytes->size(), 2000u);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(*bytes, PictureFormat::kJpeg));
  EXPECT_EQ(picture.Width(), 100u);
  ExpectNear(PixelAt(picture, 50, 40), {30, 160, 220}, 8);
  EXPECT_FALSE(EncodeJpeg(RgbImage{}, 45));
}

// --- Bitmaps written field by field.

struct BmpLayout {
  int32_t width = 0, height = 0;
  uint16_t bits = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint32_t> masks;    // after a 40-byte header
  uint32_t headerSize = 40;
  std::string pixels;
};

std::string DibHeader(const BmpLayout& s) {
  ByteBuilder b;
  if (s.headerSize == 12) {
    b.U32(12).U16(static_cast<uint16_t>(s.width)).U16(static_cast<uint16_t>(s.height)).U16(1).U16(s.bits);
  } else {
    b.U32(s.headerSize).U32(static_cast<uint32_t>(s.width)).U32(static_cast<uint32_t>(s.height)).U16(1).U16(s.bits);
    b.U32(s.compression).U32(0).U32(2835).U32(2835).U32(static_cast<uint32_t>(s.palette.size())).U32(0);
    b.Zeros(s.headerSize - 40);
  }
  for (uint32_t m : s.masks) b.U32(m);
  for (uint32_t c : s.palette) {
    b.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8((c >> 16) & 0xFF);
    if (s.headerSize != 12) b.U8(0);
  }
  return b.bytes();
}

std::string Bmp(const BmpLayout& s) {
  std::string dib = DibHeader(s);
  ByteBuilder b;
  b.Raw("BM").U32(static_cast<uint32_t>(14 + dib.size() + s.pixels.size())).U32(0).U32(static_cast<uint32_t>(14 + dib.size()));
  return b.bytes() + dib + s.pixels;
}

TEST(DecodersTest, BitmapsOfEveryDepthAndLayout) {
  struct Case {
    const char* name;
    BmpLayout layout;
    Expected expected;
  };
  // 2 x 2 pictures; rows are stored bottom-up unless the height is negative.
  const Case cases[] = {
      {"24-bit bottom-up",
       {2, 2, 24, 0, {}, {}, 40, ByteBuilder().Raw("\x01\x02\x03\x04\x05\x06").Zeros(2).Raw("\x10\x20\x30\x40\x50\x60").Zeros(2).bytes()},
       {2, 2, 24, {{{0, 1}, {3, 2, 1}}, {{1, 1}, {6, 5, 4}}, {{0, 0}, {0x30, 0x20, 0x10}}}}},
      {"24-bit top-down",
       {2, -2, 24, 0, {}, {}, 40, ByteBuilder().Raw("\x01\x02\x03\x04\x05\x06").Zeros(2).Raw("\x10\x20\x30\x40\x50\x60").Zeros(2).bytes()},
       {2, 2, 24, {{{0, 0}, {3, 2, 1}}, {{1, 1}, {0x60, 0x50, 0x40}}}}},
      {"8-bit palette",
       {2, 2, 8, 0, {0x102030, 0xA0B0C0}, {}, 40, ByteBuilder().U8(0).U8(1).Zeros(2).U8(1).U8(0).Zeros(2).bytes()},
       {2, 2, 8, {{{0, 1}, {0x10, 0x20, 0x30}}, {{1, 1}, {0xA0, 0xB0, 0xC0}}, {{0, 0}, {0xA0, 0xB0, 0xC0}}}}},
      {"4-bit palette",
       {2, 2, 4, 0, {0, 0xFF0000}, {}, 40, ByteBuilder().U8(0x01).Zeros(3).U8(0x10).Zeros(3).bytes()},
       {2, 2, 4, {{{1, 1}, {255, 0, 0}}, {{0, 0}, {255, 0, 0}}, {{1, 0}, {0, 0, 0}}}}},
      {"1-bit palette",
       {2, 2, 1, 0, {0x000000, 0xFFFFFF}, {}, 40, ByteBuilder().U8(0x80).Zeros(3).U8(0x40).Zeros(3).bytes()},
       {2, 2, 1, {{{0, 1}, {255, 255, 255}}, {{1, 1}, {0, 0, 0}}, {{1, 0}, {255, 255, 255}}}}},
      {"16-bit 5-5-5",
       {2, 1, 16, 0, {}, {}, 40, ByteBuilder().U16(0x7C00).U16(0x001F).bytes()},
       {2, 1, 16, {{{0, 0}, {255, 0, 0}}, {{1, 0}, {0, 0, 255}}}}},
      {"16-bit bit fields 5-6-5",
       {2, 1, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, 40, ByteBuilder().U16(0x07E0).U16(0xF800).bytes()},
       {2, 1, 16, {{{0, 0}, {0, 255, 0}}, {{1, 0}, {255, 0, 0}}}}},
      {"32-bit",
       {1, 1, 32, 0, {}, {}, 40, ByteBuilder().U32(0x00123456).bytes()},
       {1, 1, 32, {{{0, 0}, {0x12, 0x34, 0x56}}}}},
      {"v5 header with masks inside",
       {1, 1, 32, 3, {}, {}, 124, ByteBuilder().U32(0x000000FF).bytes()},
       {1, 1, 32, {{{0, 0}, {0, 0, 0}}}}},  // masks in the header are zero: no colour
      {"OS/2 core header",
       {2, 1, 8, 0, {0x0000FF, 0x00FF00}, {}, 12, ByteBuilder().U8(1).U8(0).Zeros(2).bytes()},
       {2, 1, 8, {{{0, 0}, {0, 255, 0}}, {{1, 0}, {0, 0, 255}}}}},
      {"RLE8: run, literal, end of line, delta, end",
       {4, 3, 8, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {}, 40,
        ByteBuilder().Raw(std::string("\x02\x01\x00\x03\x02\x03\x01\x00", 8)).Raw(std::string("\x00\x00", 2))
            .Raw(std::string("\x00\x02\x02\x01", 4)).Raw(std::string("\x01\x03\x00\x01", 4)).bytes()},
       {4, 3, 8, {{{0, 2}, {255, 0, 0}}, {{2, 2}, {0, 255, 0}}, {{4 - 1, 2}, {0, 0, 255}}, {{0, 1}, {255, 255, 255}},
                  {{2, 0}, {0, 0, 255}}, {{1, 0}, {255, 255, 255}}}}},
      {"RLE4",
       {4, 1, 4, 2, {0x000000, 0xFF0000, 0x00FF00}, {}, 40, ByteBuilder().U8(4).U8(0x12).U8(0).U8(1).bytes()},
       {4, 1, 4, {{{0, 0}, {255, 0, 0}}, {{1, 0}, {0, 255, 0}}, {{2, 0}, {255, 0, 0}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectDecodes(Bmp(c.layout), PictureFormat::kBmp, c.expected);
  }
}

TEST(DecodersTest, IconsTakeTheirLargestPicture) {
  // A 2 x 2 32-bit bitmap with alpha (left column transparent) and a 1 x 1 8-bit one.
  BmpLayout big{2, 4, 32, 0, {}, {}, 40,
              ByteBuilder().U32(0x00FF0000).U32(0xFF00FF00).U32(0x000000FF).U32(0xFF0000FF).Zeros(8).bytes()};
  BmpLayout small{1, 2, 8, 0, {0x123456}, {}, 40, ByteBuilder().U8(0).Zeros(3).Zeros(4).bytes()};
  std::string bigDib = DibHeader(big) + big.pixels;
  std::string smallDib = DibHeader(small) + small.pixels;
  ByteBuilder ico;
  ico.U16(0).U16(1).U16(2);
  uint32_t offset = 6 + 32;
  ico.U8(1).U8(1).U8(0).U8(0).U16(1).U16(8).U32(static_cast<uint32_t>(smallDib.size())).U32(offset);
  ico.U8(2).U8(2).U8(0).U8(0).U16(1).U16(32).U32(static_cast<uint32_t>(bigDib.size())).U32(offset + static_cast<uint32_t>(smallDib.size()));
  std::string file = ico.bytes() + smallDib + bigDib;
  ExpectDecodes(file, PictureFormat::kIco,
                {2, 2, 32, {{{0, 1}, {255, 255, 255}}, {{1, 1}, {0, 255, 0}}, {{1, 0}, {0, 0, 255}}}});

  // An 8-bit icon whose AND mask makes its right pixel transparent.
  BmpLayout masked{2, 2, 8, 0, {0x00FF00}, {}, 40, ByteBuilder().U8(0).U8(0).Zeros(2).U8(0x40).Zeros(3).bytes()};
  std::string maskedDib = DibHeader(masked) + masked.pixels;
  ByteBuilder one;
  one.U16(0).U16(1).U16(1).U8(2).U8(1).U8(0).U8(0).U16(1).U16(8).U32(static_cast<uint32_t>(maskedDib.size())).U32(22);
  ExpectDecodes(one.bytes() + maskedDib, PictureFormat::kIco, {2, 1, 8, {{{0, 0}, {0, 255, 0}}, {{1, 0}, {255, 255, 255}}}});

  // A PNG inside.
  std::string png = testing::EncodePng(testing::SolidImage(3, 3, 9, 8, 7));
  ByteBuilder withPng;
  withPng.U16(0).U16(1).U16(1).U8(3).U8(3).U8(0).U8(0).U16(1).U16(32).U32(static_cast<uint32_t>(png.size())).U32(22);
  ExpectDecodes(withPng.bytes() + png, PictureFormat::kIco, {3, 3, 24, {{{2, 2}, {9, 8, 7}}}});
}

TEST(DecodersTest, PcxTgaAndWbmp) {
  // PCX: 8 bits, one plane, palette at the end; runs of 3 and a literal.
  ByteBuilder pcx;
  pcx.U8(0x0A).U8(5).U8(1).U8(8).U16(0).U16(0).U16(3).U16(1).U16(72).U16(72).Zeros(48).U8(0).U8(1).U16(4).U16(1).Zeros(58);
  pcx.U8(0xC3).U8(1).U8(2).U8(0xC4).U8(1);
  pcx.U8(0x0C).Raw(std::string("\x00\x00\x00\xFF\x00\x00\x00\xFF\x00", 9)).Zeros(768 - 9);
  ExpectDecodes(pcx.bytes(), PictureFormat::kPcx,
                {4, 2, 8, {{{0, 0}, {255, 0, 0}}, {{3, 0}, {0, 255, 0}}, {{2, 1}, {255, 0, 0}}}});
  // PCX: 24 bits as three planes.
  ByteBuilder rgb;
  rgb.U8(0x0A).U8(5).U8(1).U8(8).U16(0).U16(0).U16(1).U16(0).U16(72).U16(72).Zeros(48).U8(0).U8(3).U16(2).U16(1).Zeros(58);
  rgb.U8(10).U8(20).U8(30).U8(40).U8(50).U8(60);
  ExpectDecodes(rgb.bytes(), PictureFormat::kPcx, {2, 1, 24, {{{0, 0}, {10, 30, 50}}, {{1, 0}, {20, 40, 60}}}});

  // TGA: 24 bits, uncompressed, bottom-up.
  ByteBuilder tga;
  tga.U8(0).U8(0).U8(2).Zeros(5).U16(0).U16(0).U16(2).U16(2).U8(24).U8(0);
  tga.Raw("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C");
  ExpectDecodes(tga.bytes(), PictureFormat::kTga, {2, 2, 24, {{{0, 1}, {3, 2, 1}}, {{1, 0}, {12, 11, 10}}}});
  // TGA: 32 bits, run-length coded, top-down; a run of 3 then a raw pixel.
  ByteBuilder rle;
  rle.U8(0).U8(0).U8(10).Zeros(5).U16(0).U16(0).U16(2).U16(2).U8(32).U8(0x28);
  rle.U8(0x82).U32(0xFF102030).U8(0x00).U32(0xFF405060);
  ExpectDecodes(rle.bytes(), PictureFormat::kTga, {2, 2, 32, {{{0, 0}, {0x10, 0x20, 0x30}}, {{0, 1}, {0x10, 0x20, 0x30}}, {{1, 1}, {0x40, 0x50, 0x60}}}});
  // TGA: colour-mapped with a 24-bit map.
  ByteBuilder mapped;
  mapped.U8(0).U8(1).U8(1).U16(0).U16(2).U8(24).U16(0).U16(0).U16(2).U16(1).U8(8).U8(0x20);
  mapped.Raw(std::string("\x00\x00\xFF\x00\xFF\x00", 6)).U8(1).U8(0);
  ExpectDecodes(mapped.bytes(), PictureFormat::kTga, {2, 1, 8, {{{0, 0}, {0, 255, 0}}, {{1, 0}, {255, 0, 0}}}});

  // WBMP: 10 x 2, one-bit rows padded to two bytes.
  ByteBuilder wbmp;
  wbmp.U8(0).U8(0).U8(10).U8(2).U8(0x80).U8(0x40).U8(0x00).U8(0xC0);
  ExpectDecodes(wbmp.bytes(), PictureFormat::kWbmp,
                {10, 2, 1, {{{0, 0}, {255, 255, 255}}, {{1, 0}, {0, 0, 0}}, {{9, 0}, {255, 255, 255}}, {{8, 1}, {255, 255, 255}}, {{0, 1}, {0, 0, 0}}}});
}

// --- Hostile input: refused without allocating for the declared size, never read past the data.

TEST(DecodersTest, HostileHeadersAreRefusedOrReadPartially) {
  struct Case {
    const char* name;
    std::string bytes;
    PictureFormat format;
  };
  std::string png = testing::EncodePng(testing::PatternImage(64, 64));
  std::string jpeg = testing::EncodeJpegFile(testing::PatternImage(64, 64));
  std::string gif = testing::EncodeGif(16, 16, std::vector<uint8_t>(256, 1), {{0, 0, 0, 255, 255, 255}});
  std::string tiff = testing::EncodeTiff(testing::PatternImage(32, 32));
  const Case refused[] = {
      {"bmp 65535 x 65535", Bmp({65535, 65535, 24, 0, {}, {}, 40, "abc"}), PictureFormat::kBmp},
      {"bmp 20000 x 20000 without pixels", Bmp({20000, 20000, 24, 0, {}, {}, 40, ""}), PictureFormat::kBmp},
      {"bmp height INT_MIN", Bmp({4, INT32_MIN, 24, 0, {}, {}, 40, "abcdef"}), PictureFormat::kBmp},
      {"bmp 0 bits", Bmp({4, 4, 0, 0, {}, {}, 40, "abcdef"}), PictureFormat::kBmp},
      {"bmp header size 2000", ByteBuilder().Raw("BM").Zeros(12).U32(2000).Zeros(60).bytes(), PictureFormat::kBmp},
      {"bmp embedded jpeg", Bmp({4, 4, 24, 4, {}, {}, 40, "abcdef"}), PictureFormat::kBmp},
      {"png truncated after the header", png.substr(0, 60), PictureFormat::kPng},
      {"png size 70000", [&] { std::string p = png; p[16] = 0, p[17] = 1, p[18] = 0x11, p[19] = 0x70; return p; }(),
       PictureFormat::kPng},
      {"jpeg header only", jpeg.substr(0, 20), PictureFormat::kJpeg},
      {"gif header only", gif.substr(0, 13), PictureFormat::kGif},
      {"tiff header only", tiff.substr(0, 8), PictureFormat::kTiff},
      {"ico entry past the end", ByteBuilder().U16(0).U16(1).U16(1).Zeros(8).U32(100).U32(5000).bytes(), PictureFormat::kIco},
      {"ico 4000 x 4000 bitmap", [&] {
         std::string dib = DibHeader({4000, 8000, 32, 0, {}, {}, 40, ""});
         return ByteBuilder().U16(0).U16(1).U16(1).Zeros(8).U32(static_cast<uint32_t>(dib.size())).U32(22).bytes() + dib;
       }(), PictureFormat::kIco},
      {"pcx xmax below xmin", ByteBuilder().U8(0x0A).U8(5).U8(1).U8(8).U16(5).U16(0).U16(1).U16(1).Zeros(116).bytes(), PictureFormat::kPcx},
      {"pcx bytes per line too small", ByteBuilder().U8(0x0A).U8(5).U8(1).U8(8).U16(0).U16(0).U16(99).U16(0).Zeros(52).U8(1).U16(2).Zeros(60).U8(1).bytes(), PictureFormat::kPcx},
      {"tga 65535 x 65535", ByteBuilder().U8(0).U8(0).U8(2).Zeros(9).U16(65535).U16(65535).U8(24).U8(0).Raw("abc").bytes(), PictureFormat::kTga},
      {"tga type 7", ByteBuilder().U8(0).U8(0).U8(7).Zeros(9).U16(2).U16(2).U8(24).U8(0).Zeros(12).bytes(), PictureFormat::kTga},
      {"wbmp width of 6 bytes", ByteBuilder().U8(0).U8(0).Raw("\x81\x81\x81\x81\x81\x01").U8(1).bytes(), PictureFormat::kWbmp},
      {"wbmp header without rows", ByteBuilder().U8(0).U8(0).U8(8).U8(8).bytes(), PictureFormat::kWbmp},
      {"wmf", "\xD7\xCD\xC6\x9A", PictureFormat::kWmf},
      {"empty", "", PictureFormat::kPng},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    Picture picture;
    EXPECT_FALSE(picture.LoadFromMemory(Bytes(c.bytes), c.format));
    EXPECT_FALSE(picture.LoadFromMemory(Bytes(c.bytes), c.format, 100));
    EXPECT_FALSE(picture.IsValid());
  }
  // Data that ends inside the pixels keeps the rows that were there.
  const Case partial[] = {
      {"png cut in its data", [] {
         // Noise does not compress, so the picture spans many data chunks.
         RgbImage noise = testing::PatternImage(300, 300);
         uint32_t seed = 1;
         for (uint8_t& v : noise.pixels) v = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
         std::string big = testing::EncodePng(noise);
         return big.substr(0, big.size() * 2 / 3);
       }(), PictureFormat::kPng},
      {"jpeg cut in its data", jpeg.substr(0, jpeg.size() / 2), PictureFormat::kJpeg},
      {"bmp with one of two rows", Bmp({2, 2, 24, 0, {}, {}, 40, std::string(8, '\x11')}), PictureFormat::kBmp},
  };
  for (const Case& c : partial) {
    SCOPED_TRACE(c.name);
    Picture picture;
    EXPECT_TRUE(picture.LoadFromMemory(Bytes(c.bytes), c.format));
  }
}

TEST(DecodersTest, PictureOperationsNeedAValidPicture) {
  Picture picture;
  EXPECT_FALSE(picture.Resample(10, 10));
  EXPECT_FALSE(picture.IncreaseColorDepth(24));
  EXPECT_FALSE(picture.EncodeJpeg());
  std::string png = testing::EncodePng(testing::PatternImage(20, 10), {testing::PngOptions::Kind::kPalette});
  ASSERT_TRUE(picture.LoadFromMemory(Bytes(png), PictureFormat::kPng));
  EXPECT_EQ(picture.BitsPerPixel(), 8);
  EXPECT_FALSE(picture.Resample(0, 5));
  EXPECT_FALSE(picture.Resample(70000, 5));
  EXPECT_FALSE(picture.IncreaseColorDepth(16));
  ASSERT_TRUE(picture.Resample(4, 2));
  ASSERT_TRUE(picture.IncreaseColorDepth(24));
  EXPECT_EQ(picture.Width(), 4u);
  EXPECT_EQ(picture.BitsPerPixel(), 24);
  EXPECT_FALSE(picture.Load("/nonexistent/picture.png", PictureFormat::kPng));
  EXPECT_FALSE(picture.IsValid());
}

}  // namespace
}  // namespace volumist
