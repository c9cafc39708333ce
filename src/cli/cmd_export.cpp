// volumist-cli export [options] FILE OUT: writes a volume, or a folder of it, as an XML document;
// with --format also as a checksum manifest, a list of ed2k links, CSV or JSON Lines.
#include <signal.h>

#include <algorithm>
#include <ostream>

#include "catalog/export_options.h"
#include "cli/argument.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "catalog/value_format.h"
#include "cli/volume_access.h"
#include "export/manifest_exporter.h"
#include "export/manifest_rows.h"
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

// The list formats besides XML.
enum class ListFormat { kXml, kMd5, kSfv, kEd2k, kCsv, kJson };

struct ExportArguments {
  std::optional<std::string> folder;
  std::vector<std::string> files;
  std::optional<ListFormat> format;
  std::optional<std::string> output;
  // Filled in after parsing: the volume file and where the output goes ("-": standard output).
  std::string volumeFile;
  std::string outputPath;
};

std::optional<ListFormat> ParseFormat(std::string_view word) {
  static constexpr std::pair<std::string_view, ListFormat> kFormats[] = {
      {"xml", ListFormat::kXml}, {"md5", ListFormat::kMd5},   {"sfv", ListFormat::kSfv},
      {"ed2k", ListFormat::kEd2k}, {"csv", ListFormat::kCsv}, {"json", ListFormat::kJson}};
  for (const auto& [name, format] : kFormats) {
    if (word == name) return format;
  }
  return std::nullopt;
}

