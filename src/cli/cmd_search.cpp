// volumist-cli search [options] MASK: searches one volume or every volume of the volume directory.
#include <atomic>
#include <cstdio>
#include <ctime>
#include <ostream>
#include <sstream>

#include "catalog/search_criteria.h"
#include "catalog/value_format.h"
#include "catalog/volume_list.h"
#include "cli/argument.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/item_path.h"
#include "cli/output_text.h"
#include "cli/volume_access.h"
#include "scan/scan_engine.h"
#include "search/search_engine.h"

namespace volumist::cli {
namespace {

constexpr uint32_t kBitrateList[] = {0, 8, 16, 32, 48, 64, 96, 112, 128, 144, 160, 192, 224, 256, 320, 448};

// "<=", "<", "=", ">", ">=", "!=" in front of a value; the rest of the text is returned in `rest`.
std::optional<Comparison> ParseRelation(const std::string& text, std::string& rest) {
  struct Prefix {
    const char* text;
    Comparison comparison;
  };
  static constexpr Prefix kPrefixes[] = {{"<=", Comparison::kLessOrEqual}, {">=", Comparison::kGreaterOrEqual},
                                         {"!=", Comparison::kNotEqual},    {"<", Comparison::kLess},
                                         {">", Comparison::kGreater},      {"=", Comparison::kEqual}};
  for (const Prefix& prefix : kPrefixes) {
    if (text.rfind(prefix.text, 0) == 0) {
      rest = text.substr(std::string_view(prefix.text).size());
      return prefix.comparison;
    }
  }
  return std::nullopt;
}

std::optional<uint64_t> ParseNumber(const std::string& text, size_t& used) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0) return std::nullopt;
  used = static_cast<size_t>(end - text.c_str());
  return value;
}

// YYYY-MM-DD or "YYYY-MM-DD HH:MM", local time.
std::optional<int64_t> ParseLocalTime(const std::string& text) {
  std::tm fields{};
  int parsed = 0;
  int matched = std::sscanf(text.c_str(), "%4d-%2d-%2d%n %2d:%2d%n", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                            &parsed, &fields.tm_hour, &fields.tm_min, &parsed);
  if ((matched != 3 && matched != 5) || static_cast<size_t>(parsed) != text.size()) return std::nullopt;
  fields.tm_year -= 1900;
  fields.tm_mon -= 1;
  fields.tm_isdst = -1;
  std::time_t seconds = std::mktime(&fields);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<int64_t>(seconds);
}

const char* KindName(SearchResult::Kind kind) {
  switch (kind) {
    case SearchResult::Kind::kFolder: return "folder";
    case SearchResult::Kind::kArchive: return "archive";
    default: return "file";
  }
}

struct SearchArguments {
  std::optional<std::string> volume;
  std::optional<std::string> inFolder;
  bool json = false;
  std::string mask;
};

