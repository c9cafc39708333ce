// The volume list and the loaded volume: refreshing, choosing the directory, renaming, deleting,
// arranging, loading and unloading, the description edits, and the statistics bar's idle figures.
#include <QApplication>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "catalog/messages.h"
#include "catalog/volume_list.h"
#include "scan/messages.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/rename_volume_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

void MainWindow::RefreshVolumeList(bool keepSelection) {
  if (!settings_.EnterVolumeDirectory()) {
    // The list shows what it can: nothing, when the folder is gone.
  }
  volumeList_.SetDirectory(settings_.VolumeDirectory());
  static_cast<void>(volumeList_.RefreshVolumeList(keepSelection));
  volumeModel_->Reload();
  SyncListSelection();
  // The marks of the volumes come from a worker: reading every volume's sources and the mounts
  // must not hold up the window.
  std::vector<std::string> files;
  files.reserve(volumeList_.Entries().size());
  for (const VolumeListEntry& entry : volumeList_.Entries()) files.push_back(entry.filePath);
  presence_->Refresh(std::move(files));
}

void MainWindow::SyncListSelection() {
  const VolumeListEntry* selected = volumeList_.SelectedEntry();
  volumePanel_->SelectRow(selected ? volumeModel_->RowOfPath(selected->filePath) : -1);
}

void MainWindow::OnVolumeChosen(int row) {
  if (scanning_ || row < 0 || row >= static_cast<int>(volumeList_.Entries().size())) return;
  const VolumeListEntry& entry = volumeList_.Entries()[static_cast<size_t>(row)];
  if (loaded_ && loaded_->IsLoaded() && platform::NormalizePath(loaded_->VolumeFilePath()) ==
                                            platform::NormalizePath(entry.filePath)) {
    static_cast<void>(volumeList_.Select(static_cast<size_t>(row), false));
    return;
  }
  browse_->CommitDescription();
  // The question comes before the new volume is read: "Yes" and a failed save keep the loaded
  // volume and its edits, and the list goes back to it.
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) {
    if (loaded_) static_cast<void>(volumeList_.SelectVolumeByPath(loaded_->VolumeFilePath(), false));
    SyncListSelection();
    ApplyCommandState();
    return;
  }
  SetStatus(messages::kStatusReadingVolume);
  if (!volumeList_.Select(static_cast<size_t>(row), true)) {
    // The file could not be read (its message was shown); the loaded volume stays.
    if (loaded_ && loaded_->IsLoaded()) static_cast<void>(volumeList_.SelectVolumeByPath(loaded_->VolumeFilePath(), false));
    SyncListSelection();
  }
  SetStatus(messages::kStatusIdle);
}

bool MainWindow::OpenVolumeFile(const std::string& path) {
  if (scanning_) return false;
  platform::FileSystem& fileSystem = *services_.fileSystem;
  std::optional<std::string> absolute = platform::MakeAbsolutePath(fileSystem, path);
  std::optional<platform::FileStatus> status = absolute ? fileSystem.Status(*absolute) : std::nullopt;
  // Only regular files are read: a folder or a pipe named .vkt is no volume.
  if (!status || !status->isRegularFile) {
    prompter_.ShowError(messages::kCouldNotOpenForRead);
    return false;
  }
  browse_->CommitDescription();
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) {
    ApplyCommandState();
    return false;
  }
  auto volume = std::make_unique<VolumeCatalog>(fileSystem, *threadSafePrompter_);
  SetStatus(messages::kStatusReadingVolume);
  if (!volume->OpenVolume(*absolute)) {
    SetStatus(messages::kStatusIdle);
    return false;
  }
  // The same folder may be spelt differently (a link on the way): it is the same when it is the
  // same directory on disk.
  std::string folder = platform::DirectoryOf(*absolute);
  std::optional<platform::FileStatus> folderStatus = fileSystem.Status(folder);
  std::optional<platform::FileStatus> activeStatus = fileSystem.Status(settings_.VolumeDirectory());
  bool sameFolder = folderStatus && activeStatus && platform::SameFile(*folderStatus, *activeStatus);
  if (!sameFolder && !browse::RefuseVolumeDirectory(fileSystem, folder)) {
    std::string previous = settings_.VolumeDirectory();
    if (!settings_.SetVolumeDirectory(folder)) static_cast<void>(settings_.SetVolumeDirectory(previous));
  }
  if (loaded_) loaded_->CloseVolume(false);
  loaded_ = std::move(volume);
  RefreshVolumeList(false);
  // Selected by its name in the listed folder, however the folder was spelt on the command line.
  std::optional<platform::FileStatus> listedStatus = fileSystem.Status(volumeList_.Directory());
  if (folderStatus && listedStatus && platform::SameFile(*folderStatus, *listedStatus)) {
    static_cast<void>(volumeList_.SelectVolumeByPath(platform::BaseNameOf(*absolute), false));
  }
  SyncListSelection();
  ShowLoadedVolume();
  return true;
}

void MainWindow::ShowVolume(std::unique_ptr<VolumeCatalog> volume, const VolumeListEntry&) {
  // Edits of the old volume were offered for saving before it was chosen; any left are dropped.
  if (loaded_) loaded_->CloseVolume(false);
  loaded_ = std::move(volume);
  ShowLoadedVolume();
}

