#include "ui/item_list.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "browse/command_strip.h"
#include "browse/window_captions.h"
#include "catalog/value_format.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

// Forwards Enter and Return on a view as an activation of its current row; double clicks come
// through the view's own signal.
class ActivationFilter final : public QObject {
 public:
  ActivationFilter(ItemList& list, QObject* parent) : QObject(parent), list_(list) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
        int row = list_.CurrentRowIndex();
        if (row >= 0) {
          emit list_.RowActivated(row);
          return true;
        }
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  ItemList& list_;
};

QString ColumnEntryText(const ShownColumn& spec) {
  if (spec.columnId == ColumnId::kIcon) return QStringLiteral("Icon");
  return ToQString(spec.title.empty() ? std::string(ColumnTitle(spec.columnId)) : spec.title);
}

}  // namespace

ItemList::ItemList(std::array<ColumnSet, kViewCount>& columnSets, QWidget* parent)
    : QWidget(parent), columnSets_(columnSets) {
  model_ = new ItemListModel(this);

  tabs_ = new QTabBar(this);
  tabs_->setDocumentMode(true);
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);
  tabs_->setAccessibleName(QStringLiteral("View modes"));
  connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
    if (tab < 0) return;
    int view = tabs_->tabData(tab).toInt();
    if (view != view_) SetView(view);
  });
  arrange_ = new QToolButton(this);
  arrange_->setText(QStringLiteral("Arrange"));
  arrange_->setAccessibleName(QStringLiteral("Arrange"));
  arrange_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  arrange_->setPopupMode(QToolButton::InstantPopup);
  arrangeMenu_ = new QMenu(this);
  arrange_->setMenu(arrangeMenu_);
  connect(arrangeMenu_, &QMenu::aboutToShow, this, &ItemList::ShowArrangeMenu);

  report_ = new QTreeView(this);
  report_->setRootIsDecorated(false);
  report_->setItemsExpandable(false);
  report_->setUniformRowHeights(true);
  report_->setAllColumnsShowFocus(true);
  report_->setSelectionBehavior(QAbstractItemView::SelectRows);
  report_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  report_->setContextMenuPolicy(Qt::CustomContextMenu);
  report_->setAccessibleName(QStringLiteral("Files"));
  report_->setTextElideMode(Qt::ElideRight);
  report_->setModel(model_);
  delegate_ = new ItemDelegate(report_);
  report_->setItemDelegate(delegate_);
  QHeaderView* header = report_->header();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setStretchLastSection(true);
  header->setSectionsMovable(false);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  header->setFixedHeight(std::max(header->sizeHint().height(), 19));
  connect(header, &QHeaderView::sectionClicked, this, &ItemList::OnHeaderClicked);
  connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    if (applying_) return;
    ColumnId id = model_->ColumnAt(section);
    for (ShownColumn& spec : columnSets_[static_cast<size_t>(view_)].columns) {
      if (spec.columnId == id && spec.isShown) spec.width = static_cast<uint32_t>(std::max(size, 0) / WidthScale());
    }
  });
  connect(header, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& position) {
    QMenu menu(this);
    AddListEntries(menu);
    menu.exec(report_->header()->mapToGlobal(position));
  });

  tiles_ = new TileView(this);
  tiles_->setModel(model_);
  tiles_->setContextMenuPolicy(Qt::CustomContextMenu);
  tiles_->setAccessibleName(QStringLiteral("Thumbnails"));

  // One selection for both views, so switching views keeps it.
  selection_ = new QItemSelectionModel(model_, this);
  report_->setSelectionModel(selection_);
  tiles_->setSelectionModel(selection_);
  connect(selection_, &QItemSelectionModel::currentRowChanged, this, [this] { emit CurrentRowChanged(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { emit CurrentRowChanged(); });

  auto* filter = new ActivationFilter(*this, this);
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(tiles_)}) {
    view->installEventFilter(filter);
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      if (index.isValid()) emit RowActivated(index.row());
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& position) {
      emit ContextMenuRequested(view->viewport()->mapToGlobal(position));
    });
  }

  stack_ = new QStackedWidget(this);
  stack_->addWidget(report_);
  stack_->addWidget(tiles_);

  caption_ = new QLabel(this);
  caption_->setTextFormat(Qt::PlainText);
  caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  caption_->setAccessibleName(QStringLiteral("Folder"));
  totals_ = new QLabel(this);
  totals_->setTextFormat(Qt::PlainText);
  totals_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  totals_->setAccessibleName(QStringLiteral("Totals"));

  auto* top = new QHBoxLayout();
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(tabs_, 1, Qt::AlignBottom);
  top->addWidget(arrange_);
  auto* status = new QHBoxLayout();
  status->setContentsMargins(4, 0, 4, 0);
  status->addWidget(caption_, 1);
  status->addWidget(totals_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(top);
  layout->addWidget(stack_, 1);
  layout->addLayout(status);

  SetViewTabs({kViewMain});
  ApplyView();
  Clear(browse::text::kNoVolumeLoaded);
}

