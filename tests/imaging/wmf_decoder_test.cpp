// The metafile decoder: pictures written by libUEMF (as drawing programs export them) drawn where
// their shapes are, the picture's size from the placeable header or the window, the mapping of
// the window (flipped axes included), the state the records keep, and damaged or hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "imaging/picture.h"
#include "imaging/wmf_format.h"
#include "testing/byte_builder.h"
#include "testing/picture_builder.h"
#include "testing/wmf_builder.h"

namespace volumist {
namespace {

using testing::Placeable;
using testing::WmfFile;
using testing::WmfRecord;
using Rgb = std::array<int, 3>;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0},
    kYellow{255, 255, 0};

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

Rgb PixelAt(const Picture& picture, uint32_t x, uint32_t y) {
  const uint8_t* p = picture.Pixels().Row(y) + 3 * size_t{x};
  return {p[0], p[1], p[2]};
}

// The records that draw a rectangle with a solid brush of `colour` and no outline, in logical
// units, using object slots 0 and 1.
std::vector<std::string> FilledRect(Rgb colour, int left, int top, int right, int bottom) {
  return {WmfRecord(wmf::kCreatePenIndirect, {wmf::kPenNull, 0, 0, 0, 0}),
          WmfRecord(wmf::kSelectObject, {0}),
          WmfRecord(wmf::kCreateBrushIndirect, {0, colour[0] | colour[1] << 8, colour[2], 0}),
          WmfRecord(wmf::kSelectObject, {1}),
          WmfRecord(wmf::kRectangle, {bottom, right, top, left}),
          WmfRecord(wmf::kDeleteObject, {0}),
          WmfRecord(wmf::kDeleteObject, {1})};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> Window(int orgX, int orgY, int extX, int extY) {
  return {WmfRecord(wmf::kSetWindowOrg, {orgY, orgX}), WmfRecord(wmf::kSetWindowExt, {extY, extX})};
}

// Decodes at full size (no thumbnail box): a 100 x 100 window gives a 100 x 100 canvas.
Picture Decode(const std::string& bytes, uint32_t box = 0) {
  Picture picture;
  EXPECT_TRUE(picture.LoadFromMemory(Bytes(bytes), PictureFormat::kWmf, box));
  return picture;
}

TEST(WmfDecoderTest, ShapesWrittenByLibUemfAreDrawnWhereTheyAre) {
  // Two colours in uniform rows (libUEMF reverses the pixels within a 1-bit row; their order is
  // checked on bitmaps elsewhere): black over white.
  RgbImage twoColours = testing::SolidImage(2, 2, 0, 0, 0);
  std::fill(twoColours.pixels.begin() + 6, twoColours.pixels.end(), 255);
  struct Case {
    int bits;
    RgbImage dib;
    std::array<Rgb, 4> quadrants;  // top left, top right, bottom left, bottom right
  };
  const Case cases[] = {
      {1, twoColours, {kBlack, kBlack, kWhite, kWhite}},
      {4, testing::FourColours(), {kRed, kGreen, kBlue, kWhite}},
      {8, testing::FourColours(), {kRed, kGreen, kBlue, kWhite}},
      {24, testing::FourColours(), {kRed, kGreen, kBlue, kWhite}},
      {32, testing::FourColours(), {kRed, kGreen, kBlue, kWhite}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("bitmap of " + std::to_string(c.bits) + " bits");
    std::string bytes = testing::UemfShapes(c.dib, c.bits);
    Picture picture = Decode(bytes, 100);
    // 600 x 200 units at 100 per inch, shown at 96 pixels per inch.
    EXPECT_EQ(picture.Width(), 576u);
    EXPECT_EQ(picture.Height(), 192u);
    EXPECT_EQ(picture.BitsPerPixel(), 24);
    // Drawn at twice the 100 x 34 thumbnail: one canvas pixel is 3 units across, 200/67 down.
    ASSERT_EQ(picture.Pixels().width, 200u);
    ASSERT_EQ(picture.Pixels().height, 67u);
    auto at = [&](int x, int y) { return PixelAt(picture, static_cast<uint32_t>(x / 3), static_cast<uint32_t>(y * 67 / 200)); };
    EXPECT_EQ(at(100, 100), kRed);
    EXPECT_EQ(at(3, 100), kWhite);        // left of the rectangle
    EXPECT_EQ(at(100, 3), kWhite);        // above it
    EXPECT_EQ(at(300, 100), kBlue);       // the circle's middle
    EXPECT_EQ(at(300, 15), kBlue);        // near its top
    EXPECT_EQ(PixelAt(picture, 72, 5), kYellow);  // a line of the hatch, outside the circle
    EXPECT_EQ(PixelAt(picture, 73, 5), kWhite);   // a gap of the hatch, left white (transparent)
    EXPECT_EQ(at(455, 55), c.quadrants[0]);
    EXPECT_EQ(at(545, 55), c.quadrants[1]);
    EXPECT_EQ(at(455, 145), c.quadrants[2]);
    EXPECT_EQ(at(545, 145), c.quadrants[3]);
    EXPECT_EQ(at(400, 195), kBlack);      // the wide line along the bottom
    EXPECT_EQ(at(400, 185), kWhite);
  }
}

TEST(WmfDecoderTest, SizeFromThePlaceableHeaderOrTheWindow) {
  struct Case {
    const char* name;
    std::string bytes;
    uint32_t width, height;
  };
  std::vector<std::string> drawing = FilledRect(kRed, 0, 0, 10, 10);
  const Case cases[] = {
      {"twips", WmfFile(drawing, Placeable{0, 0, 1440, 720, 1440}), 96, 48},
      {"box at an offset", WmfFile(drawing, Placeable{-500, 100, 500, 600, 1000}), 96, 48},
      {"box given right to left", WmfFile(drawing, Placeable{1440, 720, 0, 0, 1440}), 96, 48},
      {"units per inch 0: pixels", WmfFile(drawing, Placeable{0, 0, 300, 200, 0}), 300, 200},
      {"wider than can be catalogued", WmfFile(drawing, Placeable{0, 0, 30000, 10000, 1}), 65535, 21845},
      {"the header wins over the window", WmfFile(Join({Window(0, 0, 50, 50), drawing}), Placeable{0, 0, 960, 480, 960}), 96, 48},
      {"damaged header: the window decides", WmfFile(Join({Window(0, 0, 300, 200), drawing}), Placeable{0, 0, 1440, 720, 1440, true}),
       300, 200},
      {"no placeable header: the window", WmfFile(Join({Window(10, 10, 640, 480), drawing})), 640, 480},
      {"window flipped", WmfFile(Join({Window(0, 480, 640, -480), drawing})), 640, 480},
      {"window set after the first drawing", WmfFile(Join({drawing, Window(0, 0, 320, 240), drawing})), 320, 240},
      {"zero window extent stepped over", WmfFile(Join({Window(0, 0, 0, 50), Window(0, 0, 70, 50), drawing})), 70, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture picture;
    ASSERT_TRUE(picture.LoadFromMemory(Bytes(c.bytes), PictureFormat::kWmf, 100));
    EXPECT_EQ(picture.Width(), c.width);
    EXPECT_EQ(picture.Height(), c.height);
    // Never drawn at the nominal size: at most twice the thumbnail.
    EXPECT_LE(std::max(picture.Pixels().width, picture.Pixels().height), 200u);
  }
}

TEST(WmfDecoderTest, WindowMapsOntoTheWholePictureAndNegativeExtentsFlip) {
  struct Case {
    const char* name;
    std::vector<std::string> window;
    std::array<Rgb, 4> quadrants;  // where the rectangle (0,0)-(50,50) lands
  };
  const Case cases[] = {
      {"y down", Window(0, 0, 100, 100), {kRed, kWhite, kWhite, kWhite}},
      {"y up", Window(0, 100, 100, -100), {kWhite, kWhite, kRed, kWhite}},
      {"x to the left", Window(100, 0, -100, 100), {kWhite, kRed, kWhite, kWhite}},
      {"both", Window(100, 100, -100, -100), {kWhite, kWhite, kWhite, kRed}},
      {"origin moved", Window(-50, -50, 100, 100), {kWhite, kWhite, kWhite, kRed}},
      {"extent doubled by scaling", Join({Window(0, 0, 50, 50), {WmfRecord(wmf::kScaleWindowExt, {1, 2, 1, 2})}}),
       {kRed, kWhite, kWhite, kWhite}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture picture = Decode(WmfFile(Join({c.window, FilledRect(kRed, 0, 0, 50, 50)}), Placeable{0, 0, 96, 96, 96}));
    ASSERT_EQ(picture.Pixels().width, 96u);
    EXPECT_EQ(PixelAt(picture, 20, 20), c.quadrants[0]);
    EXPECT_EQ(PixelAt(picture, 75, 20), c.quadrants[1]);
    EXPECT_EQ(PixelAt(picture, 20, 75), c.quadrants[2]);
    EXPECT_EQ(PixelAt(picture, 75, 75), c.quadrants[3]);
  }
}

TEST(WmfDecoderTest, PolygonFillModes) {
  // Two squares in one polygon set, both drawn the same way round: even-odd leaves the inner one
  // empty, winding fills it.
  std::string squares = WmfRecord(wmf::kPolyPolygon, {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100, 25, 25, 75, 25, 75, 75, 25, 75});
  for (auto [mode, middle] : {std::pair{wmf::kFillAlternate, kWhite}, std::pair{wmf::kFillWinding, kBlue}}) {
    SCOPED_TRACE(mode);
    std::vector<std::string> records = FilledRect(kBlue, 0, 0, 0, 0);
    records.insert(records.begin() + 4, {WmfRecord(wmf::kSetPolyFillMode, {mode}), squares});
    Picture picture = Decode(WmfFile(Join({Window(0, 0, 100, 100), records})));
    EXPECT_EQ(PixelAt(picture, 50, 50), middle);
    EXPECT_EQ(PixelAt(picture, 10, 50), kBlue);
    EXPECT_EQ(PixelAt(picture, 90, 90), kBlue);
  }
}

TEST(WmfDecoderTest, ArcsPiesChordsAndRoundedRectangles) {
  // All in the box (0,0)-(100,100); the rays point right (100,50) and up (50,0), and the curve runs
  // counterclockwise from the first to the second: the top-right quarter.
  struct Case {
    const char* name;
    std::string record;
    std::vector<std::pair<std::pair<uint32_t, uint32_t>, Rgb>> pixels;
  };
  const Case cases[] = {
      {"pie", WmfRecord(wmf::kPie, {0, 50, 50, 100, 100, 100, 0, 0}), {{{75, 25}, kBlue}, {{25, 25}, kWhite}, {{25, 75}, kWhite}, {{75, 75}, kWhite}}},
      {"pie the other way round", WmfRecord(wmf::kPie, {50, 100, 0, 50, 100, 100, 0, 0}),
       {{{75, 25}, kWhite}, {{25, 25}, kBlue}, {{25, 75}, kBlue}, {{75, 75}, kBlue}}},
      {"chord", WmfRecord(wmf::kChord, {0, 50, 50, 100, 100, 100, 0, 0}), {{{80, 20}, kBlue}, {{60, 40}, kWhite}, {{25, 75}, kWhite}}},
      {"arc (outline only)", WmfRecord(wmf::kArc, {0, 50, 50, 100, 100, 100, 0, 0}),
       {{{85, 14}, kBlack}, {{75, 25}, kWhite}, {{14, 85}, kWhite}}},
      {"rounded rectangle", WmfRecord(wmf::kRoundRect, {60, 60, 100, 100, 0, 0}),
       {{{2, 2}, kWhite}, {{97, 97}, kWhite}, {{50, 50}, kBlue}, {{50, 3}, kBlue}, {{3, 50}, kBlue}}},
      {"ellipse", WmfRecord(wmf::kEllipse, {100, 100, 0, 0}), {{{50, 50}, kBlue}, {{50, 4}, kBlue}, {{10, 10}, kWhite}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> records = Window(0, 0, 100, 100);
    records.push_back(WmfRecord(wmf::kCreateBrushIndirect, {0, 0, 255, 0}));
    records.push_back(WmfRecord(wmf::kSelectObject, {0}));
    // A pen 6 units wide for the arc, no outline for the rest.
    bool arc = c.record.substr(4, 2) == std::string("\x17\x08", 2);
    records.push_back(WmfRecord(wmf::kCreatePenIndirect, {arc ? 0 : wmf::kPenNull, 6, 0, 0, 0}));
    records.push_back(WmfRecord(wmf::kSelectObject, {1}));
    records.push_back(c.record);
    Picture picture = Decode(WmfFile(records));
    for (const auto& [at, colour] : c.pixels) {
      SCOPED_TRACE(std::to_string(at.first) + "," + std::to_string(at.second));
      EXPECT_EQ(PixelAt(picture, at.first, at.second), colour);
    }
  }
}

TEST(WmfDecoderTest, ObjectsStatesAndClipping) {
  auto brush = [](Rgb c) { return WmfRecord(wmf::kCreateBrushIndirect, {0, c[0] | c[1] << 8, c[2], 0}); };
  std::string whole = WmfRecord(wmf::kRectangle, {100, 100, 0, 0});
  struct Case {
    const char* name;
    std::vector<std::string> records;
    Rgb left, right;  // at (25, 50) and (75, 50)
  };
  const Case cases[] = {
      {"a deleted brush stays selected", {brush(kRed), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kDeleteObject, {0}), whole},
       kRed, kRed},
      {"a freed slot is taken by the next object",
       {brush(kRed), brush(kGreen), WmfRecord(wmf::kDeleteObject, {0}), brush(kBlue), WmfRecord(wmf::kSelectObject, {0}), whole},
       kBlue, kBlue},
      {"more objects than the header declares", {brush(kRed), brush(kRed), brush(kRed), brush(kGreen), WmfRecord(wmf::kSelectObject, {3}), whole},
       kGreen, kGreen},
      {"selecting a missing object changes nothing", {brush(kRed), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kSelectObject, {60000}), whole},
       kRed, kRed},
      {"restore goes back to the saved brush",
       {brush(kRed), brush(kBlue), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kSaveDc, {}), WmfRecord(wmf::kSelectObject, {1}),
        WmfRecord(wmf::kRestoreDc, {-1}), whole},
       kRed, kRed},
      {"clipped to the left half", {brush(kRed), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kIntersectClipRect, {100, 50, 0, 0}), whole},
       kRed, kWhite},
      {"clip lifted by restoring",
       {brush(kRed), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kSaveDc, {}), WmfRecord(wmf::kIntersectClipRect, {100, 50, 0, 0}),
        WmfRecord(wmf::kRestoreDc, {-1}), whole},
       kRed, kRed},
      {"null brush", {WmfRecord(wmf::kCreateBrushIndirect, {wmf::kBrushNull, 0, 0, 0}), WmfRecord(wmf::kSelectObject, {0}), whole},
       kWhite, kWhite},
      {"pattern blit with the brush, then blackness",
       {brush(kGreen), WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kPatBlt, {0x0021, 0x00F0, 100, 100, 0, 0}),
        WmfRecord(wmf::kPatBlt, {0x0042, 0x0000, 100, 50, 0, 50})},
       kGreen, kBlack},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> records = Join({Window(0, 0, 100, 100), {WmfRecord(wmf::kCreatePenIndirect, {wmf::kPenNull, 0, 0, 0, 0}),
                                                                      WmfRecord(wmf::kSelectObject, {0}), WmfRecord(wmf::kDeleteObject, {0})},
                                             c.records});
    Picture picture = Decode(WmfFile(records, std::nullopt, 2));
    EXPECT_EQ(PixelAt(picture, 25, 50), c.left);
    EXPECT_EQ(PixelAt(picture, 75, 50), c.right);
  }
}

TEST(WmfDecoderTest, BitmapRecordsKeepTheirOrientation) {
  std::string dib = testing::PackedDib24(testing::FourColours());
  const int kSrcCopy[] = {0x0020, 0x00CC};
  struct Case {
    const char* name;
    std::vector<std::string> window;
    std::string record;
    std::array<Rgb, 4> quadrants;
  };
  const Case cases[] = {
      {"DIBStretchBlt", Window(0, 0, 100, 100),
       WmfRecord(wmf::kDibStretchBlt, {kSrcCopy[0], kSrcCopy[1], 2, 2, 0, 0, 100, 100, 0, 0}, dib), {kRed, kGreen, kBlue, kWhite}},
      // One unit is half the picture here.
      {"DIBBitBlt of the bottom-left pixel (counted from the top)", Window(0, 0, 2, 2),
       WmfRecord(wmf::kDibBitBlt, {kSrcCopy[0], kSrcCopy[1], 1, 0, 1, 1, 0, 0}, dib), {kBlue, kWhite, kWhite, kWhite}},
      {"SetDIBitsToDevice", Window(0, 0, 2, 2), WmfRecord(wmf::kSetDibToDev, {0, 2, 0, 0, 0, 2, 2, 0, 0}, dib),
       {kRed, kGreen, kBlue, kWhite}},
      {"StretchDIB mirrored", Window(0, 0, 100, 100),
       WmfRecord(wmf::kStretchDib, {kSrcCopy[0], kSrcCopy[1], 0, 2, 2, 0, 0, 100, -100, 0, 100}, dib), {kGreen, kRed, kWhite, kBlue}},
      {"StretchDIB of the bottom row (counted from the bottom)", Window(0, 0, 100, 100),
       WmfRecord(wmf::kStretchDib, {kSrcCopy[0], kSrcCopy[1], 0, 1, 2, 0, 0, 100, 100, 0, 0}, dib), {kBlue, kWhite, kBlue, kWhite}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture picture = Decode(WmfFile(Join({c.window, {c.record}}), Placeable{0, 0, 100, 100, 96}));
    EXPECT_EQ(PixelAt(picture, 25, 25), c.quadrants[0]);
    EXPECT_EQ(PixelAt(picture, 75, 25), c.quadrants[1]);
    EXPECT_EQ(PixelAt(picture, 25, 75), c.quadrants[2]);
    EXPECT_EQ(PixelAt(picture, 75, 75), c.quadrants[3]);
  }
}

TEST(WmfDecoderTest, DamagedFilesAreRefusedOrDrawnAsFarAsTheyGo) {
  std::vector<std::string> redHalf = Join({Window(0, 0, 100, 100), FilledRect(kRed, 0, 0, 50, 100)});
  std::string blueHalf;
  for (const std::string& record : FilledRect(kBlue, 50, 0, 100, 100)) blueHalf += record;
  std::string head = WmfFile(redHalf, std::nullopt, 8, false);
  std::string good = head + blueHalf + WmfRecord(wmf::kEof, {});
  const std::pair<const char*, std::string> refused[] = {
      {"empty", ""},
      {"cut in the header", good.substr(0, 12)},
      {"header without records", good.substr(0, 18)},
      {"placeable header alone", WmfFile({}, Placeable{0, 0, 10, 10, 96}).substr(0, 22)},
      {"wrong header size", [&] { std::string b = good; b[2] = 5; return b; }()},
      {"wrong type", [&] { std::string b = good; b[0] = 7; return b; }()},
      {"no size anywhere", WmfFile(FilledRect(kRed, 0, 0, 10, 10))},
      {"empty box and no window", WmfFile(FilledRect(kRed, 0, 0, 10, 10), Placeable{0, 0, 0, 100, 96})},
      {"damaged placeable header and no window", WmfFile(FilledRect(kRed, 0, 0, 10, 10), Placeable{0, 0, 100, 100, 96, true})},
      {"first record claims 2^31 words",
       WmfFile({testing::WmfRecordClaiming(0x80000000u, wmf::kPolygon, "")}, Placeable{0, 0, 10, 10, 96}, 8, false)},
  };
  for (const auto& [name, bytes] : refused) {
    SCOPED_TRACE(name);
    Picture picture;
    EXPECT_FALSE(picture.LoadFromMemory(Bytes(bytes), PictureFormat::kWmf, 100));
    EXPECT_FALSE(picture.LoadFromMemory(Bytes(bytes), PictureFormat::kWmf));
  }
  // Damage after the window and the red half: the red half is drawn, the blue one is not.
  const std::pair<const char*, std::string> partial[] = {
      {"cut in the blue rectangle's record", head + blueHalf.substr(0, blueHalf.size() - 17)},
      {"record of 0 words", head + testing::WmfRecordClaiming(0, wmf::kRectangle, std::string(8, '\0')) + blueHalf},
      {"record claiming more than the file", head + testing::WmfRecordClaiming(70000, wmf::kPolygon, "ab") + blueHalf},
  };
  for (const auto& [name, bytes] : partial) {
    SCOPED_TRACE(name);
    Picture picture = Decode(bytes);
    EXPECT_EQ(PixelAt(picture, 25, 50), kRed);
    EXPECT_EQ(PixelAt(picture, 75, 50), kWhite);
  }
  // Counts that the records cannot hold: the points that are there, or nothing; never a read
  // past the record.
  std::vector<std::string> lying = {WmfRecord(wmf::kCreateBrushIndirect, {0, 255, 0, 0}),
                                    WmfRecord(wmf::kSelectObject, {0}),
                                    WmfRecord(wmf::kPolygon, {30000, 0, 0, 100, 0, 100, 100}),
                                    WmfRecord(wmf::kPolyline, {-5, 0, 0, 100, 100}),
                                    WmfRecord(wmf::kPolyPolygon, {3, 60000, 60000, 60000, 0, 0}),
                                    WmfRecord(wmf::kCreatePalette, {0x300, 65535, 0, 0}),
                                    WmfRecord(wmf::kRectangle, {5}),
                                    WmfRecord(wmf::kRestoreDc, {-30000}),
                                    WmfRecord(wmf::kStretchDib, {0x20, 0xCC, 0, 2, 2, 0, 0, 100, 100, 0, 0},
                                              testing::ByteBuilder().U32(40).U32(20000).U32(20000).U16(1).U16(24).Zeros(24).bytes()),
                                    WmfRecord(wmf::kDibCreatePatternBrush, {5, 0}, testing::ByteBuilder().U32(40).U32(4000).U32(4000).U16(1).U16(8).bytes())};
  Picture picture = Decode(WmfFile(Join({Window(0, 0, 100, 100), lying})));
  // The polygon's three points that are there: the red triangle above the diagonal.
  EXPECT_EQ(PixelAt(picture, 75, 25), kRed);
  EXPECT_EQ(PixelAt(picture, 25, 75), kWhite);
}

TEST(WmfDecoderTest, EveryRecordThatIsPlayed) {
  // The fuzzing seed that uses every record the decoder knows, at full size and for a thumbnail;
  // its last shape is a black square in the top-left corner.
  std::string bytes = testing::WmfOfEveryRecord();
  for (uint32_t box : {0u, 100u}) {
    SCOPED_TRACE(box);
    Picture picture = Decode(bytes, box);
    EXPECT_EQ(picture.Width(), 100u);
    EXPECT_EQ(PixelAt(picture, 2, 2), kBlack);
  }
}

TEST(WmfDecoderTest, DrawingStopsWhenItsWorkIsSpent) {
  // Thousands of shapes over the whole picture: the work budget ends the drawing, so the last
  // shape, a green one, is never drawn.
  std::vector<std::string> records = Window(0, 0, 100, 100);
  records.push_back(WmfRecord(wmf::kCreateBrushIndirect, {0, 255, 0, 0}));
  records.push_back(WmfRecord(wmf::kSelectObject, {0}));
  records.push_back(WmfRecord(wmf::kDeleteObject, {0}));
  for (int i = 0; i < 5000; ++i) records.push_back(WmfRecord(wmf::kEllipse, {100, 100, 0, 0}));
  std::vector<std::string> last = FilledRect(kGreen, 0, 0, 100, 100);
  records.insert(records.end(), last.begin(), last.end());
  Picture picture = Decode(WmfFile(records, Placeable{0, 0, 200, 200, 96}), 100);
  EXPECT_EQ(PixelAt(picture, 100, 100), kRed);
  // The same picture with a few shapes does reach the green one.
  records.erase(records.begin() + 5, records.begin() + 5 + 4990);
  Picture few = Decode(WmfFile(records, Placeable{0, 0, 200, 200, 96}), 100);
  EXPECT_EQ(PixelAt(few, 100, 100), kGreen);
}

}  // namespace
}  // namespace volumist
