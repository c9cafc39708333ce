// volumist-cli diff A B: what differs between two volume files, from A to B.
#include <ostream>

#include "catalog/volume_diff.h"
#include "cli/change_report_output.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/output_text.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

// Exit statuses of diff, as diff(1) has them.
constexpr int kExitEqual = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// A source's place in the comparison.
const char* SourceWord(SourceFate fate) {
  switch (fate) {
    case SourceFate::kNew: return "only in second";
    case SourceFate::kLeftOut:
    case SourceFate::kDropped: return "only in first";
    default: return "compared";
  }
}

void PrintText(std::ostream& out, const ChangeReport& report, const std::string& first, const std::string& second) {
  out << "first: " << OnOneLine(first) << '\n' << "second: " << OnOneLine(second) << '\n';
  for (const SourceChanges& source : report.sources) {
    out << "source: " << OnOneLine(source.name) << '\t' << SourceWord(source.fate) << '\n';
    PrintChangeItems(out, source);
  }
  PrintChangeCounts(out, report);
}

Json ItemObject(const char* change, const SourceChanges& source, const ItemChange& item) {
  Json object;
  object["change"] = change;
  object["kind"] = KindWord(item.kind);
  object["path"] = item.path;
  if (!item.oldPath.empty()) object["oldPath"] = item.oldPath;
  object["inArchive"] = item.inArchive;
  PutText(object, "source", source.name);
  // An added item has no old side, a removed one no new side.
  const bool hasOld = std::string_view(change) != "added";
  const bool hasNew = std::string_view(change) != "removed";
  if (hasOld) object["oldSize"] = item.oldSize;
  if (hasNew) object["newSize"] = item.newSize;
  if (item.kind != ItemKind::kFolder) {
    if (hasOld) PutTime(object, "oldTime", item.oldTime);
    if (hasNew) PutTime(object, "newTime", item.newTime);
  }
  if (item.changes != 0) {
    Json words = Json::array();
    if (item.changes & kChangedSize) words.push_back("size");
    if (item.changes & kChangedTime) words.push_back("time");
    if (item.changes & kChangedContent) words.push_back("content");
    object["changes"] = std::move(words);
  }
  return object;
}

Json CountsObject(const ChangeCounts& counts) {
  Json object;
  object["folders"] = counts.folders;
  object["files"] = counts.files;
  return object;
}

void PrintJson(std::ostream& out, const ChangeReport& report, const std::string& first, const std::string& second) {
  for (const SourceChanges& source : report.sources) {
    for (const ItemChange& item : source.added) WriteJsonLine(out, ItemObject("added", source, item));
    for (const ItemChange& item : source.removed) WriteJsonLine(out, ItemObject("removed", source, item));
    for (const ItemChange& item : source.changed) WriteJsonLine(out, ItemObject("changed", source, item));
    for (const ItemChange& item : source.moved) WriteJsonLine(out, ItemObject("moved", source, item));
  }
  Json summary;
  summary["change"] = "summary";
  PutText(summary, "first", first);
  PutText(summary, "second", second);
  summary["equal"] = !report.HasChanges();
  summary["added"] = CountsObject(report.Added());
  summary["removed"] = CountsObject(report.Removed());
  summary["changed"] = report.Changed();
  summary["moved"] = report.Moved();
  WriteJsonLine(out, summary);
}

int RunDiff(CommandContext& context, const std::vector<std::string>& argv) {
  bool json = false;
  std::vector<std::string> files;
  for (const std::string& arg : argv) {
    if (arg == "--json") {
      json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kDiffCommand, "unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) return UsageError(context, kDiffCommand, "expects two volume files");
  const std::string first = ResolveVolumeFile(context, files[0]);
  const std::string second = ResolveVolumeFile(context, files[1]);
  std::optional<ChangeReport> report = DiffVolumes(context.fileSystem, context.prompter, first, second);
  if (!report) return kExitTrouble;
  if (json) {
    PrintJson(context.out, *report, first, second);
  } else {
    PrintText(context.out, *report, first, second);
  }
  context.out.flush();
  if (!context.out) return kExitTrouble;
  return report->HasChanges() ? kExitDifferent : kExitEqual;
}

}  // namespace

const Command kDiffCommand = {
    "diff",
    "[--json] FILE FILE",
    "list what differs between two volumes: the same disk at two times, or a disk and its backup",
    "Compares the first volume FILE with the second, item by item, and lists what\n"
    "the second holds that the first does not (added), what it lacks (removed),\n"
    "what differs in size, time or content (changed: content where both hold a\n"
    "signature of one kind, MD5 before MD4 before CRC32) and what lies elsewhere\n"
    "(moved: a removed and an added file of the same size and signature). Sources\n"
    "are paired by name; when each volume holds one source, those two are paired\n"
    "whatever their names. Descriptions are not compared.\n"
    "  --json              JSON Lines: one object per change, then a summary line\n"
    "                      (docs/json/diff.md)\n"
    "The text: \"first: FILE\" and \"second: FILE\", then for each source\n"
    "\"source: NAME\" and a tab and \"compared\", \"only in first\" or \"only in\n"
    "second\", then one line per item, fields separated by tabs:\n"
    "  added    KIND  PATH\n"
    "  removed  KIND  PATH\n"
    "  changed  KIND  PATH  WHAT\n"
    "  moved    KIND  OLDPATH  PATH\n"
    "KIND is folder, file or archive, WHAT the words size, time, content joined by\n"
    "\",\"; paths as ls prints them (see \"Paths inside a volume\" in volumist-cli\n"
    "--help), a removed item's in the first volume, the others' in the second. The\n"
    "same lines as rescan --dry-run prints. Then the counts: \"added: N folder(s),\n"
    "M file(s)\", \"removed: ...\", \"changed: N\", \"moved: N\".\n"
    "Exit status: 0 when the volumes hold the same items, 1 when they differ, 2 when\n"
    "a volume cannot be read or on wrong usage.\n",
    RunDiff,
};

}  // namespace volumist::cli
