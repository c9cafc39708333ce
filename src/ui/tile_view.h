// TileView: an item list's rows as tiles (the " Thumbnails" view), laid out by browse::TileLayout:
// left to right, top to bottom, at least one column however narrow the view. Each tile is drawn by
// the TileDelegate (a sketch is there). Selection, the current tile, keys (arrows, pages, Home,
// End), double clicks and Enter behave as in the report views; only the visible tiles are drawn,
// so a list of any length scrolls evenly.
#pragma once

#include <QAbstractItemView>
#include <QStyledItemDelegate>

#include "browse/tile_layout.h"

namespace volumist::ui {

//   +--------------------+
//   |    +----------+    |   the thumbnail, scaled down into the thumbnail box and centred;
//   |    | picture  |    |   the file's icon, centred, when there is no thumbnail
//   |    +----------+    |
//   |   holiday-01.jpg   |   the name, elided in the middle
//   |     1024 x 768     |   image size, when shown
//   |  16 Million Colors |   image colours, when shown
//   +--------------------+
// A selected tile is filled with the selection colour; the current one carries the focus frame.
class TileDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit TileDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}
  void SetStyle(browse::TileStyle style) { style_ = style; }
  browse::TileStyle Style() const { return style_; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  browse::TileStyle style_;
};

class TileView final : public QAbstractItemView {
  Q_OBJECT

 public:
  explicit TileView(QWidget* parent = nullptr);

  // The tiles' size and lines; the view is laid out again.
  void SetTileStyle(browse::TileStyle style);
  browse::TileStyle TileStyle() const { return delegate_->Style(); }
  // The layout for the view's present width and rows.
  browse::TileLayout Layout() const;
  // Changes whenever the rows are replaced or reordered (their accessible tiles stand for rows by
  // position).
  quint64 Generation() const { return generation_; }

  // QAbstractItemView.
  void setModel(QAbstractItemModel* model) override;
  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;

 protected:
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override { return 0; }
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex&) const override { return false; }
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void updateGeometries() override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void reset() override;

 private:
  // Model column 0 of row `row`.
  QModelIndex IndexOfRow(int row) const;

  TileDelegate* delegate_;
  quint64 generation_ = 1;
};

}  // namespace volumist::ui
