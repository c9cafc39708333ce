#include "ui/dialogs/scan_tree_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "browse/command_strip.h"
#include "browse/scan_dialog_rules.h"
#include "browse/window_captions.h"
#include "ui/bridge/text.h"
#include "ui/drive_icons.h"

namespace volumist::ui {

namespace {

QString Tip(browse::ScanTip tip, bool shown) {
  return shown ? PlainToolTip(browse::JoinToolTip(browse::ScanToolTipLines(tip))) : QString();
}

}  // namespace

void RemoveSelectedSources(QTreeView& view, ScanSourceModel& model) {
  std::vector<int> rows;
  for (const QModelIndex& index : view.selectionModel()->selectedRows()) rows.push_back(index.row());
  if (rows.empty() && view.currentIndex().isValid()) rows.push_back(view.currentIndex().row());
  if (rows.empty()) return;
  std::optional<int> next = model.Remove(rows);
  view.selectionModel()->clear();
  if (!next) return;
  QModelIndex index = model.index(*next, 0);
  view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view.scrollTo(index);
  view.setFocus();
}

CDialog_Scan_Tree::CDialog_Scan_Tree(std::vector<ScanSource> sources, std::vector<DriveRow> drives,
                                     platform::FileSystem& fileSystem, Prompter& prompter, bool showToolTips,
                                     QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setWindowTitle(QLatin1String(browse::text::kTreeDialog));
  setSizeGripEnabled(true);
  setMinimumSize(browse::kTreeDialogMinimumWidth, browse::kTreeDialogMinimumHeight);

  auto* explanation = new QLabel(QLatin1String(browse::text::kTreeExplanation), this);
  explanation->setWordWrap(true);

  treeModel_ = new DiskFolderModel(fileSystem, std::move(drives), this);
  tree_ = new QTreeView(this);
  tree_->setModel(treeModel_);
  tree_->setHeaderHidden(true);
  tree_->setUniformRowHeights(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setAccessibleName(QStringLiteral("Folder tree"));
  // Ins adds the tree's folder ("+" and "-" stay the tree's keys for expanding and collapsing).
  tree_->installEventFilter(this);
  auto* treeLabel = new QLabel(QLatin1String(browse::text::kTreeSourcesLabel), this);
  treeLabel->setBuddy(tree_);

  listModel_ = new ScanSourceModel(this);
  listModel_->SetSources(std::move(sources));
  list_ = new QTreeView(this);
  list_->setModel(listModel_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::DoubleClicked);
  list_->header()->resizeSection(ScanSourceModel::kNameColumn, browse::kTreeNameColumnWidth);
  list_->header()->resizeSection(ScanSourceModel::kPathColumn, browse::kTreePathColumnWidth);
  list_->setAccessibleName(QStringLiteral("Scanning list"));
  list_->installEventFilter(this);
  auto* listLabel = new QLabel(QLatin1String(browse::text::kTreeScanningListLabel), this);
  listLabel->setBuddy(list_);

  plus_ = new QToolButton(this);
  plus_->setIcon(AddSourceIcon());
  plus_->setIconSize(QSize(20, 20));
  plus_->setAccessibleName(QStringLiteral("Add to the scanning list"));
  plus_->setToolTip(Tip(browse::ScanTip::kTreePlus, showToolTips));
  minus_ = new QToolButton(this);
  minus_->setIcon(RemoveSourceIcon());
  minus_->setIconSize(QSize(20, 20));
  minus_->setAccessibleName(QStringLiteral("Remove from the scanning list"));
  minus_->setToolTip(Tip(browse::ScanTip::kTreeMinus, showToolTips));
  connect(plus_, &QToolButton::clicked, this, &CDialog_Scan_Tree::AddSelected);
  connect(minus_, &QToolButton::clicked, this, &CDialog_Scan_Tree::RemoveSelected);
  // A double click on a folder adds it as the plus button would.
  connect(tree_, &QTreeView::doubleClicked, this, [this](const QModelIndex&) { AddSelected(); });

  clear_ = new QPushButton(QLatin1String(browse::text::kClearButton), this);
  connect(clear_, &QPushButton::clicked, listModel_, &ScanSourceModel::Clear);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QLatin1String(browse::text::kOkButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(QLatin1String(browse::text::kCancelButton), QDialogButtonBox::RejectRole);
  ok_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* middle = new QVBoxLayout();
  middle->addStretch(1);
  middle->addWidget(plus_);
  middle->addWidget(minus_);
  middle->addStretch(1);

  auto* grid = new QGridLayout();
  grid->addWidget(treeLabel, 0, 0);
  grid->addWidget(listLabel, 0, 2);
  grid->addWidget(tree_, 1, 0);
  grid->addLayout(middle, 1, 1);
  grid->addWidget(list_, 1, 2);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(2, 3);
  grid->setRowStretch(1, 1);

  auto* bottom = new QHBoxLayout();
  bottom->addWidget(clear_);
  bottom->addStretch(1);
  bottom->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addLayout(grid, 1);
  layout->addLayout(bottom);
  resize(860, 460);
}

void CDialog_Scan_Tree::AddSelected() {
  QModelIndex selected = tree_->currentIndex();
  if (!selected.isValid() || !tree_->selectionModel()->isSelected(selected)) return;
  std::string path = treeModel_->PathOf(selected);
  if (browse::HasSourcePath(listModel_->Sources(), path)) {
    prompter_.ShowInfo(browse::text::kPathInListAlready);
    return;
  }
  listModel_->Append(browse::SourceForTreePath(path, treeModel_->Drives()));
}

void CDialog_Scan_Tree::RemoveSelected() { RemoveSelectedSources(*list_, *listModel_); }

bool CDialog_Scan_Tree::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert) {
    AddSelected();
    return true;
  }
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    // An editor open on a name gets its keys itself, so Del here always means the rows.
    RemoveSelected();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool CDialog_Scan_Tree::Edit(std::vector<ScanSource>& sources, std::vector<DriveRow> drives,
                             platform::FileSystem& fileSystem, Prompter& prompter, DialogRunner& runner,
                             bool showToolTips, QWidget* parent) {
  CDialog_Scan_Tree dialog(sources, std::move(drives), fileSystem, prompter, showToolTips, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return false;
  sources = dialog.ListModel()->Sources();
  return true;
}

}  // namespace volumist::ui
