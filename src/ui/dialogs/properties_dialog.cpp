#include "ui/dialogs/properties_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMimeDatabase>
#include <QStyle>
#include <QVBoxLayout>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "catalog/description_store.h"
#include "ui/bridge/text.h"
#include "ui/drive_icons.h"

namespace volumist::ui {
namespace {

namespace text = browse::text;
using browse::PropertiesItemKind;

QLabel* Value(const std::string& bytes, QWidget* parent) {
  auto* label = new QLabel(ToQString(bytes), parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Keeps a description editor at the longest text a description can hold (511 bytes), cut on a
// character boundary.
void LimitDescription(QPlainTextEdit* editor) {
  QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [editor] {
    QString text = editor->toPlainText();
    if (text.toUtf8().size() <= static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) return;
    while (text.toUtf8().size() > static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) text.chop(1);
    if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
    QSignalBlocker block(editor);
    editor->setPlainText(text);
    editor->moveCursor(QTextCursor::End);
  });
}

QPlainTextEdit* DescriptionEditor(const QString& text, QWidget* parent) {
  auto* editor = new QPlainTextEdit(text, parent);
  editor->setTabChangesFocus(true);
  editor->setAccessibleName(QLatin1String(text::kDescriptionLabel));
  editor->setMinimumHeight(54);
  LimitDescription(editor);
  return editor;
}

// The type name and icon the desktop gives an item of this kind and name.
std::pair<QString, QIcon> TypeOf(const browse::ItemProperties& item) {
  QMimeDatabase mime;
  switch (item.kind) {
    case PropertiesItemKind::kSourceRoot: return {QLatin1String(text::kSourceRootType), FolderIcon()};
    case PropertiesItemKind::kFolder:
    case PropertiesItemKind::kUpEntry:
      return {mime.mimeTypeForName(QStringLiteral("inode/directory")).comment(), FolderIcon()};
    default: {
      QMimeType type = mime.mimeTypeForFile(ToQString(item.name), QMimeDatabase::MatchExtension);
      QIcon fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
      return {type.comment(), QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback))};
    }
  }
}

}  // namespace

