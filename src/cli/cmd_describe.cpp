// volumist-cli describe FILE ITEM_PATH TEXT: sets the description of an item, or of the volume, and
// saves it into the volume file at once.
#include <ostream>

#include "catalog/description_store.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

int RunDescribe(CommandContext& context, const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') return UsageError(context, kDescribeCommand, "unknown option " + arg);
  }
  if (args.size() != 3) return UsageError(context, kDescribeCommand, "expects a volume file, an item path and a text");
  auto names = ItemPathArgument(context, kDescribeCommand, args[1]);
  if (!names) return kExitUsage;
  const std::string& text = args[2];
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args[0]))) return kExitFailure;
  // A save rewrites the descriptions from what it reads; in a damaged volume that could lose some.
  if (ReportDamage(context, volume)) {
    context.err << "volumist-cli describe: nothing was changed\n";
    return kExitFailure;
  }
  RecordKey key = 0;  // the volume itself
  if (!names->empty()) {
    auto item = FindItem(volume, *names);
    if (!item) {
      context.err << "volumist-cli describe: no item '" << JoinItemPath(*names) << "' in the volume\n";
      return kExitFailure;
    }
    key = item->DescriptionKey();
  }
  if (!volume.SetDescription(key, text)) return kExitFailure;
  if (text.size() > DescriptionStore::kMaxTextLength) {
    size_t kept = volume.GetDescription(key).value_or("").size();
    context.err << "volumist-cli describe: the text was cut to " << kept << " bytes (at most "
                << DescriptionStore::kMaxTextLength << " fit)\n";
  }
  if (volume.SaveDescriptions()) return kExitOk;
  // The save has said why it failed; there is no one to ask about keeping the edit.
  volume.CloseVolume(false);
  return kExitFailure;
}

}  // namespace

const Command kDescribeCommand = {
    "describe",
    "FILE ITEM_PATH TEXT",
    "set the description of an item or of the volume, and save it",
    "Sets the description of the folder, file or archive ITEM_PATH of the volume FILE\n"
    "(a path as ls and search print it, see \"Paths inside a volume\" in volumist-cli\n"
    "--help; \"\" or \"/\" for the volume itself) to TEXT and saves it into the volume\n"
    "file at once. An empty TEXT removes the description. A text of more than 511\n"
    "bytes is cut at the last whole character that fits, with a notice on stderr. The\n"
    "save waits for another program writing the same volume, then keeps what that one\n"
    "wrote. A damaged volume (its header does not agree with itself, or its\n"
    "description index is damaged) is reported and left unchanged, with exit status 1.\n",
    RunDescribe,
};

}  // namespace volumist::cli
