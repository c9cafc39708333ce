// The work area right of the volume list, where the loaded volume is browsed: the folder tree, the
// navigation buttons and the file list (an ItemList), and below the list the description pane and
// the "File data" pane, in splitters whose bars keep the tree and the list at least 250 pixels wide.
//
//   +-----------+------------------------------------+
//   | tree      | [<][>][^][root][props] [x] Explorer |
//   |           | [ Main ][ Audio ]...     [Arrange] |
//   |           | file list                          |
//   |           | caption                     totals |
//   |           +-----------------+------------------+
//   |           | description [x] | File data        |
//   +-----------+-----------------+------------------+
//
// The pane shows one folder at a time (OpenFolder) and keeps the history of folders (Back,
// Forward); the tree always selects the folder the list shows, loading the nodes on the way. After
// the list's current row changes, the description and "File data" panes follow 50 ms later.
//
// The description pane's text belongs to the item it was filled for: it is stored (as a pending
// description, through storeDescription) under that item's key before anything changes the list,
// the folder or the volume, when the pane loses the focus, and before the window runs a command.
// Nothing is stored for the up entry, and a text that is not valid UTF-8 is stored back only when
// the user edited it. With no row selected the pane describes the folder shown (at the root, the
// volume). Descriptions hold at most 511 bytes: typing and pasting stop there, at a character
// boundary.
//
// GUI thread only.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/command.h"
#include "browse/folder_listing.h"
#include "browse/navigation_history.h"
#include "catalog/program_settings.h"
#include "catalog/record_key.h"
#include "catalog/volume_catalog.h"
#include "ui/action_registry.h"
#include "ui/folder_tree_model.h"
#include "ui/item_list.h"

namespace volumist::ui {

class BrowsePane final : public QWidget {
  Q_OBJECT

 public:
  // The pane's list uses the settings' list column sets; the navigation buttons show `actions`'
  // commands. Both must outlive the pane.
  BrowsePane(ProgramSettings& settings, ActionRegistry& actions, QWidget* parent = nullptr);

  // Builds the views from `volume` (null: no volume loaded): the tabs of its scan options, the tree
  // with its top selected, the root in the list, an empty history. With `keepPlace` and the same
  // volume, the folder shown and the current row stay (after its descriptions were saved or
  // dropped). The volume must stay open and alive until the next ShowVolume or SuspendReading.
  void ShowVolume(VolumeCatalog* volume, bool keepPlace = false);
  // While a scan has the loaded volume's file closed nothing here reads it: the views keep what they
  // show and the description pane is read-only. ShowVolume ends the suspension.
  void SuspendReading();
  bool ReadingSuspended() const { return suspended_; }

  // Shows the folder `key` (kRootKey: the top of the volume) and pushes it onto the history. The
  // tree selects it, unless the click came from the tree. False (nothing changes) without a
  // volume or when the volume has no such folder.
  bool OpenFolder(RecordKey key, bool fromHistory, bool fromTree = false);
  void Back();
  void Forward();
  // The folder above the one shown; nothing at the root.
  void Up();
  void Root();
  // What a double click or Enter on row `row` does: the up entry and folders open, files and
  // archives ask for "Execute File" in explorer mode, for "Properties" otherwise.
  void ActivateRow(int row);

  RecordKey CurrentFolder() const { return current_; }
  const std::vector<ChainLink>& CurrentChain() const { return chain_; }
  const browse::NavigationHistory& History() const { return history_; }
  bool ExplorerMode() const { return explorerMode_->isChecked(); }
  // The row the commands act on: the list's current row, or null.
  const browse::ItemRow* SelectedRow() const;

  // Stores the pane's text as a pending description of the item it was filled for, when the user
  // changed it.
  void CommitDescription();
  // The user changed the pane's text and it is not stored yet.
  bool HasUncommittedDescription() const;
  // Fills the description and "File data" panes for the current row now (what the 50 ms refresh
  // does).
  void RefreshPanes();
  QTimer* PaneTimer() { return &paneTimer_; }
  // The key the description pane was filled for; none while it is read-only.
  std::optional<RecordKey> DescribedKey() const { return describedKey_; }

  // How the pane stores an edit; returns false when it could not (the stored text is shown again).
  std::function<bool(RecordKey key, const std::string& text)> storeDescription;
  // How the pane asks the window for an item command (Execute File, Properties).
  std::function<void(browse::Command command)> runCommand;

  QTreeView* FolderTree() const { return tree_; }
  FolderTreeModel* TreeModel() const { return treeModel_; }
  ItemList* FileList() const { return list_; }
  QPlainTextEdit* DescriptionPane() const { return description_; }
  QToolButton* ClearDescriptionButton() const { return clearDescription_; }
  QPlainTextEdit* FileDataPane() const { return fileData_; }
  QCheckBox* ExplorerModeBox() const { return explorerMode_; }
  QSplitter* TreeSplitter() const { return treeSplitter_; }
  QSplitter* PaneSplitter() const { return paneSplitter_; }
  QWidget* NavigationBar() const { return navigation_; }
  // The list's status line: the caption of the folder shown, or "no volume loaded".
  QLabel* ListStatus() const { return list_->CaptionLabel(); }

  void SetToolTipsShown(bool shown);

 signals:
  // The folder shown or the history changed: Back, Forward and Up may have to change state.
  void NavigationChanged();
  // The list's context menu was asked for at `globalPosition`.
  void ContextMenuRequested(const QPoint& globalPosition);
  // The user typed in the description pane (its text may now differ from the stored one).
  void DescriptionEdited();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildNavigationBar(ActionRegistry& actions);
  void DescribeKey(std::optional<RecordKey> key, const QString& fixedText);
  void ShowDescriptionBytes(const std::string& bytes);
  void LimitDescription(int position, int added);
  void SelectInTree(RecordKey key);
  void OnTreeCurrentChanged(const QModelIndex& current);

  ProgramSettings& settings_;
  VolumeCatalog* volume_ = nullptr;
  bool suspended_ = false;
  RecordKey current_ = browse::kRootKey;
  std::vector<ChainLink> chain_;
  browse::NavigationHistory history_;
  bool syncingTree_ = false;

  std::optional<RecordKey> describedKey_;
  QString shownDescription_;  // the pane's text as the editor gave it back after filling
  std::string shownBytes_;    // the stored bytes it was filled from
  bool limiting_ = false;
  QTimer paneTimer_;

  QSplitter* treeSplitter_;
  QSplitter* listSplitter_;
  QSplitter* paneSplitter_;
  QTreeView* tree_;
  FolderTreeModel* treeModel_;
  QWidget* navigation_;
  std::vector<QToolButton*> navigationButtons_;
  bool toolTipsShown_ = true;
  QCheckBox* explorerMode_;
  ItemList* list_;
  QPlainTextEdit* description_;
  QToolButton* clearDescription_;
  QPlainTextEdit* fileData_;
};

}  // namespace volumist::ui
