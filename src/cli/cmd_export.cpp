// volumist-cli export [options] FILE OUT: writes a volume, or a folder of it, as an XML document.
#include <signal.h>

#include <algorithm>
#include <ostream>

#include "catalog/export_options.h"
#include "cli/argument.h"
#include "cli/command.h"
#include "cli/volume_access.h"
#include "export/messages.h"
#include "export/xml_exporter.h"

namespace volumist::cli {
namespace {

// The column names of the command line, by id - 1.
constexpr std::string_view kColumnKeywords[kExportColumnCount] = {
    "type", "size", "time", "attributes", "description", "path", "label", "filesystem", "serial"};

std::optional<uint8_t> ParseColumn(std::string_view text) {
  for (int id = 1; id <= kExportColumnCount; ++id) {
    if (text == kColumnKeywords[id - 1] || text == std::to_string(id)) return static_cast<uint8_t>(id);
  }
  return std::nullopt;
}

// "6,2": these columns in this order, enabled; the others follow in their present order, disabled.
std::string ParseColumns(const std::string& list, ExportOptions& options) {
  std::vector<uint8_t> chosen;
  size_t begin = 0;
  while (!list.empty() && begin <= list.size()) {
    size_t comma = std::min(list.find(',', begin), list.size());
    auto id = ParseColumn(std::string_view(list).substr(begin, comma - begin));
    if (!id) {
      return "--columns takes a comma-separated list of type, size, time, attributes, description, path, label, "
             "filesystem, serial (or 1 to 9)";
    }
    if (std::find(chosen.begin(), chosen.end(), *id) != chosen.end()) return "--columns names a column twice";
    chosen.push_back(*id);
    begin = comma + 1;
  }
  std::vector<uint8_t> order = chosen;
  for (uint8_t id : options.columnOrder) {
    if (id >= 1 && id <= kExportColumnCount && std::find(order.begin(), order.end(), id) == order.end()) {
      order.push_back(id);
    }
  }
  // A stored order that lacks some ids (a damaged configuration) still gets all nine.
  for (uint8_t id = 1; id <= kExportColumnCount; ++id) {
    if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
  }
  std::copy(order.begin(), order.end(), options.columnOrder.begin());
  for (int id = 1; id <= kExportColumnCount; ++id) {
    options.SetColumnEnabled(id, std::find(chosen.begin(), chosen.end(), id) != chosen.end());
  }
  return "";
}

struct ExportArguments {
  std::optional<std::string> folder;
  std::vector<std::string> files;
};

std::string ParseOptions(const std::vector<std::string>& argv, ExportOptions& options, ExportArguments& args) {
  struct Switch {
    const char* on;
    const char* off;
    bool ExportOptions::*field;
  };
  static constexpr Switch kSwitches[] = {
      {"--archive-content", "--no-archive-content", &ExportOptions::saveArchiveContent},
      {"--volume-info", "--no-volume-info", &ExportOptions::saveVolumeInfo},
      {"--totals", "--no-totals", &ExportOptions::saveTotals},
      {"--signatures", "--no-signatures", &ExportOptions::saveSignatures},
      {"--media", "--no-media", &ExportOptions::saveMedia},
      {"--root-element", "--no-root-element", &ExportOptions::writeRoot},
      {"--volume-element", "--no-volume-element", &ExportOptions::writeVolume},
      {"--content-element", "--no-content-element", &ExportOptions::writeContent},
  };
  for (size_t i = 0; i < argv.size(); ++i) {
    Argument argument(argv, i);
    const std::string& arg = argv[i];
    const std::string& option = argument.option;
    if (option == "--folder" || option == "--columns" || option == "--form") {
      std::optional<std::string> value = argument.TakeValue();
      if (!value) return option + " needs a value";
      if (option == "--folder") {
        args.folder = *value;
      } else if (option == "--columns") {
        if (std::string problem = ParseColumns(*value, options); !problem.empty()) return problem;
      } else if (*value == "attributes" || *value == "elements") {
        options.attributeForm = *value == "attributes";
      } else {
        return "--form takes attributes or elements";
      }
      continue;
    }
    if (option == "--no-subfolders") {
      options.includeSubfolders = false;
      continue;
    }
    auto match = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                              [&](const Switch& s) { return option == s.on || option == s.off; });
    if (match != std::end(kSwitches)) {
      options.*(match->field) = option == match->on;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      args.files.push_back(arg);
    }
  }
  if (args.files.size() != 2) return "expects a volume file and an output file";
  return "";
}

int RunExport(CommandContext& context, const std::vector<std::string>& argv) {
  // The stored choices, as the export dialog starts with them; where to start and whether to
  // descend are chosen anew each time, as the window's export commands do.
  ExportOptions options = context.settings.exportOptions;
  options.includeSubfolders = true;
  options.startPosition = 0;
  options.startPath.clear();
  ExportArguments args;
  if (std::string problem = ParseOptions(argv, options, args); !problem.empty()) {
    return UsageError(context, kExportCommand, problem);
  }
  options.outputPath = args.files[1];
  std::vector<std::string> folderNames;
  if (args.folder) {
    auto names = ItemPathArgument(context, kExportCommand, *args.folder);
    if (!names) return kExitUsage;
    folderNames = std::move(*names);
  }
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args.files[0]))) return kExitFailure;
  options.exportFrom = ExportFrom::kFullVolume;
  // "" and "/" name the whole volume.
  if (!folderNames.empty()) {
    auto item = FindItem(volume, folderNames);
    if (!item || item->kind == RecordKind::kFile) {
      context.err << "volumist-cli export: no folder or archive '" << JoinItemPath(folderNames) << "' in the volume\n";
      return kExitFailure;
    }
    options.startPosition = item->key;
    options.exportFrom = options.includeSubfolders ? ExportFrom::kCurrentFolderAndSubfolders
                                                   : ExportFrom::kCurrentFolder;
  }
  if (NeedsRootElement(options)) {
    context.prompter.ShowInfo(messages::kOnlyOneTopLevelElement);
    options.writeRoot = true;
  }
  const bool toStandardOutput = options.outputPath == "-";
  XmlExporter exporter(volume, std::move(options), context.fileSystem, context.prompter);
  if (toStandardOutput) {
    // A reader that goes away is a failed write, reported, rather than a silent end.
    ::signal(SIGPIPE, SIG_IGN);
    if (!exporter.Run(platform::StandardOutputFile())) return kExitFailure;
  } else if (!exporter.Run()) {
    return kExitFailure;
  }
  return ReportDamage(context, volume) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kExportCommand = {
    "export",
    "[options] FILE OUT",
    "write a volume, or a folder of it, as an XML document",
    "Writes the volume FILE as the XML document OUT (replaced if it exists; written\n"
    "to a temporary file beside it first, so a failed export leaves it as it was).\n"
    "OUT \"-\" writes the document to standard output. An OUT that is a link is\n"
    "followed; one that is a folder or a special file is refused.\n"
    "The columns, sections and form start from the configured export options.\n"
    "  --folder PATH       export the contents of this folder or archive of the volume\n"
    "                      (a path as ls and search print it, see \"Paths inside a\n"
    "                      volume\" in volumist-cli --help; \"/\" is the whole volume)\n"
    "  --no-subfolders     do not descend into folders (their elements stay empty);\n"
    "                      inside archives every folder is descended into\n"
    "  --columns LIST      the columns to write, in this order, such as path,size;\n"
    "                      of type, size, time, attributes, description, path, label,\n"
    "                      filesystem, serial (or 1 to 9); the others are left out.\n"
    "                      Folders get only size, description, path, label,\n"
    "                      filesystem and serial.\n"
    "  --archive-content, --no-archive-content   archives as folders with their entries\n"
    "  --volume-info, --no-volume-info   the volume's details in the VOLUME element\n"
    "  --totals, --no-totals             the TOTALS element\n"
    "  --signatures, --no-signatures     SIGNATURES sections (CRC32, MD4, MD5)\n"
    "  --media, --no-media               EXTRA_INFORMATION sections (audio, video)\n"
    "  --form attributes|elements        values as attributes of the item's start tag,\n"
    "                                    or as elements of their own\n"
    "  --root-element, --no-root-element, --volume-element, --no-volume-element,\n"
    "  --content-element, --no-content-element   the ROOT, VOLUME and CONTENT wrappers\n"
    "When the wrappers would leave the document with more than one top-level element,\n"
    "ROOT is written, with a notice on stderr.\n"
    "The document: an XML declaration, then ROOT, VOLUME (NAME and, with volume\n"
    "information, FILENAME, FILES, FOLDERS, ARCHIVES, TOTAL_FILES, TOTAL_FOLDERS,\n"
    "VOLUME_CONTENT_SIZE, VOLUME_FILE_SIZE, VOLUME_FILE_TIME), CONTENT with one\n"
    "element per folder, file and archive (FOLDER and FILE in attribute form, ITEM\n"
    "with a Type in element form), and TOTALS. Lines end with CR LF; characters\n"
    "beyond ASCII are written as numeric references to their code points.\n",
    RunExport,
};

}  // namespace volumist::cli
