#include "ui/dialogs/scan_drives_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/command_strip.h"
#include "browse/window_captions.h"
#include "catalog/file_type_group.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/scan_settings_dialog.h"
#include "ui/dialogs/scan_tree_dialog.h"

namespace volumist::ui {
namespace {

using browse::ScanTip;
using browse::SettingsPage;

QListWidgetItem* CheckItem(std::string_view text, QListWidget* list) {
  auto* item = new QListWidgetItem(ToQString(text), list);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  item->setCheckState(Qt::Unchecked);
  return item;
}

// The group each analyzer box stands under.
const char* GroupOf(SettingsPage page) {
  switch (page) {
    case SettingsPage::kArchives: return browse::text::kDirectorylikeGroup;
    case SettingsPage::kSignatures: return browse::text::kCalculationsGroup;
    default: return browse::text::kMultimediaGroup;
  }
}

}  // namespace

CScanDrivesDialog::CScanDrivesDialog(const ScanJob& job, ScanPage page, const ScanDialogServices& services,
                                     QWidget* parent)
    : QDialog(parent), services_(services), job_(job) {
  const bool fromVolume = job_.mode == ScanMode::kNewFromVolumeSources;
  const bool update = job_.mode == ScanMode::kUpdate;
  // New and added volumes start with an empty list; mode 3 and an update list the loaded volume's
  // sources.
  if (!fromVolume && !update) job_.sources.clear();
  names_.Open(job_);
  BuildControls();

  volumeName_->setText(ToQString(names_.VolumeName()));
  fileName_->setText(ToQString(names_.FileName()));
  if (job_.mode == ScanMode::kAddToVolume || update) {
    volumeName_->setEnabled(false);
    fileName_->setEnabled(false);
  } else {
    volumeName_->selectAll();
    volumeName_->setFocus();
  }

  if (fromVolume || update) {
    advanced_->SourceModel()->SetSources(job_.sources);
    // An update edits the list (the tree dialog adds, Del removes); mode 3 scans it as it is.
    if (fromVolume) {
      advanced_->BuildButton()->hide();
      advanced_->ClearButton()->hide();
    }
    // One rescan replaces the volume; there is no next disc to add to it.
    if (update) scanNext_->hide();
    tabs_->setCurrentWidget(advanced_);
  } else {
    tabs_->setCurrentWidget(page == ScanPage::kSingleSource ? static_cast<QWidget*>(single_) : advanced_);
  }
  if (single_ != nullptr) {
    single_->RemovableBox()->setChecked(driveFilterMask_ & kDriveFilterRemovable);
    single_->LocalDrivesBox()->setChecked(driveFilterMask_ & kDriveFilterFixed);
    single_->CdDrivesBox()->setChecked(driveFilterMask_ & kDriveFilterCdRom);
    single_->EjectBox()->setChecked(job_.ejectAfterScan);
    FillDrives();
  }
  ShowOptions(job_);
  UpdateStartButtons();
  ApplyToolTips();
  UpdateCaption();
}

CScanDrivesDialog::~CScanDrivesDialog() {
  // A focused name field reports "editing finished" as the base class deletes it; by then this
  // dialog is only a QDialog, so its slots must no longer be reached.
  for (QObject* field : findChildren<QLineEdit*>()) field->disconnect(this);
}

void CScanDrivesDialog::BuildControls() {
  setSizeGripEnabled(true);
  setAccessibleName(QLatin1String(browse::text::kScanDialog));

  // The names.
  auto* nameLabel = new QLabel(QLatin1String(browse::text::kVolumeNameLabel), this);
  volumeName_ = new QLineEdit(this);
  nameLabel->setBuddy(volumeName_);
  auto* fileLabel = new QLabel(QLatin1String(browse::text::kVolumeFileNameLabel), this);
  fileName_ = new QLineEdit(this);
  fileLabel->setBuddy(fileName_);
  connect(volumeName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    names_.VolumeNameChanged(ToBytes(text));
    if (!names_.FileNameEdited()) fileName_->setText(ToQString(names_.FileName()));
    UpdateStartButtons();
  });
  connect(fileName_, &QLineEdit::textEdited, this, [this] { UpdateStartButtons(); });
  connect(fileName_, &QLineEdit::editingFinished, this, [this] { CommitNameFields(); });

