// The search, duplicates and export dialogs opened from the window's commands, and the jump from a
// search result (or a file of a group of copies) back into the window.
#include <chrono>

#include "browse/export_dialog_rules.h"
#include "browse/folder_listing.h"
#include "browse/shell_rules.h"
#include "catalog/messages.h"
#include "export/xml_exporter.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/duplicates_dialog.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

using browse::Command;

void MainWindow::OpenSearch(Command command) {
  if (scanning_) return;
  const bool volumeLoaded = loaded_ != nullptr && loaded_->IsLoaded();
  const browse::ItemRow* selected = volumeLoaded ? browse_->SelectedRow() : nullptr;
  const browse::SearchPresetOutcome preset = browse::ApplySearchPreset(
      command, settings_.searchOptions, volumeLoaded, selected, volumeLoaded ? browse_->CurrentFolder() : browse::kRootKey);
  if (!preset.open) {
    if (preset.message) prompter_.ShowError(*preset.message);
    return;
  }
  // A scope folder belongs to the volume it was chosen in; without that volume the search has none.
  if (!volumeLoaded) settings_.searchOptions.inFolder = false;

  SearchDialogContext context;
  context.criteria = &settings_.searchOptions;
  context.results = &searchResults_;
  context.columnSets = &settings_.searchColumnSets;
  context.prompter = &prompter_;
  context.workerPrompter = threadSafePrompter_.get();
  context.fileSystem = services_.fileSystem;
  context.threads = services_.searchThreads;
  context.showToolTips = settings_.ShowTooltips;
  if (volumeLoaded) {
    context.volumeName = loaded_->Header().volumeName;
    if (settings_.searchOptions.inFolder) {
      if (std::optional<std::vector<ChainLink>> chain = ReadFolderChain(*loaded_, settings_.searchOptions.scopeFolder)) {
        context.folderPath = browse::FolderPathText(*chain);
      } else {
        settings_.searchOptions.inFolder = false;
      }
    }
  }
  context.now = CatalogTime(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  // Taken when a search starts: the loaded volume may have changed meanwhile only through this
  // window, which the modal dialog keeps idle, but the pending edits are read at that moment.
  context.sources = [this] {
    SearchRun::Sources sources;
    if (loaded_ && loaded_->IsLoaded()) {
      browse_->CommitDescription();
      sources.loaded = LoadedFileOf(*loaded_);
    }
    for (const VolumeListEntry& entry : volumeList_.Entries()) sources.volumePaths.push_back(entry.filePath);
    return sources;
  };
  std::optional<browse::JumpTarget> target = SearchDialog::Run(context, *services_.dialogs, this);
  if (target) static_cast<void>(JumpTo(*target));
}

bool MainWindow::JumpTo(const browse::JumpTarget& target) {
  if (scanning_) return false;
  const auto isLoaded = [&] {
    return loaded_ && loaded_->IsLoaded() &&
           platform::NormalizePath(loaded_->VolumeFilePath()) == platform::NormalizePath(target.volumePath);
  };
  if (!isLoaded()) {
    // The volume is found by its file, wherever the list shows it now.
    RefreshVolumeList(true);
    const std::optional<size_t> entry = browse::FindVolumeEntry(volumeList_.Entries(), target.volumePath);
    if (!entry) {
      prompter_.ShowError(browse::search_text::kJumpVolumeGone);
      return false;
    }
    OnVolumeChosen(static_cast<int>(*entry));
    SyncListSelection();
    // Kept edits ("Yes" to saving failed, or the file could not be read): the loaded volume stays.
    if (!isLoaded()) return false;
  }
  browse_->CommitDescription();
  bool found = browse_->OpenFolder(target.containerKey, false);
  if (found) {
    found = browse_->FileList()->SelectKey(target.key);
    const browse::ItemRow* row = browse_->FileList()->CurrentRow();
    found = found && row != nullptr && browse::IsJumpTargetRow(target, *row);
  }
  if (!found) {
    prompter_.ShowError(browse::search_text::kJumpItemGone);
    return false;
  }
  browse_->FileList()->setFocus();
  activateWindow();
  raise();
  return true;
}

void MainWindow::OpenDuplicates() {
  if (scanning_) return;
  RefreshVolumeList(true);
  DuplicatesDialogContext context;
  for (const VolumeListEntry& entry : volumeList_.Entries()) context.volumePaths.push_back(entry.filePath);
  if (const VolumeListEntry* selected = volumeList_.SelectedEntry()) {
    const std::optional<size_t> index = browse::FindVolumeEntry(volumeList_.Entries(), selected->filePath);
    context.selectedVolume = index;
    context.selectedName = selected->volumeName;
  }
  context.prompter = &prompter_;
  context.fileSystem = services_.fileSystem;
  context.threads = services_.searchThreads;
  std::optional<browse::JumpTarget> target = DuplicatesDialog::Run(context, *services_.dialogs, this);
  if (target) static_cast<void>(JumpTo(*target));
}

void MainWindow::OpenExport(Command command) {
  if (scanning_) return;
  if (!loaded_ || !loaded_->IsLoaded()) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return;
  }
  browse_->CommitDescription();
  ExportOptions options = settings_.exportOptions;
  options.exportFrom = browse::ExportFromForCommand(command, options.exportFrom);
  ExportDialogServices services;
  services.prompter = &prompter_;
  services.fileChooser = services_.fileChooser;
  services.initialFile =
      platform::JoinPath(settings_.VolumeDirectory(), browse::ExportFileName(loaded_->Header().volumeName));
  if (!CDialog_Export::Edit(options, services, *services_.dialogs, this)) return;
  // The choices are kept for the next export and the next run, whatever the export's outcome.
  settings_.exportOptions = options;
  browse::PrepareExportStart(options, browse_->CurrentFolder());
  StartExport(std::move(options));
}

