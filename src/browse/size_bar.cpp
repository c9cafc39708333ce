#include "browse/size_bar.h"

#include <algorithm>

namespace volumist::browse {

SizeTotal TotalSize(std::span<const ItemRow> rows) {
  SizeTotal total = 0;
  for (const ItemRow& row : rows) {
    if (row.kind != RowKind::kUp && row.kind != RowKind::kNone) total += row.size;
  }
  return total;
}

uint64_t ShownTotal(SizeTotal total) { return total > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(total); }

std::optional<int> SizePercent(const ItemRow& row, SizeTotal total) {
  if (total == 0 || row.kind == RowKind::kUp || row.kind == RowKind::kNone) return std::nullopt;
  SizeTotal percent = SizeTotal{row.size} * 100 / total;
  // A row is part of its total, but a caller may pass another list's.
  return static_cast<int>(std::min<SizeTotal>(percent, 100));
}

int SizeBarLength(int percent, int cellWidth) {
  int room = std::max(cellWidth - 3, 0);
  int share = std::clamp(percent, 0, 100);
  return static_cast<int>(int64_t{room} * share / 100);
}

}  // namespace volumist::browse
