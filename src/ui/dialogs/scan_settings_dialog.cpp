#include "ui/dialogs/scan_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

using browse::SettingsPage;

// The heading of a page: its title in bold, the explanatory lines under it.
QWidget* MakeHeading(const browse::SettingsPageForm& form, QWidget* parent) {
  auto* heading = new QWidget(parent);
  heading->setBackgroundRole(QPalette::Base);
  heading->setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(heading);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->setSpacing(2);
  auto* title = new QLabel(ToQString(form.heading), heading);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  layout->addWidget(title);
  for (std::string_view line : form.lines) {
    auto* label = new QLabel(ToQString(line), heading);
    label->setIndent(12);
    layout->addWidget(label);
  }
  return heading;
}

}  // namespace

CPage_Scan_Settings::CPage_Scan_Settings(const browse::SettingsPageForm& form, QWidget* parent)
    : QWidget(parent), form_(form) {
  setAccessibleName(ToQString(form.tab));
  list_ = new QListWidget(this);
  list_->setAccessibleName(ToQString(form.heading));
  for (const browse::SettingsEntry& entry : form.entries) {
    auto* item = new QListWidgetItem(ToQString(entry.text), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  all_ = new QPushButton(QLatin1String(browse::text::kAllButton), this);
  none_ = new QPushButton(QLatin1String(browse::text::kNoneButton), this);
  connect(all_, &QPushButton::clicked, this, [this] { CheckAll(true); });
  connect(none_, &QPushButton::clicked, this, [this] { CheckAll(false); });

  auto* buttons = new QVBoxLayout();
  buttons->addWidget(all_);
  buttons->addWidget(none_);
  buttons->addStretch(1);
  auto* listRow = new QHBoxLayout();
  listRow->addWidget(list_, 1);
  listRow->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeHeading(form, this));
  layout->addLayout(listRow, 1);
  for (const browse::SettingsEntry& entry : form.switches) {
    auto* box = new QCheckBox(ToQString(entry.text), this);
    // A switch that no option stores is shown for what it says, but cannot be turned on.
    box->setEnabled(entry.field != nullptr);
    switches_.push_back(box);
    layout->addWidget(box);
  }
}

void CPage_Scan_Settings::CheckAll(bool on) {
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CPage_Scan_Settings::Show(const ScanOptions& options) {
  std::vector<bool> checked = browse::ReadEntries(options, form_.entries);
  for (int i = 0; i < list_->count(); ++i) {
    list_->item(i)->setCheckState(checked[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
  }
  std::vector<bool> switches = browse::ReadEntries(options, form_.switches);
  for (size_t i = 0; i < switches_.size(); ++i) switches_[i]->setChecked(switches[i]);
}

void CPage_Scan_Settings::Store(ScanOptions& options) const {
  std::vector<bool> checked;
  for (int i = 0; i < list_->count(); ++i) checked.push_back(list_->item(i)->checkState() == Qt::Checked);
  browse::StoreEntries(options, form_.entries, checked);
  std::vector<bool> switches;
  for (QCheckBox* box : switches_) switches.push_back(box->isChecked());
  browse::StoreEntries(options, form_.switches, switches);
}

CDialog_Scan_SArchives::CDialog_Scan_SArchives(QWidget* parent)
    : CPage_Scan_Settings(browse::LayoutOf(SettingsPage::kArchives), parent) {}
CDialog_Scan_SAudio::CDialog_Scan_SAudio(QWidget* parent)
    : CPage_Scan_Settings(browse::LayoutOf(SettingsPage::kAudio), parent) {}
CDialog_Scan_SVideo::CDialog_Scan_SVideo(QWidget* parent)
    : CPage_Scan_Settings(browse::LayoutOf(SettingsPage::kVideo), parent) {}
CDialog_Scan_SImages::CDialog_Scan_SImages(QWidget* parent)
    : CPage_Scan_Settings(browse::LayoutOf(SettingsPage::kGraphics), parent) {}
CDialog_Scan_SSign::CDialog_Scan_SSign(QWidget* parent)
    : CPage_Scan_Settings(browse::LayoutOf(SettingsPage::kSignatures), parent) {}

CDialog_Scan_SAll::CDialog_Scan_SAll(const ScanOptions& options, SettingsPage page, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QLatin1String(browse::text::kSettingsDialog));
  tabs_ = new QTabWidget(this);
  pages_[static_cast<size_t>(SettingsPage::kArchives)] = new CDialog_Scan_SArchives(tabs_);
  pages_[static_cast<size_t>(SettingsPage::kAudio)] = new CDialog_Scan_SAudio(tabs_);
  pages_[static_cast<size_t>(SettingsPage::kVideo)] = new CDialog_Scan_SVideo(tabs_);
  pages_[static_cast<size_t>(SettingsPage::kGraphics)] = new CDialog_Scan_SImages(tabs_);
  pages_[static_cast<size_t>(SettingsPage::kSignatures)] = new CDialog_Scan_SSign(tabs_);
  for (CPage_Scan_Settings* each : pages_) {
    each->Show(options);
    tabs_->addTab(each, ToQString(each->LayoutOf().tab));
  }
  tabs_->setCurrentIndex(static_cast<int>(page));

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QLatin1String(browse::text::kOkButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(QLatin1String(browse::text::kCancelButton), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buttons);
  resize(560, 440);
}

SettingsPage CDialog_Scan_SAll::CurrentPage() const { return static_cast<SettingsPage>(tabs_->currentIndex()); }

void CDialog_Scan_SAll::Store(ScanOptions& options) const {
  for (SettingsPage page : browse::kSettingsStoreOrder) Page(page)->Store(options);
}

bool CDialog_Scan_SAll::Edit(ScanOptions& options, SettingsPage page, QWidget* parent, DialogRunner& runner) {
  CDialog_Scan_SAll dialog(options, page, parent);
  if (runner.Run(dialog) != QDialog::Accepted) return false;
  dialog.Store(options);
  return true;
}

}  // namespace volumist::ui