  // The pages.
  tabs_ = new QTabWidget(this);
  if (job_.mode != ScanMode::kNewFromVolumeSources && job_.mode != ScanMode::kUpdate) {
    single_ = new CPage_Scan_Single(tabs_);
    tabs_->addTab(single_, QLatin1String(browse::text::kSingleSourceTab));
    connect(single_->DriveList(), &QTreeView::clicked, this, &CScanDrivesDialog::DriveChosen);
    connect(single_->DriveList()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
              // Keys move the selection too; focus alone (no selection) chooses nothing.
              if (single_->DriveList()->selectionModel()->isSelected(current)) DriveChosen(current);
            });
    connect(single_->RemovableBox(), &QCheckBox::toggled, this,
            [this](bool on) { ToggleDriveFilter(kDriveFilterRemovable, on); });
    connect(single_->LocalDrivesBox(), &QCheckBox::toggled, this,
            [this](bool on) { ToggleDriveFilter(kDriveFilterFixed, on); });
    connect(single_->CdDrivesBox(), &QCheckBox::toggled, this,
            [this](bool on) { ToggleDriveFilter(kDriveFilterCdRom, on); });
    connect(single_->BrowseButton(), &QPushButton::clicked, this, &CScanDrivesDialog::Browse);
    connect(single_->PathField(), &QLineEdit::textEdited, this,
            [this](const QString& text) { names_.PathChanged(ToBytes(text)); });
    connect(single_->SourceNameField(), &QLineEdit::textEdited, this,
            [this](const QString& text) { names_.SourceNameChanged(ToBytes(text)); });
    connect(single_->SourceNameField(), &QLineEdit::editingFinished, this, [this] { CommitNameFields(); });
  }
  advanced_ = new CPage_Scan_Advanced(tabs_);
  tabs_->addTab(advanced_, QLatin1String(browse::text::kMultipleSourcesTab));
  advanced_->SourceList()->installEventFilter(this);
  connect(advanced_->BuildButton(), &QPushButton::clicked, this, &CScanDrivesDialog::BuildScanningList);
  connect(advanced_->ClearButton(), &QPushButton::clicked, this, &CScanDrivesDialog::ClearSources);
  connect(tabs_, &QTabWidget::currentChanged, this, &CScanDrivesDialog::UpdateCaption);

  // The options.
  auto* optionsBox = new QGroupBox(QLatin1String(browse::text::kScanOptionsLabel), this);
  checks_ = new QListWidget(optionsBox);
  checks_->setAccessibleName(QStringLiteral("Options for scanning"));
  for (const browse::ScanCheck& check : browse::ScanChecks()) CheckItem(check.text, checks_);
  checks_->setMaximumHeight(checks_->sizeHintForRow(0) * 4 + 2 * checks_->frameWidth() + 4);
  includeOnly_ = new QComboBox(optionsBox);
  for (uint32_t group = 0; group < kFileTypeGroupCount; ++group) {
    includeOnly_->addItem(QLatin1String(FileTypeGroupName(group)));
  }
  auto* includeLabel = new QLabel(QLatin1String(browse::text::kIncludeOnlyLabel), optionsBox);
  includeLabel->setBuddy(includeOnly_);
  auto* optionsLayout = new QGridLayout(optionsBox);
  optionsLayout->addWidget(checks_, 0, 0, 1, 2);
  optionsLayout->addWidget(includeLabel, 1, 0);
  optionsLayout->addWidget(includeOnly_, 1, 1);
  optionsLayout->setColumnStretch(1, 1);
  optionsLayout->setRowStretch(2, 1);

  // The analyzers, each under its group with its "Setup >".
  auto* analyzersBox = new QGroupBox(QLatin1String(browse::text::kAdditionalInfoLabel), this);
  auto* analyzersLayout = new QGridLayout(analyzersBox);
  int row = 0;
  const char* lastGroup = nullptr;
  for (const browse::AnalyzerBox& box : browse::AnalyzerBoxes()) {
    size_t index = static_cast<size_t>(box.page);
    const char* group = GroupOf(box.page);
    if (group != lastGroup) {
      auto* groupLabel = new QLabel(QLatin1String(group), analyzersBox);
      groupLabel->setEnabled(false);
      analyzersLayout->addWidget(groupLabel, row, 0);
      lastGroup = group;
    }
    analyzers_[index] = new QCheckBox(ToQString(box.text), analyzersBox);
    setups_[index] = new QPushButton(QLatin1String(browse::text::kSetupButton), analyzersBox);
    setups_[index]->setAccessibleName(QStringLiteral("Setup ") + ToQString(box.text));
    SettingsPage page = box.page;
    connect(setups_[index], &QPushButton::clicked, this, [this, page] { OpenSettings(page); });
    analyzersLayout->addWidget(analyzers_[index], row, 1);
    analyzersLayout->addWidget(setups_[index], row, 2);
    ++row;
  }
  documents_ = new QCheckBox(QLatin1String(browse::text::kDocumentsBox), analyzersBox);
  documents_->setEnabled(false);
  documentsSetup_ = new QPushButton(QLatin1String(browse::text::kSetupButton), analyzersBox);
  documentsSetup_->setEnabled(false);
  documentsSetup_->setAccessibleName(QStringLiteral("Setup Documents"));
  analyzersLayout->addWidget(documents_, row, 1);
  analyzersLayout->addWidget(documentsSetup_, row, 2);
  analyzersLayout->setColumnStretch(1, 1);

  // The buttons.
  reset_ = new QPushButton(QLatin1String(browse::text::kResetButton), this);
  scan_ = new QPushButton(QLatin1String(browse::text::kScanAndSaveButton), this);
  scanNext_ = new QPushButton(QLatin1String(browse::text::kScanAndSaveNextButton), this);
  cancel_ = new QPushButton(QLatin1String(browse::text::kCancelButton), this);
  scan_->setDefault(true);
  connect(reset_, &QPushButton::clicked, this, &CScanDrivesDialog::Reset);
  connect(scan_, &QPushButton::clicked, this, [this] { Confirm(false); });
  connect(scanNext_, &QPushButton::clicked, this, [this] { Confirm(true); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* names = new QGridLayout();
  names->addWidget(nameLabel, 0, 0);
  names->addWidget(volumeName_, 0, 1);
  names->addWidget(fileLabel, 0, 2);
  names->addWidget(fileName_, 0, 3);
  names->setColumnStretch(1, 1);
  names->setColumnStretch(3, 1);

  auto* options = new QHBoxLayout();
  options->addWidget(optionsBox, 1);
  options->addWidget(analyzersBox, 1);

  auto* buttons = new QHBoxLayout();
  buttons->addWidget(reset_);
  buttons->addStretch(1);
  buttons->addWidget(scan_);
  buttons->addWidget(scanNext_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(names);
  layout->addWidget(tabs_, 1);
  layout->addLayout(options);
  layout->addLayout(buttons);
  resize(760, 600);
}

QCheckBox* CScanDrivesDialog::AnalyzerBox(SettingsPage page) const { return analyzers_[static_cast<size_t>(page)]; }

QPushButton* CScanDrivesDialog::SetupButton(SettingsPage page) const { return setups_[static_cast<size_t>(page)]; }

ScanPage CScanDrivesDialog::CurrentPage() const {
  return single_ != nullptr && tabs_->currentWidget() == single_ ? ScanPage::kSingleSource : ScanPage::kMultipleSources;
}

void CScanDrivesDialog::ShowOptions(const ScanOptions& options) {
  std::span<const browse::ScanCheck> checks = browse::ScanChecks();
  for (size_t i = 0; i < checks.size(); ++i) {
    checks_->item(static_cast<int>(i))->setCheckState(options.*checks[i].field ? Qt::Checked : Qt::Unchecked);
  }
  includeOnly_->setCurrentIndex(options.fileTypeGroup < kFileTypeGroupCount ? static_cast<int>(options.fileTypeGroup) : 0);
  for (const browse::AnalyzerBox& box : browse::AnalyzerBoxes()) AnalyzerBox(box.page)->setChecked(options.*box.field);
}

void CScanDrivesDialog::ReadOptions(ScanOptions& options) const {
  std::span<const browse::ScanCheck> checks = browse::ScanChecks();
  for (size_t i = 0; i < checks.size(); ++i) {
    options.*checks[i].field = checks_->item(static_cast<int>(i))->checkState() == Qt::Checked;
  }
  options.fileTypeGroup = static_cast<uint32_t>(std::max(0, includeOnly_->currentIndex()));
  for (const browse::AnalyzerBox& box : browse::AnalyzerBoxes()) options.*box.field = AnalyzerBox(box.page)->isChecked();
  if (single_ != nullptr) options.ejectAfterScan = single_->EjectBox()->isChecked();
  // Nothing asks for a description after a scan started here.
  options.descriptionPrompt = false;
}

void CScanDrivesDialog::ApplyToolTips() {
  const bool shown = services_.showToolTips;
  auto tip = [shown](ScanTip which) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::ScanToolTipLines(which))) : QString();
  };
  volumeName_->setToolTip(tip(ScanTip::kVolumeName));
  fileName_->setToolTip(tip(ScanTip::kVolumeFileName));
  scan_->setToolTip(tip(ScanTip::kScanAndSave));
  scanNext_->setToolTip(tip(ScanTip::kScanAndSaveNext));
  cancel_->setToolTip(tip(ScanTip::kCancel));
  reset_->setToolTip(tip(ScanTip::kReset));
  includeOnly_->setToolTip(tip(ScanTip::kIncludeOnly));
  for (QPushButton* setup : setups_) setup->setToolTip(tip(ScanTip::kSetup));
  documentsSetup_->setToolTip(tip(ScanTip::kSetup));
  AnalyzerBox(SettingsPage::kArchives)->setToolTip(tip(ScanTip::kArchives));
  AnalyzerBox(SettingsPage::kAudio)->setToolTip(tip(ScanTip::kAudio));
  AnalyzerBox(SettingsPage::kVideo)->setToolTip(tip(ScanTip::kVideo));
  AnalyzerBox(SettingsPage::kGraphics)->setToolTip(tip(ScanTip::kThumbnails));
  AnalyzerBox(SettingsPage::kSignatures)->setToolTip(tip(ScanTip::kSignatures));
  if (single_ != nullptr) {
    single_->PathField()->setToolTip(tip(ScanTip::kPath));
    single_->RemovableBox()->setToolTip(tip(ScanTip::kRemovable));
    single_->LocalDrivesBox()->setToolTip(tip(ScanTip::kLocalDrives));
    single_->CdDrivesBox()->setToolTip(tip(ScanTip::kCdDrives));
    single_->DriveList()->setToolTip(tip(ScanTip::kDriveList));
    single_->EjectBox()->setToolTip(tip(ScanTip::kEjectAfterScan));
    single_->SourceNameField()->setToolTip(tip(ScanTip::kSourceName));
    single_->BrowseButton()->setToolTip(tip(ScanTip::kBrowse));
  }
  advanced_->SourceList()->setToolTip(tip(ScanTip::kSourceList));
  advanced_->BuildButton()->setToolTip(tip(ScanTip::kBuildScanningList));
  advanced_->ClearButton()->setToolTip(tip(ScanTip::kClear));
}

