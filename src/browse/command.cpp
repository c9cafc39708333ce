#include "browse/command.h"

namespace volumist::browse {
namespace {

using C = Command;

constexpr std::array<CommandInfo, kCommandCount> kCommands = {{
    {C::kVolumes, "Volumes", 2},
    {C::kRenameVolume, "Rename volume", 0},
    {C::kDeleteVolume, "Delete volume", 0},
    {C::kChangeDirectory, "Change active directory to...", 0},
    {C::kRefreshVolumes, "Refresh volumes list", 0},
    {C::kApply, "Apply", 3},
    {C::kUndo, "Undo", 4},
    {C::kNewVolume, "New...", 5},
    {C::kNewSingle, "... by Single source", 0},
    {C::kNewMultiple, "... by Multiple sources", 0},
    {C::kNewFromVolumeSources, "... by current Volume sources", 0},
    {C::kAddToVolume, "Add...", 6},
    {C::kAddSingle, "... by Single source", 0},
    {C::kAddMultiple, "... by Multiple sources", 0},
    {C::kUpdate, "Update", 7},
    {C::kUpdateVolume, "Update...", 0},
    {C::kRescanVolume, "Rescan this Volume", 0},
    {C::kSearch, "Search", 8},
    {C::kSearchDialog, "Search...", 0},
    {C::kSearchAllVolumes, "Search in all volumes...", 0},
    {C::kSearchCurrentFolder, "Search in current folder", 0},
    {C::kFindSelected, "Find selected item", 0},
    {C::kFindCopy, "Find a copy of selected item", 0},
    {C::kExport, "Export", 9},
    {C::kExportVolume, "... full volume content", 0},
    {C::kExportFolder, "... current folder", 0},
    {C::kExportFolderTree, "... current folder + subfolders", 0},
    {C::kExportFileList, "... from this file list", 0},
    {C::kOptions, "Options", 10},
    {C::kHelp, "Help", 1},
    {C::kHelpPage, "Help...", 0},
    {C::kAbout, "About Zarn Volumist...", 0},
    {C::kStop, "Stop", 0},
    {C::kArrangeNameAscending, "By Name (Ascending)", 0},
    {C::kArrangeNameDescending, "By Name (Descending)", 0},
    {C::kArrangeSizeAscending, "By Size (Ascending)", 0},
    {C::kArrangeSizeDescending, "By Size (Descending)", 0},
    {C::kArrangeCreated, "By Time of creation", 0},
    {C::kArrangeModified, "By Time of modification", 0},
    {C::kChooseDirectory, "Choose active directory...", 0},
    {C::kBack, "Back", 0},
    {C::kForward, "Forward", 0},
    {C::kUp, "Up", 0},
    {C::kRoot, "Root", 0},
    {C::kProperties, "Properties", 0},
    {C::kExecuteFile, "Execute File", 0},
    {C::kEditFile, "Edit File", 0},
    {C::kOpenInExplorer, "Open in Explorer", 0},
    {C::kFindThisItem, "Find this item", 0},
    {C::kFindCopyOfItem, "Find a copy of this item", 0},
    {C::kGetEd2kLink, "Get eDonkey2000 Link", 0},
    {C::kCreateMd5CheckFile, "Create MD5 check file", 0},
    {C::kVerifyVolume, "Verify this Volume...", 0},
    {C::kFindDuplicates, "Find duplicates...", 0},
}};

// The table is indexed by the enumeration; a row out of place would give a command another's text.
constexpr bool InOrder() {
  for (int i = 0; i < kCommandCount; ++i) {
    if (static_cast<int>(kCommands[i].command) != i) return false;
  }
  return true;
}
static_assert(InOrder());

}  // namespace

std::span<const CommandInfo> AllCommands() { return kCommands; }

const CommandInfo& Info(Command command) { return kCommands[static_cast<size_t>(command)]; }

Command ArrangeCommand(int arrangement) {
  return static_cast<Command>(static_cast<int>(Command::kArrangeNameAscending) + arrangement);
}

int ArrangementOf(Command command) {
  int offset = static_cast<int>(command) - static_cast<int>(Command::kArrangeNameAscending);
  return offset >= 0 && offset < 6 ? offset : -1;
}

}  // namespace volumist::browse
