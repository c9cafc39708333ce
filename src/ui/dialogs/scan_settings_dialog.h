// CDialog_Scan_SAll ("Supported formats and addons:"): the settings of the analyzers on five tabs,
// "Archives", "Audio", "Video", "Graphics" and "Signatures" (the pages CDialog_Scan_SArchives,
// CDialog_Scan_SAudio, CDialog_Scan_SVideo, CDialog_Scan_SImages and CDialog_Scan_SSign). Each page
// has a heading, a check list of formats with "All" and "None", and the page's further switches.
// OK stores every page into the options it was given; Cancel stores nothing. The analyzer check
// boxes of the scan dialog are not this dialog's.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <array>
#include <vector>

#include "browse/scan_settings_pages.h"
#include "catalog/scan_options.h"
#include "ui/services.h"

namespace volumist::ui {

// One page: the heading, the check list and its buttons, the switches.
class CPage_Scan_Settings : public QWidget {
  Q_OBJECT

 public:
  CPage_Scan_Settings(const browse::SettingsPageForm& form, QWidget* parent = nullptr);

  void Show(const ScanOptions& options);
  void Store(ScanOptions& options) const;

  const browse::SettingsPageForm& LayoutOf() const { return form_; }
  QListWidget* List() const { return list_; }
  QPushButton* AllButton() const { return all_; }
  QPushButton* NoneButton() const { return none_; }
  const std::vector<QCheckBox*>& Switches() const { return switches_; }

 private:
  void CheckAll(bool on);

  const browse::SettingsPageForm& form_;
  QListWidget* list_;
  QPushButton* all_;
  QPushButton* none_;
  std::vector<QCheckBox*> switches_;
};

// The five page classes differ only in the page they show.
class CDialog_Scan_SArchives final : public CPage_Scan_Settings {
 public:
  explicit CDialog_Scan_SArchives(QWidget* parent = nullptr);
};
class CDialog_Scan_SAudio final : public CPage_Scan_Settings {
 public:
  explicit CDialog_Scan_SAudio(QWidget* parent = nullptr);
};
class CDialog_Scan_SVideo final : public CPage_Scan_Settings {
 public:
  explicit CDialog_Scan_SVideo(QWidget* parent = nullptr);
};
class CDialog_Scan_SImages final : public CPage_Scan_Settings {
 public:
  explicit CDialog_Scan_SImages(QWidget* parent = nullptr);
};
class CDialog_Scan_SSign final : public CPage_Scan_Settings {
 public:
  explicit CDialog_Scan_SSign(QWidget* parent = nullptr);
};

class CDialog_Scan_SAll final : public QDialog {
  Q_OBJECT

 public:
  // Opens on `page` with `options` shown; on OK stores every page into `options` and returns true.
  static bool Edit(ScanOptions& options, browse::SettingsPage page, QWidget* parent, DialogRunner& runner);

  CDialog_Scan_SAll(const ScanOptions& options, browse::SettingsPage page, QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return tabs_; }
  CPage_Scan_Settings* Page(browse::SettingsPage page) const { return pages_[static_cast<size_t>(page)]; }
  // The page shown now.
  browse::SettingsPage CurrentPage() const;
  // Stores the five pages, in the order OK stores them.
  void Store(ScanOptions& options) const;

 private:
  QTabWidget* tabs_;
  std::array<CPage_Scan_Settings*, browse::kSettingsPageCount> pages_{};
};

}  // namespace volumist::ui
