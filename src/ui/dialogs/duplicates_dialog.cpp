#include "ui/dialogs/duplicates_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMetaObject>
#include <QVBoxLayout>

#include "catalog/messages.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

using namespace browse::duplicates_text;

namespace {

constexpr int kPollMs = 100;

}  // namespace

std::optional<browse::JumpTarget> DuplicatesDialog::Run(const DuplicatesDialogContext& context, DialogRunner& runner,
                                                        QWidget* parent) {
  DuplicatesDialog dialog(context, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.JumpRequest();
}

DuplicatesDialog::DuplicatesDialog(const DuplicatesDialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  BuildControls();
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &DuplicatesDialog::ShowProgress);
  ApplyStates();
}

DuplicatesDialog::~DuplicatesDialog() {
  // The worker writes into this dialog's outcome: it must end before the dialog does. Its posted end
  // is dropped with the dialog.
  stopFlag_ = true;
  if (worker_.joinable()) worker_.join();
}

void DuplicatesDialog::BuildControls() {
  setWindowTitle(QLatin1String(kTitle));
  setAccessibleName(QLatin1String(kTitle));
  setSizeGripEnabled(true);

  auto* volumesLabel = new QLabel(QStringLiteral("Volumes:"), this);
  allVolumes_ = new QRadioButton(QLatin1String(kAllVolumes), this);
  allVolumes_->setAccessibleName(QLatin1String(kAllVolumes));
  QString selectedText = QLatin1String(kSelectedVolume);
  if (!context_.selectedName.empty()) selectedText += QStringLiteral(" (%1)").arg(ToQString(context_.selectedName));
  selectedOnly_ = new QRadioButton(selectedText, this);
  selectedOnly_->setAccessibleName(QLatin1String(kSelectedVolume));
  auto* scope = new QButtonGroup(this);
  scope->addButton(allVolumes_);
  scope->addButton(selectedOnly_);
  allVolumes_->setChecked(true);

  auto* compareLabel = new QLabel(QLatin1String(kCompare), this);
  compare_ = new QComboBox(this);
  compare_->addItem(QLatin1String(kByAuto), static_cast<int>(DuplicateMatch::kAuto));
  compare_->addItem(QLatin1String(kByContent), static_cast<int>(DuplicateMatch::kContent));
  compare_->addItem(QLatin1String(kByNameSize), static_cast<int>(DuplicateMatch::kNameAndSize));
  compare_->setAccessibleName(QStringLiteral("Compare"));
  compareLabel->setBuddy(compare_);

  auto* sizeLabel = new QLabel(QLatin1String(kMinimumSize), this);
  minimumSize_ = new QLineEdit(QStringLiteral("1"), this);
  minimumSize_->setAccessibleName(QStringLiteral("Smallest file"));
  minimumSize_->setMaximumWidth(minimumSize_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
  sizeLabel->setBuddy(minimumSize_);
  within_ = new QCheckBox(QLatin1String(kWithin), this);
  within_->setAccessibleName(QLatin1String(kWithin));

  find_ = new QPushButton(QLatin1String(kFind), this);
  find_->setAccessibleName(QLatin1String(kFind));
  find_->setDefault(true);
  stop_ = new QPushButton(QLatin1String(kStop), this);
  stop_->setAccessibleName(QLatin1String(kStop));
  connect(find_, &QPushButton::clicked, this, &DuplicatesDialog::StartSearch);
  connect(stop_, &QPushButton::clicked, this, &DuplicatesDialog::StopSearch);

  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setAccessibleName(QStringLiteral("Progress"));

  model_ = new DuplicatesModel(this);
  results_ = new QTreeView(this);
  results_->setModel(model_);
  results_->setAccessibleName(QStringLiteral("Duplicates"));
  results_->setUniformRowHeights(true);
  // Paths are long: their ends (the names) matter most.
  results_->setTextElideMode(Qt::ElideMiddle);
  results_->setAlternatingRowColors(true);
  results_->setSelectionBehavior(QAbstractItemView::SelectRows);
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  results_->header()->setStretchLastSection(false);
  results_->header()->setSectionResizeMode(DuplicatesModel::kPath, QHeaderView::Stretch);
  results_->header()->resizeSection(DuplicatesModel::kVolume, 120);
  results_->header()->resizeSection(DuplicatesModel::kSize, 110);
  results_->header()->resizeSection(DuplicatesModel::kTime, 130);
  connect(results_, &QTreeView::activated, this, [this](const QModelIndex& index) {
    if (model_->MemberAt(index) != nullptr) JumpToCurrent();
  });
  connect(results_->selectionModel(), &QItemSelectionModel::currentChanged, this, &DuplicatesDialog::ApplyStates);
  connect(model_, &QAbstractItemModel::modelReset, this, &DuplicatesDialog::ApplyStates);

  status_ = new QLabel(this);
  status_->setAccessibleName(QStringLiteral("Status"));
  jumpButton_ = new QPushButton(QLatin1String(kJump), this);
  jumpButton_->setAccessibleName(QLatin1String(kJump));
  close_ = new QPushButton(QLatin1String(kClose), this);
  close_->setAccessibleName(QLatin1String(kClose));
  connect(jumpButton_, &QPushButton::clicked, this, &DuplicatesDialog::JumpToCurrent);
  connect(close_, &QPushButton::clicked, this, &DuplicatesDialog::reject);

  auto* form = new QGridLayout;
  auto* scopeRow = new QHBoxLayout;
  scopeRow->addWidget(allVolumes_);
  scopeRow->addWidget(selectedOnly_);
  scopeRow->addStretch();
  form->addWidget(volumesLabel, 0, 0);
  form->addLayout(scopeRow, 0, 1);
  form->addWidget(find_, 0, 2);
  form->addWidget(compareLabel, 1, 0);
  auto* compareRow = new QHBoxLayout;
  compareRow->addWidget(compare_);
  compareRow->addStretch();
  form->addLayout(compareRow, 1, 1);
  form->addWidget(stop_, 1, 2);
  form->addWidget(sizeLabel, 2, 0);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(minimumSize_);
  sizeRow->addSpacing(16);
  sizeRow->addWidget(within_);
  sizeRow->addStretch();
  form->addLayout(sizeRow, 2, 1);
  form->setColumnStretch(1, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(jumpButton_);
  bottom->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(progress_);
  layout->addWidget(results_, 1);
  layout->addLayout(bottom);
  resize(820, 520);
}

void DuplicatesDialog::ApplyStates() {
  const bool running = Searching();
  const bool canChooseSelected = context_.selectedVolume.has_value() && *context_.selectedVolume < context_.volumePaths.size();
  if (!canChooseSelected && selectedOnly_->isChecked()) allVolumes_->setChecked(true);
  allVolumes_->setEnabled(!running);
  selectedOnly_->setEnabled(!running && canChooseSelected);
  compare_->setEnabled(!running);
  minimumSize_->setEnabled(!running);
  within_->setEnabled(!running);
  find_->setEnabled(!running);
  stop_->setEnabled(running);
  jumpButton_->setEnabled(!running && model_->MemberAt(results_->currentIndex()) != nullptr);
}

browse::DuplicatesForm DuplicatesDialog::ReadForm() const {
  browse::DuplicatesForm form;
  form.minimumSize = ToBytes(minimumSize_->text());
  form.match = static_cast<DuplicateMatch>(compare_->currentData().toInt());
  form.withinVolume = within_->isChecked();
  form.selectedVolumeOnly = selectedOnly_->isChecked();
  return form;
}

void DuplicatesDialog::StartSearch() {
  if (Searching()) return;
  const browse::DuplicatesForm form = ReadForm();
  std::string problem;
  std::optional<DuplicateOptions> options = browse::ReadDuplicatesForm(form, problem);
  if (!options) {
    context_.prompter->ShowError(problem);
    minimumSize_->setFocus();
    return;
  }
  std::vector<std::string> paths = context_.volumePaths;
  if (form.selectedVolumeOnly && context_.selectedVolume && *context_.selectedVolume < paths.size()) {
    paths = {paths[*context_.selectedVolume]};
  }
  if (paths.empty()) {
    context_.prompter->ShowError(kNoVolumes);
    return;
  }
  if (paths.size() > kMaximumDuplicateVolumes) {
    context_.prompter->ShowError(kTooManyVolumesForDuplicates);
    return;
  }
  options->threads = context_.threads;
  options->stop = &stopFlag_;
  stopFlag_ = false;
  counters_ = std::make_unique<DuplicateProgress>();
  outcome_ = std::make_unique<Outcome>();
  volumeCount_ = paths.size();
  model_->Clear();
  status_->setText(ToQString(browse::ProgressText(0, volumeCount_, 0)));
  progress_->setValue(0);
  worker_ = std::thread([this, paths = std::move(paths), options = *options] {
    Outcome& outcome = *outcome_;
    outcome.report = FindDuplicates(
        paths, options, *context_.fileSystem,
        [&](DuplicateGroup&& group, const DuplicateVolumes&) { outcome.groups.push_back(std::move(group)); },
        counters_.get());
    // Posted, never waited for; dropped when the dialog is gone by then.
    QMetaObject::invokeMethod(this, [this] { Finish(); }, Qt::QueuedConnection);
  });
  poll_.start();
  ApplyStates();
  stop_->setFocus();
}

void DuplicatesDialog::StopSearch() { stopFlag_ = true; }

void DuplicatesDialog::ShowProgress() {
  if (!counters_) return;
  const size_t read = counters_->volumesRead.load(std::memory_order_relaxed);
  progress_->setValue(browse::ProgressPercent(read, volumeCount_));
  status_->setText(ToQString(browse::ProgressText(read, volumeCount_, counters_->filesRead.load(std::memory_order_relaxed))));
}

void DuplicatesDialog::Finish() {
  if (worker_.joinable()) worker_.join();
  poll_.stop();
  std::unique_ptr<Outcome> outcome = std::move(outcome_);
  counters_.reset();
  if (!outcome) return;
  const bool stopped = outcome->report.stopped;
  uint64_t files = 0;
  uint64_t extraBytes = 0;
  for (const DuplicateGroup& group : outcome->groups) {
    files += group.members.size();
    extraBytes += group.size * (group.members.size() - 1);
  }
  const size_t groups = outcome->groups.size();
  model_->SetGroups(std::move(outcome->groups), outcome->report.volumes);
  progress_->setValue(stopped ? progress_->value() : 100);
  status_->setText(ToQString(stopped ? std::string(kStopped) : browse::SummaryText(groups, files, extraBytes)));
  if (groups > 0 && groups <= 50) results_->expandAll();
  else if (groups > 0) results_->expand(model_->index(0, 0));
  ApplyStates();
  // What could not be read is said after the groups of what could.
  for (const DuplicateVolume& volume : outcome->report.volumes) {
    if (!volume.opened && !volume.skipped && !stopped) {
      context_.prompter->ShowError(std::string(messages::kCouldNotOpenForRead) + " (" + volume.path + ")");
    } else if (volume.opened && volume.damage != VolumeDamage::kNone) {
      context_.prompter->ShowError(std::string(DamageMessage(volume.damage)) + " (" + volume.path + ")");
    }
  }
  emit SearchFinished();
}

void DuplicatesDialog::JumpToCurrent() {
  if (Searching()) return;
  const DuplicateMember* member = model_->MemberAt(results_->currentIndex());
  if (member == nullptr) return;
  jump_ = browse::JumpTargetOfMember(*member, model_->Volumes());
  accept();
}

void DuplicatesDialog::reject() {
  // Closing stops the search and waits for it: at most one record.
  stopFlag_ = true;
  if (worker_.joinable()) worker_.join();
  poll_.stop();
  QDialog::reject();
}

}  // namespace volumist::ui
