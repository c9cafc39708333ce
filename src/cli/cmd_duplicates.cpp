// volumist-cli duplicates [--all | FILE...] [options]: groups of copies over volume files.
#include <ostream>

#include "cli/argument.h"
#include "cli/command.h"
#include "cli/duplicate_output.h"
#include "cli/volume_access.h"
#include "scan/scan_engine.h"
#include "search/duplicates.h"

namespace volumist::cli {
namespace {

struct DuplicatesArguments {
  bool all = false;
  bool json = false;
  std::vector<std::string> files;
};

std::string ParseOptions(const std::vector<std::string>& argv, DuplicateOptions& options, DuplicatesArguments& args) {
  for (size_t i = 0; i < argv.size(); ++i) {
    Argument argument(argv, i);
    const std::string& option = argument.option;
    if (option == "--min-size") {
      auto given = argument.TakeValue();
      auto size = given ? ParseSizeText(*given) : std::nullopt;
      if (!size) return "--min-size takes a size in bytes, or with K, M or G";
      options.minimumSize = *size;
    } else if (option == "--by") {
      auto given = argument.TakeValue();
      if (given == "content") options.match = DuplicateMatch::kContent;
      else if (given == "name-size") options.match = DuplicateMatch::kNameAndSize;
      else return "--by takes content or name-size";
    } else if (option == "--within") {
      options.withinVolume = true;
    } else if (option == "--all") {
      args.all = true;
    } else if (option == "--json") {
      args.json = true;
    } else if (argv[i].size() > 1 && argv[i][0] == '-') {
      return "unknown option " + argv[i];
    } else {
      args.files.push_back(argv[i]);
    }
  }
  if (args.all == !args.files.empty()) return "needs either --all or one or more FILEs";
  return "";
}

const char* DigestName(DigestKind kind) { return kind == DigestKind::kEd2k ? "ed2k" : "md5"; }

int RunDuplicatesCommand(CommandContext& context, const std::vector<std::string>& argv) {
  DuplicateOptions options;
  DuplicatesArguments args;
  if (std::string problem = ParseOptions(argv, options, args); !problem.empty()) {
    return UsageError(context, kDuplicatesCommand, problem);
  }
  std::vector<std::string> paths;
  if (args.all) {
    auto all = AllVolumeFiles(context, kDuplicatesCommand);
    if (!all) return kExitFailure;
    paths = std::move(*all);
  } else {
    for (const std::string& file : args.files) paths.push_back(ResolveVolumeFile(context, file));
  }
  if (paths.size() > kMaximumDuplicateVolumes) {
    context.err << "volumist-cli " << kDuplicatesCommand.name << ": " << kTooManyVolumesForDuplicates << '\n';
    return kExitFailure;
  }
  options.threads = DefaultWorkerThreads();
  MemberPrinter printer;
  size_t groups = 0;
  uint64_t files = 0;
  uint64_t extraBytes = 0;
  std::string text;
  DuplicateReport report = FindDuplicates(paths, options, context.fileSystem, [&](DuplicateGroup&& group, const DuplicateVolumes& volumes) {
    ++groups;
    files += group.members.size();
    extraBytes += group.size * (group.members.size() - 1);
    if (args.json) {
      Json object = Json::object();
      object["rule"] = group.rule == DuplicateRule::kContent ? "content" : "name-size";
      if (group.rule == DuplicateRule::kContent) {
        object["digestKind"] = DigestName(group.digestKind);
        object["digest"] = DigestHex(group.digest);
      }
      object["size"] = group.size;
      object["count"] = group.members.size();
      Json members = Json::array();
      for (const DuplicateMember& member : group.members) members.push_back(printer.Object(member, volumes));
      object["members"] = std::move(members);
      WriteJsonLine(context.out, object);
      return;
    }
    text.clear();
    if (groups > 1) text += '\n';
    if (group.rule == DuplicateRule::kContent) {
      text.append("Same content (").append(DigestName(group.digestKind)).append(" ").append(DigestHex(group.digest));
    } else {
      text.append("Same name and size (no signatures");
    }
    text.append("), ").append(std::to_string(group.size)).append(" bytes, ");
    text.append(std::to_string(group.members.size())).append(" files:\n");
    for (const DuplicateMember& member : group.members) text.append("  ").append(printer.Line(member, volumes)).append("\n");
    context.out << text;
  });
  if (!args.json) {
    if (groups > 0) context.out << '\n';
    context.out << groups << (groups == 1 ? " group, " : " groups, ") << files << " files, " << extraBytes
                << " bytes in extra copies\n";
  }
  context.out.flush();
  return ReportUnreadVolumes(context, report) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kDuplicatesCommand = {
    "duplicates",
    "(--all | FILE...) [--min-size SIZE] [--by content|name-size] [--within] [--json]",
    "find copies of the same file over volumes, without their disks",
    "Finds groups of copies of one file over the volume FILEs, or with --all over every\n"
    "volume of the volume directory. Two files are the same content when they hold the\n"
    "same MD5 or the same eDonkey hash and have the same size; files whose records hold\n"
    "neither are grouped by name (base name and extension, exactly) and size instead, and\n"
    "such groups say so. Listed archives count as the files they are, and the files inside\n"
    "them as files. Folders are not compared.\n"
    "  --min-size SIZE     leave out files smaller than SIZE bytes (K, M and G are units of\n"
    "                      1024). The default 1 leaves out zero-byte files, which all share\n"
    "                      one content; --min-size 0 takes them too\n"
    "  --by content|name-size   only by content (files without MD5 or eDonkey hash are left\n"
    "                      out), or every file by name and size whatever it holds\n"
    "  --within            only copies on one and the same volume\n"
    "  --json              one JSON object per group and line (JSON Lines)\n"
    "Groups come largest files first. Output: for each group a line that says how it was\n"
    "matched, its size and its number of files, then one line per file, indented, fields\n"
    "separated by tabs:\n"
    "  VOLUME  PATH  SIZE  TIME  [archive | archive member]\n"
    "PATH is the item's path inside its volume, as ls prints it and every command takes it;\n"
    "TIME is DD.MM.YYYY HH:MM in local time. A last line counts groups, files, and the bytes\n"
    "held by all copies but one of each group.\n"
    "With --json, each line is an object with these members in this order:\n"
    "  rule                 \"content\" or \"name-size\"\n"
    "  digestKind, digest   content groups: \"md5\" or \"ed2k\" and its hexadecimal digits\n"
    "  size, count          the size of each file and the number of files\n"
    "  members              an array of objects: volume, volumeFile, path, name, size,\n"
    "                       time, timeText, archive, archiveMember\n"
    "Texts that are not UTF-8 are written escaped with a flag (see docs/json).\n"
    "A volume file that cannot be opened, or that is damaged, is reported on stderr; the\n"
    "groups found are printed all the same and the exit status is 1.\n",
    RunDuplicatesCommand,
};

}  // namespace volumist::cli
