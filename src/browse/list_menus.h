// The menus and tabs of an item list that follow from its column sets and its volume: the arrange
// popup (commands 5001 to 5021 for the columns it can sort by, 5100 and 5101 for the order), the
// view-mode tabs a volume offers, and the thumbnail sizes of the tile view.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "browse/row_sort.h"
#include "catalog/column_set.h"
#include "catalog/scan_options.h"

namespace volumist::browse {

inline constexpr int kArrangeAscendingCommand = 5100;
inline constexpr int kArrangeDescendingCommand = 5101;

struct ArrangeEntry {
  int command = 0;        // 5001 to 5021, or 5100 / 5101 for the order
  std::string_view text;  // "arrange by Filename"...; "In Ascending", "In Descending"
  ColumnId column = ColumnId::kName;  // the column entries'
  bool isSeparator = false;  // the line before the two order entries
  bool checked = false;      // the order entry of the current order
};

// The entry of a column that has one ("arrange by Size", 5002); nothing for the others.
std::optional<ArrangeEntry> ArrangeEntryOf(ColumnId column);

// The popup of the arrange button for `columns` (shown and hidden alike, in their order), then a
// separator and the two order entries, the one of `order` checked.
std::vector<ArrangeEntry> ArrangeMenu(const ColumnSet& columns, SortOrder order);

// What choosing a command of the popup does to the list's sort column and order: a column entry
// keeps the order, an order entry keeps the column. Nothing for a command the popup does not have.
struct SortChoice {
  ColumnId column;
  SortOrder order;
};
std::optional<SortChoice> ChooseArrangeCommand(int command, ColumnId column, SortOrder order);

// The view modes whose tabs a volume scanned with `options` shows, in order: " Main " always,
// " Audio " with audio information, " Video " with video information, " Signatures " with
// signatures, " Images" and " Thumbnails" together with pictures.
std::vector<int> ViewTabs(const ScanOptions& options);

// The thumbnail sizes of the tile view and their entries in the list's context menu.
struct ThumbnailSizeEntry {
  int size;  // pixels
  std::string_view text;
};
inline constexpr ThumbnailSizeEntry kThumbnailSizes[] = {
    {100, "100 x 100  (Standart Size)"},
    {75, "75 x 75  (Medium Size)"},
    {50, "50 x 50  (Small Size)"},
};
inline constexpr std::string_view kShowImageSizeEntry = "Show image size in thumbnail";
inline constexpr std::string_view kShowImageColorsEntry = "Show image colors in thumbnail";

}  // namespace volumist::browse
