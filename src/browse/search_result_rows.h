// SearchResultRows: the results of the window's search, kept as the rows the results list shows.
// The search thread adds them, each result made into its row there, so that the GUI thread only
// copies the rows that arrived since it last looked into its list. They stay when the dialog closes,
// until the next search or "Clear".
//
// Thread use: AddResult on the search thread while the GUI thread calls ResultCount and Rows; the
// rows are guarded by a lock of their own. Clear only while no search runs.
#pragma once

#include <cstddef>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "browse/item_row.h"
#include "browse/row_sort.h"
#include "search/search_result.h"

namespace volumist::browse {

class SearchResultRows final : public ResultCollector {
 public:
  void AddResult(const SearchResult& result) override;
  void AddResult(SearchResult&& result) override;
  size_t ResultCount() const override;

  // Copies of at most `limit` rows from row `first` on (none past the end).
  std::vector<ItemRow> Rows(size_t first, size_t limit = std::numeric_limits<size_t>::max()) const;
  // The rows' order sorted by `column` in `order` (row_sort.h SortedOrder). For the thread that
  // added the rows, once it adds no more: the rows are read without the lock, so that the GUI
  // thread's ResultCount and Rows never wait for the sort (reading alongside is safe, as nothing
  // changes them).
  std::optional<std::vector<uint32_t>> SortedOrderOnceComplete(ColumnId column, SortOrder order) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  // A deque: growing never moves the rows already found.
  std::deque<ItemRow> rows_;
};

}  // namespace volumist::browse