void CScanDrivesDialog::UpdateCaption() { setWindowTitle(ToQString(browse::ScanDialogCaption(job_.mode, CurrentPage()))); }

void CScanDrivesDialog::UpdateStartButtons() {
  // The file name field counts as typed, before it is left.
  bool enabled = !names_.VolumeName().empty() && !fileName_->text().isEmpty();
  scan_->setEnabled(enabled);
  scanNext_->setEnabled(enabled);
}

void CScanDrivesDialog::CommitNameFields() {
  if (fileName_->isEnabled() && fileName_->isModified()) {
    fileName_->setModified(false);
    fileName_->setText(ToQString(names_.FileNameLeft(ToBytes(fileName_->text()))));
  }
  // The field's bytes are the names' own (typing updates them), so unchanged bytes stay unchanged.
  if (single_ != nullptr && single_->SourceNameField()->isModified()) {
    single_->SourceNameField()->setModified(false);
    names_.SourceNameLeft(names_.SourceName());
  }
  UpdateStartButtons();
}

void CScanDrivesDialog::Confirm(bool scanAgain) {
  CommitNameFields();
  if (!scan_->isEnabled()) return;
  // Validation works on a candidate, so that a refused job leaves the dialog's copy as it was.
  ScanJob candidate = job_;
  candidate.scanAgain = scanAgain;
  ReadOptions(candidate);
  candidate.volumeName = names_.VolumeName();
  candidate.volumeFileName = names_.FileName();
  candidate.sources = advanced_->SourceModel()->Sources();
  SingleSource single{names_.SourceName(), names_.Path()};
  if (!ValidateJob(candidate, CurrentPage(), single, services_.volumeDirectory, *services_.fileSystem,
                   *services_.prompter)) {
    return;
  }
  job_ = std::move(candidate);
  accept();
}

