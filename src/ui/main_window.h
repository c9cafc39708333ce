// MainWindow: the program's one window. It owns the loaded volume, the volume list, the scan run and
// the window's controls, and does what its commands say through the core; rules that need no toolkit
// come from browse/. Split by concern: main_window.cpp (building, start, close, minimise),
// main_window_actions.cpp (command dispatch, states, tooltips, options), main_window_volumes.cpp
// (the volume list and the loaded volume), main_window_scan.cpp (the scanning state),
// main_window_items.cpp (the selected item's commands: the desktop's handlers, the ed2k link, help),
// main_window_search.cpp (the search and export dialogs, and the jump to a found item).
//
// Everything here runs on the GUI thread. The scan worker reaches the window only through a posted
// call (OnScanFinished) and through the ThreadSafePrompter, which posts its messages.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse/command.h"
#include "browse/command_state.h"
#include "browse/properties_rules.h"
#include "browse/search_dialog_rules.h"
#include "browse/search_result_rows.h"
#include "catalog/program_settings.h"
#include "catalog/volume_list.h"
#include "scan/drive_info.h"
#include "scan/scan_controller.h"
#include "scan/scan_job_rules.h"
#include "ui/action_registry.h"
#include "ui/browse_pane.h"
#include "ui/command_strip_widget.h"
#include "ui/export_run.h"
#include "ui/item_actions.h"
#include "ui/presence_watcher.h"
#include "ui/prompters.h"
#include "ui/services.h"
#include "ui/statistics_bar.h"
#include "ui/tray.h"
#include "ui/volume_list_model.h"
#include "ui/volume_panel.h"

namespace volumist::ui {

// What the window is given. Every pointer must outlive the window.
struct WindowServices {
  platform::FileSystem* fileSystem = nullptr;
  Prompter* prompter = nullptr;  // GUI-thread messages and questions (message boxes)
  FolderChooser* folderChooser = nullptr;
  FileChooser* fileChooser = nullptr;
  Launcher* launcher = nullptr;
  DialogRunner* dialogs = nullptr;
  // Whether the desktop has a notification area (QSystemTrayIcon::isSystemTrayAvailable).
  std::function<bool()> trayAvailable;
  DriveControl drives;
  unsigned scanHelperThreads = DefaultHelperThreads();
  // How many volumes a search of all volumes reads at once.
  unsigned searchThreads = DefaultWorkerThreads();
  // The drives of the kinds whose filter bits are set, for the scan dialog's drive list and folder
  // tree (scan/drive_info.h ListDrives). None: no drives are listed.
  std::function<std::vector<DriveRow>(uint32_t filterMask)> listDrives;
  // The folders searched for help.htm, in this order. Empty: the program's folder, then the data
  // folder of an installed copy (browse::DataFolders).
  std::vector<std::string> dataFolders;
  // Edits a prepared job for the page it opens on and returns true when the user confirms it. None:
  // the scan dialog (CScanDrivesDialog) with the window's prompter, folder chooser and dialogs.
  std::function<bool(ScanJob& job, ScanPage page, QWidget* parent)> editScanJob;
  // Whether the listed volumes' disks are mounted, asked on a worker thread. None: the system's
  // mounts (SystemPresenceSource).
  PresenceSource volumePresence;
  // Watch the mount table and mark the volumes again after each mount or unmount.
  bool watchMounts = true;
};

class MainWindow final : public QMainWindow, public VolumeHost {
  Q_OBJECT

