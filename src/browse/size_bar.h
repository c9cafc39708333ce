// The "Size%" column: a bar whose length is a row's share of the list's total size. Sizes come
// from volume files and may be damaged (up to 2^64 - 1 bytes each), so the total is kept in 128
// bits, where neither the sum of a list nor a size times 100 can wrap.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "browse/item_row.h"

namespace volumist::browse {

// The total of a list's sizes, exact for any number of rows below 2^64.
using SizeTotal = unsigned __int128;

// The sum of the sizes of every row except the up entry (and empty rows).
SizeTotal TotalSize(std::span<const ItemRow> rows);
// The total as one 64-bit count for a status line: 2^64 - 1 when it is larger.
uint64_t ShownTotal(SizeTotal total);

// A row's share of `total` in whole percent (size x 100 / total, rounded down), 0 to 100. Nothing
// when there is no bar: the up entry, or a total of 0.
std::optional<int> SizePercent(const ItemRow& row, SizeTotal total);

// The length of the bar of `percent` in a cell `cellWidth` pixels wide: that share of the width
// less 3 pixels, never below 0 nor beyond that width.
int SizeBarLength(int percent, int cellWidth);

}  // namespace volumist::browse
