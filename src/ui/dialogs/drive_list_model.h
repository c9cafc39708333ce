// The drive list of the single-source page: "Drive" (the mount point, with the kind's icon), "Type"
// (the short kind name) and "Name" (the medium's display name), one row per listed drive.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "scan/drive_info.h"

namespace volumist::ui {

class DriveListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kDriveColumn = 0, kTypeColumn = 1, kNameColumn = 2, kColumnCount = 3 };

  explicit DriveListModel(QObject* parent = nullptr);

  void SetDrives(std::vector<DriveRow> drives);
  const std::vector<DriveRow>& Drives() const { return drives_; }
  // The row of the drive with this root, -1 for none.
  int RowOfRoot(const std::string& root) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<DriveRow> drives_;
};

}  // namespace volumist::ui
