// volumist-cli rescan FILE: scans a volume's sources again, keeps the descriptions on their items and
// prints what changed.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>

#include "catalog/change_report.h"
#include "cli/change_report_output.h"
#include "cli/command.h"
#include "cli/console_prompter.h"
#include "cli/json_output.h"
#include "cli/output_text.h"
#include "cli/scan_progress.h"
#include "cli/scan_setup.h"
#include "cli/volume_access.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "scan/rescan.h"
#include "scan/scan_controller.h"

namespace volumist::cli {
namespace {

constexpr int kExitInterrupted = 130;

struct RescanArguments {
  std::string file;
  bool yes = false;
  bool dropMissing = false;
  bool dropLost = false;
  bool dryRun = false;
  bool json = false;
  bool quiet = false;
};

std::string ParseOptions(const std::vector<std::string>& argv, RescanArguments& args) {
  bool haveFile = false;
  for (const std::string& arg : argv) {
    if (arg == "--yes" || arg == "-y") {
      args.yes = true;
    } else if (arg == "--drop-missing") {
      args.dropMissing = true;
    } else if (arg == "--drop-lost") {
      args.dropLost = true;
    } else if (arg == "--dry-run") {
      args.dryRun = true;
    } else if (arg == "--json") {
      args.json = true;
    } else if (arg == "--quiet" || arg == "-q") {
      args.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (haveFile) {
      return "expects one FILE";
    } else {
      args.file = arg;
      haveFile = true;
    }
  }
  if (!haveFile) return "expects one FILE";
  return "";
}

void PrintText(std::ostream& out, const ChangeReport& report) {
  out << "volume: " << OnOneLine(report.volumeName) << '\n' << "file: " << OnOneLine(report.volumeFile) << '\n';
  for (const SourceChanges& source : report.sources) {
    out << "source: " << OnOneLine(source.name) << '\t' << OnOneLine(source.path) << '\t' << FateWord(source.fate)
        << '\n';
    PrintChangeItems(out, source);
  }
  for (const LostDescription& lost : report.lostDescriptions) {
    out << "lost description\t" << (lost.path.empty() ? "(no item)" : lost.path) << '\t' << OnOneLine(lost.text)
        << '\n';
  }
  PrintChangeCounts(out, report);
  out << "descriptions carried: " << report.carriedDescriptions << '\n'
      << "descriptions lost: " << report.lostDescriptions.size() << '\n';
  if (!report.lostDescriptionsFile.empty()) {
    out << "lost descriptions file: " << OnOneLine(report.lostDescriptionsFile) << '\n';
  }
  out << "written: " << (report.written ? "yes" : "no") << '\n';
}

Json ItemObject(const ItemChange& item, bool moved) {
  Json object = Json::object();
  object["kind"] = KindWord(item.kind);
  object["path"] = item.path;
  if (moved) object["oldPath"] = item.oldPath;
  object["inArchive"] = item.inArchive;
  object["oldSize"] = item.oldSize;
  object["newSize"] = item.newSize;
  if (item.changes != 0) object["changes"] = ChangeWords(item.changes);
  return object;
}

Json ItemList(const std::vector<ItemChange>& items, bool moved) {
  Json list = Json::array();
  for (const ItemChange& item : items) list.push_back(ItemObject(item, moved));
  return list;
}

// One document: the report is known only once the rescan is over, and its parts belong together.
void PrintJson(std::ostream& out, const ChangeReport& report) {
  Json document = Json::object();
  PutText(document, "volume", report.volumeName);
  PutText(document, "volumeFile", report.volumeFile);
  document["written"] = report.written;
  Json sources = Json::array();
  for (const SourceChanges& source : report.sources) {
    Json object = Json::object();
    PutText(object, "name", source.name);
    PutText(object, "path", source.path);
    object["fate"] = FateWord(source.fate);
    object["unchanged"] = source.unchanged;
    object["added"] = ItemList(source.added, false);
    object["removed"] = ItemList(source.removed, false);
    object["changed"] = ItemList(source.changed, false);
    object["moved"] = ItemList(source.moved, true);
    sources.push_back(std::move(object));
  }
  document["sources"] = std::move(sources);
  document["carriedDescriptions"] = report.carriedDescriptions;
  Json lost = Json::array();
  for (const LostDescription& description : report.lostDescriptions) {
    Json object = Json::object();
    object["path"] = description.path;
    PutText(object, "text", description.text);
    lost.push_back(std::move(object));
  }
  document["lostDescriptions"] = std::move(lost);
  PutText(document, "lostDescriptionsFile", report.lostDescriptionsFile);
  WriteJsonDocument(out, document);
}

int RunRescan(CommandContext& context, const std::vector<std::string>& argv) {
  RescanArguments args;
  if (std::string problem = ParseOptions(argv, args); !problem.empty()) {
    return UsageError(context, kRescanCommand, problem);
  }
  AssumeYesPrompter yes(context.prompter);
  Prompter& prompter = args.yes ? static_cast<Prompter&>(yes) : context.prompter;

  auto loaded = std::make_unique<VolumeCatalog>(context.fileSystem, prompter);
  if (!loaded->OpenVolume(ResolveVolumeFile(context, args.file))) return kExitFailure;
  if (ReportDamage(context, *loaded)) {
    context.err << "volumist-cli rescan: nothing was changed\n";
    return kExitFailure;
  }
  RescanJob job = RescanEverySource(loaded->VolumeFilePath(), loaded->Sources());
  job.dropLostDescriptions = args.dropLost;
  job.dryRun = args.dryRun;
  DriveControl drives = DrivesForScan();
  // Another disk at a source's path is asked about (--yes answers yes); a missing one is kept as it
  // is unless --drop-missing.
  if (!CheckRescanSources(job, loaded->Sources(), drives.checkMedium,
                          args.dropMissing ? MissingSources::kDrop : MissingSources::kKeep, context.fileSystem,
                          prompter)) {
    context.err << "volumist-cli rescan: nothing was written\n";
    return kExitFailure;
  }
  for (const RescanSource& source : job.sources) {
    if (source.action == SourceAction::kScan) continue;
    context.err << "volumist-cli rescan: " << OnOneLine(source.source.path) << ": not present; "
                << (source.action == SourceAction::kKeep ? "kept as it was" : "dropped from the volume") << '\n';
  }

  ScanController controller(context.fileSystem, prompter, drives);
  platform::CatchInterrupts();
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  const auto start = Clock::now();
  const bool live = !args.quiet && platform::IsTerminal(2);
  ScanProgressLine progress(false, start, platform::BytesReadSoFar());
  controller.StartRescan(job, loaded.get(), [&] {
    std::lock_guard lock(mutex);
    done = true;
    ended.notify_all();
  });
  bool stopping = false;
  {
    std::unique_lock lock(mutex);
    while (!ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
      if (!stopping && platform::InterruptRequested()) {
        stopping = true;
        controller.Stop();
      }
      if (live) {
        context.err << "\r\033[K" << progress.Next(controller, Clock::now(), platform::TerminalWidth(2)) << std::flush;
      }
    }
  }
  if (live) context.err << "\r\033[K";
  ScanController::Outcome outcome = controller.Finish();
  for (const std::string& file : outcome.report.shrunkFiles) {
    context.err << "volumist-cli rescan: " << file
                << ": became shorter than listed while it was read; recorded without signatures\n";
  }
  if (!outcome.changes) {
    context.err << "volumist-cli rescan: " << (stopping ? "interrupted" : "failed")
                << "; the volume file was left as it was\n";
    return stopping ? kExitInterrupted : kExitFailure;
  }
  if (args.json) {
    PrintJson(context.out, *outcome.changes);
  } else {
    PrintText(context.out, *outcome.changes);
  }
  return outcome.changes->written || args.dryRun ? kExitOk : kExitFailure;
}

}  // namespace

const Command kRescanCommand = {
    "rescan",
    "[options] FILE",
    "scan a volume's sources again, keeping the descriptions, and print what changed",
    "Scans every source of the volume FILE again from its stored path, with the options it was\n"
    "scanned with, and replaces the volume file with the result under the same volume name.\n"
    "Each description moves with its item, found again by its path inside its source; a\n"
    "file that was moved (a removed and an added file of one size with equal signatures)\n"
    "keeps its description too. Descriptions whose items are gone are added to the text file\n"
    "NAME.lost-descriptions.txt beside the volume file, unless --drop-lost.\n"
    "  --yes           rescan a source even when the disk at its path is not the one the\n"
    "                  volume was made from (serial number, label or file system differ);\n"
    "                  without it the question is asked, and No writes nothing\n"
    "  --drop-missing  leave out of the volume a source whose path is gone or whose disk is\n"
    "                  not mounted (by default it is kept as it was)\n"
    "  --drop-lost     forget the descriptions whose items are gone\n"
    "  --dry-run       print what would change; write nothing\n"
    "  --json          print the report as one JSON object\n"
    "  --quiet         no progress line while scanning\n"
    "The volume file is locked while it is rescanned and replaced in one step at the end:\n"
    "Ctrl-C, a failure or a kill before then leaves it as it was (exit status 130 after\n"
    "Ctrl-C, 1 after a failure).\n"
    "The report: \"volume:\" and \"file:\" lines, then for each source a line\n"
    "\"source: NAME<TAB>PATH<TAB>FATE\" (rescanned, new, kept, dropped, left out) followed by\n"
    "its items, one per line, fields separated by tabs:\n"
    "  added    KIND  PATH\n"
    "  removed  KIND  PATH              (the path it had)\n"
    "  changed  KIND  PATH  WHAT        (size, time, content, joined by commas)\n"
    "  moved    KIND  OLDPATH  PATH\n"
    "KIND is folder, file or archive; paths are in the form ls prints. Then a line\n"
    "\"lost description<TAB>PATH<TAB>TEXT\" for each description whose item is gone, and the\n"
    "totals as \"key: value\" lines: added, removed, changed, moved, descriptions carried,\n"
    "descriptions lost, lost descriptions file (when one was written) and written (yes, or\n"
    "no after --dry-run).\n"
    "With --json: one object with the members volume, volumeFile, written, sources (each with\n"
    "name, path, fate, unchanged and the lists added, removed, changed and moved, whose items\n"
    "have kind, path, oldPath (moved only), inArchive, oldSize, newSize and changes (changed\n"
    "only)), carriedDescriptions, lostDescriptions (path, text) and lostDescriptionsFile.\n"
    "Texts that are not UTF-8 (names, the source path, description texts) are written\n"
    "escaped with a member such as nameEscaped set to true; see docs/json/rescan.md.\n",
    RunRescan,
};

}  // namespace volumist::cli