CPage_VolumeInfo::CPage_VolumeInfo(const browse::VolumeProperties& volume, QWidget* parent) : QWidget(parent) {
  auto* group = new QGroupBox(QLatin1String(text::kVolumeInfoGroup), this);
  name_ = new QLineEdit(ToQString(volume.name), group);
  name_->setAccessibleName(QStringLiteral("Volume name"));
  folders_ = Value(volume.folders, group);
  files_ = Value(volume.files, group);
  archives_ = Value(volume.archives, group);
  fileSize_ = Value(volume.fileSize, group);
  created_ = Value(volume.created, group);
  description_ = DescriptionEditor(ToQString(volume.description), group);
  auto* form = new QFormLayout(group);
  form->addRow(name_);
  form->addRow(QLatin1String(text::kFoldersTotalLabel), folders_);
  form->addRow(QLatin1String(text::kFilesTotalLabel), files_);
  form->addRow(QLatin1String(text::kArchivesCountLabel), archives_);
  form->addRow(QLatin1String(text::kVolumeFileSizeLabel), fileSize_);
  form->addRow(QLatin1String(text::kCreatedLabel), created_);
  form->addRow(QLatin1String(text::kDescriptionLabel), description_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
}

CPage_MediaInfo::CPage_MediaInfo(const std::optional<browse::MediaProperties>& media, QWidget* parent)
    : QWidget(parent) {
  auto* group = new QGroupBox(QLatin1String(text::kMediaInfoGroup), this);
  browse::MediaProperties shown = media.value_or(browse::MediaProperties{});
  label_ = Value(shown.label, group);
  type_ = Value(shown.type, group);
  serial_ = Value(shown.serial, group);
  fileSystem_ = Value(shown.fileSystem, group);
  scanPath_ = Value(shown.scanPath, group);
  scanPath_->setWordWrap(true);
  present_ = Value(shown.present, group);
  chart_ = new PieChart(group);
  chart_->SetPie(media ? media->pie : std::nullopt);
  auto* form = new QFormLayout();
  form->addRow(QLatin1String(text::kMediaLabelLabel), label_);
  form->addRow(QLatin1String(text::kMediaTypeLabel), type_);
  form->addRow(QLatin1String(text::kSerialLabel), serial_);
  form->addRow(QLatin1String(text::kFileSystemLabel), fileSystem_);
  form->addRow(QLatin1String(text::kScanPathLabel), scanPath_);
  form->addRow(QLatin1String(text::kPresentNowLabel), present_);
  auto* row = new QHBoxLayout(group);
  row->addLayout(form, 2);
  row->addWidget(chart_, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
}

CDialogProperties::CDialogProperties(browse::PropertiesData properties, Prompter& prompter, QWidget* parent)
    : QDialog(parent), data_(std::move(properties)), prompter_(prompter) {
  setWindowTitle(QLatin1String(text::kPropertiesDialog));
  setSizeGripEnabled(true);
  const browse::ItemProperties item = data_.item.value_or(browse::ItemProperties{});

  // The item.
  auto* itemGroup = new QGroupBox(QLatin1String(text::kItemInfoGroup), this);
  auto* icon = new QLabel(itemGroup);
  type_ = new QLabel(itemGroup);
  if (data_.item) {
    auto [typeName, typeIcon] = TypeOf(*data_.item);
    type_->setText(typeName);
    icon->setPixmap(typeIcon.pixmap(32, 32));
  }
  location_ = Value(item.location, itemGroup);
  name_ = Value(item.name, itemGroup);
  size_ = Value(data_.item ? item.size : std::string(), itemGroup);
  created_ = Value(item.created, itemGroup);
  archive_ = new QCheckBox(QLatin1String(text::kArchiveAttribute), itemGroup);
  hidden_ = new QCheckBox(QLatin1String(text::kHiddenAttribute), itemGroup);
  system_ = new QCheckBox(QLatin1String(text::kSystemAttribute), itemGroup);
  readOnly_ = new QCheckBox(QLatin1String(text::kReadOnlyAttribute), itemGroup);
  archive_->setChecked(item.archive);
  hidden_->setChecked(item.hidden);
  system_->setChecked(item.system);
  readOnly_->setChecked(item.readOnly);
  for (QCheckBox* box : {archive_, hidden_, system_, readOnly_}) box->setEnabled(false);
  shownItemDescription_ = ToQString(item.description);
  itemDescription_ = DescriptionEditor(shownItemDescription_, itemGroup);
  itemDescription_->setEnabled(data_.item && item.descriptionEditable);

  auto* typeRow = new QHBoxLayout();
  typeRow->addWidget(icon);
  typeRow->addWidget(new QLabel(QLatin1String(text::kTypeLabel), itemGroup));
  typeRow->addWidget(type_, 1);
  auto* form = new QFormLayout();
  form->addRow(typeRow);
  form->addRow(QLatin1String(text::kLocationLabel), location_);
  form->addRow(QLatin1String(text::kItemNameLabel), name_);
  form->addRow(QLatin1String(text::kSizeLabel), size_);
  form->addRow(QLatin1String(text::kCreatedLabel), created_);
  auto* attributes = new QVBoxLayout();
  for (QCheckBox* box : {archive_, hidden_, system_, readOnly_}) attributes->addWidget(box);
  attributes->addStretch(1);
  auto* top = new QHBoxLayout();
  top->addLayout(form, 1);
  top->addLayout(attributes);
  auto* itemLayout = new QVBoxLayout(itemGroup);
  itemLayout->addLayout(top);
  itemLayout->addWidget(new QLabel(QLatin1String(text::kDescriptionLabel), itemGroup));
  itemLayout->addWidget(itemDescription_);

  // The volume and the medium.
  tabs_ = new QTabWidget(this);
  volumePage_ = new CPage_VolumeInfo(data_.volume, tabs_);
  mediaPage_ = new CPage_MediaInfo(data_.media, tabs_);
  tabs_->addTab(volumePage_, QLatin1String(text::kVolumeInfoTab));
  tabs_->addTab(mediaPage_, QLatin1String(text::kMediaInfoTab));
  shownVolumeName_ = volumePage_->NameField()->text();
  shownVolumeDescription_ = volumePage_->DescriptionField()->toPlainText();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(itemGroup);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buttons);
  resize(600, 620);
}

browse::PropertiesEdits CDialogProperties::Edits() const {
  browse::PropertiesEdits edits;
  edits.volumeName = EditedBytes(volumePage_->NameField()->text(), shownVolumeName_, data_.volume.name);
  edits.volumeDescription =
      EditedBytes(volumePage_->DescriptionField()->toPlainText(), shownVolumeDescription_, data_.volume.description);
  if (data_.item) {
    edits.itemDescription = EditedBytes(itemDescription_->toPlainText(), shownItemDescription_, data_.item->description);
  }
  return edits;
}

void CDialogProperties::accept() {
  std::string name = Edits().volumeName;
  if (name != data_.volume.name) {
    if (auto refused = browse::RefuseVolumeName(name)) {
      prompter_.ShowError(*refused);
      tabs_->setCurrentWidget(volumePage_);
      volumePage_->NameField()->setFocus();
      return;
    }
  }
  QDialog::accept();
}

std::optional<browse::PropertiesOutcome> CDialogProperties::Show(
    VolumeCatalog& volume, const std::optional<browse::PropertiesItem>& item,
    const std::function<bool(const SourceEntry&)>& isMediumPresent, Prompter& prompter, DialogRunner& runner,
    QWidget* parent) {
  CDialogProperties dialog(browse::GatherProperties(volume, item, isMediumPresent), prompter, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return std::nullopt;
  return browse::ApplyPropertiesEdits(volume, dialog.Data(), dialog.Edits());
}

}  // namespace volumist::ui
