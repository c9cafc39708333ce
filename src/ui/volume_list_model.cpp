#include "ui/volume_list_model.h"

#include "browse/presence_text.h"
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

void VolumeListModel::SetPresence(std::unordered_map<std::string, VolumePresence> presence) {
  presence_ = std::move(presence);
  if (rows_ > 0) {
    emit dataChanged(index(0), index(rows_ - 1),
                     {Qt::DecorationRole, Qt::AccessibleDescriptionRole, kPresenceRole});
  }
}

std::optional<VolumePresence> VolumeListModel::PresenceOf(const std::string& filePath) const {
  auto found = presence_.find(filePath);
  if (found == presence_.end()) return std::nullopt;
  return found->second;
}

int VolumeListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant VolumeListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const auto& entries = list_.Entries();
  if (index.row() >= static_cast<int>(entries.size())) return {};
  const VolumeListEntry& entry = entries[static_cast<size_t>(index.row())];
  const std::optional<VolumePresence> presence = PresenceOf(entry.filePath);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(entry.volumeName);
    case Qt::DecorationRole: {
      static const QIcon plain = VolumeIcon();
      if (!presence) return plain;
      static const QIcon present = VolumePresenceIcon(VolumePresence::kPresent);
      static const QIcon partly = VolumePresenceIcon(VolumePresence::kPartly);
      static const QIcon absent = VolumePresenceIcon(VolumePresence::kAbsent);
      return *presence == VolumePresence::kPresent ? present : *presence == VolumePresence::kPartly ? partly : absent;
    }
    case Qt::AccessibleDescriptionRole: {
      QString text = QStringLiteral("%1, %2").arg(ToQString(entry.fileName), ToQString(FormatSizeShort(entry.fileSize)));
      if (presence) text += QStringLiteral(", ") + ToQString(browse::PresenceText(*presence));
      return text;
    }
    case kPresenceRole:
      if (!presence) return {};
      return ToQString(browse::PresenceText(*presence));
    case kFilePathRole: return ToQString(entry.filePath);
    default: return {};
  }
}

}  // namespace volumist::ui
