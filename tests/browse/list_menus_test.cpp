// The arrange popup built from a view's columns, what its commands do, the view tabs a volume
// offers and the thumbnail entries.
#include <gtest/gtest.h>

#include "browse/list_menus.h"

namespace volumist::browse {
namespace {

std::vector<std::string> Texts(const std::vector<ArrangeEntry>& menu) {
  std::vector<std::string> texts;
  for (const ArrangeEntry& entry : menu) texts.push_back(entry.isSeparator ? "-" : std::string(entry.text));
  return texts;
}

TEST(ListMenusTest, SignaturesViewOffersNameExtensionSizeAndTime) {
  // The columns of the view in their order (hidden ones included), then the two orders.
  std::vector<ArrangeEntry> menu = ArrangeMenu(DefaultListColumnSet(kViewSignatures), SortOrder::kAscending);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"arrange by Filename", "arrange by Extension", "arrange by Size",
                                                   "arrange by Modification Time", "-", "In Ascending",
                                                   "In Descending"}));
  EXPECT_EQ(menu[0].command, 5001);
  EXPECT_EQ(menu[1].command, 5003);
  EXPECT_EQ(menu[2].command, 5002);
  EXPECT_EQ(menu[3].command, 5004);
  EXPECT_EQ(menu[5].command, 5100);
  EXPECT_EQ(menu[6].command, 5101);
  EXPECT_TRUE(menu[5].checked);
  EXPECT_FALSE(menu[6].checked);
  EXPECT_TRUE(ArrangeMenu(DefaultListColumnSet(kViewSignatures), SortOrder::kDescending)[6].checked);
}

TEST(ListMenusTest, EveryViewListsItsSortableColumnsInOrder) {
  struct Case {
    int view;
    std::vector<int> commands;
  } cases[] = {
      {kViewMain, {5001, 5003, 5002, 5004}},
      {kViewAudio, {5001, 5003, 5002, 5004, 5012, 5005, 5006, 5007, 5008, 5009, 5010, 5011}},
      {kViewVideo, {5001, 5003, 5002, 5004, 5014, 5013, 5015, 5016, 5018, 5017, 5019, 5020}},
      {kViewImages, {5001, 5003, 5021, 5002, 5004}},
      {kViewThumbnails, {5001, 5021, 5002, 5003, 5004}},
      {kViewDocuments, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view);
    std::vector<int> commands;
    for (const ArrangeEntry& entry : ArrangeMenu(DefaultListColumnSet(c.view), SortOrder::kAscending)) {
      if (entry.isSeparator) break;
      commands.push_back(entry.command);
    }
    EXPECT_EQ(commands, c.commands);
  }
}

TEST(ListMenusTest, ChoosingAColumnKeepsTheOrderAndAnOrderKeepsTheColumn) {
  struct Case {
    int command;
    ColumnId column;
    SortOrder order;
  } cases[] = {
      {5002, ColumnId::kSize, SortOrder::kDescending},
      {5021, ColumnId::kImageInfo, SortOrder::kDescending},
      {5015, ColumnId::kFps, SortOrder::kDescending},
      {5100, ColumnId::kType, SortOrder::kAscending},
      {5101, ColumnId::kType, SortOrder::kDescending},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    std::optional<SortChoice> choice = ChooseArrangeCommand(c.command, ColumnId::kType, SortOrder::kDescending);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->column, c.column);
    EXPECT_EQ(choice->order, c.order);
  }
  EXPECT_FALSE(ChooseArrangeCommand(5000, ColumnId::kName, SortOrder::kAscending));
  EXPECT_FALSE(ChooseArrangeCommand(5022, ColumnId::kName, SortOrder::kAscending));
  // Every command of the popup sorts by a column that sorts.
  for (int command = 5001; command <= 5021; ++command) {
    std::optional<SortChoice> choice = ChooseArrangeCommand(command, ColumnId::kName, SortOrder::kAscending);
    ASSERT_TRUE(choice.has_value()) << command;
    EXPECT_TRUE(IsSortColumn(choice->column)) << command;
  }
}

TEST(ListMenusTest, TabsFollowTheScanOptions) {
  ScanOptions none;
  none.analyzeAudio = none.analyzeVideo = none.analyzeImages = none.computeSignatures = false;
  EXPECT_EQ(ViewTabs(none), (std::vector<int>{kViewMain}));
  struct Case {
    bool audio, video, images, signatures;
    std::vector<int> tabs;
  } cases[] = {
      {true, false, false, false, {kViewMain, kViewAudio}},
      {false, true, false, false, {kViewMain, kViewVideo}},
      {false, false, true, false, {kViewMain, kViewImages, kViewThumbnails}},
      {false, false, false, true, {kViewMain, kViewSignatures}},
      {true, true, true, true, {kViewMain, kViewAudio, kViewVideo, kViewSignatures, kViewImages, kViewThumbnails}},
  };
  for (const Case& c : cases) {
    ScanOptions options = none;
    options.analyzeAudio = c.audio;
    options.analyzeVideo = c.video;
    options.analyzeImages = c.images;
    options.computeSignatures = c.signatures;
    EXPECT_EQ(ViewTabs(options), c.tabs);
  }
}

TEST(ListMenusTest, ThumbnailEntries) {
  EXPECT_EQ(kThumbnailSizes[0].text, "100 x 100  (Standart Size)");
  EXPECT_EQ(kThumbnailSizes[1].size, 75);
  EXPECT_EQ(kThumbnailSizes[2].text, "50 x 50  (Small Size)");
}

}  // namespace
}  // namespace volumist::browse
