// volumist-cli verify FILE [NAME=PATH...]: compares the disk a volume was made from, as it is now,
// with the volume, and tells what differs.
#include <chrono>
#include <cstdio>
#include <ostream>
#include <thread>

#include "catalog/value_format.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/output_text.h"
#include "cli/scan_progress.h"
#include "cli/volume_access.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "scan/drive_info.h"
#include "scan/verify.h"

namespace volumist::cli {
namespace {

constexpr int kExitInterrupted = 130;
// Something differs: the volume no longer describes the disk.
constexpr int kExitDiffers = 1;
// Wrong usage, or a volume that cannot be read: nothing was compared. (Not kExitFailure, which
// here means that something differs.)
constexpr int kExitTrouble = kExitUsage;

struct VerifyArguments {
  std::string file;
  std::vector<std::pair<std::string, std::string>> mounts;  // source name, present path
  bool json = false;
  bool quiet = false;
};

std::string ParseOptions(const std::vector<std::string>& argv, VerifyArguments& args) {
  bool haveFile = false;
  for (const std::string& arg : argv) {
    if (arg == "--json") {
      args.json = true;
    } else if (arg == "--quiet" || arg == "-q") {
      args.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (!haveFile) {
      args.file = arg;
      haveFile = true;
    } else {
      size_t equals = arg.find('=');
      if (equals == std::string::npos || equals == 0 || equals + 1 == arg.size()) {
        return "expects NAME=PATH after FILE, not " + arg;
      }
      args.mounts.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
    }
  }
  if (!haveFile) return "expects a volume FILE";
  return "";
}

const char* FindingWord(VerifyFinding finding) {
  switch (finding) {
    case VerifyFinding::kChanged: return "changed";
    case VerifyFinding::kContentChanged: return "content";
    case VerifyFinding::kMissing: return "missing";
    case VerifyFinding::kUnreadable: return "unreadable";
    case VerifyFinding::kNew: return "new";
  }
  return "";
}

const char* JsonFindingWord(VerifyFinding finding) {
  return finding == VerifyFinding::kContentChanged ? "contentChanged" : FindingWord(finding);
}

const char* StateWord(SourceState state) {
  switch (state) {
    case SourceState::kVerified: return "verified";
    case SourceState::kOtherMedium: return "other disk";
    case SourceState::kAbsent: return "absent";
  }
  return "";
}

const char* JsonStateWord(SourceState state) {
  return state == SourceState::kOtherMedium ? "otherDisk" : StateWord(state);
}

const char* ProblemWord(ReadProblem problem) {
  switch (problem) {
    case ReadProblem::kNone: return "";
    case ReadProblem::kCannotList: return "cannotList";
    case ReadProblem::kCannotOpen: return "cannotOpen";
    case ReadProblem::kReadError: return "readError";
    case ReadProblem::kShorter: return "shorter";
  }
  return "";
}

std::vector<std::string> ChangeWords(uint8_t changes) {
  std::vector<std::string> words;
  if ((changes & kChangedSize) != 0) words.emplace_back("size");
  if ((changes & kChangedTime) != 0) words.emplace_back("time");
  if ((changes & kChangedContent) != 0) words.emplace_back("content");
  return words;
}

std::vector<std::string> DigestWords(DigestChoice digests) {
  std::vector<std::string> words;
  if (digests.crc32) words.emplace_back("crc32");
  if (digests.md4) words.emplace_back("md4");
  if (digests.md5) words.emplace_back("md5");
  return words;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ",") + word;
  return text;
}

std::string TimeText(int64_t seconds) { return FormatDateTime(CatalogTime(seconds)); }

// What the text report says after the path.
std::string Details(const VerifyDifference& d) {
  std::string text;
  auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  switch (d.finding) {
    case VerifyFinding::kChanged:
    case VerifyFinding::kContentChanged:
      if ((d.changes & kChangedSize) != 0) add("size " + std::to_string(d.oldSize) + " -> " + std::to_string(d.newSize));
      if ((d.changes & kChangedTime) != 0) add("time " + TimeText(d.oldTime) + " -> " + TimeText(d.newTime));
      if ((d.changes & kChangedContent) != 0) add("content differs (" + Joined(DigestWords(d.differing)) + ")");
      break;
    case VerifyFinding::kMissing:
    case VerifyFinding::kNew: break;
    case VerifyFinding::kUnreadable:
      switch (d.problem) {
        case ReadProblem::kCannotList: add("the folder cannot be listed"); break;
        case ReadProblem::kCannotOpen: add("cannot be opened"); break;
        case ReadProblem::kReadError: add("read error at offset " + std::to_string(d.offset)); break;
        case ReadProblem::kShorter: add("ended before its size was read"); break;
        case ReadProblem::kNone: break;
      }
      break;
  }
  return text;
}

const char* ResultWord(const VerifyReport& report) {
  if (report.stopped) return "interrupted";
  return report.AllMatch() ? "match" : "differences";
}

uint64_t AbsentSources(const VerifyReport& report) {
  uint64_t absent = 0;
  for (const VerifiedSource& source : report.sources) absent += source.state == SourceState::kAbsent;
  return absent;
}

void PrintText(std::ostream& out, const VerifyReport& report) {
  out << "volume: " << OnOneLine(report.volumeName) << '\n';
  for (const VerifiedSource& source : report.sources) {
    out << "source: " << OnOneLine(source.name) << '\t' << OnOneLine(source.path) << '\t' << StateWord(source.state)
        << '\n';
  }
  for (const VerifyDifference& d : report.differences) {
    out << FindingWord(d.finding) << '\t' << KindWord(d.kind) << '\t' << d.path;
    if (std::string details = Details(d); !details.empty()) out << '\t' << details;
    out << '\n';
  }
  VerifyCounts counts = report.Counts();
  out << "same: " << counts.same << '\n'
      << "changed: " << counts.changed << '\n'
      << "content changed: " << counts.contentChanged << '\n'
      << "missing: " << counts.missing << '\n'
      << "unreadable: " << counts.unreadable << '\n'
      << "new: " << counts.added << '\n'
      << "absent sources: " << AbsentSources(report) << '\n'
      << "files read: " << report.filesDigested << '\n'
      << "bytes read: " << report.bytesDigested << '\n'
      << "archive items not compared: " << report.archiveItemsSkipped << '\n'
      << "result: " << ResultWord(report) << '\n';
}

Json WordList(const std::vector<std::string>& words) {
  Json list = Json::array();
  for (const std::string& word : words) list.push_back(word);
  return list;
}

void PrintJson(std::ostream& out, const VerifyReport& report) {
  for (const VerifiedSource& source : report.sources) {
    Json line;
    line["type"] = "source";
    PutText(line, "name", source.name);
    PutText(line, "recordedPath", source.recordedPath);
    PutText(line, "diskPath", source.path);
    line["state"] = JsonStateWord(source.state);
    WriteJsonLine(out, line);
  }
  for (const VerifyDifference& d : report.differences) {
    Json line;
    line["type"] = "difference";
    line["finding"] = JsonFindingWord(d.finding);
    line["kind"] = KindWord(d.kind);
    PutText(line, "source", report.sources[d.source].name);
    line["path"] = d.path;
    const bool isFile = d.kind != ItemKind::kFolder;
    if (d.finding != VerifyFinding::kNew) {
      line["oldSize"] = d.oldSize;
      if (isFile) PutTime(line, "oldTime", d.oldTime);
    }
    if (d.finding == VerifyFinding::kChanged || d.finding == VerifyFinding::kContentChanged ||
        (d.finding == VerifyFinding::kNew && isFile) || (d.finding == VerifyFinding::kUnreadable && isFile)) {
      line["newSize"] = d.newSize;
      PutTime(line, "newTime", d.newTime);
    }
    if (d.finding == VerifyFinding::kChanged || d.finding == VerifyFinding::kContentChanged) {
      line["changes"] = WordList(ChangeWords(d.changes));
    }
    if (d.finding == VerifyFinding::kContentChanged) line["digests"] = WordList(DigestWords(d.differing));
    if (d.finding == VerifyFinding::kUnreadable) {
      line["problem"] = ProblemWord(d.problem);
      if (d.problem == ReadProblem::kReadError) line["offset"] = d.offset;
    }
    WriteJsonLine(out, line);
  }
  VerifyCounts counts = report.Counts();
  Json summary;
  summary["type"] = "summary";
  PutText(summary, "volume", report.volumeName);
  summary["result"] = ResultWord(report);
  summary["same"] = counts.same;
  summary["changed"] = counts.changed;
  summary["contentChanged"] = counts.contentChanged;
  summary["missing"] = counts.missing;
  summary["unreadable"] = counts.unreadable;
  summary["new"] = counts.added;
  summary["absentSources"] = AbsentSources(report);
  summary["filesRead"] = report.filesDigested;
  summary["bytesRead"] = report.bytesDigested;
  summary["archiveItemsNotCompared"] = report.archiveItemsSkipped;
  WriteJsonLine(out, summary);
}

// "verifying 0:01:02  items 1200/5000  read 1.2 GB of 3.4 GB at 95.3 MB/s  left 0:00:24".
std::string ProgressText(const VerifyProgress& progress, Clock::duration elapsed, int width) {
  std::string line = "verifying " + FormatElapsed(elapsed) + "  items " + std::to_string(progress.itemsChecked) +
                     "/" + std::to_string(progress.itemsTotal);
  if (progress.bytesTotal > 0) {
    char rate[64];
    std::snprintf(rate, sizeof rate, " at %.1f MB/s", progress.bytesPerSecond / 1048576.0);
    line += "  read " + FormatSizeShort(progress.bytesDigested) + " of " + FormatSizeShort(progress.bytesTotal) + rate;
    if (progress.secondsLeft) {
      line += "  left " + FormatElapsed(std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(*progress.secondsLeft)));
    }
  }
  if (width > 1 && line.size() >= static_cast<size_t>(width)) line.resize(static_cast<size_t>(width - 1));
  return line;
}

int RunVerify(CommandContext& context, const std::vector<std::string>& argv) {
  VerifyArguments args;
  if (std::string problem = ParseOptions(argv, args); !problem.empty()) {
    return UsageError(context, kVerifyCommand, problem);
  }
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args.file))) return kExitTrouble;
  if (ReportDamage(context, volume)) return kExitTrouble;

  VerifyJob job;
  const SourceList& sources = volume.Sources();
  job.sourcePaths.resize(sources.size());
  for (const auto& [name, path] : args.mounts) {
    size_t found = SIZE_MAX;
    for (size_t i = 0; i < sources.size(); ++i) {
      if (sources[i].sourceName.Text() != name) continue;
      if (found != SIZE_MAX) return UsageError(context, kVerifyCommand, "several sources are named " + name);
      found = i;
    }
    if (found == SIZE_MAX) return UsageError(context, kVerifyCommand, "the volume has no source named " + name);
    job.sourcePaths[found] = path;
  }
  job.checkMedium = [](const SourceEntry& entry) { return CheckSourceMedium(entry); };

  platform::CatchInterrupts();
  VerifyCounters counters;
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  std::optional<VerifyReport> report;
  const auto start = Clock::now();
  std::jthread worker([&] {
    report = VerifyVolume(volume, job, counters, stop);
    done.store(true);
  });
  const bool live = !args.quiet && platform::IsTerminal(2);
  VerifyProgressMeter meter(start);
  while (!done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (platform::InterruptRequested()) stop.store(true);
    if (live) {
      const auto now = Clock::now();
      context.err << "\r\033[K" << ProgressText(meter.Sample(counters, now), now - start, platform::TerminalWidth(2))
                  << std::flush;
    }
  }
  worker.join();
  if (live) context.err << "\r\033[K" << std::flush;
  if (!report) {
    context.err << "volumist-cli verify: the volume's tree cannot be read; nothing was compared\n";
    return kExitTrouble;
  }
  if (args.json) {
    PrintJson(context.out, *report);
  } else {
    PrintText(context.out, *report);
  }
  for (const VerifiedSource& source : report->sources) {
    if (source.state == SourceState::kAbsent) {
      context.err << "volumist-cli verify: " << OnOneLine(source.path) << ": source " << OnOneLine(source.name)
                  << " is not present; nothing of it was compared\n";
    } else if (source.state == SourceState::kOtherMedium) {
      context.err << "volumist-cli verify: " << OnOneLine(source.path)
                  << ": this is not the disk the volume was made from\n";
    }
  }
  if (report->stopped) {
    context.err << "volumist-cli verify: interrupted; what was compared so far is listed\n";
    return kExitInterrupted;
  }
  return report->AllMatch() ? kExitOk : kExitDiffers;
}

}  // namespace

