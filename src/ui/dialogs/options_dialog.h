// CDialog_Options ("Options") with its one page "General" (CPage_Options_General): a check list of
// "Show tooltips." and "Show splashscreen at startup.". OK stores both in the settings.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QTabWidget>

#include "catalog/program_settings.h"
#include "ui/services.h"

namespace volumist::ui {

class CPage_Options_General final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Options_General(QWidget* parent = nullptr);
  QListWidget* Checks() const { return checks_; }
  QListWidgetItem* ToolTipsItem() const { return checks_->item(0); }
  QListWidgetItem* SplashItem() const { return checks_->item(1); }

 private:
  QListWidget* checks_;
};

class CDialog_Options final : public QDialog {
  Q_OBJECT

 public:
  // Shows the settings' two switches; on OK stores them and returns true.
  static bool Edit(ProgramSettings& settings, QWidget* parent, DialogRunner& runner);

  explicit CDialog_Options(QWidget* parent = nullptr);
  CPage_Options_General* General() const { return general_; }

 private:
  QTabWidget* tabs_;
  CPage_Options_General* general_;
};

}  // namespace volumist::ui