std::string ParseOptions(const std::vector<std::string>& argv, SearchCriteria& criteria, SearchArguments& args) {
  bool haveMask = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    Argument argument(argv, i);
    const std::string& arg = argv[i];
    const std::string& option = argument.option;
    static const char* kValued[] = {"--volume", "--in", "--size", "--from", "--to", "--description", "--title",
                                    "--artist", "--album", "--comment", "--bitrate", "--crc32", "--md4",
                                    "--md5", "--max"};
    bool valued = std::find_if(std::begin(kValued), std::end(kValued), [&](const char* v) { return option == v; }) !=
                  std::end(kValued);
    if (valued) {
      auto given = argument.TakeValue();
      if (!given) return option + " needs a value";
      std::string rest;
      size_t used = 0;
      if (option == "--volume") {
        args.volume = *given;
      } else if (option == "--in") {
        args.inFolder = *given;
      } else if (option == "--size") {
        auto relation = ParseRelation(*given, rest);
        auto number = relation ? ParseNumber(rest, used) : std::nullopt;
        std::string unit = number ? rest.substr(used) : "";
        SizeUnit sizeUnit = SizeUnit::kBytes;
        if (unit == "K" || unit == "KB") sizeUnit = SizeUnit::kKilobytes;
        else if (unit == "M" || unit == "MB") sizeUnit = SizeUnit::kMegabytes;
        else if (unit == "G" || unit == "GB") sizeUnit = SizeUnit::kGigabytes;
        else if (!unit.empty() && unit != "B") number.reset();
        if (!number) return "--size takes a relation, a number and a unit, such as '>=10M'";
        criteria.sizeEnabled = true;
        criteria.sizeCompare = *relation;
        criteria.sizeValue = *number;
        criteria.sizeUnit = sizeUnit;
      } else if (option == "--from" || option == "--to") {
        auto seconds = ParseLocalTime(*given);
        if (!seconds) return option + " takes a date YYYY-MM-DD or \"YYYY-MM-DD HH:MM\"";
        if (option == "--from") {
          criteria.fromEnabled = true;
          criteria.fromTime.Set(*seconds);
        } else {
          criteria.toEnabled = true;
          // A date alone means the whole day.
          criteria.toTime.Set(*seconds + (given->size() == 10 ? 86399 : 59));
        }
      } else if (option == "--description") {
        criteria.descriptionEnabled = criteria.getDescriptions = true;
        criteria.descriptionText = *given;
      } else if (option == "--title" || option == "--artist" || option == "--album" || option == "--comment") {
        criteria.audioEnabled = true;
        bool& enabled = option == "--title"    ? criteria.titleEnabled
                        : option == "--artist" ? criteria.artistEnabled
                        : option == "--album"  ? criteria.albumEnabled
                                               : criteria.commentEnabled;
        std::string& text = option == "--title"    ? criteria.titleText
                            : option == "--artist" ? criteria.artistText
                            : option == "--album"  ? criteria.albumText
                                                   : criteria.commentText;
        enabled = true;
        text = *given;
      } else if (option == "--bitrate") {
        auto relation = ParseRelation(*given, rest);
        auto number = relation ? ParseNumber(rest, used) : std::nullopt;
        auto entry = std::find(std::begin(kBitrateList) + 1, std::end(kBitrateList), number.value_or(0));
        if (!number || used != rest.size() || entry == std::end(kBitrateList)) {
          return "--bitrate takes a relation and one of 8 16 32 48 64 96 112 128 144 160 192 224 256 320 448";
        }
        criteria.audioEnabled = true;
        criteria.bitrateCompare = *relation;
        criteria.bitrateIndex = static_cast<uint32_t>(entry - std::begin(kBitrateList));
      } else if (option == "--crc32" || option == "--md4" || option == "--md5") {
        size_t digits = option == "--crc32" ? 8 : 32;
        if (given->size() != digits || given->find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
          return option + " takes " + std::to_string(digits) + " hexadecimal digits";
        }
        criteria.signaturesEnabled = true;
        (option == "--crc32" ? criteria.crc32Enabled : option == "--md4" ? criteria.md4Enabled : criteria.md5Enabled) = true;
        (option == "--crc32" ? criteria.crc32Text : option == "--md4" ? criteria.md4Text : criteria.md5Text) = *given;
      } else if (option == "--max") {
        auto number = ParseNumber(*given, used);
        if (!number || used != given->size() || *number < kMinimumSearchMaximum || *number > kMaximumSearchMaximum) {
          return "--max takes a number from 10 to 100000";
        }
        criteria.maximum = static_cast<uint32_t>(*number);
      }
    } else if (option == "--all") {
      criteria.allVolumes = true;
    } else if (option == "--case") {
      criteria.caseSensitive = true;
    } else if (option == "--archives") {
      criteria.lookInArchives = true;
    } else if (option == "--only-archives") {
      criteria.lookInArchives = criteria.onlyInArchives = true;
    } else if (option == "--no-subfolders") {
      criteria.inSubfolders = false;
    } else if (option == "--folders") {
      criteria.findFolders = true;
    } else if (option == "--descriptions") {
      criteria.getDescriptions = true;
    } else if (option == "--sequences") {
      criteria.trySequencesInNames = true;
    } else if (option == "--json") {
      args.json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (!haveMask) {
      args.mask = arg;
      haveMask = true;
    } else {
      return "takes one MASK";
    }
  }
  if (!haveMask) return "expects a MASK (such as '*.txt')";
  if (args.mask.size() > kSearchMaskMaxLength) return "the mask is longer than 255 bytes";
  if (criteria.allVolumes == args.volume.has_value()) return "needs either --all or --volume FILE";
  if (args.inFolder && criteria.allVolumes) return "--in needs --volume";
  criteria.mask = args.mask;
  return "";
}

