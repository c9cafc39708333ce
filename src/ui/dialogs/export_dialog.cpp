#include "ui/dialogs/export_dialog.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "browse/window_captions.h"
#include "export/messages.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {
namespace {

QLabel* GroupLabel(const char* text, QWidget* parent) {
  auto* label = new QLabel(QLatin1String(text), parent);
  label->setEnabled(false);
  return label;
}

QToolButton* ListButton(const QIcon& icon, const char* tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setIcon(icon);
  button->setToolTip(QLatin1String(tip));
  button->setAccessibleName(QLatin1String(tip));
  button->setAutoRaise(false);
  return button;
}

}  // namespace

CPage_Export_XML::CPage_Export_XML(QWidget* parent) : QWidget(parent) {
  auto* box = new QGroupBox(QLatin1String(browse::export_text::kXmlPageCaption), this);
  root_ = new QCheckBox(QLatin1String(browse::export_text::kRootBox), box);
  volume_ = new QCheckBox(QLatin1String(browse::export_text::kVolumeBox), box);
  content_ = new QCheckBox(QLatin1String(browse::export_text::kContentBox), box);
  attributes_ = new QRadioButton(QLatin1String(browse::export_text::kAttributesRadio), box);
  tags_ = new QRadioButton(QLatin1String(browse::export_text::kTagsRadio), box);
  root_->setAccessibleName(QStringLiteral("ROOT tag"));
  volume_->setAccessibleName(QStringLiteral("VOLUME tag"));
  content_->setAccessibleName(QStringLiteral("CONTENT tag"));
  attributes_->setAccessibleName(QStringLiteral("Info by attributes"));
  tags_->setAccessibleName(QStringLiteral("Info by tags"));
  auto* grid = new QGridLayout(box);
  grid->addWidget(root_, 0, 0);
  grid->addWidget(volume_, 1, 0);
  grid->addWidget(content_, 2, 0);
  grid->addWidget(attributes_, 0, 1);
  grid->addWidget(tags_, 1, 1);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
}

void CPage_Export_XML::Show(const browse::ExportForm& form) {
  root_->setChecked(form.writeRoot);
  volume_->setChecked(form.writeVolume);
  content_->setChecked(form.writeContent);
  attributes_->setChecked(form.attributeForm);
  tags_->setChecked(!form.attributeForm);
}

void CPage_Export_XML::Read(browse::ExportForm& form) const {
  form.writeRoot = root_->isChecked();
  form.writeVolume = volume_->isChecked();
  form.writeContent = content_->isChecked();
  form.attributeForm = attributes_->isChecked();
}

