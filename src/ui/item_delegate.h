// The painted cells of an item list in its report views. Every cell is drawn as a styled item
// (selection, focus, text); these columns draw more:
//
//   Size%      |█████████      |   a grey bar: the row's share of the list's total size, of the
//                                  cell's width less 3 pixels; no bar for the up entry or a total
//                                  of 0; never past the cell
//   Thumbnail  |   [picture]   |   the stored thumbnail scaled into the cell, centred, keeping its
//                                  proportions; nothing when it is missing or does not decode
//   Image Info | 1024 x 768    |   its lines one under the other
//              | 256 Colors    |
//              | 8 bits        |
//
// Rows are `rowHeight` pixels high (18, or 102 in the images view so thumbnails fit); the view uses
// uniform row heights.
#pragma once

#include <QStyledItemDelegate>

namespace volumist::ui {

class ItemDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit ItemDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

  void SetRowHeight(int height) { rowHeight_ = height; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  int rowHeight_ = 18;
};

// Draws `image` scaled down (never up) into `box`, centred, keeping its proportions. Nothing for a
// null image.
void DrawThumbnail(QPainter& painter, const QImage& image, const QRect& box);

}  // namespace volumist::ui
