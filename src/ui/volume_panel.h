// The left side of the main window: the arrange button with its six entries, the list of volumes
// and the "Choose active directory..." button. It shows and forwards: loading, arranging and the
// directory belong to the window.
//
//   [Arranged by: Name ASC  v]
//   (o) Backup 2021
//   (o) Photos
//   ...
//   [Choose active directory...]
#pragma once

#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "ui/action_registry.h"
#include "ui/volume_list_model.h"

namespace volumist::ui {

class VolumePanel final : public QWidget {
  Q_OBJECT

 public:
  VolumePanel(ActionRegistry& actions, VolumeListModel& model, QWidget* parent = nullptr);

  QListView* List() const { return list_; }
  QToolButton* ArrangeButton() const { return arrange_; }
  QPushButton* DirectoryButton() const { return directory_; }
  QMenu* ContextMenu() const { return contextMenu_; }

  void SetArrangeCaption(const QString& caption) { arrange_->setText(caption); }
  // Selects `row` (-1: nothing) without announcing it as the user's choice.
  void SelectRow(int row);
  int SelectedRow() const;
  void SetToolTipsShown(bool shown);

 signals:
  // The user chose the volume in `row`.
  void VolumeChosen(int row);

 private:
  ActionRegistry& actions_;
  QToolButton* arrange_;
  QListView* list_;
  QPushButton* directory_;
  QMenu* contextMenu_;
  bool selecting_ = false;
};

}  // namespace volumist::ui
