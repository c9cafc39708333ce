#include "ui/item_list_model.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>

#include "browse/thumbnail.h"
#include "ui/bridge/picture.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

using browse::ItemRow;
using browse::RowKind;

namespace {

Qt::Alignment AlignmentOf(uint8_t displayCode) {
  switch (displayCode) {
    case 1: return Qt::AlignHCenter | Qt::AlignVCenter;
    case 2: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

// Column colours are stored red in the low byte.
QColor ColourOf(uint32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

quint64 ThumbnailKey(const ItemRow& row) {
  quint64 volume = row.volume ? static_cast<quint64>(static_cast<uint32_t>(row.volume->index)) + 1 : 0;
  return (volume << 32) | row.key;
}

}  // namespace

ItemListModel::ItemListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ItemListModel::SetRows(std::vector<ItemRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  thumbnails_.clear();
  if (browse::IsSortColumn(sortColumn_)) static_cast<void>(browse::SortRows(rows_, sortColumn_, order_));
  Count();
  endResetModel();
}

void ItemListModel::AppendRows(std::vector<ItemRow> rows) {
  if (rows.empty()) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  // Grown by the vector's own doubling: reserving the exact size on every slice would move every
  // row shown again for each slice appended.
  for (ItemRow& row : rows) {
    CountRow(row);
    rows_.push_back(std::move(row));
  }
  endInsertRows();
  // The Size% bars are shares of the total, which has grown.
  if (const int column = ColumnOf(ColumnId::kSizePercent); column >= 0 && first > 0) {
    emit dataChanged(index(0, column), index(first - 1, column));
  }
}

void ItemListModel::Count() {
  total_ = 0;
  files_ = folders_ = 0;
  for (const ItemRow& row : rows_) CountRow(row);
}

void ItemListModel::CountRow(const ItemRow& row) {
  total_ += browse::TotalSize(std::span<const ItemRow>(&row, 1));
  if (row.kind == RowKind::kFile || row.kind == RowKind::kArchive) ++files_;
  if (row.kind == RowKind::kFolder || row.kind == RowKind::kSourceRoot) ++folders_;
}

void ItemListModel::SetColumns(const ColumnSet& columns) {
  beginResetModel();
  columns_ = columns;
  shown_.clear();
  for (const ShownColumn& spec : columns_.columns) {
    if (spec.isShown) shown_.push_back(spec.columnId);
  }
  endResetModel();
}

ColumnId ItemListModel::ColumnAt(int column) const {
  return column >= 0 && column < static_cast<int>(shown_.size()) ? shown_[static_cast<size_t>(column)] : ColumnId::kName;
}

int ItemListModel::ColumnOf(ColumnId id) const {
  auto found = std::find(shown_.begin(), shown_.end(), id);
  return found == shown_.end() ? -1 : static_cast<int>(found - shown_.begin());
}

bool ItemListModel::SortBy(ColumnId column, browse::SortOrder order) {
  if (!browse::IsSortColumn(column)) return false;
  return ApplyOrder(browse::SortedOrder(rows_, column, order).value_or(std::vector<uint32_t>{}), column, order);
}

bool ItemListModel::ApplyOrder(const std::vector<uint32_t>& permutation, ColumnId column, browse::SortOrder order) {
  if (!browse::IsSortColumn(column) || permutation.size() != rows_.size()) return false;
  std::vector<int> newPosition(rows_.size(), -1);
  for (size_t i = 0; i < permutation.size(); ++i) {
    const size_t from = permutation[i];
    if (from >= rows_.size() || newPosition[from] >= 0) return false;
    newPosition[from] = static_cast<int>(i);
  }
  sortColumn_ = column;
  order_ = order;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Sorted through a permutation, so that selections and the current row follow their rows.
  std::vector<ItemRow> sorted;
  sorted.reserve(rows_.size());
  for (uint32_t from : permutation) sorted.push_back(std::move(rows_[from]));
  rows_ = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    after.push_back(index.isValid() ? this->index(newPosition[static_cast<size_t>(index.row())], index.column())
                                    : QModelIndex());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return true;
}

void ItemListModel::sort(int column, Qt::SortOrder order) {
  static_cast<void>(SortBy(ColumnAt(column), order == Qt::AscendingOrder ? browse::SortOrder::kAscending
                                                                          : browse::SortOrder::kDescending));
}

const ItemRow* ItemListModel::RowAt(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[static_cast<size_t>(row)] : nullptr;
}

int ItemListModel::RowOfKey(RecordKey key) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].kind != RowKind::kUp && rows_[i].kind != RowKind::kNone && rows_[i].key == key) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void ItemListModel::UpdateDescription(RecordKey descriptionKey, const std::string& text) {
  int column = ColumnOf(ColumnId::kDescription);
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].DescriptionKey() != descriptionKey) continue;
    rows_[i].description = text;
    rows_[i].descriptionRead = true;
    if (column >= 0) {
      QModelIndex cell = index(static_cast<int>(i), column);
      emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
  }
}

