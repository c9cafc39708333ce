// The commands of the main window: one identity per command, shared by the command strip, the menus
// and the keys, so that each command has one enabled state. The texts are the window's own.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace volumist::browse {

enum class Command : int {
  // The "Volumes" button and F2 open the volumes menu.
  kVolumes,
  kRenameVolume,
  kDeleteVolume,
  kChangeDirectory,
  kRefreshVolumes,
  kApply,  // F3
  kUndo,   // F4
  // The "New..." button body and F5: a new volume from a single source.
  kNewVolume,
  kNewSingle,
  kNewMultiple,
  kNewFromVolumeSources,
  // The "Add..." button body and F6: add a single source to the loaded volume.
  kAddToVolume,
  kAddSingle,
  kAddMultiple,
  // The "Update" button and F7 open the update menu: "Update..." and "Rescan this Volume".
  kUpdate,
  kUpdateVolume,
  kRescanVolume,
  kSearch,  // F8
  kSearchDialog,
  kSearchAllVolumes,
  kSearchCurrentFolder,
  kFindSelected,
  kFindCopy,
  kExport,  // F9
  kExportVolume,
  kExportFolder,
  kExportFolderTree,
  kExportFileList,
  kOptions,  // F10
  kHelp,     // F1
  kHelpPage,
  kAbout,
  kStop,
  // The six arrangements of the volume list, in the order of their numbers.
  kArrangeNameAscending,
  kArrangeNameDescending,
  kArrangeSizeAscending,
  kArrangeSizeDescending,
  kArrangeCreated,
  kArrangeModified,
  // The volume list's "Choose active directory..." button.
  kChooseDirectory,
  // Moving between the folders of the loaded volume (the buttons above the file list).
  kBack,
  kForward,
  kUp,
  kRoot,
  // The "Files" menu of the file list: the selected item.
  kProperties,
  kExecuteFile,  // the desktop's "open"
  kEditFile,     // the desktop's "edit" (on Linux the same handler as "open")
  kOpenInExplorer,
  kFindThisItem,
  kFindCopyOfItem,
  kGetEd2kLink,
  kCreateMd5CheckFile,
  // The volumes menu (and the volume list's context menu): compare the disk with the loaded volume.
  kVerifyVolume,
  // The volumes menu (and the volume list's context menu): copies of files over the volumes.
  kFindDuplicates,
};
inline constexpr int kCommandCount = static_cast<int>(Command::kFindDuplicates) + 1;

struct CommandInfo {
  Command command;
  std::string_view text;  // menu entry or button caption
  int functionKey;        // 1 to 10 for F1 to F10, 0 for none
};

// Every command, in the order of the enumeration.
std::span<const CommandInfo> AllCommands();
const CommandInfo& Info(Command command);

// The arrangement command for arrangement 0 to 5, and the arrangement of such a command (-1 for
// other commands).
Command ArrangeCommand(int arrangement);
int ArrangementOf(Command command);

}  // namespace volumist::browse
