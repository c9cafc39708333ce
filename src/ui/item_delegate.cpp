#include "ui/item_delegate.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "browse/size_bar.h"
#include "catalog/column_set.h"
#include "imaging/fit_into.h"
#include "ui/item_list_model.h"

namespace volumist::ui {

void DrawThumbnail(QPainter& painter, const QImage& image, const QRect& box) {
  if (image.isNull() || box.width() <= 0 || box.height() <= 0) return;
  FitResult fit = FitInto(static_cast<uint32_t>(image.width()), static_cast<uint32_t>(image.height()),
                          static_cast<uint32_t>(box.width()), static_cast<uint32_t>(box.height()));
  QRect target(0, 0, static_cast<int>(fit.width), static_cast<int>(fit.height));
  target.moveCenter(box.center());
  painter.save();
  painter.setClipRect(box);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(target, image);
  painter.restore();
}

void ItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto column = static_cast<ColumnId>(index.data(ItemListModel::kColumnIdRole).toInt());
  if (column != ColumnId::kSizePercent && column != ColumnId::kThumbnail && column != ColumnId::kImageInfo) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // The cell's background, selection and focus as any other cell, without its text.
  QStyleOptionViewItem base = option;
  initStyleOption(&base, index);
  base.text.clear();
  QStyle* style = base.widget ? base.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &base, painter, base.widget);
  const QRect cell = option.rect;
  if (column == ColumnId::kSizePercent) {
    QVariant percent = index.data(ItemListModel::kSizePercentRole);
    if (!percent.isValid()) return;
    int length = browse::SizeBarLength(percent.toInt(), cell.width());
    if (length <= 0) return;
    QRect bar(cell.left() + 1, cell.top() + 3, length, std::max(cell.height() - 6, 1));
    painter->save();
    painter->setClipRect(cell);
    QColor fill = option.palette.color(QPalette::Mid);
    painter->fillRect(bar, fill);
    painter->restore();
    return;
  }
  if (column == ColumnId::kThumbnail) {
    DrawThumbnail(*painter, index.data(ItemListModel::kThumbnailRole).value<QImage>(), cell.adjusted(2, 2, -2, -2));
    return;
  }
  // Image Info: its lines from the top of the cell.
  const QStringList lines = index.data(ItemListModel::kLinesRole).toStringList();
  painter->save();
  painter->setClipRect(cell);
  const bool selected = option.state & QStyle::State_Selected;
  painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  const int lineHeight = option.fontMetrics.height();
  // The lines as one block, in the middle of the cell when it is tall enough.
  const int top = std::max(cell.top() + 2, cell.center().y() - lineHeight * static_cast<int>(lines.size()) / 2);
  QRect line(cell.left() + 4, top, cell.width() - 8, lineHeight);
  for (const QString& text : lines) {
    if (line.top() >= cell.bottom()) break;
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, option.fontMetrics.elidedText(text, Qt::ElideRight, line.width()));
    line.translate(0, lineHeight);
  }
  painter->restore();
}

QSize ItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(rowHeight_);
  return size;
}

}  // namespace volumist::ui
