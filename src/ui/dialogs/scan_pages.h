// The two pages of the scan dialog. They hold the controls; the dialog (scan_drives_dialog.h) fills
// them and acts on what the user does with them.
//
// CPage_Scan_Single:                           CPage_Scan_Advanced:
//   Please choose Drive or Folder:               Scanning list (sources) (...):
//   +-Drive------+-Type------+-Name------+       +-Name in catalog-+-Full path----------+
//   | / (icon)   | Local Disk| System    |       | Photos          | /media/u/Photos    |
//   +------------+-----------+-----------+       +-----------------+--------------------+
//   [x] CD/DVD Drives [x] Local Drives [x] Removable     [Build scanning list] [Clear]
//   [path                         ] [Browse...]
//   Name of the source in volume*: [name ] [x] Eject after scan
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>

#include "ui/dialogs/drive_list_model.h"
#include "ui/dialogs/scan_source_model.h"

namespace volumist::ui {

class CPage_Scan_Single final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Scan_Single(QWidget* parent = nullptr);

  QTreeView* DriveList() const { return drives_; }
  DriveListModel* DriveModel() const { return driveModel_; }
  QCheckBox* CdDrivesBox() const { return cdDrives_; }
  QCheckBox* LocalDrivesBox() const { return localDrives_; }
  QCheckBox* RemovableBox() const { return removable_; }
  QLineEdit* PathField() const { return path_; }
  QPushButton* BrowseButton() const { return browse_; }
  QLineEdit* SourceNameField() const { return sourceName_; }
  QCheckBox* EjectBox() const { return eject_; }

 private:
  DriveListModel* driveModel_;
  QTreeView* drives_;
  QCheckBox* cdDrives_;
  QCheckBox* localDrives_;
  QCheckBox* removable_;
  QLineEdit* path_;
  QPushButton* browse_;
  QLineEdit* sourceName_;
  QCheckBox* eject_;
};

class CPage_Scan_Advanced final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Scan_Advanced(QWidget* parent = nullptr);

  QTreeView* SourceList() const { return sources_; }
  ScanSourceModel* SourceModel() const { return sourceModel_; }
  QPushButton* BuildButton() const { return build_; }
  QPushButton* ClearButton() const { return clear_; }

 private:
  ScanSourceModel* sourceModel_;
  QTreeView* sources_;
  QPushButton* build_;
  QPushButton* clear_;
};

}  // namespace volumist::ui
