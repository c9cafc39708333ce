// CDialog_Scan_Tree ("Advanced Scan"): a folder tree of the machine's drives on the left, a
// scanning list of its own on the right. The plus button adds the tree's selected folder (named
// after its drive when it is a drive's root, else after its last component; a path already in the
// list is refused with "This path is in list already"; Ins and a double click on a folder do the
// same); the minus button and Del in the list remove the selected sources; "Clear" empties the list
// at once. OK gives the list back; Cancel leaves the caller's.
// Resizable, never below 670 x 350.
//
//   [explanation                                                   ]
//   Sources:            Scanning list:
//   +-------------+ (+) +--Name in catalog--+--Full path-----------+
//   | / tree      | (-) |                   |                      |
//   +-------------+     +-------------------+----------------------+
//                       [Clear]                          [OK] [Cancel]
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"
#include "ui/dialogs/disk_folder_model.h"
#include "ui/dialogs/scan_source_model.h"
#include "ui/services.h"

namespace volumist::ui {

class CDialog_Scan_Tree final : public QDialog {
  Q_OBJECT

 public:
  // Opens on a copy of `sources`; on OK puts the dialog's list into `sources` and returns true.
  // `drives` are the tree's top nodes.
  static bool Edit(std::vector<ScanSource>& sources, std::vector<DriveRow> drives, platform::FileSystem& fileSystem,
                   Prompter& prompter, DialogRunner& runner, bool showToolTips, QWidget* parent);

  CDialog_Scan_Tree(std::vector<ScanSource> sources, std::vector<DriveRow> drives, platform::FileSystem& fileSystem,
                    Prompter& prompter, bool showToolTips, QWidget* parent = nullptr);

  QTreeView* Tree() const { return tree_; }
  DiskFolderModel* TreeModel() const { return treeModel_; }
  QTreeView* List() const { return list_; }
  ScanSourceModel* ListModel() const { return listModel_; }
  QToolButton* PlusButton() const { return plus_; }
  QToolButton* MinusButton() const { return minus_; }
  QPushButton* ClearButton() const { return clear_; }
  QPushButton* OkButton() const { return ok_; }

  // The buttons' actions, also for tests.
  void AddSelected();
  void RemoveSelected();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Prompter& prompter_;
  DiskFolderModel* treeModel_;
  ScanSourceModel* listModel_;
  QTreeView* tree_;
  QTreeView* list_;
  QToolButton* plus_;
  QToolButton* minus_;
  QPushButton* clear_;
  QPushButton* ok_;
};

// Removes the selected rows of a source list view and selects, focuses and shows the row that
// follows (nothing when the list is empty). Shared by the tree dialog and the multiple-sources page.
void RemoveSelectedSources(QTreeView& view, ScanSourceModel& model);

}  // namespace volumist::ui