bool CDialog_Export::Edit(ExportOptions& options, const ExportDialogServices& services, DialogRunner& runner,
                          QWidget* parent) {
  CDialog_Export dialog(options, services, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return false;
  options = dialog.Options();
  return true;
}

CDialog_Export::CDialog_Export(const ExportOptions& options, const ExportDialogServices& services, QWidget* parent)
    : QDialog(parent), options_(options), services_(services), searchResultsAvailable_(services.searchResultsAvailable) {
  setWindowTitle(QLatin1String(browse::export_text::kExportCaption));
  setAccessibleName(QLatin1String(browse::export_text::kExportCaption));

  // Export from.
  auto* fromBox = new QGroupBox(QLatin1String(browse::export_text::kExportFromLabel), this);
  auto* fromGroup = new QButtonGroup(this);
  const char* fromTexts[] = {browse::export_text::kFullVolumeRadio, browse::export_text::kCurrentFolderRadio,
                             browse::export_text::kFolderAndSubfoldersRadio, browse::export_text::kSearchResultsRadio};
  for (size_t i = 0; i < from_.size(); ++i) {
    from_[i] = new QRadioButton(QLatin1String(fromTexts[i]), fromBox);
    fromGroup->addButton(from_[i], static_cast<int>(i));
  }
  from_[static_cast<size_t>(ExportFrom::kSearchResults)]->setEnabled(searchResultsAvailable_);
  fileList_ = new QRadioButton(QLatin1String(browse::export_text::kCurrentFolderRadio), fromBox);
  fileList_->setEnabled(false);
  fileList_->setAccessibleName(QStringLiteral("Current folder as the files list is sorted"));
  fromGroup->addButton(fileList_, 4);
  auto* fromLayout = new QVBoxLayout(fromBox);
  fromLayout->addWidget(GroupLabel(browse::export_text::kFromVolumeLabel, fromBox));
  for (size_t i = 0; i < 3; ++i) fromLayout->addWidget(from_[i]);
  fromLayout->addWidget(GroupLabel(browse::export_text::kFromFileListLabel, fromBox));
  fromLayout->addWidget(fileList_);
  fromLayout->addWidget(GroupLabel(browse::export_text::kFromSearchListLabel, fromBox));
  fromLayout->addWidget(from_[static_cast<size_t>(ExportFrom::kSearchResults)]);
  fromLayout->addStretch(1);

  // Columns.
  auto* columnsBox = new QGroupBox(QLatin1String(browse::export_text::kColumnsLabel), this);
  columns_ = new QListWidget(columnsBox);
  columns_->setAccessibleName(QStringLiteral("Columns"));
  moveUp_ = ListButton(MoveUpIcon(), browse::export_text::kMoveColumnUpTip, columnsBox);
  moveDown_ = ListButton(MoveDownIcon(), browse::export_text::kMoveColumnDownTip, columnsBox);
  resetColumns_ = ListButton(ResetColumnsIcon(), browse::export_text::kResetColumnsTip, columnsBox);
  connect(moveUp_, &QToolButton::clicked, this, [this] { MoveColumn(true); });
  connect(moveDown_, &QToolButton::clicked, this, [this] { MoveColumn(false); });
  connect(resetColumns_, &QToolButton::clicked, this, &CDialog_Export::ResetColumns);
  auto* columnButtons = new QVBoxLayout();
  columnButtons->addWidget(moveUp_);
  columnButtons->addWidget(moveDown_);
  columnButtons->addWidget(resetColumns_);
  columnButtons->addStretch(1);
  auto* columnsLayout = new QHBoxLayout(columnsBox);
  columnsLayout->addWidget(columns_, 1);
  columnsLayout->addLayout(columnButtons);

  // Options.
  auto* optionsBox = new QGroupBox(QLatin1String(browse::export_text::kExportOptionsLabel), this);
  optionsList_ = new QListWidget(optionsBox);
  optionsList_->setAccessibleName(QStringLiteral("Options"));
  for (std::string_view text : browse::kExportOptionTexts) {
    auto* item = new QListWidgetItem(ToQString(text), optionsList_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  }
  auto* optionsLayout = new QVBoxLayout(optionsBox);
  optionsLayout->addWidget(optionsList_);

  // The format.
  auto* exportTo = new QLabel(QLatin1String(browse::export_text::kExportToLabel), this);
  formats_ = new QTabWidget(this);
  formats_->setAccessibleName(QStringLiteral("Formats"));
  xml_ = new CPage_Export_XML(formats_);
  formats_->addTab(xml_, QLatin1String(browse::export_text::kXmlTab));

  export_ = new QPushButton(QLatin1String(browse::export_text::kExportButton), this);
  export_->setToolTip(QLatin1String(browse::export_text::kExportButtonTip));
  export_->setAccessibleName(QStringLiteral("Set Filename and Export"));
  export_->setDefault(true);
  cancel_ = new QPushButton(QLatin1String(browse::text::kCancelButton), this);
  cancel_->setAutoDefault(false);
  connect(export_, &QPushButton::clicked, this, &CDialog_Export::Confirm);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* top = new QHBoxLayout();
  top->addWidget(fromBox);
  top->addWidget(columnsBox, 1);
  top->addWidget(optionsBox, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(export_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(exportTo);
  layout->addWidget(formats_);
  layout->addLayout(buttons);

  ShowForm(browse::ExportFormFromOptions(options_, searchResultsAvailable_));
  columns_->setCurrentRow(0);
  export_->setFocus();
}

void CDialog_Export::ShowColumns(const browse::ExportForm& form, int selected) {
  columns_->clear();
  for (const browse::ExportColumnRow& row : form.columns) {
    auto* item = new QListWidgetItem(ToQString(kExportColumnNames[static_cast<size_t>(row.id - 1)]), columns_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, row.id);
  }
  if (selected >= 0 && selected < columns_->count()) columns_->setCurrentRow(selected);
}

void CDialog_Export::ShowForm(const browse::ExportForm& form) {
  const size_t from = static_cast<size_t>(form.exportFrom);
  if (from < from_.size()) from_[from]->setChecked(true);
  ShowColumns(form, columns_->currentRow());
  for (int i = 0; i < browse::kExportOptionCount; ++i) {
    optionsList_->item(i)->setCheckState(form.options[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
  }
  xml_->Show(form);
}

browse::ExportForm CDialog_Export::Form() const {
  browse::ExportForm form;
  form.searchResultsAvailable = searchResultsAvailable_;
  for (size_t i = 0; i < from_.size(); ++i) {
    if (from_[i]->isChecked()) form.exportFrom = static_cast<ExportFrom>(i);
  }
  for (int i = 0; i < columns_->count(); ++i) {
    const QListWidgetItem* item = columns_->item(i);
    form.columns.push_back({item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked});
  }
  for (int i = 0; i < browse::kExportOptionCount; ++i) {
    form.options[static_cast<size_t>(i)] = optionsList_->item(i)->checkState() == Qt::Checked;
  }
  xml_->Read(form);
  return form;
}

void CDialog_Export::MoveColumn(bool up) {
  browse::ExportForm form = Form();
  const int selected = browse::MoveExportColumn(form, columns_->currentRow(), up);
  ShowColumns(form, selected);
}

void CDialog_Export::ResetColumns() {
  browse::ExportForm form = Form();
  browse::ResetExportColumns(form);
  ShowColumns(form, columns_->currentRow());
}

void CDialog_Export::Confirm() {
  ExportOptions confirmed = options_;
  if (browse::ReadExportForm(Form(), confirmed)) {
    xml_->RootBox()->setChecked(true);
    services_.prompter->ShowInfo(messages::kOnlyOneTopLevelElement);
  }
  std::optional<std::string> path =
      services_.fileChooser->ChooseSaveFile(this, QLatin1String(browse::export_text::kExportCaption), services_.initialFile,
                                            QLatin1String(browse::export_text::kXmlFileFilter));
  if (!path) {
    reject();
    return;
  }
  // A name typed without an extension gets ".xml"; the chooser asked about the name typed, so a
  // file already there under the longer name is asked about here.
  const std::string output = browse::WithXmlExtension(*path);
  if (output != *path && QFileInfo::exists(ToQString(output)) &&
      !services_.prompter->AskYesNo(browse::ReplaceFileQuestion(output))) {
    return;
  }
  confirmed.outputPath = output;
  options_ = std::move(confirmed);
  accept();
}

}  // namespace volumist::ui
