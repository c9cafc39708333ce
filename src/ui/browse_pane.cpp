// The browse pane's controls, the volume it shows and its two panes; the navigation between
// folders is in browse_pane_navigation.cpp.
#include "ui/browse_pane.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/command_strip.h"
#include "browse/file_data.h"
#include "browse/list_menus.h"
#include "browse/thumbnail.h"
#include "browse/window_captions.h"
#include "catalog/description_store.h"
#include "catalog/utf8.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

QWidget* Titled(const QString& title, QWidget* content, QWidget* extra, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* header = new QHBoxLayout();
  auto* label = new QLabel(title, box);
  label->setBuddy(content);
  header->addWidget(label, 1);
  if (extra != nullptr) header->addWidget(extra);
  layout->addLayout(header);
  layout->addWidget(content, 1);
  return box;
}

}  // namespace

BrowsePane::BrowsePane(ProgramSettings& settings, ActionRegistry& actions, QWidget* parent)
    : QWidget(parent), settings_(settings) {
  treeModel_ = new FolderTreeModel(this);
  tree_ = new QTreeView(this);
  tree_->setHeaderHidden(true);
  tree_->setModel(treeModel_);
  tree_->setUniformRowHeights(true);
  tree_->setAccessibleName(QStringLiteral("Folders"));
  tree_->setMinimumWidth(browse::kMinimumPaneWidth);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { OnTreeCurrentChanged(current); });

  auto* listArea = new QWidget(this);
  auto* listLayout = new QVBoxLayout(listArea);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->setSpacing(2);
  navigation_ = BuildNavigationBar(actions);
  list_ = new ItemList(settings_.listColumnSets, listArea);
  list_->setMinimumWidth(browse::kMinimumPaneWidth);
  listLayout->addWidget(navigation_);
  listLayout->addWidget(list_, 1);
  list_->Model()->SetDescriptionReader([this](const browse::ItemRow& row) -> std::optional<std::string> {
    std::optional<RecordKey> key = row.DescriptionKey();
    if (volume_ == nullptr || suspended_ || !key) return std::nullopt;
    return volume_->GetDescription(*key);
  });
  list_->Model()->SetThumbnailReader([this](const browse::ItemRow& row) -> std::optional<std::vector<uint8_t>> {
    if (volume_ == nullptr || suspended_ || row.Image() == nullptr) return std::nullopt;
    return browse::ReadThumbnailBytes(*volume_, *row.Image());
  });
  // What belongs to the rows shown is stored before they change.
  connect(list_, &ItemList::AboutToChange, this, [this] {
    paneTimer_.stop();
    CommitDescription();
  });
  connect(list_, &ItemList::CurrentRowChanged, this, [this] {
    CommitDescription();
    paneTimer_.start();
  });
  connect(list_, &ItemList::RowActivated, this, &BrowsePane::ActivateRow);
  connect(list_, &ItemList::ContextMenuRequested, this, &BrowsePane::ContextMenuRequested);

  paneTimer_.setSingleShot(true);
  paneTimer_.setInterval(50);
  connect(&paneTimer_, &QTimer::timeout, this, &BrowsePane::RefreshPanes);

  description_ = new QPlainTextEdit(this);
  description_->setAccessibleName(QStringLiteral("Description"));
  description_->setTabChangesFocus(true);
  description_->setReadOnly(true);
  description_->installEventFilter(this);
  connect(description_->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { LimitDescription(position, added); });
  connect(description_, &QPlainTextEdit::textChanged, this, [this] {
    if (!limiting_) emit DescriptionEdited();
  });
  clearDescription_ = new QToolButton(this);
  clearDescription_->setText(QStringLiteral("×"));
  clearDescription_->setAccessibleName(QLatin1String(browse::text::kClearDescription));
  clearDescription_->setAutoRaise(true);
  clearDescription_->setEnabled(false);
  connect(clearDescription_, &QToolButton::clicked, this, [this] {
    description_->selectAll();
    description_->textCursor().removeSelectedText();
    CommitDescription();
  });

  fileData_ = new QPlainTextEdit(this);
  fileData_->setReadOnly(true);
  fileData_->setAccessibleName(QLatin1String(browse::text::kFileDataPane));
  fileData_->setLineWrapMode(QPlainTextEdit::NoWrap);

  paneSplitter_ = new QSplitter(Qt::Horizontal, this);
  paneSplitter_->addWidget(Titled(QStringLiteral("&Description"), description_, clearDescription_, paneSplitter_));
  paneSplitter_->addWidget(Titled(QLatin1String(browse::text::kFileDataPane), fileData_, nullptr, paneSplitter_));
  paneSplitter_->setChildrenCollapsible(false);

  listSplitter_ = new QSplitter(Qt::Vertical, this);
  listSplitter_->addWidget(listArea);
  listSplitter_->addWidget(paneSplitter_);
  listSplitter_->setStretchFactor(0, 3);
  listSplitter_->setStretchFactor(1, 1);
  listSplitter_->setChildrenCollapsible(false);

  treeSplitter_ = new QSplitter(Qt::Horizontal, this);
  treeSplitter_->addWidget(tree_);
  treeSplitter_->addWidget(listSplitter_);
  treeSplitter_->setStretchFactor(0, 1);
  treeSplitter_->setStretchFactor(1, 3);
  treeSplitter_->setChildrenCollapsible(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 4, 4, 4);
  layout->addWidget(treeSplitter_);

  setTabOrder(tree_, list_->ReportView());
  setTabOrder(list_->ReportView(), description_);
  setTabOrder(description_, fileData_);
}

