// The main window's commands: what each one does, the enabled states, the tooltips, the options
// dialog and the about box.
#include <QCoreApplication>

#include "browse/command_strip.h"
#include "browse/program_start.h"
#include "browse/window_captions.h"
#include "catalog/messages.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/main_window.h"

// Where an installed copy keeps its data files, seen from the program's folder (set by the build
// from the install layout).
#ifndef VOLUMIST_DATA_FROM_PROGRAM
#define VOLUMIST_DATA_FROM_PROGRAM "../share/zarn-volumist"
#endif

namespace volumist::ui {

using browse::Command;

std::vector<std::string> MainWindow::HelpFolders() const {
  if (!services_.dataFolders.empty()) return services_.dataFolders;
  return browse::DataFolders(ToBytes(QCoreApplication::applicationDirPath()), VOLUMIST_DATA_FROM_PROGRAM);
}

browse::ShellState MainWindow::State() const {
  browse::ShellState state;
  state.scanning = scanning_;
  state.volumeLoaded = loaded_ != nullptr && (loaded_->IsLoaded() || scanning_);
  state.pendingEdits =
      state.volumeLoaded && (loaded_->HasPendingDescriptions() || browse_->HasUncommittedDescription());
  const bool browsing = state.volumeLoaded && !scanning_ && !browse_->ReadingSuspended();
  state.canGoBack = browsing && browse_->History().CanGoBack();
  state.canGoForward = browsing && browse_->History().CanGoForward();
  state.atRoot = !browsing || browse_->CurrentFolder() == browse::kRootKey;
  return state;
}

void MainWindow::ApplyCommandState() {
  actions_->ApplyState(State());
  strip_->SetScanning(scanning_);
}

void MainWindow::Run(Command command) {
  QAction* action = actions_->Action(command);
  if (action->isEnabled()) action->trigger();
}

void MainWindow::OnCommand(Command command) {
  // Keys and menus reach here through the same actions as the strip; a disabled action never
  // triggers, and a scan start checks again for itself. Whatever a command opens or changes, the
  // description being edited is stored first, under the item it belongs to.
  browse_->CommitDescription();
  switch (command) {
    case Command::kVolumes: strip_->OpenMenu(browse::StripButton::kVolumes); break;
    case Command::kUpdate: strip_->OpenMenu(browse::StripButton::kUpdate); break;
    case Command::kRenameVolume: RenameVolume(); break;
    case Command::kDeleteVolume: DeleteVolume(); break;
    case Command::kChangeDirectory:
    case Command::kChooseDirectory: ChangeVolumeDirectory(); break;
    case Command::kRefreshVolumes: RefreshVolumeList(true); break;
    case Command::kFindDuplicates: OpenDuplicates(); break;
    case Command::kApply: ApplyDescriptions(); break;
    case Command::kUndo: UndoDescriptions(); break;
    case Command::kNewVolume:
    case Command::kNewSingle: BeginScan(ScanMode::kNewVolume, false); break;
    case Command::kNewMultiple: BeginScan(ScanMode::kNewVolume, true); break;
    case Command::kNewFromVolumeSources: BeginScan(ScanMode::kNewFromVolumeSources, true); break;
    case Command::kAddToVolume:
    case Command::kAddSingle: BeginScan(ScanMode::kAddToVolume, false); break;
    case Command::kAddMultiple: BeginScan(ScanMode::kAddToVolume, true); break;
    case Command::kExport:
    case Command::kExportVolume:
    case Command::kExportFolder:
    case Command::kExportFolderTree: OpenExport(command); break;
    // Not offered: the dialog's "from files list" choice has nothing to export.
    case Command::kExportFileList: break;
    case Command::kOptions: ShowOptions(); break;
    case Command::kAbout: AboutDialog::Show(this, *services_.dialogs); break;
    case Command::kStop: scan_->Stop(); break;
    case Command::kArrangeNameAscending:
    case Command::kArrangeNameDescending:
    case Command::kArrangeSizeAscending:
    case Command::kArrangeSizeDescending:
    case Command::kArrangeCreated:
    case Command::kArrangeModified: Arrange(browse::ArrangementOf(command)); break;
    case Command::kRescanVolume: RescanLoadedVolume(); break;
    case Command::kVerifyVolume: VerifyLoadedVolume(); break;
    case Command::kUpdateVolume: UpdateLoadedVolume(); break;
    case Command::kSearch:
    case Command::kSearchDialog:
    case Command::kSearchAllVolumes:
    case Command::kSearchCurrentFolder:
    case Command::kFindSelected:
    case Command::kFindCopy:
    case Command::kFindThisItem:
    case Command::kFindCopyOfItem: OpenSearch(command); break;
    case Command::kHelp:
    case Command::kHelpPage: itemActions_->ShowHelp(HelpFolders()); break;
    case Command::kBack: browse_->Back(); break;
    case Command::kForward: browse_->Forward(); break;
    case Command::kUp: browse_->Up(); break;
    case Command::kRoot: browse_->Root(); break;
    case Command::kProperties:
    case Command::kExecuteFile:
    case Command::kEditFile:
    case Command::kOpenInExplorer:
    case Command::kGetEd2kLink:
    case Command::kCreateMd5CheckFile: RunItemCommand(command); break;
  }
}

void MainWindow::ApplyToolTips() {
  const bool shown = settings_.ShowTooltips;
  strip_->SetToolTipsShown(shown);
  volumePanel_->SetToolTipsShown(shown);
  browse_->SetToolTipsShown(shown);
  const std::pair<Command, browse::ControlTip> navigation[] = {
      {Command::kBack, browse::ControlTip::kBack},   {Command::kForward, browse::ControlTip::kForward},
      {Command::kUp, browse::ControlTip::kUp},       {Command::kRoot, browse::ControlTip::kRoot},
      {Command::kProperties, browse::ControlTip::kProperties},
  };
  for (const auto& [command, tip] : navigation) {
    actions_->Action(command)->setToolTip(ToQString(browse::JoinToolTip(browse::ToolTipLines(tip))));
  }
  statistics_->setToolTip(shown ? PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(browse::ControlTip::kStatisticsBar)))
                                : QString());
}

std::optional<browse::PropertiesOutcome> MainWindow::ShowProperties(const std::optional<browse::PropertiesItem>& item) {
  if (scanning_) return std::nullopt;
  if (!loaded_ || !loaded_->IsLoaded()) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return std::nullopt;
  }
  browse_->CommitDescription();
  std::optional<browse::PropertiesOutcome> outcome = CDialogProperties::Show(
      *loaded_, item, services_.drives.isMediumPresent, prompter_, *services_.dialogs, this);
  if (!outcome) return outcome;
  // A rename rewrites the loaded volume's own file, whatever the list selects, and the list shows
  // the new name; a volume that could not be reopened afterwards is gone.
  if (!loaded_->IsLoaded()) loaded_.reset();
  if (outcome->renamed) RefreshVolumeList(true);
  // The folder shown and the selected row stay; their rows show the new texts.
  if (outcome->renamed || outcome->volumeDescriptionChanged || outcome->itemDescriptionChanged || !loaded_) {
    ShowLoadedVolume(true);
  }
  return outcome;
}

void MainWindow::ShowOptions() {
  if (CDialog_Options::Edit(settings_, this, *services_.dialogs)) ApplyToolTips();
}

}  // namespace volumist::ui