// Prints each result as the search hands it over (in the order of the volume list), so the first
// lines appear while later volumes are still searched and results are not held until the end.
// Results arrive from one thread at a time.
class ResultPrinter final : public ResultCollector {
 public:
  ResultPrinter(std::ostream& out, bool json) : out_(out), json_(json) {}
  void AddResult(const SearchResult& r) override {
    line_.clear();
    if (json_) {
      AppendJsonLine(r);
    } else {
      const std::string& time = r.kind == SearchResult::Kind::kFolder ? kNoTime : dates_.Format(r.modifiedTime);
      line_.append(OnOneLine(r.VolumeName())).append("\t").append(ItemPath(r)).append("\t");
      line_.append(std::to_string(r.size)).append("\t").append(time.empty() ? "-" : time).append("\n");
    }
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    count_.fetch_add(1, std::memory_order_relaxed);
  }
  size_t ResultCount() const override { return count_.load(std::memory_order_relaxed); }
  void Finish() { out_.flush(); }

 private:
  static inline const std::string kNoTime;

  // The result's path as every command takes it. Results of one folder come together, so the
  // folder's part is escaped once for them.
  const std::string& ItemPath(const SearchResult& r) {
    if (r.folder != folder_) {  // held here, so a new folder never takes the old one's address
      folder_ = r.folder;
      folderText_ = JoinItemPath(r.FolderNames());
    }
    path_ = folderText_;
    AppendName(path_, r.name);
    return path_;
  }

  // One JSON line (JSON Lines), so each result can be read as soon as it is printed.
  void AppendJsonLine(const SearchResult& r) {
    Json object = Json::object();
    PutText(object, "volume", r.VolumeName());
    PutText(object, "volumeFile", r.VolumePath());
    object["kind"] = KindName(r.kind);
    object["path"] = ItemPath(r);
    PutText(object, "folder", r.FolderPath());
    PutText(object, "name", r.name);
    object["size"] = r.size;
    if (r.kind != SearchResult::Kind::kFolder) PutTime(object, "time", r.modifiedTime);
    if (r.hasSignatures) {
      if (r.signatures.hasCrc32) object["crc32"] = FormatCrc32(r.signatures);
      if (r.signatures.hasMd4) object["md4"] = FormatMd4(r.signatures);
      if (r.signatures.hasMd5) object["md5"] = FormatMd5(r.signatures);
    }
    if (r.description) PutText(object, "description", *r.description);
    line_ = object.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    line_ += '\n';
  }

  std::ostream& out_;
  const bool json_;
  std::string line_;
  std::shared_ptr<const ResultFolder> folder_;
  std::string folderText_;
  std::string path_;
  DateTimeTexts dates_;
  std::atomic<size_t> count_ = 0;
};

// Passes messages on, counting the errors: a search that met a volume it could not read, or one
// that is damaged, ends with a failure status after printing what it found.
class ErrorCountingPrompter final : public Prompter {
 public:
  explicit ErrorCountingPrompter(Prompter& base) : base_(base) {}
  void ShowError(std::string_view text) override {
    errors_.fetch_add(1, std::memory_order_relaxed);
    base_.ShowError(text);
  }
  void ShowInfo(std::string_view text) override { base_.ShowInfo(text); }
  bool AskYesNo(std::string_view text) override { return base_.AskYesNo(text); }
  size_t Errors() const { return errors_.load(std::memory_order_relaxed); }

 private:
  Prompter& base_;
  std::atomic<size_t> errors_ = 0;
};

