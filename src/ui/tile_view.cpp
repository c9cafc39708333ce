#include "ui/tile_view.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "ui/item_delegate.h"
#include "ui/item_list_model.h"
#include "ui/tile_view_accessible.h"

namespace volumist::ui {
namespace {

QRect ToQRect(const browse::TileRect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

}  // namespace

void TileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // Tile-relative parts, from the layout of a single tile placed at the option's rectangle.
  browse::TileLayout one(style_, option.rect.width(), 1);
  const QPoint origin = option.rect.topLeft();
  auto part = [&origin](const browse::TileRect& rect) { return ToQRect(rect).translated(origin); };

  QStyleOptionViewItem base = option;
  initStyleOption(&base, index);
  base.text.clear();
  base.icon = QIcon();
  base.features &= ~QStyleOptionViewItem::HasDecoration;
  QStyle* style = base.widget ? base.widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &base, painter, base.widget);

  painter->save();
  painter->setClipRect(option.rect);
  const QRect box = part(one.ThumbnailBox(0));
  QImage thumbnail = index.data(ItemListModel::kThumbnailRole).value<QImage>();
  if (!thumbnail.isNull()) {
    DrawThumbnail(*painter, thumbnail, box);
  } else {
    QIcon icon = index.data(ItemListModel::kRowIconRole).value<QIcon>();
    int side = std::clamp(style_.thumbnailSize / 2, 16, 48);
    QRect iconRect(0, 0, side, side);
    iconRect.moveCenter(box.center());
    icon.paint(painter, iconRect);
  }
  const bool selected = option.state & QStyle::State_Selected;
  painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  QFont font = option.font;
  auto line = [&](const browse::TileRect& rect, const QString& text) {
    QRect area = part(rect);
    painter->drawText(area, Qt::AlignHCenter | Qt::AlignVCenter,
                      QFontMetrics(font).elidedText(text, Qt::ElideMiddle, area.width()));
  };
  line(one.NameLine(0), index.data(ItemListModel::kRowNameRole).toString());
  font.setPointSizeF(std::max(font.pointSizeF() * 0.85, 6.0));
  painter->setFont(font);
  if (!selected) painter->setPen(option.palette.color(QPalette::PlaceholderText));
  if (std::optional<browse::TileRect> size = one.ImageSizeLine(0)) {
    line(*size, index.data(ItemListModel::kImageSizeTextRole).toString());
  }
  if (std::optional<browse::TileRect> colors = one.ImageColorsLine(0)) {
    line(*colors, index.data(ItemListModel::kImageColorsTextRole).toString());
  }
  painter->restore();
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = option.rect.adjusted(1, 1, -1, -1);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
  }
}

QSize TileDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  browse::TileLayout one(style_, 0, 1);
  return {one.TileWidth(), one.TileHeight()};
}

