#include "ui/browse_pane.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "browse/command_strip.h"
#include "browse/window_captions.h"
#include "catalog/description_store.h"
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

BrowsePane::BrowsePane(QWidget* parent) : QWidget(parent) {
  tree_ = new QTreeView(this);
  tree_->setHeaderHidden(true);
  tree_->setAccessibleName(QStringLiteral("Folders"));
  tree_->setMinimumWidth(browse::kMinimumPaneWidth);

  auto* listArea = new QWidget(this);
  auto* listLayout = new QVBoxLayout(listArea);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->setSpacing(2);
  navigation_ = new QWidget(listArea);
  auto* navigationLayout = new QHBoxLayout(navigation_);
  navigationLayout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeView(listArea);
  list_->setRootIsDecorated(false);
  list_->setAccessibleName(QStringLiteral("Files"));
  list_->setMinimumWidth(browse::kMinimumPaneWidth);
  listStatus_ = new QLabel(QLatin1String(browse::text::kNoVolumeLoaded), listArea);
  listLayout->addWidget(navigation_);
  listLayout->addWidget(list_, 1);
  listLayout->addWidget(listStatus_);

  description_ = new QPlainTextEdit(this);
  description_->setAccessibleName(QStringLiteral("Description"));
  description_->setTabChangesFocus(true);
  description_->setReadOnly(true);
  description_->installEventFilter(this);
  clearDescription_ = new QToolButton(this);
  clearDescription_->setText(QStringLiteral("×"));
  clearDescription_->setAccessibleName(QLatin1String(browse::text::kClearDescription));
  clearDescription_->setAutoRaise(true);
  clearDescription_->setEnabled(false);
  connect(clearDescription_, &QToolButton::clicked, this, [this] {
    description_->clear();
    CommitDescription();
  });
  // Descriptions hold at most 511 bytes; longer input is cut at a character boundary.
  connect(description_, &QPlainTextEdit::textChanged, this, [this] {
    QString text = description_->toPlainText();
    if (text.toUtf8().size() <= static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) return;
    while (text.toUtf8().size() > static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) text.chop(1);
    QSignalBlocker block(description_);
    description_->setPlainText(text);
    description_->moveCursor(QTextCursor::End);
  });

  fileData_ = new QPlainTextEdit(this);
  fileData_->setReadOnly(true);
  fileData_->setAccessibleName(QLatin1String(browse::text::kFileDataPane));

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
}

void BrowsePane::ShowVolume(VolumeCatalog* volume) {
  volume_ = volume != nullptr && volume->IsLoaded() ? volume : nullptr;
  suspended_ = false;
  describedKey_.reset();
  listStatus_->setText(volume_ ? QString() : QLatin1String(browse::text::kNoVolumeLoaded));
  if (volume_) {
    DescribeItem(0);
  } else {
    ShowDescriptionText({});
    description_->setReadOnly(true);
    clearDescription_->setEnabled(false);
  }
}

void BrowsePane::SuspendReading() {
  CommitDescription();
  suspended_ = true;
  volume_ = nullptr;
  description_->setReadOnly(true);
  clearDescription_->setEnabled(false);
}

void BrowsePane::ShowDescriptionText(const QString& text) {
  QSignalBlocker block(description_);
  description_->setPlainText(text);
  shownDescription_ = text;
}

void BrowsePane::DescribeItem(RecordKey key) {
  if (volume_ == nullptr || suspended_) return;
  CommitDescription();
  describedKey_ = key;
  shownBytes_ = volume_->GetDescription(key).value_or(std::string());
  ShowDescriptionText(ToQString(shownBytes_));
  description_->setReadOnly(false);
  clearDescription_->setEnabled(true);
}

void BrowsePane::CommitDescription() {
  if (volume_ == nullptr || suspended_ || !describedKey_) return;
  QString text = description_->toPlainText();
  if (text == shownDescription_) return;
  std::string bytes = EditedBytes(text, shownDescription_, shownBytes_);
  if (storeDescription && storeDescription(*describedKey_, bytes)) {
    shownDescription_ = text;
    shownBytes_ = bytes;
  } else {
    ShowDescriptionText(shownDescription_);
  }
}

bool BrowsePane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == description_ && event->type() == QEvent::FocusOut) CommitDescription();
  return QWidget::eventFilter(watched, event);
}

void BrowsePane::SetToolTipsShown(bool shown) {
  auto tip = [shown](browse::ControlTip control) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(control))) : QString();
  };
  description_->setToolTip(tip(browse::ControlTip::kDescriptionPane));
  clearDescription_->setToolTip(tip(browse::ControlTip::kClearDescription));
}

}  // namespace volumist::ui