void ItemListModel::ForgetReadValues() {
  for (ItemRow& row : rows_) {
    if (row.kind == RowKind::kUp || !row.DescriptionKey()) continue;
    row.descriptionRead = false;
    row.description.clear();
  }
  thumbnails_.clear();
  if (!rows_.empty() && !shown_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const std::string& ItemListModel::Description(int row) const {
  ItemRow& item = rows_[static_cast<size_t>(row)];
  if (!item.descriptionRead) {
    item.descriptionRead = true;
    if (descriptionReader_) item.description = descriptionReader_(item).value_or(std::string());
  }
  return item.description;
}

QImage ItemListModel::Thumbnail(int row) const {
  const ItemRow& item = rows_[static_cast<size_t>(row)];
  if (item.kind != RowKind::kFile || item.Image() == nullptr || !thumbnailReader_) return {};
  quint64 key = ThumbnailKey(item);
  if (QImage* cached = thumbnails_.object(key)) return *cached;
  QImage image;
  // Nothing is drawn for bytes that do not decode; the failure is remembered like a picture.
  if (std::optional<std::vector<uint8_t>> bytes = thumbnailReader_(item)) {
    if (std::optional<RgbImage> decoded = browse::DecodeThumbnail(*bytes)) image = ToQImage(*decoded);
  }
  thumbnails_.insert(key, new QImage(image));
  return image;
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()) ||
      index.column() >= static_cast<int>(shown_.size())) {
    return {};
  }
  const ItemRow& row = rows_[static_cast<size_t>(index.row())];
  const ColumnId column = shown_[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::AccessibleTextRole:
      // The drawn cells say what they show.
      if (column == ColumnId::kSizePercent) {
        std::optional<int> percent = browse::SizePercent(row, total_);
        return percent ? QStringLiteral("%1%").arg(*percent) : QString();
      }
      if (column == ColumnId::kThumbnail) return Thumbnail(index.row()).isNull() ? QString() : QStringLiteral("Thumbnail");
      [[fallthrough]];
    case Qt::DisplayRole: {
      if (column == ColumnId::kDescription) {
        if (row.kind == RowKind::kNone) return {};
        return ToQString(Description(index.row()));
      }
      if (column == ColumnId::kIcon && role == Qt::AccessibleTextRole) return ToQString(browse::CellText(row, ColumnId::kType));
      QString text = ToQString(browse::CellText(row, column));
      if (column == ColumnId::kImageInfo && role == Qt::DisplayRole) text.replace(QLatin1Char('\n'), QLatin1Char(' '));
      return text;
    }
    case Qt::DecorationRole:
      // The icon column holds the icon; without one the name carries it.
      if (column == ColumnId::kIcon || (column == ColumnId::kName && ColumnOf(ColumnId::kIcon) < 0)) {
        return icons_.IconOf(row);
      }
      return {};
    case Qt::TextAlignmentRole: {
      auto spec = std::find_if(columns_.columns.begin(), columns_.columns.end(),
                               [column](const ShownColumn& s) { return s.columnId == column; });
      return QVariant::fromValue(AlignmentOf(spec == columns_.columns.end() ? 0 : spec->displayCode));
    }
    case Qt::BackgroundRole: {
      auto spec = std::find_if(columns_.columns.begin(), columns_.columns.end(),
                               [column](const ShownColumn& s) { return s.columnId == column; });
      if (spec == columns_.columns.end() || spec->backgroundColour == kColumnWhite) return {};
      // The column colours are light tints; on a dark desktop the palette's own base stays.
      if (QGuiApplication::palette().color(QPalette::Base).lightness() < 128) return {};
      return ColourOf(spec->backgroundColour);
    }
    case kColumnIdRole: return static_cast<int>(column);
    case kRowKindRole: return static_cast<int>(row.kind);
    case kSizePercentRole: {
      std::optional<int> percent = browse::SizePercent(row, total_);
      return percent ? QVariant(*percent) : QVariant();
    }
    case kThumbnailRole: return Thumbnail(index.row());
    case kLinesRole: return ToQString(browse::CellText(row, column)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    case kRowNameRole: return ToQString(row.name);
    case kRowIconRole: return icons_.IconOf(row);
    case kImageSizeTextRole: return ToQString(browse::CellText(row, ColumnId::kImageSize));
    case kImageColorsTextRole: return ToQString(browse::CellText(row, ColumnId::kImageColors));
    default: return {};
  }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(shown_.size())) return {};
  ColumnId column = shown_[static_cast<size_t>(section)];
  switch (role) {
    case Qt::DisplayRole: return QString::fromLatin1(ColumnTitle(column).data(), static_cast<int>(ColumnTitle(column).size()));
    case Qt::AccessibleTextRole:
      return column == ColumnId::kIcon ? QStringLiteral("Icon")
                                       : QString::fromLatin1(ColumnTitle(column).data(), static_cast<int>(ColumnTitle(column).size()));
    case kColumnIdRole: return static_cast<int>(column);
    default: return {};
  }
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

}  // namespace volumist::ui
