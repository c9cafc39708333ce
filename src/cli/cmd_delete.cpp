// volumist-cli delete FILE [--yes]: deletes a volume file.
#include <ostream>

#include "catalog/volume_list.h"
#include "cli/command.h"
#include "cli/console_prompter.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

int RunDelete(CommandContext& context, const std::vector<std::string>& args) {
  bool assumeYes = false;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "--yes") {
      assumeYes = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kDeleteCommand, "unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.size() != 1) return UsageError(context, kDeleteCommand, "expects one volume file");
  std::string path = ResolveVolumeFile(context, operands[0]);
  if (!context.fileSystem.Status(path)) {
    context.err << "volumist-cli delete: no file '" << operands[0] << "'\n";
    return kExitFailure;
  }
  AssumeYesPrompter yes(context.prompter);
  Prompter& prompter = assumeYes ? static_cast<Prompter&>(yes) : context.prompter;
  NoVolumeHost host;
  VolumeList list(context.fileSystem, prompter, host);
  list.SetDirectory(platform::DirectoryOf(path));
  // Only entries of the volume list can be deleted, so a mistyped name never removes another file.
  if (!list.RefreshVolumeList(false) || list.SelectVolumeByPath(path, false) == nullptr) {
    context.err << "volumist-cli delete: '" << operands[0] << "' is not a volume file; nothing was deleted\n";
    return kExitFailure;
  }
  return list.DeleteVolume() ? kExitOk : kExitFailure;
}

}  // namespace

const Command kDeleteCommand = {
    "delete",
    "FILE [--yes]",
    "delete a volume file",
    "Deletes the volume file FILE (a path, or the name of a file in the volume\n"
    "directory) after asking \"Do you want to delete this volume file?\" on the\n"
    "terminal. --yes answers Yes; without a terminal and without --yes the answer\n"
    "is No. Files that are not volume files (*.vkt with the volume magic) are never\n"
    "deleted. Exit status 1 when nothing was deleted.\n",
    RunDelete,
};

}  // namespace volumist::cli
