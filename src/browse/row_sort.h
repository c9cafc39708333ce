// The order of an item list's rows. Folder-like rows (folders, the up entry, source roots) come
// first in either order, the up entry before all of them, the others by their folder-name order;
// the rest follow by the value of the chosen column, ties by name. The comparison is a strict weak
// order for any row content (damaged values included), and the sort is stable, so rows that
// compare equal keep their order.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "browse/item_row.h"
#include "catalog/column_set.h"

namespace volumist::browse {

enum class SortOrder : int { kAscending = 1, kDescending = 2 };

// The order of two folder names: both lower-cased (A to Z only), then compared position by
// position up to the longer length, the shorter name's end taking part as a zero; at the first
// position where exactly one of them holds a '.', that one comes first; otherwise at the first
// difference the smaller byte taken as a signed 8-bit value comes first (so bytes 128 to 255 sort
// before ASCII). -1, 0 or 1.
int CompareFolderNames(std::string_view a, std::string_view b);

// Whether a list can be sorted by the column. Genre, the signatures, Image size and Image colors
// cannot: choosing them leaves the order as it is.
bool IsSortColumn(ColumnId column);

// True when `a` goes before `b` in a list sorted by `column` in `order`. Non-folder rows compare
// by the column's value (descending swaps the two values, never negates a result); values that
// are not numbers (NaN frame rates and lengths of damaged records) and rows without the column's
// value (audio columns of a file without audio information) come after the rest in either order;
// equal values are ordered by name ascending without regard to ASCII case. Only for sort columns.
bool RowGoesBefore(const ItemRow& a, const ItemRow& b, ColumnId column, SortOrder order);

// The order of `rows` sorted (stable): the index of the row at each position. Nothing for a column
// that does not sort.
std::optional<std::vector<uint32_t>> SortedOrder(std::span<const ItemRow> rows, ColumnId column, SortOrder order);
std::optional<std::vector<uint32_t>> SortedOrder(const std::deque<ItemRow>& rows, ColumnId column, SortOrder order);

// Sorts `rows` in place (stable). Returns false and leaves them alone for a column that does not
// sort.
bool SortRows(std::vector<ItemRow>& rows, ColumnId column, SortOrder order);

}  // namespace volumist::browse
