#include "ui/volume_list_model.h"

#include "catalog/value_format.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

VolumeListModel::VolumeListModel(const VolumeList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), rows_(static_cast<int>(list.Entries().size())) {}

void VolumeListModel::Reload() {
  beginResetModel();
  rows_ = static_cast<int>(list_.Entries().size());
  endResetModel();
}

int VolumeListModel::RowOfPath(const std::string& path) const {
  const auto& entries = list_.Entries();
  for (int row = 0; row < rows_ && row < static_cast<int>(entries.size()); ++row) {
    if (entries[static_cast<size_t>(row)].filePath == path) return row;
  }
  return -1;
}

int VolumeListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant VolumeListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const auto& entries = list_.Entries();
  if (index.row() >= static_cast<int>(entries.size())) return {};
  const VolumeListEntry& entry = entries[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(entry.volumeName);
    case Qt::DecorationRole: {
      static const QIcon icon = VolumeIcon();
      return icon;
    }
    case Qt::AccessibleDescriptionRole:
      return QStringLiteral("%1, %2").arg(ToQString(entry.fileName), ToQString(FormatSizeShort(entry.fileSize)));
    case kFilePathRole: return ToQString(entry.filePath);
    default: return {};
  }
}

}  // namespace volumist::ui
