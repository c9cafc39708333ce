// The drawn parts of an item list: the Size% bar with damaged sizes and empty totals, and the tile
// layout of the thumbnail view at every width, down to one pixel.
#include <gtest/gtest.h>

#include "browse/size_bar.h"
#include "browse/tile_layout.h"

namespace volumist::browse {
namespace {

ItemRow Sized(RowKind kind, uint64_t size) {
  ItemRow row;
  row.kind = kind;
  row.size = size;
  return row;
}

TEST(SizeBarTest, ShareOfTheTotal) {
  std::vector<ItemRow> rows = {Sized(RowKind::kUp, 999), Sized(RowKind::kFile, 25), Sized(RowKind::kFolder, 75)};
  SizeTotal total = TotalSize(rows);
  EXPECT_EQ(ShownTotal(total), 100u);  // the up entry does not count
  EXPECT_EQ(SizePercent(rows[1], total), 25);
  EXPECT_EQ(SizePercent(rows[2], total), 75);
  EXPECT_EQ(SizePercent(rows[0], total), std::nullopt);
}

TEST(SizeBarTest, NoBarWhenTheTotalIsZero) {
  // A folder of folders that hold nothing, and its up entry.
  std::vector<ItemRow> rows = {Sized(RowKind::kUp, 0), Sized(RowKind::kFolder, 0), Sized(RowKind::kFolder, 0)};
  SizeTotal total = TotalSize(rows);
  EXPECT_EQ(total, 0u);
  for (const ItemRow& row : rows) EXPECT_EQ(SizePercent(row, total), std::nullopt);
}

TEST(SizeBarTest, DamagedSizesNeitherWrapNorOverflow) {
  // size x 100 and the sum would both wrap in 64 bits.
  std::vector<ItemRow> rows = {Sized(RowKind::kFile, UINT64_MAX), Sized(RowKind::kFile, UINT64_MAX),
                               Sized(RowKind::kFile, 1)};
  SizeTotal total = TotalSize(rows);
  EXPECT_EQ(ShownTotal(total), UINT64_MAX);
  EXPECT_EQ(SizePercent(rows[0], total), 49);
  EXPECT_EQ(SizePercent(rows[2], total), 0);
  std::vector<ItemRow> alone = {Sized(RowKind::kFile, UINT64_MAX)};
  EXPECT_EQ(SizePercent(alone[0], TotalSize(alone)), 100);
  // A total smaller than the row (another list's) still gives at most 100.
  EXPECT_EQ(SizePercent(Sized(RowKind::kFile, 500), 100), 100);
}

TEST(SizeBarTest, BarStaysInsideTheCell) {
  struct Case {
    int percent, width, expected;
  } cases[] = {
      {100, 45, 42}, {50, 45, 21}, {0, 45, 0}, {100, 3, 0}, {100, 2, 0}, {100, 0, 0}, {100, -5, 0}, {250, 45, 42},
      {-7, 45, 0},   {1, 103, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.percent) + "% of " + std::to_string(c.width));
    EXPECT_EQ(SizeBarLength(c.percent, c.width), c.expected);
  }
}

TEST(TileLayoutTest, TileSizesFollowTheThumbnailAndTheLines) {
  struct Case {
    TileStyle style;
    int width, height;
  } cases[] = {
      {{100, false, false}, 106, 121}, {{75, false, false}, 81, 96},  {{50, false, false}, 56, 71},
      {{100, true, false}, 106, 133},  {{100, false, true}, 106, 133}, {{50, true, true}, 56, 95},
  };
  for (const Case& c : cases) {
    TileLayout layout(c.style, 1000, 10);
    EXPECT_EQ(layout.TileWidth(), c.width);
    EXPECT_EQ(layout.TileHeight(), c.height);
  }
}

TEST(TileLayoutTest, AViewNarrowerThanATileHasOneColumn) {
  for (int width : {1, 0, -20, 105}) {
    SCOPED_TRACE(width);
    TileLayout layout({100, true, true}, width, 5);
    EXPECT_EQ(layout.Columns(), 1);
    EXPECT_EQ(layout.Rows(), 5);
    EXPECT_EQ(layout.Tile(4), (TileRect{0, 4 * (145 + kTileGap), 106, 145}));
    EXPECT_EQ(layout.IndexAt(0, 4 * (145 + kTileGap)), 4);
    EXPECT_EQ(layout.IndexAt(0, 5 * (145 + kTileGap)), -1);
  }
}

TEST(TileLayoutTest, ColumnsRowsAndHitTest) {
  TileLayout layout({100, false, false}, 330, 7);  // 3 x 106 + 2 x 4 = 326 fits, 4 tiles do not
  EXPECT_EQ(layout.Columns(), 3);
  EXPECT_EQ(layout.Rows(), 3);
  EXPECT_EQ(layout.ContentHeight(), 3 * 121 + 2 * kTileGap);
  EXPECT_EQ(layout.Tile(4), (TileRect{110, 125, 106, 121}));
  EXPECT_EQ(layout.ThumbnailBox(4), (TileRect{113, 128, 100, 100}));
  EXPECT_EQ(layout.NameLine(4), (TileRect{113, 228, 100, 15}));
  EXPECT_FALSE(layout.ImageSizeLine(4).has_value());
  EXPECT_EQ(layout.IndexAt(110, 125), 4);
  EXPECT_EQ(layout.IndexAt(107, 125), -1);  // in the gap
  EXPECT_EQ(layout.IndexAt(330, 0), -1);    // right of the last column
  EXPECT_EQ(layout.IndexAt(120, 260), -1);  // where the 8th tile would be
  EXPECT_EQ(layout.Tile(7), TileRect{});
  EXPECT_EQ(layout.TilesIn(0, 121), (std::pair<int, int>{0, 2}));
  EXPECT_EQ(layout.TilesIn(125, 300), (std::pair<int, int>{3, 6}));
  EXPECT_EQ(layout.TilesIn(1000, 10), (std::pair<int, int>{-1, -1}));

  TileLayout lines({50, true, true}, 330, 1);
  EXPECT_EQ(lines.ImageSizeLine(0), (TileRect{3, 68, 50, 12}));
  EXPECT_EQ(lines.ImageColorsLine(0), (TileRect{3, 80, 50, 12}));
  TileLayout colorsOnly({50, false, true}, 330, 1);
  EXPECT_EQ(colorsOnly.ImageColorsLine(0), (TileRect{3, 68, 50, 12}));
}

TEST(TileLayoutTest, KeysMoveWithinTheTiles) {
  TileLayout layout({100, false, false}, 330, 7);  // rows: 0 1 2 / 3 4 5 / 6
  struct Case {
    int from;
    TileStep step;
    int expected;
  } cases[] = {
      {-1, TileStep::kRight, 0}, {0, TileStep::kLeft, 0},     {2, TileStep::kRight, 3}, {6, TileStep::kRight, 6},
      {1, TileStep::kDown, 4},   {4, TileStep::kDown, 6},     {6, TileStep::kDown, 6},  {1, TileStep::kUp, 1},
      {5, TileStep::kUp, 2},     {0, TileStep::kPageDown, 6}, {6, TileStep::kPageUp, 0}, {3, TileStep::kHome, 0},
      {3, TileStep::kEnd, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " step " + std::to_string(static_cast<int>(c.step)));
    EXPECT_EQ(layout.Move(c.from, c.step, 2), c.expected);
  }
  EXPECT_EQ(TileLayout({100, false, false}, 330, 0).Move(0, TileStep::kDown, 1), -1);
}

}  // namespace
}  // namespace volumist::browse
