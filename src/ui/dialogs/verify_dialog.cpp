#include "ui/dialogs/verify_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "browse/verify_text.h"
#include "catalog/volume_catalog.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

constexpr int kPollMilliseconds = 200;

// The worker's prompter: it keeps the first error for the dialog to show and answers every
// question with No (a worker never asks).
class QuietPrompter final : public Prompter {
 public:
  void ShowError(std::string_view text) override {
    if (first.empty()) first = text;
  }
  void ShowInfo(std::string_view) override {}
  bool AskYesNo(std::string_view) override { return false; }
  std::string first;
};

}  // namespace

VerifyDialog::VerifyDialog(std::string volumeFile, const std::string& volumeName, VerifyJob job, QWidget* parent)
    : QDialog(parent), volumeFile_(std::move(volumeFile)), job_(std::move(job)) {
  setWindowTitle(QStringLiteral("Verify %1").arg(ToQString(volumeName)));
  setObjectName(QStringLiteral("verifyDialog"));

  heading_ = new QLabel(QStringLiteral("Comparing the disk with the volume..."), this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 1000);
  bar_->setTextVisible(false);
  bar_->setAccessibleName(QStringLiteral("Progress"));
  progress_ = new QLabel(this);
  progress_->setAccessibleName(QStringLiteral("Bytes read, rate and time left"));
  summary_ = new QLabel(this);
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setAccessibleName(QStringLiteral("Summary"));

  filter_ = new QLineEdit(this);
  filter_->setPlaceholderText(QStringLiteral("Filter the list"));
  filter_->setClearButtonEnabled(true);
  filter_->setAccessibleName(QStringLiteral("Filter"));
  auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
  filterLabel->setBuddy(filter_);
  connect(filter_, &QLineEdit::textChanged, this, &VerifyDialog::ApplyFilter);

  list_ = new QPlainTextEdit(this);
  list_->setReadOnly(true);
  list_->setLineWrapMode(QPlainTextEdit::NoWrap);
  list_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setAccessibleName(QStringLiteral("Differences"));
  list_->setMinimumSize(640, 280);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  stopButton_ = buttons->addButton(QStringLiteral("&Stop"), QDialogButtonBox::ActionRole);
  stopButton_->setAccessibleName(QStringLiteral("Stop the verification"));
  connect(stopButton_, &QPushButton::clicked, this, &VerifyDialog::Stop);
  copyButton_ = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
  copyButton_->setAccessibleName(QStringLiteral("Copy the list"));
  copyButton_->setEnabled(false);
  connect(copyButton_, &QPushButton::clicked, this, &VerifyDialog::CopyShown);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* filterRow = new QHBoxLayout();
  filterRow->addWidget(filterLabel);
  filterRow->addWidget(filter_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(bar_);
  layout->addWidget(progress_);
  layout->addWidget(summary_);
  layout->addLayout(filterRow);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);

  timer_ = new QTimer(this);
  timer_->setInterval(kPollMilliseconds);
  connect(timer_, &QTimer::timeout, this, &VerifyDialog::Poll);
}

VerifyDialog::~VerifyDialog() {
  stop_.store(true);
  if (worker_.joinable()) worker_.join();
}

void VerifyDialog::Start() {
  if (running_ || report_) return;
  running_ = true;
  meter_ = std::make_unique<VerifyProgressMeter>(VerifyProgressMeter::Clock::now());
  timer_->start();
  Poll();
  worker_ = std::jthread([this] {
    QuietPrompter prompter;
    auto report = std::make_shared<std::optional<VerifyReport>>();
    std::string problem;
    VolumeCatalog volume(platform::FileSystem::Default(), prompter);
    if (volume.OpenVolume(volumeFile_, false)) {
      *report = VerifyVolume(volume, job_, counters_, stop_);
      if (!*report) problem = "The volume's tree cannot be read: nothing was compared.";
    } else {
      problem = prompter.first.empty() ? std::string("The volume file cannot be opened.") : prompter.first;
    }
    QMetaObject::invokeMethod(
        this, [this, report, problem] { Finish(report, problem); }, Qt::QueuedConnection);
  });
}

void VerifyDialog::Stop() {
  if (!running_) return;
  stop_.store(true);
  stopButton_->setEnabled(false);
  heading_->setText(QStringLiteral("Stopping..."));
}

void VerifyDialog::reject() {
  Stop();
  QDialog::reject();
}

void VerifyDialog::Poll() {
  if (!meter_) return;
  VerifyProgress progress = meter_->Sample(counters_, VerifyProgressMeter::Clock::now());
  bar_->setValue(browse::VerifyProgressPermille(progress));
  progress_->setText(ToQString(browse::VerifyProgressText(progress)));
}

void VerifyDialog::Finish(std::shared_ptr<std::optional<VerifyReport>> report, const std::string& problem) {
  if (worker_.joinable()) worker_.join();
  running_ = false;
  timer_->stop();
  Poll();
  stopButton_->setEnabled(false);
  report_ = std::move(*report);
  if (!report_) {
    heading_->setText(QStringLiteral("The verification could not be done."));
    summary_->setText(ToQString(problem));
  } else {
    heading_->setText(report_->stopped         ? QStringLiteral("The verification was stopped. What was compared:")
                      : report_->AllMatch()    ? QStringLiteral("The disk matches the volume.")
                                               : QStringLiteral("The disk differs from the volume:"));
    bar_->setValue(report_->stopped ? bar_->value() : bar_->maximum());
    progress_->setText(ToQString(browse::VerifyReadText(*report_)));
    summary_->setText(ToQString(browse::VerifySummary(*report_)));
    for (const std::string& line : browse::VerifyLines(*report_)) lines_.push_back(ToQString(line));
    copyButton_->setEnabled(true);
  }
  ApplyFilter();
  emit Finished();
}

QString VerifyDialog::ProgressText() const { return progress_->text(); }

QString VerifyDialog::Summary() const { return summary_->text(); }

void VerifyDialog::ApplyFilter() {
  const QString wanted = filter_->text().trimmed();
  shown_.clear();
  for (const QString& line : lines_) {
    if (wanted.isEmpty() || line.contains(wanted, Qt::CaseInsensitive)) shown_.push_back(line);
  }
  list_->setPlainText(shown_.join(QLatin1Char('\n')));
}

void VerifyDialog::CopyShown() { QApplication::clipboard()->setText(shown_.join(QLatin1Char('\n'))); }

void VerifyDialog::Show(QWidget* parent, DialogRunner& runner, const std::string& volumeFile,
                        const std::string& volumeName, VerifyJob job) {
  VerifyDialog dialog(volumeFile, volumeName, std::move(job), parent);
  dialog.Start();
  runner.Run(dialog);
}

}  // namespace volumist::ui