 public:
  // `settings` were loaded by the caller, which also saves them once the window is gone.
  MainWindow(ProgramSettings& settings, WindowServices services, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start after the window is built: reads the volume list of the active directory, installs
  // the tray support, shows the splash when the settings ask for it, and shows the window maximised.
  void Start();

  // VolumeHost.
  VolumeCatalog* LoadedVolume() override { return loaded_.get(); }
  bool UnloadVolume() override;
  void ShowVolume(std::unique_ptr<VolumeCatalog> volume, const VolumeListEntry& entry) override;

  // Opens the volume file at `path` (the program's argument: a .vkt file the desktop opens with the
  // program) as the loaded volume. When the file lies in another folder than the active directory
  // and that folder can be the volume directory, it becomes the active directory, so the list shows
  // the volume among its neighbours and selects it. A file that cannot be read as a volume shows
  // "Could not open volume file for read. Access denied or read error." and changes nothing. Pending
  // description edits of the loaded volume are offered for saving first. False when nothing opened.
  bool OpenVolumeFile(const std::string& path);
  // Runs a command as its action, key or menu entry would (nothing when it is disabled).
  void Run(browse::Command command);
  // Starts a confirmed scan job. Nothing happens (false) while a scan runs, or when the loaded volume
  // has pending description edits that the user wanted saved and the save failed.
  bool StartScan(const ScanJob& job);
  bool IsScanning() const { return scanning_; }
  // An export is being written on its worker (the progress window shows it).
  bool IsExporting() const { return export_ != nullptr; }
  // Records a description edit of the loaded volume (key 0 is the volume itself).
  bool SetDescription(RecordKey key, const std::string& text);
  // The properties dialog of the loaded volume and, when given, one of its items (the "Properties"
  // command shows the volume alone). OK stores the edited descriptions as pending edits and writes a
  // new name into the loaded volume's file; the list and the views then show them. Nothing when
  // cancelled, while scanning, or without a loaded volume ("Please, load some volume first.").
  std::optional<browse::PropertiesOutcome> ShowProperties(const std::optional<browse::PropertiesItem>& item);
  // Shows the item a search found: its volume loaded when it is not the loaded one (unsaved
  // description edits are offered for saving first), the folder that lists it opened and its row
  // selected. A volume no longer in the list, or an item no longer where it was found, is said so.
  // False when the item is not shown.
  bool JumpTo(const browse::JumpTarget& target);
  // The results of the last search, kept for the next opening of the search dialog.
  browse::SearchResultRows& SearchResults() { return searchResults_; }

  browse::ShellState State() const;
  ActionRegistry& Actions() { return *actions_; }
  CommandStripWidget* Strip() const { return strip_; }
  StatisticsBar* Statistics() const { return statistics_; }
  VolumePanel* Volumes() const { return volumePanel_; }
  VolumeListModel* VolumesModel() const { return volumeModel_.get(); }
  BrowsePane* Browse() const { return browse_; }
  const VolumeList& VolumeEntries() const { return volumeList_; }
  TrayController* Tray() const { return tray_.get(); }
  QTimer* StatisticsTimer() { return &statisticsTimer_; }
  QWidget* Splash() const { return splash_; }
  Prompter& ThreadSafe() { return *threadSafePrompter_; }

 signals:
  void ScanStarted();
  // The scan's end was handled: the list reloaded and the new volume shown, or the old one reopened.
  void ScanFinished(bool succeeded);
  void VolumeShownChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // main_window.cpp
  void BuildWindow();
  void ApplySettings();
  // main_window_actions.cpp
  void OnCommand(browse::Command command);
  void ApplyCommandState();
  void ApplyToolTips();
  void ShowOptions();
  // The folders searched for help.htm (WindowServices::dataFolders).
  std::vector<std::string> HelpFolders() const;
  // main_window_volumes.cpp
  void RefreshVolumeList(bool keepSelection);
  void SyncListSelection();
  void OnVolumeChosen(int row);
  void ChangeVolumeDirectory();
  void RenameVolume();
  void DeleteVolume();
  void Arrange(int arrangement);
  void ApplyDescriptions();
  void UndoDescriptions();
  // With `keepPlace` the views stay on the folder and row shown (the same volume, reopened).
  void ShowLoadedVolume(bool keepPlace = false);
  void UpdateStatistics();
  void SetStatus(const std::string& status);
  // main_window_items.cpp
  void RunItemCommand(browse::Command command);
  // The item of the properties dialog for a row of the file list (the up entry stands for the folder
  // shown); nothing for no row, which shows the volume alone.
  std::optional<browse::PropertiesItem> PropertiesItemOf(const browse::ItemRow* row);
  void ShowEd2kLink();
  // Writes the MD5 digests of the list's files to a check file the user names.
  void CreateMd5CheckFile();
  void ShowFilesMenu(const QPoint& globalPosition);
  // main_window_search.cpp: the search and export dialogs.
  void OpenSearch(browse::Command command);
  // "Find duplicates...": the dialog over the volume list, and a jump to the file chosen there.
  void OpenDuplicates();
  void OpenExport(browse::Command command);
  // Writes the export that `options` describe on a worker, with a progress window that can stop it.
  void StartExport(ExportOptions options);
  void OnExportProgressTick();
  // main_window_scan.cpp
  void BeginScan(ScanMode mode, bool multipleSources);
  bool EditScanJob(ScanJob& job, ScanPage page);
  // Opens the dialog again for the next disc once no other modal window is open.
  void ScanAgain(bool multipleSources);
  void OnStatisticsTick();
  void OnScanFinished();
  void AfterScanDescription(const std::string& volumePath);
  // Rescans the loaded volume's sources (after offering its pending edits and checking each
  // source's medium) in the scanning state; the report is shown at the end.
  void RescanLoadedVolume();
  // "Update...": the scan dialog lists the loaded volume's sources for the user to add to or take
  // from; confirmed, the volume is rescanned with the edited list as RescanLoadedVolume does.
  void UpdateLoadedVolume();
  // Both rescans from here: every source as it is stored, or the list `edited` in the dialog.
  void StartRescanOfLoadedVolume(const ScanJob* edited);
  // "Verify this Volume...": asks where each source whose recorded path is absent is now (a source
  // the user does not point to is reported absent), then verifies in the verification dialog.
  void VerifyLoadedVolume();

  ProgramSettings& settings_;
  WindowServices services_;
  std::unique_ptr<ThreadSafePrompter> threadSafePrompter_;
  Prompter& prompter_;  // the GUI-thread prompter

  VolumeList volumeList_;
  std::unique_ptr<VolumeCatalog> loaded_;
  std::unique_ptr<ScanController> scan_;
  // The export being written, and the window that shows how far it has come and stops it.
  std::unique_ptr<ExportRun> export_;
  QPointer<QProgressDialog> exportProgress_;
  browse::SearchResultRows searchResults_;
  ScanJob scanJob_;  // the running scan's job
  bool scanning_ = false;
  std::string status_;

  ActionRegistry* actions_ = nullptr;
  CommandStripWidget* strip_ = nullptr;
  StatisticsBar* statistics_ = nullptr;
  std::unique_ptr<VolumeListModel> volumeModel_;
  // After the model, so that its worker has stopped before the model goes.
  std::unique_ptr<PresenceWatcher> presence_;
  VolumePanel* volumePanel_ = nullptr;
  BrowsePane* browse_ = nullptr;
  std::unique_ptr<TrayController> tray_;
  std::unique_ptr<Launcher> ownLauncher_;  // the desktop's, when none was given
  std::unique_ptr<ItemActions> itemActions_;
  QPointer<QWidget> splash_;

  QTimer statisticsTimer_;
  QElapsedTimer scanClock_;
  int activityStep_ = -1;
};

}  // namespace volumist::ui
