#include "ui/dialogs/drive_list_model.h"

#include "browse/scan_dialog_rules.h"
#include "ui/bridge/text.h"
#include "ui/drive_icons.h"

namespace volumist::ui {

DriveListModel::DriveListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DriveListModel::SetDrives(std::vector<DriveRow> drives) {
  beginResetModel();
  drives_ = std::move(drives);
  endResetModel();
}

int DriveListModel::RowOfRoot(const std::string& root) const {
  for (size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].root == root) return static_cast<int>(i);
  }
  return -1;
}

int DriveListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(drives_.size());
}

int DriveListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant DriveListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const DriveRow& drive = drives_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case kDriveColumn: return ToQString(drive.root);
      case kTypeColumn: return ToQString(drive.kindName);
      case kNameColumn: return ToQString(drive.displayName);
      default: return {};
    }
  }
  if (role == Qt::DecorationRole && index.column() == kDriveColumn) return DriveIcon(drive.driveType);
  return {};
}

QVariant DriveListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kDriveColumn: return QLatin1String(browse::text::kDriveColumn);
    case kTypeColumn: return QLatin1String(browse::text::kTypeColumn);
    case kNameColumn: return QLatin1String(browse::text::kNameColumn);
    default: return {};
  }
}

}  // namespace volumist::ui
