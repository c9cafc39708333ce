#include "ui/dialogs/options_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "browse/window_captions.h"

namespace volumist::ui {
namespace {

QListWidgetItem* CheckItem(const char* text, QListWidget* list) {
  auto* item = new QListWidgetItem(QLatin1String(text), list);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  item->setCheckState(Qt::Unchecked);
  return item;
}

Qt::CheckState StateOf(bool on) { return on ? Qt::Checked : Qt::Unchecked; }

}  // namespace

CPage_Options_General::CPage_Options_General(QWidget* parent) : QWidget(parent) {
  checks_ = new QListWidget(this);
  checks_->setAccessibleName(QStringLiteral("General options"));
  CheckItem(browse::text::kShowTooltipsOption, checks_);
  CheckItem(browse::text::kShowSplashOption, checks_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(checks_);
}

CDialog_Options::CDialog_Options(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QLatin1String(browse::text::kOptionsCaption));
  tabs_ = new QTabWidget(this);
  general_ = new CPage_Options_General(tabs_);
  tabs_->addTab(general_, QLatin1String(browse::text::kOptionsGeneralPage));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(360, 240);
}

bool CDialog_Options::Edit(ProgramSettings& settings, QWidget* parent, DialogRunner& runner) {
  CDialog_Options dialog(parent);
  dialog.General()->ToolTipsItem()->setCheckState(StateOf(settings.ShowTooltips));
  dialog.General()->SplashItem()->setCheckState(StateOf(settings.ShowSplash));
  if (runner.Run(dialog) != QDialog::Accepted) return false;
  settings.ShowTooltips = dialog.General()->ToolTipsItem()->checkState() == Qt::Checked;
  settings.ShowSplash = dialog.General()->SplashItem()->checkState() == Qt::Checked;
  return true;
}

}  // namespace volumist::ui
