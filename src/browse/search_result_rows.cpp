#include "browse/search_result_rows.h"

#include <algorithm>
#include <utility>

namespace volumist::browse {

void SearchResultRows::AddResult(const SearchResult& result) {
  ItemRow row = RowFromResult(result);
  std::lock_guard lock(mutex_);
  rows_.push_back(std::move(row));
}

void SearchResultRows::AddResult(SearchResult&& result) {
  // The row is made before the lock is taken: the GUI thread never waits for it.
  ItemRow row = RowFromResult(std::move(result));
  std::lock_guard lock(mutex_);
  rows_.push_back(std::move(row));
}

size_t SearchResultRows::ResultCount() const {
  std::lock_guard lock(mutex_);
  return rows_.size();
}

std::vector<ItemRow> SearchResultRows::Rows(size_t first, size_t limit) const {
  std::lock_guard lock(mutex_);
  if (first >= rows_.size()) return {};
  const size_t count = std::min(limit, rows_.size() - first);
  const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(first);
  return std::vector<ItemRow>(begin, begin + static_cast<std::ptrdiff_t>(count));
}

std::optional<std::vector<uint32_t>> SearchResultRows::SortedOrderOnceComplete(ColumnId column,
                                                                              SortOrder order) const {
  return SortedOrder(rows_, column, order);
}

void SearchResultRows::Clear() {
  std::lock_guard lock(mutex_);
  rows_.clear();
}

}  // namespace volumist::browse