void MainWindow::StartExport(ExportOptions options) {
  if (export_) return;
  const QString target = ToQString(options.outputPath);
  export_ = std::make_unique<ExportRun>(*services_.fileSystem, *threadSafePrompter_);
  // Window-modal: the volume stays as the document shows it until the export ends, and the window
  // goes on painting. Shown only when the export takes longer than a moment.
  auto* progress = new QProgressDialog(this);
  progress->setWindowTitle(tr("Export"));
  progress->setLabelText(tr("Writing %1").arg(target));
  progress->setCancelButtonText(tr("Stop"));
  progress->setAccessibleName(tr("Export progress"));
  progress->setRange(0, 1000);
  progress->setMinimumDuration(400);
  progress->setAutoClose(false);
  progress->setAutoReset(false);
  progress->setWindowModality(Qt::WindowModal);
  progress->setAttribute(Qt::WA_DeleteOnClose);
  exportProgress_ = progress;
  connect(progress, &QProgressDialog::canceled, this, [this] {
    if (export_) export_->RequestStop();
  });
  auto* timer = new QTimer(progress);
  connect(timer, &QTimer::timeout, this, &MainWindow::OnExportProgressTick);
  timer->start(100);
  progress->setValue(0);
  export_->Start(LoadedFileOf(*loaded_), std::move(options), this, [this](ExportRun::Outcome) {
    // A failure has shown its message (posted before this call); the output file is then as it
    // was, and so it is after a stop.
    if (export_) export_->Wait();
    export_.reset();
    if (exportProgress_) exportProgress_->close();
  });
}

void MainWindow::OnExportProgressTick() {
  if (!export_ || !exportProgress_ || exportProgress_->wasCanceled()) return;
  const uint64_t total = export_->Total();
  if (total == 0) return;
  exportProgress_->setValue(static_cast<int>(export_->Done() * 1000 / total));
}

}  // namespace volumist::ui
