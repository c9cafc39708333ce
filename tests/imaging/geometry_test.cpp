// FitInto and area-averaging resampling.
#include <gtest/gtest.h>

#include "imaging/fit_into.h"
#include "imaging/resample.h"
#include "testing/picture_builder.h"

namespace volumist {
namespace {

TEST(FitIntoTest, KeepsProportionsRoundingUp) {
  struct Case {
    uint32_t w, h, box;
    FitResult expected;
  };
  const Case cases[] = {
      {1024, 768, 100, {100, 75, true}},  {768, 1024, 100, {75, 100, true}}, {1000, 3, 100, {100, 1, true}},
      {101, 7, 100, {100, 7, true}},      {1, 5000, 100, {1, 100, true}},    {80, 60, 100, {80, 60, false}},
      {100, 100, 100, {100, 100, false}}, {4000, 3000, 100, {100, 75, true}}, {1920, 1080, 100, {100, 57, true}},
      {100, 75, 50, {50, 38, true}},      {3, 1000, 100, {1, 100, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " into " + std::to_string(c.box));
    FitResult r = FitInto(c.w, c.h, c.box, c.box);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
    EXPECT_EQ(r.needsScaling, c.expected.needsScaling);
  }
}

TEST(ResampleTest, AveragesTheAreaEachPixelCovers) {
  // 4 x 2 red values 0, 100, 200, 40 / 20, 60, 100, 0 into 2 x 1: the means of each 2 x 2 block.
  RgbImage source = testing::SolidImage(4, 2, 0, 0, 0);
  const uint8_t reds[8] = {0, 100, 200, 40, 20, 60, 100, 0};
  for (int i = 0; i < 8; ++i) source.pixels[3 * i] = reds[i];
  RgbImage target = ResampleArea(source, 2, 1);
  ASSERT_EQ(target.width, 2u);
  ASSERT_EQ(target.height, 1u);
  EXPECT_EQ(target.pixels[0], 45);  // (0 + 100 + 20 + 60) / 4
  EXPECT_EQ(target.pixels[3], 85);  // (200 + 40 + 100 + 0) / 4

  // Fractional coverage: 3 pixels into 2, each target takes 1.5 source pixels.
  RgbImage row = testing::SolidImage(3, 1, 0, 0, 0);
  row.pixels[0] = 0, row.pixels[3] = 90, row.pixels[6] = 180;
  RgbImage two = ResampleArea(row, 2, 1);
  EXPECT_EQ(two.pixels[0], 30);   // (0 + 0.5 * 90) / 1.5
  EXPECT_EQ(two.pixels[3], 150);  // (0.5 * 90 + 180) / 1.5
}

TEST(ResampleTest, KeepsFlatColourAndChecksSizes) {
  RgbImage flat = testing::SolidImage(37, 23, 12, 130, 250);
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{5, 3}, {37, 23}, {80, 50}, {1, 1}}) {
    RgbImage out = ResampleArea(flat, w, h);
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    for (size_t i = 0; i < out.pixels.size(); i += 3) {
      ASSERT_EQ(out.pixels[i], 12);
      ASSERT_EQ(out.pixels[i + 1], 130);
      ASSERT_EQ(out.pixels[i + 2], 250);
    }
  }
  EXPECT_TRUE(ResampleArea(flat, 0, 5).empty());
  EXPECT_TRUE(ResampleArea(RgbImage{}, 5, 5).empty());
}

}  // namespace
}  // namespace volumist
