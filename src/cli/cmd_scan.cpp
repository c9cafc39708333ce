// volumist-cli scan [options] SOURCE...: scans folders into a new volume, or adds them to one.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <sstream>

#include "catalog/file_type_group.h"
#include "cli/argument.h"
#include "cli/command.h"
#include "cli/console_prompter.h"
#include "cli/volume_access.h"
#include "cli/scan_progress.h"
#include "cli/scan_setup.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "scan/file_preparation.h"
#include "scan/messages.h"
#include "scan/scan_controller.h"
#include "scan/scan_job_rules.h"

namespace volumist::cli {
namespace {

constexpr int kExitInterrupted = 130;

// Names accepted by --archives and --images, in the order of their codes.
constexpr const char* kArchiveNames[kArchiveKindCount] = {"zip", "rar", "cab", "ace", "arj", "jar",
                                                          "lzh", "zoo", "tar", "gz",  "ha"};
constexpr const char* kImageNames[kImageTypeCount] = {"jpg", "bmp", "gif", "ico", "tga", "pcx",
                                                      "png", "wmf", "tiff", nullptr, nullptr, "wbmp"};

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::istringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

// Sets switches from "--option" (all on) or "--option=a,b" (just those). False on an unknown name.
template <size_t N>
bool SetKinds(const std::optional<std::string>& list, const char* const (&names)[N], std::array<bool, N>& switches,
              std::string& unknown) {
  if (!list) {
    for (size_t i = 0; i < N; ++i) switches[i] = names[i] != nullptr;
    return true;
  }
  switches.fill(false);
  for (const std::string& item : SplitList(*list)) {
    size_t i = 0;
    while (i < N && (names[i] == nullptr || item != names[i])) ++i;
    if (i == N) {
      unknown = item;
      return false;
    }
    switches[i] = true;
  }
  return true;
}

struct ScanArguments {
  std::vector<std::string> sources;
  std::optional<std::string> name;
  std::optional<std::string> file;
  std::optional<std::string> add;
  bool yes = false;
  bool quiet = false;
};

// Parses the options into `job` (which holds the template's values) and `args`. Returns an error
// text, or "" when the command line is good.
std::string ParseOptions(const std::vector<std::string>& argv, ScanJob& job, ScanArguments& args) {
  for (size_t i = 0; i < argv.size(); ++i) {
    Argument argument(argv, i);
    const std::string& arg = argv[i];
    const std::string& option = argument.option;
    std::string unknown;
    if (option == "--name" || option == "--file" || option == "--add" || option == "--group") {
      auto given = argument.TakeValue();
      if (!given) return option + " needs a value";
      if (option == "--name") args.name = *given;
      if (option == "--file") args.file = *given;
      if (option == "--add") args.add = *given;
      if (option == "--group") {
        char* end = nullptr;
        long group = std::strtol(given->c_str(), &end, 10);
        if (given->empty() || *end != '\0' || group < 0 || group >= static_cast<long>(kFileTypeGroupCount)) {
          return "--group takes a number from 0 to 13";
        }
        job.fileTypeGroup = static_cast<uint32_t>(group);
      }
    } else if (option == "--no-subfolders") {
      job.scanSubfolders = false;
    } else if (option == "--no-hidden") {
      job.includeHiddenSystem = false;
    } else if (option == "--no-attributes") {
      job.saveAttributes = false;
    } else if (option == "--drop-empty") {
      job.dropEmptyFolders = true;
    } else if (option == "--no-eject") {
      job.ejectAfterScan = false;
    } else if (option == "--cross-mounts") {
      job.crossMounts = true;
    } else if (option == "--signatures") {
      job.computeSignatures = true;
      std::array<bool, 3> kinds{};
      const char* names[3] = {"crc32", "md4", "md5"};
      if (!SetKinds(argument.value, names, kinds, unknown)) return "unknown signature '" + unknown + "'";
      job.signatureCrc32 = kinds[0];
      job.signatureMd4 = kinds[1];
      job.signatureMd5 = kinds[2];
    } else if (option == "--archives") {
      job.analyzeArchives = true;
      if (!SetKinds(argument.value, kArchiveNames, job.archiveKinds, unknown)) return "unknown archive kind '" + unknown + "'";
    } else if (option == "--no-archives") {
      job.analyzeArchives = false;
    } else if (option == "--by-content") {
      job.archiveKindByContent = true;
    } else if (option == "--audio") {
      job.analyzeAudio = job.audioMp3 = true;
    } else if (option == "--video") {
      job.analyzeVideo = job.videoAvi = job.videoMpeg = true;
    } else if (option == "--images") {
      job.analyzeImages = true;
      if (!SetKinds(argument.value, kImageNames, job.imageTypes, unknown)) return "unknown image kind '" + unknown + "'";
    } else if (option == "--yes" || option == "-y") {
      args.yes = true;
    } else if (option == "--quiet" || option == "-q") {
      args.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      args.sources.push_back(arg);
    }
  }
  if (args.sources.empty()) return "expects at least one SOURCE";
  if (args.add && (args.name || args.file)) return "--add takes the volume's own name and file";
  return "";
}

int RunScan(CommandContext& context, const std::vector<std::string>& argv) {
  ScanJob job = context.settings.scanJob;
  ScanArguments args;
  if (std::string problem = ParseOptions(argv, job, args); !problem.empty()) {
    return UsageError(context, kScanCommand, problem);
  }
  std::optional<std::string> volumeDirectory = ScanVolumeDirectory(context);
  if (!volumeDirectory) return kExitFailure;
  AssumeYesPrompter yes(context.prompter);
  Prompter& prompter = args.yes ? static_cast<Prompter&>(yes) : context.prompter;

  std::vector<ScanSource> sources;
  for (const std::string& source : args.sources) sources.push_back(ParseSource(context, source));

  ScanController controller(context.fileSystem, prompter, DrivesForScan());
  std::unique_ptr<VolumeCatalog> loaded;
  ScanPage page = sources.size() == 1 ? ScanPage::kSingleSource : ScanPage::kMultipleSources;
  if (args.add) {
    loaded = std::make_unique<VolumeCatalog>(context.fileSystem, prompter);
    if (!loaded->OpenVolume(ResolveVolumeFile(context, *args.add))) return kExitFailure;
    // Adding copies the descriptions as they are; a damaged volume is left alone.
    if (ReportDamage(context, *loaded)) {
      context.err << "volumist-cli scan: nothing was changed\n";
      return kExitFailure;
    }
    if (!controller.PrepareJob(job, ScanMode::kAddToVolume, page == ScanPage::kMultipleSources, loaded.get())) {
      return kExitFailure;
    }
  } else {
    job.mode = ScanMode::kNewVolume;
    job.volumeName = args.name.value_or(DefaultVolumeName(job));
    job.volumeFileName = args.file.value_or(MakeVolumeFileName(job.volumeName, true));
  }
  job.sources = sources;
  // The command line never asks for a description after a scan nor starts another one, so its
  // sources do not say so, whatever the window's settings hold.
  job.unattended = true;
  job.descriptionPrompt = false;
  job.scanAgain = false;
  SingleSource single{sources[0].sourceName, sources[0].path};
  if (!ValidateJob(job, page, single, *volumeDirectory, context.fileSystem, prompter)) return kExitFailure;
  if (job.volumeFileName.front() != '/') job.volumeFileName = platform::JoinPath(*volumeDirectory, job.volumeFileName);
  if (!args.add) {
    // The raised counter is kept, as the window keeps it, so that the next default name is new.
    context.settings.scanJob.volumeCounter = job.volumeCounter;
    (void)context.settings.SaveVolumeCounter();
  }

  platform::CatchInterrupts();
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  auto start = Clock::now();
  const bool live = !args.quiet && platform::IsTerminal(2);
  ScanProgressLine progress(PreparationReadsFiles(job), start, platform::BytesReadSoFar());
  controller.Start(job, loaded.get(), [&] {
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
  auto elapsed = Clock::now() - start;
  ScanController::Outcome outcome = controller.Finish();
  const ScanReport& report = outcome.report;
  if (report.unreadableDirectories > 0) {
    context.err << "volumist-cli scan: " << report.unreadableDirectories
                << " folder(s) could not be read; they are recorded as empty\n";
  }
  for (const std::string& folder : report.tooDeepFolders) {
    context.err << "volumist-cli scan: " << folder << ": nested deeper than " << kMaxWalkDepth
                << " folders; recorded as empty\n";
  }
  for (const std::string& file : report.shrunkFiles) {
    context.err << "volumist-cli scan: " << file
                << ": became shorter than listed while it was read; recorded without signatures\n";
  }
  if (!outcome.succeeded) {
    context.err << "volumist-cli scan: " << (stopping ? "interrupted" : "failed")
                << "; no volume file was written or changed\n";
    return stopping ? kExitInterrupted : kExitFailure;
  }
  if (!args.add && outcome.volumeCounter > context.settings.scanJob.volumeCounter) {
    // Another scan took the default name meanwhile; the counter moves past the name this one took.
    context.settings.scanJob.volumeCounter = outcome.volumeCounter;
    (void)context.settings.SaveVolumeCounter();
  }
  Counters c = outcome.volume->Header().counters.Snapshot();
  context.out << "volume: " << outcome.volume->Header().volumeName << '\n'
              << "file: " << outcome.volume->VolumeFilePath() << '\n'
              << "folders: " << c.folderCount << '\n'
              << "files: " << c.fileCount << '\n'
              << "archives: " << c.archiveCount << '\n'
              << "folders in total: " << c.totalFolderCount << '\n'
              << "files in total: " << c.totalFileCount << '\n'
              << "content size: " << outcome.volume->Header().contentSize.Value() << '\n'
              << "elapsed: " << FormatElapsed(elapsed) << '\n';
  for (const std::string& folder : report.otherFileSystems) {
    context.out << messages::kNotEnteredOtherFileSystem << ": " << folder << '\n';
  }
  return kExitOk;
}

}  // namespace

const Command kScanCommand = {
    "scan",
    "[options] SOURCE...",
    "scan folders or drives into a new volume, or add them to a volume",
    "Each SOURCE is PATH or NAME=PATH: a folder source named NAME (by default the last\n"
    "component of PATH, or the medium's label when PATH is a mount point).\n"
    "Options not given take their values from the scan settings of the configuration.\n"
    "  --name NAME         volume name (default \"Volume<N>\" with the volume counter)\n"
    "  --file FILE         volume file, inside the volume directory unless absolute\n"
    "                      (default: made from the volume name, with .vkt)\n"
    "  --add FILE          add the sources to this volume file instead\n"
    "  --group N           record only files of group N (0 all files ... 13 video)\n"
    "  --no-subfolders     do not descend into folders\n"
    "  --no-hidden         leave out hidden and system files and folders\n"
    "  --no-attributes     do not store file attributes\n"
    "  --drop-empty        leave out folders (and sources) whose contents total 0 bytes\n"
    "  --no-eject          do not open the tray of a CD drive after the scan\n"
    "  --cross-mounts      enter other file systems mounted below a source (never proc,\n"
    "                      sysfs, devtmpfs, cgroup and the kernel's other own ones)\n"
    "  --signatures[=crc32,md4,md5]   compute content signatures (all three by default)\n"
    "  --archives[=zip,rar,cab,ace,arj,jar,lzh,zoo,tar,gz,ha]   list archive contents\n"
    "  --no-archives       do not list archive contents\n"
    "  --by-content        recognise archives by their first bytes too\n"
    "  --audio             read MP3 tags and lengths\n"
    "  --video             read AVI and MPEG facts\n"
    "  --images[=jpg,bmp,gif,ico,tga,pcx,png,wmf,tiff,wbmp]   picture facts and thumbnails\n"
    "  --yes               rewrite an existing volume file without asking\n"
    "  --quiet             no progress line while scanning\n"
    "Every SOURCE must be an existing folder. A volume file that is a folder or a special\n"
    "file is refused; a link is followed and the file it names rewritten. A volume file\n"
    "that another program makes under the default name during the scan is kept, and the\n"
    "volume takes the next free default name; under a name given with --name or --file\n"
    "the question is asked again (--yes answers it).\n"
    "While scanning, a terminal shows the status, the elapsed time and the counters on one\n"
    "line (unless --quiet); when signatures, archives or media are on, also the bytes read\n"
    "so far and the rate over the last seconds (\"read 1.18 GB at 95.3 MB/s\"), and the file\n"
    "being read once reading it takes more than a second (\"reading PATH\"). Ctrl-C\n"
    "(or SIGTERM, SIGHUP) stops the scan, leaves any existing volume file as it was and\n"
    "exits with status 130.\n"
    "Folders are walked 1024 levels deep, also where their paths are longer than the\n"
    "system's path limit; a folder deeper still is recorded empty, with a warning. A\n"
    "folder that cannot be listed, or listed but not entered (read permission without\n"
    "execute), is recorded empty. Another file system mounted below a source (a mount\n"
    "point: another mount than its parent's, so btrfs subvolumes are not one) is recorded\n"
    "as an empty folder and not entered, unless --cross-mounts is given. Signatures cover\n"
    "exactly the size a file was listed with: bytes appended meanwhile are not read, and\n"
    "a file that became shorter gets none.\n"
    "The sources it writes store \"scan again\" and the description prompt off (the command\n"
    "line asks neither), whatever the settings hold.\n"
    "At the end the volume's name, file, counters, content size and elapsed time are\n"
    "printed as \"key: value\" lines, then a line \"not entered: other file system: PATH\"\n"
    "for each mount point not entered; folders that could not be read or lie too deep and\n"
    "files that became shorter while read are reported on stderr.\n",
    RunScan,
};

}  // namespace volumist::cli
