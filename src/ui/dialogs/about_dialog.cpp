#include "ui/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Zarn Volumist"));
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(ToQString(browse::WindowTitle()).trimmed().toHtmlEscaped()), this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  name->setFont(big);
  auto* text = new QLabel(
      QStringLiteral("A cataloguer of disks and folders: scan a drive or chosen folders into a volume file, "
                     "then browse, describe, search and export it with the disk long gone.\n\n"
                     "Keys: F1 help, F5 new volume, F6 add to the volume, F8 search, F9 export to XML, "
                     "F10 options; Enter in the search dialog searches, Esc stops and closes it.\n\n"
                     "Built with Qt %1.")
          .arg(QLatin1String(qVersion())),
      this);
  text->setWordWrap(true);
  text->setMinimumWidth(320);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* right = new QVBoxLayout();
  right->addWidget(name);
  right->addWidget(text, 1);
  auto* top = new QHBoxLayout();
  top->addWidget(icon);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}

void AboutDialog::Show(QWidget* parent, DialogRunner& runner) {
  AboutDialog dialog(parent);
  runner.Run(dialog);
}

}  // namespace volumist::ui
