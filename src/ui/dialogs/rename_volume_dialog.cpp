#include "ui/dialogs/rename_volume_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "ui/bridge/text.h"

namespace volumist::ui {

CDialogRenameVolume::CDialogRenameVolume(Prompter& prompter, const std::string& current, QWidget* parent)
    : QDialog(parent), prompter_(prompter), original_(current), shown_(ToQString(current)) {
  setWindowTitle(QStringLiteral("Rename volume"));
  auto* label = new QLabel(QLatin1String(browse::text::kRenameVolumePrompt), this);
  name_ = new QLineEdit(shown_, this);
  name_->setMinimumWidth(320);
  name_->selectAll();
  label->setBuddy(name_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(name_);
  layout->addWidget(buttons);
}

std::string CDialogRenameVolume::Name() const { return EditedBytes(name_->text(), shown_, original_); }

void CDialogRenameVolume::accept() {
  if (auto refused = browse::RefuseVolumeName(Name())) {
    prompter_.ShowError(*refused);
    name_->setFocus();
    return;
  }
  QDialog::accept();
}

std::optional<std::string> CDialogRenameVolume::Ask(QWidget* parent, DialogRunner& runner, Prompter& prompter,
                                                    const std::string& current) {
  CDialogRenameVolume dialog(prompter, current, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.Name();
}

}  // namespace volumist::ui
