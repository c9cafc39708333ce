// CScanDrivesDialog ("Scan & Save"): defines a scan. It edits a copy of the window's job: the
// volume's name and file name, the sources (a drive or folder on the single-source page, a list on
// the multiple-sources page), the check list of options, the file-type group, the analyzer
// switches and, through "Setup >", the analyzers' settings. "Scan and Save" and "Scan and Save,
// Next..." validate the copy (ValidateJob) and, when it may run, give it back; Cancel gives nothing
// back. The names follow the rules of browse::ScanDialogNames; the caption names the mode and page.
//
//    Volume Name*: [Volume3        ]   Volume Filename*: [Volume3.vkt       ]
//   +-Single source-+-Multiple sources-+-------------------------------------+
//   | page (scan_pages.h)                                                    |
//   +------------------------------------------------------------------------+
//    Choose options for scanning:         Choose additional info saving:
//   [x] Scan subfolders ...               Directorylike [x] Archives   [Setup >]
//   Include only: [[All files (*.*)] v]   Multimedia    [ ] Audio      [Setup >] ...
//   [Reset]                 [Scan and Save] [Scan and Save, Next...] [Cancel]
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "browse/scan_dialog_rules.h"
#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"
#include "scan/scan_job_rules.h"
#include "ui/dialogs/scan_pages.h"
#include "ui/services.h"

namespace volumist::ui {

// What the scan dialog asks of its surroundings. Every pointer must outlive the dialog.
struct ScanDialogServices {
  platform::FileSystem* fileSystem = nullptr;
  Prompter* prompter = nullptr;          // validation messages and questions
  FolderChooser* folderChooser = nullptr;  // "Browse..."
  DialogRunner* dialogs = nullptr;       // the tree and settings dialogs
  // The drives of the kinds whose filter bits are set (scan/drive_info.h ListDrives).
  std::function<std::vector<DriveRow>(uint32_t filterMask)> listDrives;
  std::string volumeDirectory;
  bool showToolTips = true;
};

class CScanDrivesDialog final : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog on `job` (prepared for its mode by the run controller), opening on `page`. On
  // confirmation `job` becomes the validated copy and the result is true; otherwise `job` is left.
  static bool Edit(ScanJob& job, ScanPage page, const ScanDialogServices& services, QWidget* parent);

  CScanDrivesDialog(const ScanJob& job, ScanPage page, const ScanDialogServices& services, QWidget* parent = nullptr);
  ~CScanDrivesDialog() override;

  // The copy being edited (the confirmed job once accepted).
  const ScanJob& Job() const { return job_; }
  const browse::ScanDialogNames& Names() const { return names_; }
  ScanPage CurrentPage() const;
  uint32_t DriveFilterMask() const { return driveFilterMask_; }

  QLineEdit* VolumeNameField() const { return volumeName_; }
  QLineEdit* FileNameField() const { return fileName_; }
  QTabWidget* Pages() const { return tabs_; }
  // Null when the page does not exist (the single-source page in modes 2 and 3).
  CPage_Scan_Single* SinglePage() const { return single_; }
  CPage_Scan_Advanced* AdvancedPage() const { return advanced_; }
  QListWidget* ScanChecks() const { return checks_; }
  QComboBox* IncludeOnly() const { return includeOnly_; }
  // The analyzer check boxes and their "Setup >" buttons, in the order of browse::AnalyzerBoxes.
  QCheckBox* AnalyzerBox(browse::SettingsPage page) const;
  QPushButton* SetupButton(browse::SettingsPage page) const;
  QCheckBox* DocumentsBox() const { return documents_; }
  QPushButton* DocumentsSetupButton() const { return documentsSetup_; }
  QPushButton* ResetButton() const { return reset_; }
  QPushButton* ScanButton() const { return scan_; }
  QPushButton* ScanNextButton() const { return scanNext_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ShowOptions(const ScanOptions& options);
  void ReadOptions(ScanOptions& options) const;
  void ApplyToolTips();
  void UpdateCaption();
  void UpdateStartButtons();
  // Takes what the name fields hold, as leaving them would.
  void CommitNameFields();
  void Confirm(bool scanAgain);
  void Reset();
  void OpenSettings(browse::SettingsPage page);
  // Single-source page.
  void FillDrives();
  void ToggleDriveFilter(uint32_t bit, bool shown);
  void DriveChosen(const QModelIndex& index);
  void Browse();
  void ShowSourceFields();
  // Multiple-sources page.
  void BuildScanningList();
  void ClearSources();

  ScanDialogServices services_;
  ScanJob job_;
  browse::ScanDialogNames names_;
  uint32_t driveFilterMask_ = kDriveFilterAll;
  bool choosingDrive_ = false;

  QLineEdit* volumeName_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  CPage_Scan_Single* single_ = nullptr;
  CPage_Scan_Advanced* advanced_ = nullptr;
  QListWidget* checks_ = nullptr;
  QComboBox* includeOnly_ = nullptr;
  std::array<QCheckBox*, browse::kSettingsPageCount> analyzers_{};
  std::array<QPushButton*, browse::kSettingsPageCount> setups_{};
  QCheckBox* documents_ = nullptr;
  QPushButton* documentsSetup_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* scan_ = nullptr;
  QPushButton* scanNext_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace volumist::ui
