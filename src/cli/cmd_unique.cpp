// volumist-cli unique FILE [--all | FILE...]: the files of one volume that no other volume holds.
#include <ostream>

#include "cli/argument.h"
#include "cli/command.h"
#include "cli/duplicate_output.h"
#include "cli/volume_access.h"
#include "scan/scan_engine.h"
#include "search/duplicates.h"

namespace volumist::cli {
namespace {

struct UniqueArguments {
  bool all = false;
  bool json = false;
  std::vector<std::string> files;  // the volume first, then the others
};

std::string ParseOptions(const std::vector<std::string>& argv, DuplicateOptions& options, UniqueArguments& args) {
  for (size_t i = 0; i < argv.size(); ++i) {
    Argument argument(argv, i);
    const std::string& option = argument.option;
    if (option == "--min-size") {
      auto given = argument.TakeValue();
      auto size = given ? ParseSizeText(*given) : std::nullopt;
      if (!size) return "--min-size takes a size in bytes, or with K, M or G";
      options.minimumSize = *size;
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
  if (args.files.empty()) return "expects the volume FILE";
  if (args.all && args.files.size() > 1) return "takes either --all or the other FILEs";
  return "";
}

int RunUniqueCommand(CommandContext& context, const std::vector<std::string>& argv) {
  DuplicateOptions options;
  UniqueArguments args;
  if (std::string problem = ParseOptions(argv, options, args); !problem.empty()) {
    return UsageError(context, kUniqueCommand, problem);
  }
  std::vector<std::string> paths = {ResolveVolumeFile(context, args.files.front())};
  if (args.files.size() == 1) {
    auto all = AllVolumeFiles(context, kUniqueCommand);
    if (!all) return kExitFailure;
    paths.insert(paths.end(), all->begin(), all->end());
  } else {
    for (size_t i = 1; i < args.files.size(); ++i) paths.push_back(ResolveVolumeFile(context, args.files[i]));
  }
  if (paths.size() > kMaximumDuplicateVolumes) {
    context.err << "volumist-cli " << kUniqueCommand.name << ": " << kTooManyVolumesForDuplicates << '\n';
    return kExitFailure;
  }
  options.threads = DefaultWorkerThreads();
  MemberPrinter printer;
  uint64_t files = 0;
  uint64_t bytes = 0;
  DuplicateReport report =
      FindUniqueFiles(paths, 0, options, context.fileSystem, [&](DuplicateMember&& member, const DuplicateVolumes& volumes) {
        ++files;
        bytes += member.size;
        if (args.json) {
          WriteJsonLine(context.out, printer.Object(member, volumes));
        } else {
          context.out << printer.Line(member, volumes) << '\n';
        }
      });
  if (!args.json) {
    context.out << files << (files == 1 ? " file, " : " files, ") << bytes << " bytes without a copy on ";
    size_t others = 0;
    for (size_t i = 1; i < report.volumes.size(); ++i) others += report.volumes[i].opened ? 1 : 0;
    context.out << others << (others == 1 ? " other volume\n" : " other volumes\n");
  }
  context.out.flush();
  return ReportUnreadVolumes(context, report) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kUniqueCommand = {
    "unique",
    "FILE [--all | FILE...] [--min-size SIZE] [--json]",
    "list the files of a volume that no other volume holds: what has no backup",
    "Lists the files of the volume FILE that exist on no other volume: on the volume FILEs\n"
    "that follow it, or (with --all, or with none given) on every other volume of the\n"
    "volume directory. A file has a copy when another volume holds a file of the same\n"
    "size that shares its MD5 or eDonkey hash; when one of the two holds neither, the same\n"
    "name (base name and extension, exactly) and size count as a copy. Two files that\n"
    "both hold an MD5 and differ in it are different, whatever their names. Listed\n"
    "archives count as the files they are, and the files inside them as files.\n"
    "  --min-size SIZE     leave out files smaller than SIZE bytes (K, M and G are units of\n"
    "                      1024). The default 1 leaves out zero-byte files, which hold\n"
    "                      nothing to lose; --min-size 0 takes them too\n"
    "  --json              one JSON object per file and line (JSON Lines)\n"
    "Output: one line per file, in the order of the volume's tree, fields separated by tabs:\n"
    "  VOLUME  PATH  SIZE  TIME  [archive | archive member]\n"
    "as duplicates prints them, then a line that counts them.\n"
    "With --json, each line is an object with these members in this order:\n"
    "  volume, volumeFile, path, name, size, time, timeText, archive, archiveMember\n"
    "Texts that are not UTF-8 are written escaped with a flag (see docs/json).\n"
    "A volume file that cannot be opened, or that is damaged, is reported on stderr; the\n"
    "files found are printed all the same and the exit status is 1.\n",
    RunUniqueCommand,
};

}  // namespace volumist::cli
