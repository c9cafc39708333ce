// The scanning state: preparing and starting a scan, the statistics clock, Stop, and the end of the
// run handled on the GUI thread.
#include <QApplication>
#include <algorithm>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "scan/messages.h"
#include "scan/rescan.h"
#include "ui/dialogs/change_report_dialog.h"
#include "ui/dialogs/enter_description_dialog.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

void MainWindow::BeginScan(ScanMode mode, bool multipleSources) {
  if (scanning_) return;
  ScanJob job = settings_.scanJob;
  VolumeCatalog* loaded = loaded_ && loaded_->IsLoaded() ? loaded_.get() : nullptr;
  if (!scan_->PrepareJob(job, mode, multipleSources, loaded)) return;
  static_cast<void>(settings_.EnterVolumeDirectory());
  if (!EditScanJob(job, multipleSources ? ScanPage::kMultipleSources : ScanPage::kSingleSource)) return;
  // The dialog names the file in the volume directory; the writer takes it from there, not from the
  // process's current directory.
  if (!platform::IsAbsolutePath(job.volumeFileName)) {
    job.volumeFileName = platform::JoinPath(settings_.VolumeDirectory(), job.volumeFileName);
  }
  // The confirmed job is what the next dialog starts from: its options and its volume counter, which
  // is kept at once so that default names go on counting after a crash.
  settings_.scanJob = job;
  if (mode != ScanMode::kAddToVolume) static_cast<void>(settings_.SaveVolumeCounter());
  static_cast<void>(StartScan(job));
}

bool MainWindow::EditScanJob(ScanJob& job, ScanPage page) {
  if (services_.editScanJob) return services_.editScanJob(job, page, this);
  ScanDialogServices dialog;
  dialog.fileSystem = services_.fileSystem;
  dialog.prompter = &prompter_;
  dialog.folderChooser = services_.folderChooser;
  dialog.dialogs = services_.dialogs;
  dialog.listDrives = services_.listDrives;
  dialog.volumeDirectory = settings_.VolumeDirectory();
  dialog.showToolTips = settings_.ShowTooltips;
  return CScanDrivesDialog::Edit(job, page, dialog, this);
}

void MainWindow::ScanAgain(bool multipleSources) {
  // A message box or another dialog still open (a worker's message, the description prompt) goes
  // first; the scan dialog follows when it has closed.
  if (QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(browse::kReopenScanDialogMilliseconds, this, [this, multipleSources] { ScanAgain(multipleSources); });
    return;
  }
  BeginScan(ScanMode::kAddToVolume, multipleSources);
}

void MainWindow::RescanLoadedVolume() { StartRescanOfLoadedVolume(nullptr); }

void MainWindow::UpdateLoadedVolume() {
  if (scanning_ || scan_->IsRunning()) return;
  if (!loaded_ || !loaded_->IsLoaded()) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return;
  }
  // The job starts from the volume, not from the last scan: the options the next new scan offers
  // are left as they are.
  ScanJob job = settings_.scanJob;
  if (!scan_->PrepareJob(job, ScanMode::kUpdate, true, loaded_.get())) return;
  if (!EditScanJob(job, ScanPage::kMultipleSources)) return;
  StartRescanOfLoadedVolume(&job);
}

void MainWindow::StartRescanOfLoadedVolume(const ScanJob* edited) {
  if (scanning_ || scan_->IsRunning()) return;
  if (!loaded_ || !loaded_->IsLoaded()) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return;
  }
  browse_->CommitDescription();
  // The rescan replaces the file: pending edits are saved into it first, or nothing starts.
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) {
    ApplyCommandState();
    return;
  }
  if (!loaded_->IsLoaded()) return;
  RescanJob job = edited != nullptr ? RescanEditedSources(loaded_->VolumeFilePath(), loaded_->Sources(), *edited)
                                    : RescanEverySource(loaded_->VolumeFilePath(), loaded_->Sources());
  // Another disk at a source's path, or a missing source, is asked about before anything is written.
  if (!CheckRescanSources(job, loaded_->Sources(), services_.drives.checkMedium, MissingSources::kAsk,
                          *services_.fileSystem, prompter_)) {
    return;
  }
  scanJob_ = ScanJob{};
  scanJob_.descriptionPrompt = false;
  browse_->SuspendReading();
  scanning_ = true;
  activityStep_ = 0;
  scanClock_.start();
  ApplyCommandState();
  scan_->StartRescan(job, loaded_.get(), [this] {
    QMetaObject::invokeMethod(this, &MainWindow::OnScanFinished, Qt::QueuedConnection);
  });
  statisticsTimer_.start();
  UpdateStatistics();
  emit ScanStarted();
}

