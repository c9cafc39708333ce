#include "ui/dialogs/search_dialog.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "browse/command_strip.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

using browse::SearchTip;

// Rows are appended in steps of this many until a turn of the event loop has taken kTurnMs; the
// rest waits for the next turn, so that the window paints and answers in between.
constexpr size_t kRowsPerStep = 1000;
constexpr qint64 kTurnMs = 8;

}  // namespace

std::optional<browse::JumpTarget> SearchDialog::Run(const SearchDialogContext& context, DialogRunner& runner,
                                                    QWidget* parent) {
  SearchDialog dialog(context, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.JumpRequest();
}

SearchDialog::SearchDialog(const SearchDialogContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      run_(*context.fileSystem, *context.workerPrompter, context.threads) {
  BuildControls();
  ShowForm(browse::FormFromCriteria(*context_.criteria, context_.now));
  // The results of the last search are still the window's.
  std::vector<browse::ItemRow> rows = context_.results->Rows(0);
  shownRows_ = rows.size();
  list_->SetRows(std::move(rows), browse::TotalFoundText(shownRows_));
  ApplyControls();
  ApplyToolTips();
  UpdateCaption();
  mask_->setFocus();
  mask_->selectAll();
}

SearchDialog::~SearchDialog() {
  // The search must not outlive the rows' collector or this dialog's queued end.
  run_.RequestStop();
  run_.Wait();
}

void SearchDialog::BuildControls() {
  setSizeGripEnabled(true);
  setAccessibleName(QLatin1String(browse::search_text::kSearchCaption));

  auto* maskLabel = new QLabel(QLatin1String(browse::search_text::kMaskLabel), this);
  mask_ = new QLineEdit(this);
  mask_->setMaxLength(static_cast<int>(kSearchMaskMaxLength));
  mask_->setAccessibleName(QStringLiteral("Mask"));
  maskLabel->setBuddy(mask_);

  auto* optionsLabel = new QLabel(QLatin1String(browse::search_text::kOptionsLabel), this);
  options_ = new QListWidget(this);
  options_->setAccessibleName(QStringLiteral("Options"));
  for (std::string_view text : browse::kSearchOptionTexts) {
    auto* item = new QListWidgetItem(ToQString(text), options_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  options_->setMaximumHeight(options_->sizeHintForRow(0) * browse::kSearchOptionCount + 2 * options_->frameWidth() + 2);
  optionsLabel->setBuddy(options_);
  allVolumes_ = new QCheckBox(QLatin1String(browse::search_text::kAllVolumesBox), this);
  connect(allVolumes_, &QCheckBox::toggled, this, &SearchDialog::UpdateCaption);

  auto* stopWhen = new QLabel(QLatin1String(browse::search_text::kStopWhenFoundLabel), this);
  auto* maximumLabel = new QLabel(QLatin1String(browse::search_text::kMaximumLabel), this);
  maximum_ = new QLineEdit(this);
  maximum_->setMaxLength(10);
  maximum_->setAccessibleName(QStringLiteral("Maximum"));
  maximum_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
  maximum_->installEventFilter(this);
  maximumLabel->setBuddy(maximum_);
  auto* items = new QLabel(QLatin1String(browse::search_text::kItemsLabel), this);

  tabs_ = new QTabWidget(this);
  tabs_->setAccessibleName(QStringLiteral("Criteria"));
  sizeTime_ = new CPage_Search_SDDesr(tabs_);
  audio_ = new CPage_Search_Audio(tabs_);
  signatures_ = new CPage_Search_Signatures(tabs_);
  tabs_->addTab(sizeTime_, QLatin1String(browse::search_text::kSizeTimePage));
  tabs_->addTab(audio_, QLatin1String(browse::search_text::kAudioPage));
  tabs_->addTab(signatures_, QLatin1String(browse::search_text::kSignaturesPage));
  auto resetPage = [this](browse::SearchPage page) {
    browse::SearchForm form = Form();
    browse::ResetSearchPage(form, page);
    ShowForm(form);
  };
  connect(sizeTime_->ResetButton(), &QPushButton::clicked, this,
          [resetPage] { resetPage(browse::SearchPage::kSizeTimeDescription); });
  connect(audio_->ResetButton(), &QPushButton::clicked, this, [resetPage] { resetPage(browse::SearchPage::kAudio); });
  connect(signatures_->ResetButton(), &QPushButton::clicked, this,
          [resetPage] { resetPage(browse::SearchPage::kSignatures); });

  search_ = new QPushButton(QLatin1String(browse::search_text::kSearchButton), this);
  stop_ = new QPushButton(QLatin1String(browse::search_text::kStopButton), this);
  jumpButton_ = new QPushButton(QLatin1String(browse::search_text::kJumpButton), this);
  clear_ = new QPushButton(QLatin1String(browse::search_text::kClearButton), this);
  resetAll_ = new QPushButton(QLatin1String(browse::search_text::kResetAllButton), this);
  close_ = new QPushButton(QLatin1String(browse::search_text::kCloseButton), this);
  search_->setDefault(true);
  search_->setAutoDefault(true);
  for (QPushButton* button : {stop_, jumpButton_, clear_, resetAll_, close_}) button->setAutoDefault(false);
  connect(search_, &QPushButton::clicked, this, &SearchDialog::StartSearch);
  connect(stop_, &QPushButton::clicked, this, &SearchDialog::StopSearch);
  connect(jumpButton_, &QPushButton::clicked, this, &SearchDialog::Jump);
  connect(clear_, &QPushButton::clicked, this, &SearchDialog::ClearResults);
  connect(resetAll_, &QPushButton::clicked, this, &SearchDialog::ResetAll);
  connect(close_, &QPushButton::clicked, this, [this] {
    if (!searching_) QDialog::reject();
  });

  progress_ = new QProgressBar(this);
  progress_->setRange(0, browse::kProgressSteps);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(fontMetrics().height() / 2 + 4);
  progress_->setAccessibleName(QStringLiteral("Searching"));

  list_ = new ItemList(*context_.columnSets, this);
  list_->SetViewTabs({kViewMain, kViewAudio, kViewVideo, kViewSignatures});
  list_->CaptionLabel()->setAccessibleName(QStringLiteral("Total found"));
  list_->ReportView()->setAccessibleName(QStringLiteral("Results"));
  connect(list_, &ItemList::RowActivated, this, [this] { Jump(); });
  connect(list_, &ItemList::ContextMenuRequested, this, &SearchDialog::ShowResultsMenu);

  refreshTimer_.setInterval(browse::kFirstRefreshMs);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    refreshTimer_.setInterval(browse::kRefreshMs);
    TakeRows();
  });
  progressTimer_.setInterval(browse::kProgressMs);
  connect(&progressTimer_, &QTimer::timeout, this, [this] {
    progressStep_ = browse::NextProgressStep(progressStep_);
    progress_->setValue(progressStep_);
  });
  countTimer_.setInterval(browse::kCountMs);
  connect(&countTimer_, &QTimer::timeout, this, &SearchDialog::ShowCount);
  sliceTimer_.setSingleShot(true);
  sliceTimer_.setInterval(0);
  connect(&sliceTimer_, &QTimer::timeout, this, &SearchDialog::TakeRows);

  // Layout: the mask, options and maximum on the left, the pages in the middle, the buttons on the
  // right; the progress bar and the results below.
  auto* left = new QVBoxLayout();
  left->addWidget(maskLabel);
  left->addWidget(mask_);
  left->addWidget(optionsLabel);
  left->addWidget(options_);
  left->addWidget(allVolumes_);
  left->addWidget(stopWhen);
  auto* maximumRow = new QHBoxLayout();
  maximumRow->addWidget(maximumLabel);
  maximumRow->addWidget(maximum_);
  maximumRow->addWidget(items);
  maximumRow->addStretch(1);
  left->addLayout(maximumRow);
  left->addStretch(1);
  auto* buttons = new QVBoxLayout();
  for (QPushButton* button : {search_, stop_, jumpButton_, clear_, resetAll_}) buttons->addWidget(button);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* top = new QHBoxLayout();
  top->addLayout(left, 2);
  top->addWidget(tabs_, 3);
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(progress_);
  layout->addWidget(list_, 1);
  maskLabel->setWordWrap(true);
  resize(920, 680);
}

void SearchDialog::ApplyToolTips() {
  const bool shown = context_.showToolTips;
  auto tip = [shown](SearchTip which) {
    return shown ? PlainToolTip(browse::JoinToolTip(browse::SearchToolTipLines(which))) : QString();
  };
  mask_->setToolTip(tip(SearchTip::kMask));
  jumpButton_->setToolTip(tip(SearchTip::kJump));
  search_->setToolTip(tip(SearchTip::kSearch));
  stop_->setToolTip(tip(SearchTip::kStop));
  clear_->setToolTip(tip(SearchTip::kClear));
  allVolumes_->setToolTip(tip(SearchTip::kAllVolumes));
  resetAll_->setToolTip(tip(SearchTip::kResetAll));
  close_->setToolTip(tip(SearchTip::kClose));
  maximum_->setToolTip(tip(SearchTip::kMaximum));
  list_->TabBar()->setToolTip(tip(SearchTip::kViewModes));
}

void SearchDialog::UpdateCaption() {
  // A search of all volumes has no folder scope (the scope is a folder of the loaded volume).
  const bool inFolder = context_.criteria->inFolder && context_.folderPath && !allVolumes_->isChecked();
  setWindowTitle(ToQString(browse::SearchDialogCaption(context_.volumeName,
                                                       inFolder ? context_.folderPath : std::nullopt)));
}

browse::SearchForm SearchDialog::Form() const {
  browse::SearchForm form;
  // An unchanged mask keeps the bytes it was filled with.
  form.mask = EditedBytes(mask_->text(), shownMask_, maskBytes_);
  for (int i = 0; i < browse::kSearchOptionCount; ++i) {
    form.options[static_cast<size_t>(i)] = options_->item(i)->checkState() == Qt::Checked;
  }
  form.allVolumes = allVolumes_->isChecked();
  form.maximum = ToBytes(maximum_->text());
  form.resultView = list_->View();
  sizeTime_->Read(form);
  audio_->Read(form);
  signatures_->Read(form);
  return form;
}

void SearchDialog::ShowForm(const browse::SearchForm& form) {
  maskBytes_ = form.mask;
  mask_->setText(ToQString(form.mask));
  shownMask_ = mask_->text();
  for (int i = 0; i < browse::kSearchOptionCount; ++i) {
    options_->item(i)->setCheckState(form.options[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
  }
  allVolumes_->setChecked(form.allVolumes);
  maximum_->setText(ToQString(form.maximum));
  list_->SetView(form.resultView);
  sizeTime_->Show(form);
  audio_->Show(form);
  signatures_->Show(form);
}

void SearchDialog::ApplyControls() {
  const browse::SearchControls controls = browse::SearchControlsFor(searching_);
  search_->setEnabled(controls.search);
  stop_->setEnabled(controls.stop);
  jumpButton_->setEnabled(controls.jump);
  clear_->setEnabled(controls.clear);
  close_->setEnabled(controls.close);
  mask_->setEnabled(controls.mask);
  // Enter goes to "Search" while it can start one, and to nothing while a search runs.
  search_->setDefault(controls.search);
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == maximum_ && event->type() == QEvent::FocusOut) CheckMaximumField();
  return QDialog::eventFilter(watched, event);
}

void SearchDialog::CheckMaximumField() {
  const browse::MaximumCheck check = browse::CheckMaximum(ToBytes(maximum_->text()));
  if (!check.message) return;
  // The edit is corrected before the message shows, so the box taking the focus finds it right.
  maximum_->setText(QString::number(check.value));
  context_.prompter->ShowError(*check.message);
}

bool SearchDialog::ReadCriteria() {
  const browse::FormReading reading = browse::ReadSearchForm(Form(), *context_.criteria);
  if (reading.maximumMessage) {
    maximum_->setText(QString::number(reading.maximum));
    context_.prompter->ShowError(*reading.maximumMessage);
  }
  if (reading.sizeMessage) {
    context_.prompter->ShowError(*reading.sizeMessage);
    tabs_->setCurrentWidget(sizeTime_);
    sizeTime_->SizeField()->setFocus();
    sizeTime_->SizeField()->selectAll();
    return false;
  }
  // The stored mask is what is shown from now on.
  maskBytes_ = context_.criteria->mask;
  shownMask_ = mask_->text();
  return true;
}

void SearchDialog::StartSearch() {
  if (searching_) return;
  if (!ReadCriteria()) return;
  // A search whose end is still being shown is finished with first.
  run_.RequestStop();
  run_.Wait();
  sliceTimer_.stop();
  context_.results->Clear();
  shownRows_ = 0;
  list_->Clear(browse::TotalFoundText(0));
  jump_.reset();
  searching_ = true;
  ended_ = false;
  progressStep_ = 0;
  progress_->setValue(0);
  ApplyControls();
  UpdateCaption();
  SearchRun::Sources sources = context_.sources ? context_.sources() : SearchRun::Sources{};
  // The final order is made on the search thread, for the order the list has now; the list sorts
  // itself when that has changed meanwhile.
  endOrder_.reset();
  endOrderColumn_ = list_->Model()->SortColumn();
  endOrderDirection_ = list_->Model()->Order();
  run_.Start(
      *context_.criteria, std::move(sources), *context_.results, this, [this] { OnSearchEnded(); },
      [this, results = context_.results, column = endOrderColumn_, order = endOrderDirection_] {
        endOrder_ = results->SortedOrderOnceComplete(column, order);
      });
  refreshTimer_.setInterval(browse::kFirstRefreshMs);
  refreshTimer_.start();
  progressTimer_.start();
  countTimer_.start();
}

void SearchDialog::StopSearch() {
  if (searching_) run_.RequestStop();
}

void SearchDialog::OnSearchEnded() {
  // The thread has posted its end: it is over, and joining it does not wait.
  run_.Wait();
  refreshTimer_.stop();
  progressTimer_.stop();
  countTimer_.stop();
  ended_ = true;
  // Every row is known now: the list makes room once instead of growing while they are appended.
  list_->ReserveRows(context_.results->ResultCount());
  TakeRows();
}

void SearchDialog::TakeRows() {
  QElapsedTimer turn;
  turn.start();
  do {
    std::vector<browse::ItemRow> rows = context_.results->Rows(shownRows_, kRowsPerStep);
    if (rows.empty()) break;
    shownRows_ += rows.size();
    list_->AppendRows(std::move(rows));
  } while (turn.elapsed() < kTurnMs);
  if (shownRows_ < context_.results->ResultCount()) {
    // More have arrived than one slice: the rest in the next turns, the window painting between.
    sliceTimer_.start();
    return;
  }
  if (!ended_ || !searching_) return;
  searching_ = false;
  progressStep_ = 0;
  progress_->setValue(0);
  ApplyControls();
  list_->Resort(endOrder_, endOrderColumn_, endOrderDirection_);
  endOrder_.reset();
  ShowCount();
  emit SearchFinished();
}

void SearchDialog::ShowCount() { list_->SetCaption(browse::TotalFoundText(context_.results->ResultCount())); }

QString SearchDialog::StatusText() const { return list_->CaptionLabel()->text(); }

void SearchDialog::Jump() {
  if (searching_) return;
  const browse::ItemRow* row = list_->CurrentRow();
  if (row == nullptr) return;
  std::optional<browse::JumpTarget> target = browse::JumpTargetOf(*row);
  if (!target) return;
  if (!ReadCriteria()) return;
  jump_ = std::move(target);
  accept();
}

void SearchDialog::ClearResults() {
  if (searching_) return;
  context_.results->Clear();
  shownRows_ = 0;
  list_->Clear(browse::TotalFoundText(0));
}

void SearchDialog::ResetAll() {
  browse::SearchForm form = Form();
  browse::ResetAllSearch(form, *context_.criteria);
  ShowForm(form);
  UpdateCaption();
}

void SearchDialog::reject() {
  if (searching_) {
    run_.RequestStop();
    run_.Wait();
    refreshTimer_.stop();
    progressTimer_.stop();
    countTimer_.stop();
    sliceTimer_.stop();
    searching_ = false;
  }
  QDialog::reject();
}

void SearchDialog::ShowResultsMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  QAction* jump = menu.addAction(QLatin1String(browse::search_text::kJumpButton));
  jump->setEnabled(!searching_ && list_->CurrentRow() != nullptr);
  connect(jump, &QAction::triggered, this, &SearchDialog::Jump);
  menu.addSeparator();
  list_->AddListEntries(menu);
  menu.exec(globalPosition);
}

}  // namespace volumist::ui