const Command kVerifyCommand = {
    "verify",
    "[options] FILE [NAME=PATH...]",
    "compare the disk a volume was made from with the volume, reading the files again",
    "Walks every source of the volume FILE again and compares each item the volume holds with\n"
    "what is on the disk now. A file whose record holds signatures is read again and every\n"
    "signature kind it holds (CRC-32, eDonkey, MD5) is computed in one read, so a change\n"
    "that kept the size and the time is found too; several files are read at a time. Files\n"
    "inside listed archives are not compared: the archive file itself is, as a file.\n"
    "NAME=PATH says that the source NAME of the volume is now at PATH (a disk mounted\n"
    "elsewhere, a copy); other sources are looked for at the path the volume records, and\n"
    "one there on another disk (serial number, label or file system differ) is compared\n"
    "all the same, with a warning.\n"
    "  --json          print JSON Lines: one object per source, one per difference, then\n"
    "                  a summary (see docs/json/verify.md)\n"
    "  --quiet         no progress line\n"
    "On a terminal a progress line shows the items compared, the bytes read of those to\n"
    "read, the rate and the time left. Ctrl-C stops: what was compared so far is printed.\n"
    "The report: \"volume:\", a line \"source: NAME<TAB>PATH<TAB>STATE\" per source\n"
    "(verified, other disk, absent), then one line per difference in the order of the walk,\n"
    "fields separated by tabs:\n"
    "  changed     KIND  PATH  WHAT     (size OLD -> NEW, time OLD -> NEW)\n"
    "  content     KIND  PATH  WHAT     (content differs (crc32,md4,md5), and the time)\n"
    "  missing     KIND  PATH           (in the volume, not on the disk)\n"
    "  new         KIND  PATH           (on the disk, not in the volume)\n"
    "  unreadable  KIND  PATH  WHY      (read error at offset N, cannot be opened, ...)\n"
    "KIND is folder, file or archive; paths are in the form ls prints. A missing or new\n"
    "folder is listed once, without its contents. Then the totals as \"key: value\" lines:\n"
    "same, changed, content changed, missing, unreadable, new, absent sources, files read,\n"
    "bytes read, archive items not compared and result (match, differences, interrupted).\n"
    "Exit status: 0 when everything matches, 1 when something differs or a source is\n"
    "absent, 2 for wrong usage or a volume that cannot be read, 130 after Ctrl-C.\n",
    RunVerify,
};

}  // namespace volumist::cli