bool MainWindow::StartScan(const ScanJob& job) {
  // One scan at a time: a second start would replace the running worker.
  if (scanning_ || scan_->IsRunning()) return false;
  browse_->CommitDescription();
  // The scan closes the loaded volume's file; its pending edits are offered first, and a failed save
  // keeps them and starts nothing.
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) {
    ApplyCommandState();
    return false;
  }
  scanJob_ = job;
  // Nothing reads the loaded volume from here until the scan has ended and the views are rebuilt.
  browse_->SuspendReading();
  scanning_ = true;
  activityStep_ = 0;
  scanClock_.start();
  ApplyCommandState();
  VolumeCatalog* loaded = loaded_ && loaded_->IsLoaded() ? loaded_.get() : nullptr;
  scan_->Start(job, loaded, [this] {
    // On the worker thread: only a posted call reaches the window.
    QMetaObject::invokeMethod(this, &MainWindow::OnScanFinished, Qt::QueuedConnection);
  });
  statisticsTimer_.start();
  UpdateStatistics();
  emit ScanStarted();
  return true;
}

void MainWindow::OnStatisticsTick() {
  if (!scanning_) return;
  activityStep_ = browse::NextActivityStep(activityStep_);
  UpdateStatistics();
}

void MainWindow::OnScanFinished() {
  if (!scanning_) return;
  // The clock stops before the result is taken, so no tick reads counters that Finish hands over.
  statisticsTimer_.stop();
  ScanController::Outcome outcome = scan_->Finish();
  scanning_ = false;
  activityStep_ = -1;
  if (outcome.succeeded && outcome.volume) {
    // The previously loaded volume was closed by the scan (its edits were offered before).
    if (loaded_) loaded_->CloseVolume(false);
    loaded_ = std::move(outcome.volume);
    // Another scan may have taken the default name meanwhile; the next default moves past both.
    settings_.scanJob.volumeCounter = std::max(settings_.scanJob.volumeCounter, outcome.volumeCounter);
    std::string path = loaded_->VolumeFilePath();
    RefreshVolumeList(false);
    static_cast<void>(volumeList_.SelectVolumeByPath(path, false));
    SyncListSelection();
  } else if (loaded_ && !loaded_->IsLoaded()) {
    // The volume loaded before could not be reopened.
    loaded_.reset();
  }
  // Rebuilt from the reopened or the new volume.
  ShowLoadedVolume();
  if (outcome.succeeded && loaded_ && scanJob_.descriptionPrompt) AfterScanDescription(loaded_->VolumeFilePath());
  // A rescan's report, also when the rescanned file could not be opened again.
  if (outcome.changes && outcome.changes->written) ChangeReportDialog::Show(this, *services_.dialogs, *outcome.changes);
  emit ScanFinished(outcome.succeeded);
  if (outcome.succeeded && outcome.scanAgain) {
    bool multiple = outcome.multipleSources;
    QMetaObject::invokeMethod(this, [this, multiple] { ScanAgain(multiple); }, Qt::QueuedConnection);
  }
}

void MainWindow::AfterScanDescription(const std::string&) {
  std::optional<std::string> text = CDialogEnterDescription::Ask(this, *services_.dialogs);
  if (!text || !loaded_) return;
  if (loaded_->SetDescription(0, *text)) static_cast<void>(loaded_->SaveDescriptions());
  ShowLoadedVolume();
}

}  // namespace volumist::ui
