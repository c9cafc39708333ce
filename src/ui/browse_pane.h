// The work area right of the volume list: the folder tree, the file list, and below the list the
// description pane and the "File data" pane, in splitters whose bars keep the tree and the list at
// least 250 pixels wide. The tree and the list are empty views that the browsing code fills; the
// description pane edits the description of the item it is given (for now the volume itself).
//
//   +-----------+------------------------------+
//   | tree      | [navigation]                 |
//   |           | file list                    |
//   |           +-------------+----------------+
//   |           | description | File data      |
//   +-----------+-------------+----------------+
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "catalog/record_key.h"
#include "catalog/volume_catalog.h"

namespace volumist::ui {

class BrowsePane final : public QWidget {
  Q_OBJECT

 public:
  explicit BrowsePane(QWidget* parent = nullptr);

  // Builds the views from `volume` (null: no volume loaded). The volume must stay open and alive
  // until the next ShowVolume or SuspendReading.
  void ShowVolume(VolumeCatalog* volume);
  // While a scan has the loaded volume's file closed nothing here reads it: the views keep what they
  // show and the description pane is read-only. ShowVolume ends the suspension.
  void SuspendReading();
  bool ReadingSuspended() const { return suspended_; }

  // Shows the description of `key` of the shown volume for editing.
  void DescribeItem(RecordKey key);
  // Stores the pane's text as a pending description when it differs from the shown one. Called when
  // the pane loses the focus and before the window applies or closes.
  void CommitDescription();

  // How the pane stores an edit; returns false when it could not (the stored text is shown again).
  std::function<bool(RecordKey key, const std::string& text)> storeDescription;

  QTreeView* FolderTree() const { return tree_; }
  QTreeView* FileList() const { return list_; }
  QPlainTextEdit* DescriptionPane() const { return description_; }
  QPlainTextEdit* FileDataPane() const { return fileData_; }
  QSplitter* TreeSplitter() const { return treeSplitter_; }
  QSplitter* PaneSplitter() const { return paneSplitter_; }
  // The row above the file list where the navigation buttons and view-mode tabs go.
  QWidget* NavigationBar() const { return navigation_; }
  QLabel* ListStatus() const { return listStatus_; }

  void SetToolTipsShown(bool shown);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowDescriptionText(const QString& text);

  VolumeCatalog* volume_ = nullptr;
  bool suspended_ = false;
  std::optional<RecordKey> describedKey_;
  QString shownDescription_;
  std::string shownBytes_;

  QSplitter* treeSplitter_;
  QSplitter* listSplitter_;
  QSplitter* paneSplitter_;
  QTreeView* tree_;
  QTreeView* list_;
  QWidget* navigation_;
  QLabel* listStatus_;
  QPlainTextEdit* description_;
  QToolButton* clearDescription_;
  QPlainTextEdit* fileData_;
};

}  // namespace volumist::ui
