#include "ui/volume_panel.h"

#include <QVBoxLayout>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

VolumePanel::VolumePanel(ActionRegistry& actions, VolumeListModel& model, QWidget* parent)
    : QWidget(parent), actions_(actions) {
  arrange_ = new QToolButton(this);
  arrange_->setPopupMode(QToolButton::InstantPopup);
  arrange_->setMenu(actions.ArrangeMenu());
  arrange_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  arrange_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  arrange_->setAccessibleName(QStringLiteral("Arrange volumes list"));

  list_ = new QListView(this);
  list_->setModel(&model);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setUniformItemSizes(true);
  list_->setAccessibleName(QStringLiteral("Volumes"));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  // The volumes menu, and the properties of the volume.
  contextMenu_ = new QMenu(this);
  if (QMenu* volumes = actions_.Menu(browse::StripButton::kVolumes)) contextMenu_->addActions(volumes->actions());
  contextMenu_->addSeparator();
  contextMenu_->addAction(actions_.Action(browse::Command::kProperties));
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { contextMenu_->popup(list_->viewport()->mapToGlobal(at)); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!selecting_ && current.isValid()) emit VolumeChosen(current.row());
          });

  // A push button of its own rather than the action's tool button: its tooltip follows the
  // tooltip setting, not the action's text.
  QAction* choose = actions.Action(browse::Command::kChooseDirectory);
  directory_ = new QPushButton(choose->text(), this);
  directory_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(directory_, &QPushButton::clicked, choose, &QAction::trigger);
  connect(choose, &QAction::changed, directory_, [this, choose] { directory_->setEnabled(choose->isEnabled()); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 0, 4);
  layout->setSpacing(4);
  layout->addWidget(arrange_);
  layout->addWidget(list_, 1);
  layout->addWidget(directory_);
  setMinimumWidth(150);
  // The list follows the arrange commands' enabled state (off while a scan runs).
  connect(actions.Action(browse::Command::kArrangeNameAscending), &QAction::changed, this, [this] {
    bool on = actions_.Action(browse::Command::kArrangeNameAscending)->isEnabled();
    arrange_->setEnabled(on);
    list_->setEnabled(on);
  });
}

void VolumePanel::SelectRow(int row) {
  selecting_ = true;
  QItemSelectionModel* selection = list_->selectionModel();
  if (row < 0) {
    selection->clear();
  } else {
    QModelIndex index = list_->model()->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list_->scrollTo(index);
  }
  selecting_ = false;
}

int VolumePanel::SelectedRow() const {
  QModelIndexList rows = list_->selectionModel()->selectedIndexes();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void VolumePanel::SetToolTipsShown(bool shown) {
  auto tip = [shown](browse::ControlTip control) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(control))) : QString();
  };
  arrange_->setToolTip(tip(browse::ControlTip::kArrange));
  directory_->setToolTip(tip(browse::ControlTip::kActiveDirectory));
}

}  // namespace volumist::ui
