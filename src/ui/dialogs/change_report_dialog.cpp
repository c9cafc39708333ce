#include "ui/dialogs/change_report_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "browse/change_report_text.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

ChangeReportDialog::ChangeReportDialog(const ChangeReport& report, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Rescan of %1").arg(ToQString(report.volumeName)));
  setObjectName(QStringLiteral("changeReportDialog"));
  for (const std::string& line : browse::ChangeLines(report)) lines_.push_back(ToQString(line));

  auto* heading = new QLabel(report.HasChanges() ? QStringLiteral("The volume was rescanned. What changed:")
                                                 : QStringLiteral("The volume was rescanned. Nothing changed."),
                             this);
  summary_ = new QLabel(ToQString(browse::ChangeSummary(report)), this);
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setAccessibleName(QStringLiteral("Summary"));

  filter_ = new QLineEdit(this);
  filter_->setPlaceholderText(QStringLiteral("Filter the list"));
  filter_->setClearButtonEnabled(true);
  filter_->setAccessibleName(QStringLiteral("Filter"));
  auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
  filterLabel->setBuddy(filter_);
  connect(filter_, &QLineEdit::textChanged, this, &ChangeReportDialog::ApplyFilter);

  list_ = new QPlainTextEdit(this);
  list_->setReadOnly(true);
  list_->setLineWrapMode(QPlainTextEdit::NoWrap);
  list_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setAccessibleName(QStringLiteral("Changes"));
  list_->setMinimumSize(640, 280);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
  copy->setAccessibleName(QStringLiteral("Copy the list"));
  connect(copy, &QPushButton::clicked, this, &ChangeReportDialog::CopyShown);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* filterRow = new QHBoxLayout();
  filterRow->addWidget(filterLabel);
  filterRow->addWidget(filter_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(summary_);
  layout->addLayout(filterRow);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
  ApplyFilter();
}

QString ChangeReportDialog::Summary() const { return summary_->text(); }

void ChangeReportDialog::ApplyFilter() {
  const QString wanted = filter_->text().trimmed();
  shown_.clear();
  for (const QString& line : lines_) {
    if (wanted.isEmpty() || line.contains(wanted, Qt::CaseInsensitive)) shown_.push_back(line);
  }
  list_->setPlainText(shown_.join(QLatin1Char('\n')));
}

void ChangeReportDialog::CopyShown() { QApplication::clipboard()->setText(shown_.join(QLatin1Char('\n'))); }

void ChangeReportDialog::Show(QWidget* parent, DialogRunner& runner, const ChangeReport& report) {
  ChangeReportDialog dialog(report, parent);
  runner.Run(dialog);
}

}  // namespace volumist::ui
