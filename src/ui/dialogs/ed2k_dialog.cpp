#include "ui/dialogs/ed2k_dialog.h"

#include <QDialogButtonBox>
#include <algorithm>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/bridge/text.h"

namespace volumist::ui {

CDialog_Edonkey2K::CDialog_Edonkey2K(const std::string& link, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QLatin1String(kEd2kDialogTitle));
  field_ = new QLineEdit(ToQString(link), this);
  field_->setReadOnly(true);
  field_->setAccessibleName(QStringLiteral("eDonkey2000 link"));
  // Wide enough for a usual link; a longer one scrolls. Selected, from its start, ready to copy.
  const int wanted = field_->fontMetrics().horizontalAdvance(field_->text()) + 24;
  field_->setMinimumWidth(std::clamp(wanted, 360, 900));
  field_->setSelection(static_cast<int>(field_->text().size()), -static_cast<int>(field_->text().size()));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(field_);
  layout->addWidget(buttons);
}

void CDialog_Edonkey2K::Show(QWidget* parent, DialogRunner& runner, const std::string& link) {
  CDialog_Edonkey2K dialog(link, parent);
  runner.Run(dialog);
}

}  // namespace volumist::ui