TileView::TileView(QWidget* parent) : QAbstractItemView(parent), delegate_(new TileDelegate(this)) {
  InstallTileViewAccessibility();
  setItemDelegate(delegate_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setAutoScroll(true);
}

void TileView::SetTileStyle(browse::TileStyle style) {
  delegate_->SetStyle(style);
  updateGeometries();
  viewport()->update();
}

browse::TileLayout TileView::Layout() const {
  int count = model() ? model()->rowCount(rootIndex()) : 0;
  return browse::TileLayout(delegate_->Style(), viewport()->width(), count);
}

QModelIndex TileView::IndexOfRow(int row) const {
  return model() && row >= 0 ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

QRect TileView::visualRect(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  return ToQRect(Layout().Tile(index.row())).translated(0, -verticalOffset());
}

void TileView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  QRect rect = ToQRect(Layout().Tile(index.row()));
  const int top = verticalOffset();
  const int height = viewport()->height();
  int target = top;
  switch (hint) {
    case PositionAtTop: target = rect.top(); break;
    case PositionAtBottom: target = rect.bottom() - height + 1; break;
    case PositionAtCenter: target = rect.center().y() - height / 2; break;
    case EnsureVisible:
      if (rect.top() < top) target = rect.top();
      else if (rect.bottom() >= top + height) target = rect.bottom() - height + 1;
      break;
  }
  verticalScrollBar()->setValue(target);
  viewport()->update();
}

QModelIndex TileView::indexAt(const QPoint& point) const {
  return IndexOfRow(Layout().IndexAt(point.x(), point.y() + verticalOffset()));
}

int TileView::verticalOffset() const { return verticalScrollBar()->value(); }

QModelIndex TileView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
  browse::TileLayout layout = Layout();
  int current = currentIndex().isValid() ? currentIndex().row() : -1;
  int pageRows = std::max(1, viewport()->height() / (layout.TileHeight() + browse::kTileGap));
  browse::TileStep step = browse::TileStep::kRight;
  switch (cursorAction) {
    case MoveLeft:
    case MovePrevious: step = browse::TileStep::kLeft; break;
    case MoveRight:
    case MoveNext: step = browse::TileStep::kRight; break;
    case MoveUp: step = browse::TileStep::kUp; break;
    case MoveDown: step = browse::TileStep::kDown; break;
    case MovePageUp: step = browse::TileStep::kPageUp; break;
    case MovePageDown: step = browse::TileStep::kPageDown; break;
    case MoveHome: step = browse::TileStep::kHome; break;
    case MoveEnd: step = browse::TileStep::kEnd; break;
  }
  return IndexOfRow(layout.Move(current, step, pageRows));
}

void TileView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  if (!model() || !selectionModel()) return;
  browse::TileLayout layout = Layout();
  QRect content = rect.normalized().translated(0, verticalOffset());
  QItemSelection selection;
  auto [first, last] = layout.TilesIn(content.top(), content.height());
  for (int row = first; first >= 0 && row <= last; ++row) {
    if (ToQRect(layout.Tile(row)).intersects(content)) {
      QModelIndex index = IndexOfRow(row);
      selection.select(index, index);
    }
  }
  selectionModel()->select(selection, command | QItemSelectionModel::Rows);
}

QRegion TileView::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  for (const QItemSelectionRange& range : selection) {
    for (int row = range.top(); row <= range.bottom(); ++row) region += visualRect(IndexOfRow(row));
  }
  return region;
}

void TileView::updateGeometries() {
  browse::TileLayout layout = Layout();
  verticalScrollBar()->setSingleStep(std::max(layout.TileHeight() / 4, 1));
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setRange(0, std::max(0, layout.ContentHeight() - viewport()->height()));
  QAbstractItemView::updateGeometries();
}

void TileView::resizeEvent(QResizeEvent* event) {
  QAbstractItemView::resizeEvent(event);
  updateGeometries();
}

void TileView::setModel(QAbstractItemModel* model) {
  QAbstractItemView::setModel(model);
  if (model == nullptr) return;
  connect(model, &QAbstractItemModel::layoutChanged, this, [this] { ++generation_; });
  connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { ++generation_; });
}

void TileView::reset() {
  ++generation_;
  QAbstractItemView::reset();
}

void TileView::rowsInserted(const QModelIndex& parent, int start, int end) {
  QAbstractItemView::rowsInserted(parent, start, end);
  updateGeometries();
}

void TileView::paintEvent(QPaintEvent* event) {
  if (!model()) return;
  QPainter painter(viewport());
  browse::TileLayout layout = Layout();
  const int offset = verticalOffset();
  auto [first, last] = layout.TilesIn(event->rect().top() + offset, event->rect().height());
  if (first < 0) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QModelIndex current = currentIndex();
  for (int row = first; row <= last; ++row) {
    QModelIndex index = IndexOfRow(row);
    QStyleOptionViewItem tile = option;
    tile.rect = ToQRect(layout.Tile(row)).translated(0, -offset);
    if (!tile.rect.intersects(event->rect())) continue;
    if (selectionModel() && selectionModel()->isSelected(index)) tile.state |= QStyle::State_Selected;
    if (index == current && hasFocus()) tile.state |= QStyle::State_HasFocus;
    delegate_->paint(&painter, tile, index);
  }
}

}  // namespace volumist::ui
