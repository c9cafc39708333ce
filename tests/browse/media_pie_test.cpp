// The pie chart of a medium's space: slices, angles, labels and wedges.
#include <gtest/gtest.h>

#include <limits>

#include "browse/media_pie.h"
#include "catalog/value_format.h"

namespace volumist::browse {
namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

std::vector<int> Angles(const MediaPie& pie) {
  std::vector<int> angles;
  for (const PieSlice& slice : pie.slices) angles.push_back(slice.angle);
  return angles;
}

TEST(MediaPieTest, SlicesAnglesAndLabels) {
  struct Case {
    const char* what;
    uint64_t total;
    uint64_t free;
    std::vector<int> angles;  // total, used, free
    uint64_t used;
    uint64_t shownFree;
    std::optional<std::string> usedShare;
    std::optional<std::string> freeShare;
  } cases[] = {
      {"a full CD", 700 * 1024 * 1024, 0, {0, 359, 1}, 700 * 1024 * 1024, 0, "100%", std::nullopt},
      {"half full", 1000, 500, {0, 180, 180}, 500, 500, "50%", "50%"},
      {"20 degrees free: no share in the free wedge", 360, 20, {0, 340, 20}, 340, 20, "94%", std::nullopt},
      {"26 degrees free: a share", 360, 26, {0, 334, 26}, 334, 26, "93%", "7%"},
      {"less than a degree free rounds down", 1000000, 1, {0, 360, 0}, 999999, 1, "100%", std::nullopt},
      {"empty", 4096, 4096, {0, 0, 360}, 0, 4096, std::nullopt, "100%"},
      {"free above the total counts as the total", 100, 200, {0, 0, 360}, 0, 100, std::nullopt, "100%"},
      {"free far above the total", 1, kMax, {0, 0, 360}, 0, 1, std::nullopt, "100%"},
      {"the largest total, half free", kMax, uint64_t{1} << 63, {0, 180, 180}, kMax - (uint64_t{1} << 63),
       uint64_t{1} << 63, "50%", "50%"},
      {"the largest total, all but one byte free", kMax, kMax - 1, {0, 1, 359}, 1, kMax - 1, std::nullopt, "100%"},
      {"the largest total, full", kMax, 0, {0, 359, 1}, kMax, 0, "100%", std::nullopt},
      {"the largest total, all free", kMax, kMax, {0, 0, 360}, 0, kMax, std::nullopt, "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<MediaPie> pie = MakeMediaPie(c.total, c.free);
    ASSERT_TRUE(pie.has_value());
    EXPECT_EQ(Angles(*pie), c.angles);
    EXPECT_EQ(pie->usedBytes, c.used);
    EXPECT_EQ(pie->freeBytes, c.shownFree);
    ASSERT_EQ(pie->slices.size(), 3u);
    EXPECT_EQ(pie->slices[0].label, "Total: " + FormatSizeShort(c.total));
    EXPECT_EQ(pie->slices[1].label, "Used: " + FormatSizeShort(c.used));
    EXPECT_EQ(pie->slices[2].label, "Free: " + FormatSizeShort(c.shownFree));
    EXPECT_EQ(pie->slices[0].fill, (PieColour{236, 233, 228}));
    EXPECT_EQ(pie->slices[1].fill, (PieColour{180, 36, 87}));
    EXPECT_EQ(pie->slices[2].fill, (PieColour{206, 203, 188}));
    for (const PieSlice& slice : pie->slices) EXPECT_EQ(slice.text, (PieColour{255, 255, 255}));
    EXPECT_EQ(PieShareText(pie->slices[1].angle), c.usedShare);
    EXPECT_EQ(PieShareText(pie->slices[2].angle), c.freeShare);
    EXPECT_EQ(PieShareText(pie->slices[0].angle), std::nullopt);
  }
}

TEST(MediaPieTest, AFullCdReadsItsTotalUnderUsed) {
  std::optional<MediaPie> pie = MakeMediaPie(650000000, 0);
  ASSERT_TRUE(pie);
  EXPECT_EQ(pie->slices[1].label, "Used: 619.89 MB");
  EXPECT_EQ(pie->slices[2].label, "Free: 0 B");
}

TEST(MediaPieTest, NoChartWithoutATotal) {
  EXPECT_FALSE(MakeMediaPie(0, 0).has_value());
  EXPECT_FALSE(MakeMediaPie(0, 5).has_value());
}

TEST(MediaPieTest, AnglesStayInRangeAndAddUp) {
  const uint64_t totals[] = {1, 3, 359, 360, 361, 1000, 4096, 1ull << 32, 1ull << 40, kMax / 3, kMax - 1, kMax};
  for (uint64_t total : totals) {
    for (uint64_t free : {uint64_t{0}, uint64_t{1}, total / 7, total / 2, total - 1, total, total + 1, kMax}) {
      SCOPED_TRACE(std::to_string(total) + " " + std::to_string(free));
      std::optional<MediaPie> pie = MakeMediaPie(total, free);
      ASSERT_TRUE(pie);
      int sum = 0;
      for (const PieSlice& slice : pie->slices) {
        EXPECT_GE(slice.angle, 0);
        EXPECT_LE(slice.angle, 360);
        sum += slice.angle;
      }
      EXPECT_EQ(sum, 360);
      EXPECT_LE(pie->freeBytes, total);
      EXPECT_EQ(pie->usedBytes + pie->freeBytes, total);
    }
  }
}

TEST(MediaPieTest, Shares) {
  struct Case {
    int angle;
    std::optional<std::string> share;
  } cases[] = {{0, std::nullopt}, {1, std::nullopt}, {20, std::nullopt}, {25, std::nullopt},
               {26, "7%"},        {90, "25%"},        {180, "50%"},       {359, "100%"}, {360, "100%"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(PieShareText(c.angle), c.share);
  }
}

TEST(MediaPieTest, WedgesFollowEachOtherFromTheStartAngle) {
  std::optional<MediaPie> pie = MakeMediaPie(360, 90);
  ASSERT_TRUE(pie);
  std::vector<PieWedge> wedges = PieWedges(*pie, 90);
  ASSERT_EQ(wedges.size(), 3u);
  // The total is a legend row only.
  EXPECT_EQ(wedges[0].startAngle, 90);
  EXPECT_EQ(wedges[0].spanAngle, 0);
  EXPECT_EQ(wedges[0].share, std::nullopt);
  EXPECT_EQ(wedges[1].startAngle, 90);
  EXPECT_EQ(wedges[1].spanAngle, 270);
  EXPECT_DOUBLE_EQ(wedges[1].middleAngle, 225);
  EXPECT_EQ(wedges[1].share, "75%");
  EXPECT_EQ(wedges[2].startAngle, 360);
  EXPECT_EQ(wedges[2].spanAngle, 90);
  EXPECT_DOUBLE_EQ(wedges[2].middleAngle, 405);
  EXPECT_EQ(wedges[2].share, "25%");
}

}  // namespace
}  // namespace volumist::browse