QWidget* BrowsePane::BuildNavigationBar(ActionRegistry& actions) {
  auto* bar = new QWidget(this);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  for (browse::Command command : {browse::Command::kBack, browse::Command::kForward, browse::Command::kUp,
                                  browse::Command::kRoot, browse::Command::kProperties}) {
    auto* button = new QToolButton(bar);
    button->setDefaultAction(actions.Action(command));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAccessibleName(ToQString(browse::Info(command).text));
    if (command == browse::Command::kProperties) layout->addSpacing(8);
    button->installEventFilter(this);
    navigationButtons_.push_back(button);
    layout->addWidget(button);
  }
  layout->addSpacing(12);
  explorerMode_ = new QCheckBox(QStringLiteral("E&xplorer mode"), bar);
  explorerMode_->setAccessibleName(QStringLiteral("Explorer mode"));
  explorerMode_->setChecked(settings_.explorerMode);
  layout->addWidget(explorerMode_);
  layout->addStretch(1);
  return bar;
}

void BrowsePane::ShowVolume(VolumeCatalog* volume, bool keepPlace) {
  paneTimer_.stop();
  VolumeCatalog* shown = volume != nullptr && volume->IsLoaded() ? volume : nullptr;
  const bool stay = keepPlace && shown != nullptr && shown == volume_;
  const RecordKey folder = current_;
  const std::optional<RecordKey> row = SelectedRow() ? std::optional<RecordKey>(SelectedRow()->key) : std::nullopt;
  volume_ = shown;
  suspended_ = false;
  describedKey_.reset();
  if (stay) {
    // Keys stay valid when only the descriptions changed: the same folder, the same row, read again.
    list_->Model()->ForgetReadValues();
    if (!OpenFolder(folder, true)) static_cast<void>(OpenFolder(browse::kRootKey, true));
    if (row) static_cast<void>(list_->SelectKey(*row));
    RefreshPanes();
    return;
  }
  history_.Clear();
  chain_.clear();
  current_ = browse::kRootKey;
  treeModel_->SetVolume(volume_);
  if (volume_ == nullptr) {
    list_->SetViewTabs({kViewMain});
    list_->Clear(browse::text::kNoVolumeLoaded);
    DescribeKey(std::nullopt, {});
    fileData_->clear();
    emit NavigationChanged();
    return;
  }
  list_->SetViewTabs(browse::ViewTabs(volume_->Header().scanOptions));
  tree_->expand(treeModel_->index(0, 0));
  static_cast<void>(OpenFolder(browse::kRootKey, false));
  RefreshPanes();
}

void BrowsePane::SuspendReading() {
  paneTimer_.stop();
  CommitDescription();
  suspended_ = true;
  treeModel_->Suspend();
  volume_ = nullptr;
  describedKey_.reset();
  description_->setReadOnly(true);
  clearDescription_->setEnabled(false);
  emit NavigationChanged();
}

const browse::ItemRow* BrowsePane::SelectedRow() const { return list_->CurrentRow(); }

