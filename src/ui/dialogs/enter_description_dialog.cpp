#include "ui/dialogs/enter_description_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "browse/command_strip.h"
#include "browse/window_captions.h"
#include "catalog/description_store.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

CDialogEnterDescription::CDialogEnterDescription(const std::string& initial, QWidget* parent)
    : QDialog(parent), original_(initial), shown_(ToQString(initial)) {
  setWindowTitle(QStringLiteral("Description"));
  auto* label = new QLabel(QLatin1String(browse::text::kEnterDescriptionPrompt), this);
  text_ = new QPlainTextEdit(shown_, this);
  text_->setTabChangesFocus(true);
  text_->setMinimumSize(360, 120);
  label->setBuddy(text_);
  connect(text_, &QPlainTextEdit::textChanged, this, [this] {
    QString text = text_->toPlainText();
    if (text.toUtf8().size() <= static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) return;
    while (text.toUtf8().size() > static_cast<qsizetype>(DescriptionStore::kMaxTextLength)) text.chop(1);
    QSignalBlocker block(text_);
    text_->setPlainText(text);
    text_->moveCursor(QTextCursor::End);
  });
  clear_ = new QToolButton(this);
  clear_->setText(QStringLiteral("×"));
  clear_->setAccessibleName(QLatin1String(browse::text::kClearDescription));
  clear_->setToolTip(PlainToolTip(browse::text::kClearDescription));
  connect(clear_, &QToolButton::clicked, text_, &QPlainTextEdit::clear);

  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton(QLatin1String(browse::text::kSaveButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(QLatin1String(browse::text::kCancelButton), QDialogButtonBox::RejectRole);
  save_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QHBoxLayout();
  top->addWidget(label, 1);
  top->addWidget(clear_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
}

std::string CDialogEnterDescription::Text() const { return EditedBytes(text_->toPlainText(), shown_, original_); }

std::optional<std::string> CDialogEnterDescription::Ask(QWidget* parent, DialogRunner& runner,
                                                        const std::string& initial) {
  CDialogEnterDescription dialog(initial, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

}  // namespace volumist::ui
