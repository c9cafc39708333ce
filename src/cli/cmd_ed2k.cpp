// volumist-cli ed2k FILE.vkt ITEM_PATH: the eDonkey2000 link of a catalogued file.
#include <ostream>

#include "analysis/ed2k_link.h"
#include "analysis/messages.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

int RunEd2k(CommandContext& context, const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(context, kEd2kCommand, "expects a volume file and an item path");
  auto names = ItemPathArgument(context, kEd2kCommand, args[1]);
  if (!names) return kExitUsage;
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args[0]), false)) return kExitFailure;
  std::optional<ContentItem> item = FindItem(volume, *names);
  if (!item) {
    // Naming no item is what choosing the command without a selection is in the window.
    context.prompter.ShowError(messages::kSelectItemFirst);
    return kExitFailure;
  }
  const SignatureBlock* signatures = nullptr;
  if (item->kind == RecordKind::kFile && item->file.tag.hasSignatures) signatures = &item->file.signatures;
  if (item->kind == RecordKind::kArchive && item->archive.tag.hasSignatures) signatures = &item->archive.signatures;
  std::optional<std::string> link = Ed2kLinkOfItem(item->Record(), signatures, context.prompter);
  if (!link) return kExitFailure;
  context.out << *link << '\n';
  return ReportDamage(context, volume) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kEd2kCommand = {
    "ed2k",
    "FILE.vkt ITEM_PATH",
    "print the eDonkey2000 link of a file whose eDonkey hash was recorded",
    "Prints the ed2k link of the file at ITEM_PATH (a path as ls and search print it,\n"
    "see \"Paths inside a volume\" in volumist-cli --help) on one line:\n"
    "  ed2k://|file|NAME|SIZE|HASH|/\n"
    "NAME is the file's name (\"|\", \"%\" and control characters as %XX), SIZE its size\n"
    "in bytes and HASH its eDonkey hash in upper-case hex. Files get a hash when the\n"
    "volume was scanned with the MD4 (eDonkey) signature; folders and files inside\n"
    "archives never have one, and the command then fails with a message.\n",
    RunEd2k,
};

}  // namespace volumist::cli