void BrowsePane::ShowDescriptionBytes(const std::string& bytes) {
  QSignalBlocker block(description_);
  limiting_ = true;
  description_->setPlainText(ToQString(bytes));
  limiting_ = false;
  // Compared later with what the editor gives back, which may differ from the text put in
  // (line ends, replacement characters), so an untouched text is never taken for an edit.
  shownDescription_ = description_->toPlainText();
  shownBytes_ = bytes;
}

void BrowsePane::DescribeKey(std::optional<RecordKey> key, const QString& fixedText) {
  describedKey_ = key;
  const bool editable = key.has_value() && volume_ != nullptr && !suspended_;
  if (editable) {
    ShowDescriptionBytes(volume_->GetDescription(*key).value_or(std::string()));
  } else {
    ShowDescriptionBytes(ToBytes(fixedText));
  }
  description_->setReadOnly(!editable);
  clearDescription_->setEnabled(editable);
}

void BrowsePane::RefreshPanes() {
  paneTimer_.stop();
  CommitDescription();
  if (volume_ == nullptr || suspended_) {
    if (volume_ == nullptr && !suspended_) {
      DescribeKey(std::nullopt, {});
      fileData_->clear();
    }
    return;
  }
  const browse::ItemRow* row = SelectedRow();
  if (row == nullptr) {
    // Nothing selected: the folder shown, at the root the volume itself.
    DescribeKey(current_, {});
    fileData_->clear();
    return;
  }
  if (row->kind == browse::RowKind::kUp) {
    DescribeKey(std::nullopt, ToQString(row->description));
  } else {
    DescribeKey(row->DescriptionKey(), {});
  }
  QString details = ToQString(browse::FileDataText(*row));
  details.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  fileData_->setPlainText(details);
  fileData_->verticalScrollBar()->setValue(0);
}

void BrowsePane::CommitDescription() {
  if (volume_ == nullptr || suspended_ || !describedKey_ || description_->isReadOnly()) return;
  QString text = description_->toPlainText();
  if (text == shownDescription_) return;
  std::string bytes = ToBytes(text);
  const RecordKey key = *describedKey_;
  if (storeDescription && storeDescription(key, bytes)) {
    shownDescription_ = text;
    shownBytes_ = bytes;
    list_->Model()->UpdateDescription(key, bytes);
  } else {
    ShowDescriptionBytes(shownBytes_);
  }
}

bool BrowsePane::HasUncommittedDescription() const {
  return volume_ != nullptr && !suspended_ && describedKey_ && !description_->isReadOnly() &&
         description_->toPlainText() != shownDescription_;
}

void BrowsePane::LimitDescription(int position, int added) {
  if (limiting_ || added <= 0) return;
  const QString text = description_->toPlainText();
  const qsizetype limit = static_cast<qsizetype>(DescriptionStore::kMaxTextLength);
  const QByteArray all = text.toUtf8();
  if (all.size() <= limit) return;
  // Only what was just typed or pasted is cut, at a character boundary.
  const QString inserted = text.mid(position, added);
  const QByteArray insertedBytes = inserted.toUtf8();
  const qsizetype others = all.size() - insertedBytes.size();
  const size_t room = others >= limit ? 0 : static_cast<size_t>(limit - others);
  const size_t keep = Utf8CutLength(std::string_view(insertedBytes.constData(), static_cast<size_t>(insertedBytes.size())), room);
  const QString kept = QString::fromUtf8(insertedBytes.constData(), static_cast<qsizetype>(keep));
  limiting_ = true;
  QTextCursor cursor(description_->document());
  const int end = std::min(position + added, description_->document()->characterCount() - 1);
  cursor.setPosition(position);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  cursor.insertText(kept);
  description_->setTextCursor(cursor);
  limiting_ = false;
}

bool BrowsePane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == description_ && event->type() == QEvent::FocusOut) CommitDescription();
  // The buttons take their tips from their actions; with tooltips off none is shown.
  if (event->type() == QEvent::ToolTip && !toolTipsShown_ && watched != description_) return true;
  return QWidget::eventFilter(watched, event);
}

void BrowsePane::SetToolTipsShown(bool shown) {
  auto tip = [shown](browse::ControlTip control) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(control))) : QString();
  };
  description_->setToolTip(tip(browse::ControlTip::kDescriptionPane));
  clearDescription_->setToolTip(tip(browse::ControlTip::kClearDescription));
  explorerMode_->setToolTip(tip(browse::ControlTip::kExplorerMode));
  toolTipsShown_ = shown;
  list_->SetToolTipsShown(shown);
}

}  // namespace volumist::ui