bool MainWindow::UnloadVolume() {
  browse_->CommitDescription();
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) return false;
  if (loaded_) loaded_->CloseVolume(false);
  loaded_.reset();
  ShowLoadedVolume();
  return true;
}

void MainWindow::ShowLoadedVolume(bool keepPlace) {
  SetStatus(messages::kStatusReadingVolume);
  browse_->ShowVolume(loaded_ && loaded_->IsLoaded() ? loaded_.get() : nullptr, keepPlace);
  SetStatus(messages::kStatusIdle);
  ApplyCommandState();
  emit VolumeShownChanged();
}

void MainWindow::ChangeVolumeDirectory() {
  if (scanning_ || services_.folderChooser == nullptr) return;
  std::optional<std::string> chosen = services_.folderChooser->ChooseFolder(
      this, QLatin1String(browse::text::kChooseFolderPrompt), settings_.VolumeDirectory());
  if (!chosen) return;
  std::optional<std::string> absolute = platform::MakeAbsolutePath(*services_.fileSystem, *chosen);
  // A folder that cannot be used is refused and the active directory stays; falling back to the
  // default folder is only for a stored directory at start.
  std::optional<std::string_view> refused = absolute ? browse::RefuseVolumeDirectory(*services_.fileSystem, *absolute)
                                                     : std::optional<std::string_view>(browse::text::kDirectoryNotUsable);
  if (refused) {
    prompter_.ShowError(*refused);
    return;
  }
  std::string previous = settings_.VolumeDirectory();
  if (!settings_.SetVolumeDirectory(*absolute)) {
    static_cast<void>(settings_.SetVolumeDirectory(previous));
    prompter_.ShowError(browse::text::kDirectoryNotUsable);
    return;
  }
  RefreshVolumeList(true);
}

void MainWindow::RenameVolume() {
  if (scanning_) return;
  bool renamed = volumeList_.RenameVolume([this](std::string_view current) {
    return CDialogRenameVolume::Ask(this, *services_.dialogs, prompter_, std::string(current));
  });
  if (!loaded_ || !loaded_->IsLoaded()) {
    if (loaded_) loaded_.reset();
    ShowLoadedVolume();
  }
  if (renamed) {
    volumeModel_->Reload();
    SyncListSelection();
    UpdateStatistics();
    emit VolumeShownChanged();
  }
}

void MainWindow::DeleteVolume() {
  if (scanning_) return;
  static_cast<void>(volumeList_.DeleteVolume());
  volumeModel_->Reload();
  SyncListSelection();
  ApplyCommandState();
}

void MainWindow::Arrange(int arrangement) {
  std::optional<VolumeListArrangement> chosen = ArrangementFromIndex(arrangement);
  if (!chosen) return;
  volumeList_.Arrange(*chosen);
  volumePanel_->SetArrangeCaption(ToQString(ArrangementStatusText(*chosen)));
  actions_->CheckArrangement(arrangement);
  volumeModel_->Reload();
  SyncListSelection();
}

bool MainWindow::SetDescription(RecordKey key, const std::string& text) {
  if (scanning_ || !loaded_ || !loaded_->IsLoaded()) return false;
  bool stored = loaded_->SetDescription(key, text);
  ApplyCommandState();
  return stored;
}

void MainWindow::ApplyDescriptions() {
  if (scanning_ || !loaded_) return;
  browse_->CommitDescription();
  // A failed save has shown its message; the edits stay pending for another try.
  static_cast<void>(loaded_->SaveDescriptions());
  if (!loaded_->IsLoaded()) loaded_.reset();
  ShowLoadedVolume(true);
}

void MainWindow::UndoDescriptions() {
  if (scanning_ || !loaded_) return;
  loaded_->DiscardDescriptions();
  if (!loaded_->IsLoaded()) loaded_.reset();
  ShowLoadedVolume(true);
}

void MainWindow::SetStatus(const std::string& status) {
  status_ = status;
  UpdateStatistics();
  if (status != messages::kStatusIdle && isVisible()) statistics_->repaint();
}

void MainWindow::UpdateStatistics() {
  browse::StatisticsFigures figures;
  figures.status = scanning_ ? scan_->StatusText() : status_;
  if (scanning_) {
    figures.busy = true;
    figures.elapsedSeconds = scanClock_.isValid() ? scanClock_.elapsed() / 1000 : 0;
    // The counters are read afresh on every tick; the scan owns them until it ends.
    if (const ScanStatistics* counters = scan_->Statistics()) figures.counters = counters->Snapshot();
  } else if (loaded_ && loaded_->IsLoaded()) {
    figures.counters = loaded_->Header().counters.Snapshot();
    figures.fileSize = loaded_->VolumeFileSize().Value();
    figures.date = loaded_->VolumeFileTime();
    figures.totalSize = loaded_->Header().contentSize.Value();
  }
  statistics_->SetTexts(browse::MakeStatisticsTexts(figures));
  statistics_->SetActivityStep(scanning_ ? activityStep_ : -1);
}

}  // namespace volumist::ui