QAbstractItemView* ItemList::CurrentView() const {
  return view_ == kViewThumbnails ? static_cast<QAbstractItemView*>(tiles_) : report_;
}

void ItemList::SetRows(std::vector<browse::ItemRow> rows, const std::string& caption) {
  emit AboutToChange();
  captionText_ = caption;
  model_->SetRows(std::move(rows));
  report_->scrollToTop();
  tiles_->scrollToTop();
  UpdateStatus();
}

void ItemList::Clear(const std::string& caption) { SetRows({}, caption); }

void ItemList::AppendRows(std::vector<browse::ItemRow> rows) {
  if (rows.empty()) return;
  model_->AppendRows(std::move(rows));
  UpdateStatus();
}

void ItemList::ReserveRows(size_t count) { model_->ReserveRows(count); }

void ItemList::Resort() { SortBy(model_->SortColumn(), model_->Order()); }

void ItemList::Resort(const std::optional<std::vector<uint32_t>>& permutation, ColumnId column,
                      browse::SortOrder order) {
  if (!permutation || column != model_->SortColumn() || order != model_->Order() || column == ColumnId::kDescription ||
      !browse::IsSortColumn(column)) {
    Resort();
    return;
  }
  emit AboutToChange();
  if (!model_->ApplyOrder(*permutation, column, order)) static_cast<void>(model_->SortBy(column, order));
  UpdateSortIndicator();
  if (QModelIndex current = selection_->currentIndex(); current.isValid()) CurrentView()->scrollTo(current);
}

void ItemList::SetCaption(const std::string& caption) {
  captionText_ = caption;
  UpdateStatus();
}