// The operands. Without --format and -o, as always: FILE OUT. With either: FILE [FOLDER-PATH]
// [-], the output going to -o's file, else to standard output.
std::string SortOperands(ExportArguments& args) {
  if (!args.format && !args.output) {
    if (args.files.size() != 2) return "expects a volume file and an output file";
    args.volumeFile = args.files[0];
    args.outputPath = args.files[1];
    return "";
  }
  std::vector<std::string> operands = args.files;
  if (operands.size() >= 2 && operands.back() == "-") {
    if (args.output) return "takes -o OUT or -, not both";
    operands.pop_back();
  }
  if (operands.empty() || operands.size() > 2) return "expects a volume file and at most one folder path";
  if (operands.size() == 2) {
    if (args.folder) return "takes the folder as an operand or with --folder, not both";
    args.folder = operands[1];
  }
  args.volumeFile = operands[0];
  args.outputPath = args.output.value_or("-");
  return "";
}

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
    if (option == "--folder" || option == "--columns" || option == "--form" || option == "--format" ||
        option == "-o" || option == "--output") {
      std::optional<std::string> value = argument.TakeValue();
      if (!value) return option + " needs a value";
      if (option == "--folder") {
        args.folder = *value;
      } else if (option == "--format") {
        args.format = ParseFormat(*value);
        if (!args.format) return "--format takes xml, md5, sfv, ed2k, csv or json";
      } else if (option == "-o" || option == "--output") {
        args.output = *value;
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
  return SortOperands(args);
}

// JSON Lines: one object per item (docs/json/export.md).
class JsonRows final : public ManifestRowWriter {
 public:
  Scope ItemScope() const override { return Scope::kAllItems; }
  bool WantsDescriptions() const override { return true; }
  RowOutcome Row(const ManifestItem& item, std::string& out) override {
    Json object;
    object["kind"] = KindWord(item.kind);
    PutText(object, "name", item.name);
    object["path"] = std::string(item.itemPath);
    object["inArchive"] = item.inArchive;
    object["size"] = item.record->size.Value();
    if (item.file != nullptr) {
      PutTime(object, "time", item.file->modifiedTime);
      object["attributes"] = FormatAttributes(item.file->signatures);
    }
    if (item.description != nullptr) PutText(object, "description", *item.description);
    if (const SignatureBlock* signatures = item.Signatures()) {
      if (signatures->hasCrc32) object["crc32"] = FormatCrc32(*signatures);
      if (signatures->hasMd4) object["md4"] = FormatMd4(*signatures);
      if (signatures->hasMd5) object["md5"] = FormatMd5(*signatures);
    }
    if (item.source != nullptr) PutText(object, "source", item.source->sourceName.Text());
    out += object.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    out += '\n';
    return RowOutcome::kWritten;
  }
};

// The signature a checksum list needs, for the notice about files without it.
const char* SignatureName(ListFormat format) {
  switch (format) {
    case ListFormat::kMd5: return "MD5";
    case ListFormat::kSfv: return "CRC32";
    case ListFormat::kEd2k: return "eDonkey (MD4)";
    default: return "";
  }
}

// Writes the list of `format`, then says on stderr what was left out. Nothing written because no
// file holds the signature is a failure: an empty manifest checks nothing.
int RunList(CommandContext& context, VolumeCatalog& volume, ExportOptions options, ListFormat format,
            const std::string& outputPath) {
  std::unique_ptr<ManifestRowWriter> rows;
  switch (format) {
    case ListFormat::kMd5: rows = MakeManifestRows(ManifestFormat::kMd5, options, volume.Header().volumeName); break;
    case ListFormat::kSfv: rows = MakeManifestRows(ManifestFormat::kSfv, options, volume.Header().volumeName); break;
    case ListFormat::kEd2k: rows = MakeManifestRows(ManifestFormat::kEd2k, options, volume.Header().volumeName); break;
    case ListFormat::kCsv: rows = MakeManifestRows(ManifestFormat::kCsv, options, volume.Header().volumeName); break;
    case ListFormat::kJson: rows = std::make_unique<JsonRows>(); break;
    case ListFormat::kXml: return kExitUsage;
  }
  options.outputPath = outputPath;
  ManifestExporter exporter(volume, std::move(options), context.fileSystem, context.prompter);
  if (outputPath == "-") {
    ::signal(SIGPIPE, SIG_IGN);
    if (!exporter.Run(*rows, platform::StandardOutputFile())) return kExitFailure;
  } else if (!exporter.Run(*rows)) {
    return kExitFailure;
  }
  const ManifestTotals& totals = exporter.Totals();
  if (totals.noSignature > 0) {
    context.err << "volumist-cli export: " << totals.noSignature << " file(s) left out: no " << SignatureName(format)
                << " signature recorded\n";
  }
  if (totals.unwritable > 0) {
    context.err << "volumist-cli export: " << totals.unwritable
                << " file(s) left out: a line break in the path, or a path starting with \";\", has no SFV form\n";
  }
  if (ReportDamage(context, volume)) return kExitFailure;
  if (totals.written == 0 && totals.archiveMembers > 0 && totals.noSignature == 0) {
    context.err << "volumist-cli export: archive members are not files on the disk; nothing was listed\n";
    return kExitFailure;
  }
  if (totals.written == 0 && totals.noSignature > 0) {
    context.err << "volumist-cli export: no file has its " << SignatureName(format)
                << " signature recorded; scan with --signatures to record it\n";
    return kExitFailure;
  }
  return kExitOk;
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
  options.outputPath = args.outputPath;
  std::vector<std::string> folderNames;
  if (args.folder) {
    auto names = ItemPathArgument(context, kExportCommand, *args.folder);
    if (!names) return kExitUsage;
    folderNames = std::move(*names);
  }
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args.volumeFile))) return kExitFailure;
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
  const ListFormat format = args.format.value_or(ListFormat::kXml);
  if (format != ListFormat::kXml) return RunList(context, volume, std::move(options), format, args.outputPath);
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
    "[options] FILE OUT | --format F [options] FILE [PATH] [-o OUT | -]",
    "write a volume, or a folder of it, as XML, a checksum manifest, links, CSV or JSON",
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
    "beyond ASCII are written as numeric references to their code points.\n"
    "\n"
    "With --format (or -o) the operands are FILE and, optionally, the PATH of the\n"
    "folder to export (as --folder); the output goes to OUT, or to standard output\n"
    "without -o or with a last operand \"-\".\n"
    "  --format F          the kind of list: xml, md5, sfv, ed2k, csv or json\n"
    "  -o OUT (--output)   the file to write (replaced as above)\n"
    "md5 writes the lines \"md5sum -c\" checks, sfv the lines \"cksfv -f\" checks (after\n"
    "\"; \" comment lines), both with paths relative to the scanned folder: run the\n"
    "check from there. In a volume of several sources each path starts with its\n"
    "source's name. A path with a backslash or a line break is written as md5sum\n"
    "writes it (the line starts with \"\\\"). ed2k writes one ed2k link per line.\n"
    "These three list files on the disk only: folders and archive members are left\n"
    "out, and so are files without the signature they need (MD5, CRC32, eDonkey),\n"
    "and for sfv paths with a line break or starting with \";\"; stderr says how\n"
    "many. When no file holds the signature, or only archive members were found,\n"
    "the status is 1.\n"
    "csv writes RFC 4180 CSV (CR LF, UTF-8): a header row, then one row per folder,\n"
    "file and archive: Kind, Name, the chosen columns (see --columns; Full path is\n"
    "the item's path as ls prints it), and CRC32, MD4, MD5 with --signatures. Bytes\n"
    "of names and texts that are not UTF-8 are written as U+FFFD; the Full path keeps\n"
    "them as \\xHH. json writes JSON Lines, one object per item (docs/json/export.md).\n"
    "csv and json list archive members with --archive-content.\n",
    RunExport,
};

}  // namespace volumist::cli
