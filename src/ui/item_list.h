// ItemList: the list of items of the main window (a folder's contents) and of the search dialog
// (the results): view-mode tabs and the arrange button above, the rows in the chosen view mode,
// and a status line below (the caption on the left; the total size and the counts of files and
// folders on the right). Modes 0 to 4 show report lines in their column sets; mode 5 shows tiles.
//
//   [ Main ][ Audio ][ Video ]...                       [arrange]
//   +-----------------------------------------------------------+
//   | icon | Name        | Type | Size    | Modified   | ...    |
//   | ...                                                       |
//   +-----------------------------------------------------------+
//   Source\Music                                    12 345 678
//                                           Files: 40, Folders: 3
//
// The column sets belong to the owner (the settings' list or search sets): the column menu changes
// their shown flags in place. Before anything changes the rows (new rows, a view, a sort, a tab),
// AboutToChange is emitted, so the owner can commit what belongs to the present rows. GUI thread.
#pragma once

#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "browse/item_row.h"
#include "browse/list_menus.h"
#include "browse/tile_layout.h"
#include "catalog/column_set.h"
#include "ui/item_delegate.h"
#include "ui/item_list_model.h"
#include "ui/tile_view.h"

namespace volumist::ui {

class ItemList final : public QWidget {
  Q_OBJECT

 public:
  // `columnSets` (one per view mode) must outlive the list.
  ItemList(std::array<ColumnSet, kViewCount>& columnSets, QWidget* parent = nullptr);

  ItemListModel* Model() const { return model_; }
  QTreeView* ReportView() const { return report_; }
  TileView* Tiles() const { return tiles_; }
  // The view that shows the rows now (the report or the tiles).
  QAbstractItemView* CurrentView() const;
  QTabBar* TabBar() const { return tabs_; }
  QToolButton* ArrangeButton() const { return arrange_; }
  QLabel* CaptionLabel() const { return caption_; }
  QLabel* TotalsLabel() const { return totals_; }

  // Shows `rows` (sorted by the current column and order) under `caption`; nothing selected.
  void SetRows(std::vector<browse::ItemRow> rows, const std::string& caption);
  void Clear(const std::string& caption);
  // Adds `rows` after the rows shown, unsorted, keeping the selection and the scroll position (the
  // results of a search that runs); the caption stays.
  void AppendRows(std::vector<browse::ItemRow> rows);
  // Room for `count` rows in all (the number a search has found), before they are appended.
  void ReserveRows(size_t count);
  // Sorts the rows again by the current column and order (once appending is over).
  void Resort();
  // The same with `permutation`, the sorted order made elsewhere from the same rows
  // (browse::SortedOrder) for `column` in `order`; sorts here instead when the list's column or
  // order is another, or the rows' descriptions may have been read since (the description column).
  void Resort(const std::optional<std::vector<uint32_t>>& permutation, ColumnId column, browse::SortOrder order);
  void SetCaption(const std::string& caption);

  // The tabs of the view modes `views` (in order); the current view becomes the first of them
  // unless it is among them.
  void SetViewTabs(const std::vector<int>& views);
  const std::vector<int>& ViewTabs() const { return tabViews_; }
  // Shows view mode `view` (0 to 5) and selects its tab when there is one.
  void SetView(int view);
  int View() const { return view_; }

  // Sorts by `column` in `order` (nothing for a column that does not sort).
  void SortBy(ColumnId column, browse::SortOrder order);
  // Runs a command of the arrange popup (5001 to 5021, 5100, 5101).
  void RunArrangeCommand(int command);
  // The popup of the arrange button for the current view, rebuilt each time it opens.
  QMenu* ArrangeMenu() const { return arrangeMenu_; }

  // The thumbnail size and lines of the tile view.
  void SetTileStyle(browse::TileStyle style);
  browse::TileStyle TileStyle() const { return tiles_->TileStyle(); }
  // Shows or hides column `position` of the current view's set.
  void SetColumnShown(int position, bool shown);

  // The list's own entries of the context menu: the columns of the view (checked when shown) and,
  // in the tile view, the thumbnail sizes and lines.
  void AddListEntries(QMenu& menu);

  // The current row (the one with the focus), or null.
  const browse::ItemRow* CurrentRow() const;
  int CurrentRowIndex() const;
  // Makes the row of `key` current and selected (and visible); false when no row has it.
  bool SelectKey(RecordKey key);
  void SelectRow(int row);

  void SetToolTipsShown(bool shown);

 signals:
  // Before the rows, their order or their columns change.
  void AboutToChange();
  // The current row changed (the owner refreshes its panes after a short delay).
  void CurrentRowChanged();
  // A row was activated by a double click or Enter.
  void RowActivated(int row);
  // A context menu was asked for at `globalPosition` (the owner builds it, with AddListEntries).
  void ContextMenuRequested(const QPoint& globalPosition);

 private:
  void ApplyView();
  void UpdateStatus();
  void UpdateSortIndicator();
  void ShowArrangeMenu();
  void OnHeaderClicked(int section);
  double WidthScale() const;

  std::array<ColumnSet, kViewCount>& columnSets_;
  int view_ = kViewMain;
  std::vector<int> tabViews_;
  std::string captionText_;
  bool applying_ = false;

  ItemListModel* model_;
  QTabBar* tabs_;
  QToolButton* arrange_;
  QMenu* arrangeMenu_;
  QStackedWidget* stack_;
  QTreeView* report_;
  ItemDelegate* delegate_;
  TileView* tiles_;
  QItemSelectionModel* selection_;
  QLabel* caption_;
  QLabel* totals_;
};

}  // namespace volumist::ui