void CScanDrivesDialog::Reset() {
  ScanOptions shown = job_.Options();
  ReadOptions(shown);
  browse::ResetScanChecks(shown);
  ShowOptions(shown);
}

void CScanDrivesDialog::OpenSettings(SettingsPage page) {
  if (services_.dialogs == nullptr) return;
  static_cast<void>(CDialog_Scan_SAll::Edit(job_.Options(), page, this, *services_.dialogs));
}

void CScanDrivesDialog::FillDrives() {
  if (single_ == nullptr) return;
  choosingDrive_ = true;
  single_->DriveModel()->SetDrives(services_.listDrives ? services_.listDrives(driveFilterMask_)
                                                        : std::vector<DriveRow>());
  // The drive whose root is the path stays selected.
  int row = single_->DriveModel()->RowOfRoot(names_.Path());
  if (row >= 0) {
    single_->DriveList()->selectionModel()->setCurrentIndex(
        single_->DriveModel()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  choosingDrive_ = false;
}

void CScanDrivesDialog::ToggleDriveFilter(uint32_t bit, bool shown) {
  driveFilterMask_ = shown ? driveFilterMask_ | bit : driveFilterMask_ & ~bit;
  FillDrives();
}

void CScanDrivesDialog::DriveChosen(const QModelIndex& index) {
  if (choosingDrive_ || !index.isValid()) return;
  const std::vector<DriveRow>& drives = single_->DriveModel()->Drives();
  if (index.row() >= static_cast<int>(drives.size())) return;
  CommitNameFields();
  names_.DriveClicked(drives[static_cast<size_t>(index.row())]);
  ShowSourceFields();
}

void CScanDrivesDialog::Browse() {
  if (services_.folderChooser == nullptr) return;
  CommitNameFields();
  std::optional<std::string> folder = services_.folderChooser->ChooseFolder(
      this, QLatin1String(browse::text::kBrowsePrompt), names_.Path());
  if (!folder) return;
  std::vector<DriveRow> drives = services_.listDrives ? services_.listDrives(kDriveFilterAll) : std::vector<DriveRow>();
  names_.FolderBrowsed(*folder, drives);
  choosingDrive_ = true;
  single_->DriveList()->selectionModel()->clear();
  choosingDrive_ = false;
  ShowSourceFields();
}

void CScanDrivesDialog::ShowSourceFields() {
  single_->PathField()->setText(ToQString(names_.Path()));
  single_->SourceNameField()->setText(ToQString(names_.SourceName()));
}

void CScanDrivesDialog::BuildScanningList() {
  if (services_.dialogs == nullptr) return;
  std::vector<ScanSource> sources = advanced_->SourceModel()->Sources();
  std::vector<DriveRow> drives = services_.listDrives ? services_.listDrives(kDriveFilterAll) : std::vector<DriveRow>();
  if (CDialog_Scan_Tree::Edit(sources, std::move(drives), *services_.fileSystem, *services_.prompter,
                              *services_.dialogs, services_.showToolTips, this)) {
    advanced_->SourceModel()->SetSources(std::move(sources));
  }
}

void CScanDrivesDialog::ClearSources() {
  if (services_.prompter->AskYesNo(browse::text::kClearAllSources)) advanced_->SourceModel()->Clear();
}

bool CScanDrivesDialog::eventFilter(QObject* watched, QEvent* event) {
  QTreeView* list = advanced_->SourceList();
  if (watched == list && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    // An editor open on a name gets its keys itself, so Del here always means the rows.
    RemoveSelectedSources(*list, *advanced_->SourceModel());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool CScanDrivesDialog::Edit(ScanJob& job, ScanPage page, const ScanDialogServices& services, QWidget* parent) {
  CScanDrivesDialog dialog(job, page, services, parent);
  if (services.dialogs->Run(dialog) != QDialog::Accepted) return false;
  job = dialog.Job();
  return true;
}

}  // namespace volumist::ui