void ItemList::SetViewTabs(const std::vector<int>& views) {
  tabViews_ = views.empty() ? std::vector<int>{kViewMain} : views;
  QSignalBlocker block(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  for (int view : tabViews_) {
    int tab = tabs_->addTab(ToQString(kViewCaptions[static_cast<size_t>(view)]));
    tabs_->setTabData(tab, view);
  }
  int current = view_;
  if (std::find(tabViews_.begin(), tabViews_.end(), current) == tabViews_.end()) current = tabViews_.front();
  block.unblock();
  if (current != view_) {
    SetView(current);
  } else {
    QSignalBlocker again(tabs_);
    tabs_->setCurrentIndex(static_cast<int>(std::find(tabViews_.begin(), tabViews_.end(), current) - tabViews_.begin()));
  }
}

void ItemList::SetView(int view) {
  if (view < 0 || view >= kViewCount) return;
  if (view != view_) emit AboutToChange();
  view_ = view;
  auto tab = std::find(tabViews_.begin(), tabViews_.end(), view);
  if (tab != tabViews_.end()) {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(static_cast<int>(tab - tabViews_.begin()));
  }
  ApplyView();
}

void ItemList::ApplyView() {
  const ColumnSet& set = columnSets_[static_cast<size_t>(view_)];
  // The current row stays across the change of columns.
  const int current = CurrentRowIndex();
  model_->SetColumns(set);
  delegate_->SetRowHeight(static_cast<int>(set.rowHeight));
  report_->setIconSize(QSize(static_cast<int>(set.iconSize), static_cast<int>(set.iconSize)));
  int section = 0;
  applying_ = true;
  for (const ShownColumn& spec : set.columns) {
    if (!spec.isShown) continue;
    report_->header()->resizeSection(section++, static_cast<int>(spec.width * WidthScale()));
  }
  applying_ = false;
  stack_->setCurrentIndex(view_ == kViewThumbnails ? 1 : 0);
  // The row heights of the uniform report come from the first row: lay it out again.
  report_->doItemsLayout();
  UpdateSortIndicator();
  if (current >= 0) SelectRow(current);
}

double ItemList::WidthScale() const {
  // The widths of the column sets suit a small font, in which a time of the Modified column takes
  // about 85 of its 97 pixels; a larger desktop font widens every column in proportion, so that
  // times, sizes and digests still fit.
  return std::max(1.0, fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00")) / 85.0);
}

void ItemList::SortBy(ColumnId column, browse::SortOrder order) {
  if (!browse::IsSortColumn(column)) {
    UpdateSortIndicator();
    return;
  }
  emit AboutToChange();
  static_cast<void>(model_->SortBy(column, order));
  UpdateSortIndicator();
  if (QModelIndex current = selection_->currentIndex(); current.isValid()) CurrentView()->scrollTo(current);
}

void ItemList::RunArrangeCommand(int command) {
  std::optional<browse::SortChoice> choice = browse::ChooseArrangeCommand(command, model_->SortColumn(), model_->Order());
  if (choice) SortBy(choice->column, choice->order);
}

void ItemList::OnHeaderClicked(int section) {
  ColumnId column = model_->ColumnAt(section);
  if (!browse::IsSortColumn(column)) {
    UpdateSortIndicator();
    return;
  }
  browse::SortOrder order = browse::SortOrder::kAscending;
  if (column == model_->SortColumn() && model_->Order() == browse::SortOrder::kAscending) {
    order = browse::SortOrder::kDescending;
  }
  SortBy(column, order);
}

void ItemList::UpdateSortIndicator() {
  QHeaderView* header = report_->header();
  int section = model_->ColumnOf(model_->SortColumn());
  QSignalBlocker block(header);
  header->setSortIndicatorShown(section >= 0);
  header->setSortIndicator(section, model_->Order() == browse::SortOrder::kAscending ? Qt::AscendingOrder
                                                                                       : Qt::DescendingOrder);
}

void ItemList::ShowArrangeMenu() {
  arrangeMenu_->clear();
  for (const browse::ArrangeEntry& entry :
       browse::ArrangeMenu(columnSets_[static_cast<size_t>(view_)], model_->Order())) {
    if (entry.isSeparator) {
      arrangeMenu_->addSeparator();
      continue;
    }
    QAction* action = arrangeMenu_->addAction(ToQString(entry.text));
    action->setData(entry.command);
    bool isOrder = entry.command == browse::kArrangeAscendingCommand || entry.command == browse::kArrangeDescendingCommand;
    action->setCheckable(isOrder || entry.column == model_->SortColumn());
    action->setChecked(isOrder ? entry.checked : entry.column == model_->SortColumn());
    int command = entry.command;
    connect(action, &QAction::triggered, this, [this, command] { RunArrangeCommand(command); });
  }
}

void ItemList::SetTileStyle(browse::TileStyle style) { tiles_->SetTileStyle(style); }

void ItemList::SetColumnShown(int position, bool shown) {
  ColumnSet& set = columnSets_[static_cast<size_t>(view_)];
  if (position < 0 || position >= static_cast<int>(set.columns.size())) return;
  set.columns[static_cast<size_t>(position)].isShown = shown;
  ApplyView();
}

void ItemList::AddListEntries(QMenu& menu) {
  QMenu* columns = menu.addMenu(QStringLiteral("Columns"));
  const ColumnSet& set = columnSets_[static_cast<size_t>(view_)];
  for (size_t i = 0; i < set.columns.size(); ++i) {
    QAction* action = columns->addAction(ColumnEntryText(set.columns[i]));
    action->setCheckable(true);
    action->setChecked(set.columns[i].isShown);
    int position = static_cast<int>(i);
    connect(action, &QAction::toggled, this, [this, position](bool shown) { SetColumnShown(position, shown); });
  }
  columns->setEnabled(!set.columns.empty() && view_ != kViewThumbnails);
  if (view_ != kViewThumbnails) return;
  menu.addSeparator();
  const browse::TileStyle style = TileStyle();
  for (const browse::ThumbnailSizeEntry& entry : browse::kThumbnailSizes) {
    QAction* action = menu.addAction(ToQString(entry.text));
    action->setCheckable(true);
    action->setChecked(style.thumbnailSize == entry.size);
    int size = entry.size;
    connect(action, &QAction::triggered, this, [this, size] {
      browse::TileStyle changed = TileStyle();
      changed.thumbnailSize = size;
      SetTileStyle(changed);
    });
  }
  QAction* sizes = menu.addAction(ToQString(browse::kShowImageSizeEntry));
  sizes->setCheckable(true);
  sizes->setChecked(style.showImageSize);
  connect(sizes, &QAction::toggled, this, [this](bool on) {
    browse::TileStyle changed = TileStyle();
    changed.showImageSize = on;
    SetTileStyle(changed);
  });
  QAction* colors = menu.addAction(ToQString(browse::kShowImageColorsEntry));
  colors->setCheckable(true);
  colors->setChecked(style.showImageColors);
  connect(colors, &QAction::toggled, this, [this](bool on) {
    browse::TileStyle changed = TileStyle();
    changed.showImageColors = on;
    SetTileStyle(changed);
  });
}

const browse::ItemRow* ItemList::CurrentRow() const { return model_->RowAt(CurrentRowIndex()); }

int ItemList::CurrentRowIndex() const {
  QModelIndex current = selection_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void ItemList::SelectRow(int row) {
  QModelIndex index = model_->index(row, 0);
  if (!index.isValid()) return;
  selection_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  CurrentView()->scrollTo(index);
}

bool ItemList::SelectKey(RecordKey key) {
  int row = model_->RowOfKey(key);
  if (row < 0) return false;
  SelectRow(row);
  return true;
}

void ItemList::UpdateStatus() {
  caption_->setText(ToQString(captionText_));
  totals_->setText(ToQString(FormatSizeGrouped(model_->TotalSize())) + QLatin1Char('\n') +
                   QStringLiteral("Files: %1, Folders: %2").arg(model_->FileCount()).arg(model_->FolderCount()));
}

void ItemList::SetToolTipsShown(bool shown) {
  auto tip = [shown](browse::ControlTip control) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(control))) : QString();
  };
  tabs_->setToolTip(tip(browse::ControlTip::kViewModes));
}

}  // namespace volumist::ui