int RunSearchCommand(CommandContext& context, const std::vector<std::string>& argv) {
  SearchCriteria criteria = context.settings.searchOptions;
  SearchArguments args;
  if (std::string problem = ParseOptions(argv, criteria, args); !problem.empty()) {
    return UsageError(context, kSearchCommand, problem);
  }
  std::optional<std::vector<std::string>> inNames;
  if (args.inFolder) {
    inNames = ItemPathArgument(context, kSearchCommand, *args.inFolder);
    if (!inNames) return kExitUsage;
  }
  std::unique_ptr<VolumeCatalog> volume;
  std::vector<std::string> paths;
  if (criteria.allVolumes) {
    NoVolumeHost host;
    VolumeList list(context.fileSystem, context.prompter, host);
    list.SetDirectory(context.volumeDirectory);
    if (!list.RefreshVolumeList(false)) {
      context.err << "volumist-cli search: cannot read the volume directory " << context.volumeDirectory << '\n';
      return kExitFailure;
    }
    for (const VolumeListEntry& entry : list.Entries()) paths.push_back(entry.filePath);
  } else {
    volume = std::make_unique<VolumeCatalog>(context.fileSystem, context.prompter);
    if (!volume->OpenVolume(ResolveVolumeFile(context, *args.volume), criteria.getDescriptions)) return kExitFailure;
    if (inNames && !inNames->empty()) {
      auto folder = FindItem(*volume, *inNames);
      if (!folder || folder->kind == RecordKind::kFile) {
        context.err << "volumist-cli search: no folder or archive '" << JoinItemPath(*inNames) << "' in the volume\n";
        return kExitFailure;
      }
      criteria.inFolder = true;
      criteria.scopeFolder = folder->key;
    }
  }
  ResultPrinter results(context.out, args.json);
  ErrorCountingPrompter prompter(context.prompter);
  SearchAll(criteria, results, volume.get(), paths, context.fileSystem, prompter, DefaultWorkerThreads());
  results.Finish();
  if (volume) ReportDamage(context, *volume);
  return prompter.Errors() == 0 && !(volume && volume->Damage() != VolumeDamage::kNone) ? kExitOk : kExitFailure;
}

}  // namespace

const Command kSearchCommand = {
    "search",
    "(--all | --volume FILE) [options] MASK",
    "find folders, files and archives by name, size, time, description, tags or signatures",
    "Searches the volume FILE, or with --all every volume of the volume directory in\n"
    "the order of the volume list (arranged by name). MASK matches whole names with\n"
    "'*' (any run of characters) and '?' (one character); \"*.*\" takes every file.\n"
    "Criteria, all of which must hold:\n"
    "  --case              match letters in their case\n"
    "  --archives          look inside listed archives too\n"
    "  --only-archives     only inside archives\n"
    "  --no-subfolders     only the top of each source (what a folder source's root\n"
    "                      folder holds), or the direct contents of --in\n"
    "  --folders           find folders too\n"
    "  --in FOLDER         only inside this folder or archive of the volume\n"
    "  --size RELATION     such as '>=10M' or '=1024' (relations <= < = > >= !=, units B K M G)\n"
    "  --from DATE, --to DATE   changed in that time, YYYY-MM-DD or \"YYYY-MM-DD HH:MM\" (both ends included)\n"
    "  --descriptions      read each result's description\n"
    "  --description TEXT  the description contains TEXT (reads descriptions)\n"
    "  --title TEXT, --artist TEXT, --album TEXT, --comment TEXT   MP3 tags contain TEXT\n"
    "  --sequences         when the tags do not match, look for those texts in the file name\n"
    "  --bitrate RELATION  such as '>=192' (kbit/s of the bitrate list)\n"
    "  --crc32 HEX, --md4 HEX, --md5 HEX   the signature is exactly HEX (any case)\n"
    "  --max N             at most N results per volume (10 to 100000)\n"
    "Letters compare without regard to case unless --case, also beyond ASCII.\n"
    "Output: one line per result, fields separated by tabs:\n"
    "  VOLUME  PATH  SIZE  TIME\n"
    "PATH is the item's path inside its volume, as ls prints it and every command\n"
    "takes it (see \"Paths inside a volume\" in volumist-cli --help); TIME is\n"
    "DD.MM.YYYY HH:MM in local time, \"-\" for folders.\n"
    "With --json, one JSON object per result and line (JSON Lines), printed as each\n"
    "result is found, with these members in this order:\n"
    "  volume, volumeFile   the volume's name and its file\n"
    "  kind                 \"folder\", \"file\" or \"archive\"\n"
    "  path                 the item's path, as in the text output\n"
    "  folder, name         the window's form of the enclosing folders (each folder\n"
    "                       followed by \"\\\", each archive by \"/\") and the item's name\n"
    "  size                 in bytes (a folder's total)\n"
    "  time, timeIso        files and archives: seconds since 1970 UTC and ISO 8601 in UTC\n"
    "  crc32, md4, md5, description   when known\n"
    "A text that is not UTF-8 is written escaped, with a member such as nameEscaped set\n"
    "to true beside it; see docs/json/search.md.\n"
    "A volume that cannot be opened, or that is damaged, is reported on stderr; the results\n"
    "found are printed all the same and the exit status is 1.\n",
    RunSearchCommand,
};

}  // namespace volumist::cli
