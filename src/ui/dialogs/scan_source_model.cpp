#include "ui/dialogs/scan_source_model.h"

#include "browse/scan_dialog_rules.h"
#include "catalog/short_string.h"
#include "ui/bridge/text.h"
#include "ui/drive_icons.h"

namespace volumist::ui {

ScanSourceModel::ScanSourceModel(QObject* parent) : QAbstractTableModel(parent) {}

void ScanSourceModel::SetSources(std::vector<ScanSource> sources) {
  beginResetModel();
  sources_ = std::move(sources);
  endResetModel();
}

void ScanSourceModel::Append(ScanSource source) {
  int row = static_cast<int>(sources_.size());
  beginInsertRows(QModelIndex(), row, row);
  sources_.push_back(std::move(source));
  endInsertRows();
}

std::optional<int> ScanSourceModel::Remove(std::span<const int> rows) {
  std::vector<size_t> selected;
  for (int row : rows) {
    if (row >= 0) selected.push_back(static_cast<size_t>(row));
  }
  beginResetModel();
  std::optional<size_t> next = browse::RemoveSources(sources_, selected);
  endResetModel();
  if (!next) return std::nullopt;
  return static_cast<int>(*next);
}

void ScanSourceModel::Clear() { SetSources({}); }

int ScanSourceModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(sources_.size());
}

int ScanSourceModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ScanSourceModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const ScanSource& source = sources_[static_cast<size_t>(index.row())];
  const std::string& text = index.column() == kNameColumn ? source.sourceName : source.path;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return ToQString(text);
    case Qt::ToolTipRole: return index.column() == kPathColumn ? ToQString(text) : QVariant();
    case Qt::DecorationRole: return index.column() == kNameColumn ? QVariant(FolderIcon()) : QVariant();
    default: return {};
  }
}

QVariant ScanSourceModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == kNameColumn) return QLatin1String(browse::text::kNameInCatalogColumn);
  if (section == kPathColumn) return QLatin1String(browse::text::kFullPathColumn);
  return {};
}

Qt::ItemFlags ScanSourceModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kNameColumn) flags |= Qt::ItemIsEditable;
  return flags;
}

bool ScanSourceModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != kNameColumn ||
      !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return false;
  }
  ScanSource& source = sources_[static_cast<size_t>(index.row())];
  // A name left as shown keeps its own bytes, also when they are not valid UTF-8.
  std::string name = EditedBytes(value.toString(), ToQString(source.sourceName), source.sourceName);
  if (name.empty() || name.size() > ShortString::kMaxLength) return false;
  if (name == source.sourceName) return true;
  source.sourceName = std::move(name);
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

}  // namespace volumist::ui
