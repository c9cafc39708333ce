// volumist-cli rename FILE NEWNAME: gives a volume file a new volume name.
#include <ostream>

#include "catalog/messages.h"
#include "catalog/volume_list.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

int RunRename(CommandContext& context, const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') return UsageError(context, kRenameCommand, "unknown option " + arg);
  }
  if (args.size() != 2) return UsageError(context, kRenameCommand, "expects a volume file and a new name");
  // Absolute, so that the list's folder and the path inside it are not joined twice.
  std::optional<std::string> path = platform::MakeAbsolutePath(context.fileSystem, ResolveVolumeFile(context, args[0]));
  if (!path || !context.fileSystem.Status(*path)) {
    context.err << "volumist-cli rename: no file '" << args[0] << "'\n";
    return kExitFailure;
  }
  // The file is renamed as an entry of the volume list of its folder, as the window does it.
  NoVolumeHost host;
  VolumeList list(context.fileSystem, context.prompter, host);
  list.SetDirectory(platform::DirectoryOf(*path));
  if (!list.RefreshVolumeList(false)) {
    context.err << "volumist-cli rename: the folder " << list.Directory() << " cannot be read\n";
    return kExitFailure;
  }
  if (list.SelectVolumeByPath(*path, false) == nullptr) {
    context.prompter.ShowError(messages::kBadVolumeCannotRename);
    return kExitFailure;
  }
  const std::string& newName = args[1];
  bool renamed = list.RenameVolume([&newName](std::string_view) { return std::optional<std::string>(newName); });
  return renamed ? kExitOk : kExitFailure;
}

}  // namespace

const Command kRenameCommand = {
    "rename",
    "FILE NEWNAME",
    "give a volume file a new volume name",
    "Writes NEWNAME (at most 255 bytes) into the name field of the volume file\n"
    "FILE, in place; the file keeps its file name. FILE is a path, or the name of\n"
    "a file in the volume directory. Files that are not volume files (*.vkt with\n"
    "the volume magic) are refused with \"Bad volume file. Could not rename it.\";\n"
    "a file that cannot be written is reported with the cause. The name is written\n"
    "under the file's lock, so a program saving the same volume at the same time\n"
    "keeps it.\n",
    RunRename,
};

}  // namespace volumist::cli
