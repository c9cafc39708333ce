// ItemListModel: the rows of an item list (a folder's contents, or search results) in one view
// mode's columns. The model holds browse::ItemRow copies, so drawing and sorting never read the
// volume; only a row's description (read the first time the row shows it) and its thumbnail
// (decoded the first time it is drawn, then cached) come from outside, through the readers the
// owner sets. Sorting is browse::SortRows; the columns are the shown columns of a ColumnSet.
//
// GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/item_row.h"
#include "browse/row_sort.h"
#include "browse/size_bar.h"
#include "catalog/column_set.h"
#include "ui/item_icons.h"

namespace volumist::ui {

class ItemListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Role {
    kColumnIdRole = Qt::UserRole + 1,  // int: the column's ColumnId
    kRowKindRole,                      // int: the row's browse::RowKind
    kSizePercentRole,                  // int 0 to 100, or none (no bar)
    kThumbnailRole,                    // QImage: the decoded thumbnail; null when there is none
    kLinesRole,                        // QStringList: the lines of a multi-line cell (Image Info)
    // Whatever the column, for the tiles:
    kRowNameRole,         // QString: the name
    kRowIconRole,         // QIcon: the row's icon
    kImageSizeTextRole,   // QString: the image size ("%d x %d"), empty without image information
    kImageColorsTextRole, // QString: the image colours, empty without image information
  };

  // Reads a row's description: nothing when it has none (or it cannot be read).
  using DescriptionReader = std::function<std::optional<std::string>(const browse::ItemRow& row)>;
  // Reads a row's thumbnail bytes; nothing when there are none.
  using ThumbnailReader = std::function<std::optional<std::vector<uint8_t>>(const browse::ItemRow& row)>;

  explicit ItemListModel(QObject* parent = nullptr);

  void SetDescriptionReader(DescriptionReader reader) { descriptionReader_ = std::move(reader); }
  void SetThumbnailReader(ThumbnailReader reader) { thumbnailReader_ = std::move(reader); }

  // Shows `rows` in the current order (they are sorted first).
  void SetRows(std::vector<browse::ItemRow> rows);
  // Adds `rows` after the rows shown, as they come (unsorted until the next SortBy or SetRows): for
  // results that arrive while a search runs. The views keep their selection and position.
  void AppendRows(std::vector<browse::ItemRow> rows);
  // Room for `count` rows in all, so that appending up to there moves none of the rows shown.
  void ReserveRows(size_t count) { rows_.reserve(count); }
  void Clear() { SetRows({}); }
  // Shows the shown columns of `columns` (a copy is kept; call again after changing it).
  void SetColumns(const ColumnSet& columns);
  const ColumnSet& Columns() const { return columns_; }
  // The ColumnId of model column `column`.
  ColumnId ColumnAt(int column) const;
  // The model column of `id`, or -1 when it is not shown.
  int ColumnOf(ColumnId id) const;

  // Sorts by `column` in `order`; a column that does not sort leaves the rows alone (false).
  // Selections and current rows follow their rows.
  bool SortBy(ColumnId column, browse::SortOrder order);
  // Puts the rows in `permutation`'s order (the index of the row for each position, as
  // browse::SortedOrder gives it, made elsewhere from the same rows) as the order of `column` in
  // `order`; false, leaving everything alone, when it is not a permutation of the rows shown.
  bool ApplyOrder(const std::vector<uint32_t>& permutation, ColumnId column, browse::SortOrder order);
  ColumnId SortColumn() const { return sortColumn_; }
  browse::SortOrder Order() const { return order_; }

  const std::vector<browse::ItemRow>& Rows() const { return rows_; }
  const browse::ItemRow* RowAt(int row) const;
  // The first row of the item whose record is `key` (the up entry never counts), or -1.
  int RowOfKey(RecordKey key) const;
  // Sets the shown description of the row stored under description key `key`.
  void UpdateDescription(RecordKey descriptionKey, const std::string& text);
  // Forgets every read description and thumbnail (after the volume's descriptions changed).
  void ForgetReadValues();

  // The status line's figures.
  uint64_t TotalSize() const { return browse::ShownTotal(total_); }
  int FileCount() const { return files_; }
  int FolderCount() const { return folders_; }

  // QAbstractItemModel.
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Header clicks: sorts ascending or descending by the column.
  void sort(int column, Qt::SortOrder order) override;

 private:
  const std::string& Description(int row) const;
  QImage Thumbnail(int row) const;
  void Count();
  void CountRow(const browse::ItemRow& row);

  // Descriptions are read into the rows when they are first shown.
  mutable std::vector<browse::ItemRow> rows_;
  ColumnSet columns_;
  std::vector<ColumnId> shown_;  // the model's columns
  ColumnId sortColumn_ = ColumnId::kName;
  browse::SortOrder order_ = browse::SortOrder::kAscending;
  browse::SizeTotal total_ = 0;
  int files_ = 0;
  int folders_ = 0;
  DescriptionReader descriptionReader_;
  ThumbnailReader thumbnailReader_;
  // Decoded thumbnails by row position in rows_ is unstable under sorting: they are kept by the
  // row's volume and key.
  mutable QCache<quint64, QImage> thumbnails_{400};
  mutable ItemIcons icons_;
};

}  // namespace volumist::ui
