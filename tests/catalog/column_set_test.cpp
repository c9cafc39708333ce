// The built-in column sets: how each kind of column is drawn, and what the shown masks mean.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "catalog/column_set.h"

namespace volumist {
namespace {

TEST(ColumnSetTest, EachKindOfColumnIsDrawnItsOwnWayInEverySet) {
  // (alignment; switch1, switch2, switch3) of the columns that differ from (0; on, on, on).
  using Look = std::tuple<int, bool, bool, bool>;
  const std::map<ColumnId, Look> special = {
      {ColumnId::kIcon, {0, false, false, false}},       {ColumnId::kSizePercent, {0, true, false, true}},
      {ColumnId::kSize, {2, true, true, true}},          {ColumnId::kAttributes, {1, false, false, true}},
      {ColumnId::kCrc32, {0, true, true, false}},        {ColumnId::kMd4, {0, true, true, false}},
      {ColumnId::kMd5, {0, true, true, false}},          {ColumnId::kDescription, {0, true, true, false}},
      {ColumnId::kThumbnail, {1, false, false, false}},  {ColumnId::kImageInfo, {0, false, false, true}},
  };
  for (int view = 0; view < kViewCount; ++view) {
    for (bool list : {true, false}) {
      const ColumnSet set = list ? DefaultListColumnSet(view) : DefaultSearchColumnSet(view);
      for (const ShownColumn& column : set.columns) {
        SCOPED_TRACE(std::string(kViewCaptions[view]) + " " + column.title);
        auto found = special.find(column.columnId);
        Look expected = found != special.end() ? found->second : Look{0, true, true, true};
        EXPECT_EQ((Look{column.displayCode, column.switch1, column.switch2, column.switch3}), expected);
        EXPECT_EQ(column.title, ColumnTitle(column.columnId));
        EXPECT_EQ(column.reserved, 0u);
        uint32_t colour = column.columnId != ColumnId::kName ? kColumnWhite
                          : view == kViewThumbnails         ? 0xF8F8F8u
                                                            : 0xF6F8FAu;
        EXPECT_EQ(column.backgroundColour, colour);
      }
      // Rows of the list's Images view are high enough for a thumbnail.
      EXPECT_EQ(set.rowHeight, list && view == kViewImages ? 102u : 18u);
      EXPECT_EQ(set.iconSize, 16u);
    }
  }
}

TEST(ColumnSetTest, ViewsWithoutColumns) {
  EXPECT_TRUE(DefaultListColumnSet(kViewDocuments).columns.empty());
  for (int view : {kViewImages, kViewThumbnails, kViewDocuments}) EXPECT_TRUE(DefaultSearchColumnSet(view).columns.empty());
  EXPECT_FALSE(DefaultSearchColumnSet(kViewSignatures).columns.empty());
}

TEST(ColumnSetTest, TitlesOfTwinColumnsAndUnknownIds) {
  EXPECT_EQ(ColumnTitle(ColumnId::kIcon), "");
  EXPECT_EQ(ColumnTitle(ColumnId::kKbps), "kbps");
  EXPECT_EQ(ColumnTitle(ColumnId::kVideoAudioKbps), "kbps");
  EXPECT_EQ(ColumnTitle(ColumnId::kVideoAudioKhz), "kHz");
  EXPECT_EQ(ColumnTitle(ColumnId::kMd4), "eDonkey Hash (MD4)");
  EXPECT_EQ(ColumnTitle(ColumnId::kImageColors), "Image colors");
  EXPECT_EQ(ColumnTitle(static_cast<ColumnId>(36)), "");
  EXPECT_EQ(ColumnTitle(static_cast<ColumnId>(0)), "");
}

TEST(ColumnSetTest, MaskBitsPastTheLastColumnHaveNoEffect) {
  ColumnSet set = DefaultListColumnSet(kViewThumbnails);  // five columns
  set.ApplyShownMask(0xFFFFFFE5);                         // bits 0, 2, 5 to 31
  std::vector<bool> shown;
  for (const ShownColumn& column : set.columns) shown.push_back(column.isShown);
  EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false, false}));
  EXPECT_EQ(set.ShownMask(), 0x5u);
}

}  // namespace
}  // namespace volumist
