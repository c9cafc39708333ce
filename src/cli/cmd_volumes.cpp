// volumist-cli volumes [--arrange N] [--json]: the volume list of the volume directory, with
// whether each volume's disks are mounted now.
#include <charconv>
#include <ostream>

#include "catalog/value_format.h"
#include "catalog/volume_list.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "scan/volume_presence.h"

namespace volumist::cli {
namespace {

// A name as one field: tabs and line ends inside it would split the line.
std::string FieldText(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

std::string TimeText(CatalogTime time) {
  std::string text = FormatDateTime(time);
  return text.empty() ? "-" : text;
}

std::optional<VolumeListArrangement> ParseArrangement(const std::string& text) {
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return ArrangementFromIndex(value);
}

// The presence word, "unknown" when the volume's header could not be read.
std::string_view PresenceWord(const std::optional<VolumeLocation>& location) {
  return location ? VolumePresenceWord(location->presence) : std::string_view("unknown");
}

Json VolumeObject(const VolumeListEntry& entry, const std::optional<VolumeLocation>& location,
                  const SourceList& sources) {
  Json object = Json::object();
  PutText(object, "name", entry.volumeName);
  PutText(object, "file", entry.fileName);
  PutText(object, "volumeFile", entry.filePath);
  object["size"] = entry.fileSize;
  PutTime(object, "created", entry.createdTime);
  PutTime(object, "modified", entry.modifiedTime);
  object["presence"] = std::string(PresenceWord(location));
  Json list = Json::array();
  if (location) {
    for (size_t i = 0; i < location->sources.size() && i < sources.size(); ++i) {
      const SourceEntry& source = sources[i];
      const SourceLocation& now = location->sources[i];
      Json item = Json::object();
      PutText(item, "name", source.sourceName.Text());
      item["kind"] = source.isFolderSource ? "folder" : "drive";
      PutText(item, "rootPath", source.rootPath.Text());
      item["presence"] = std::string(SourcePresenceWord(now.presence));
      if (now.presence == SourcePresence::kPresent) {
        PutText(item, "mountPoint", now.mountPoint);
        PutText(item, "currentPath", now.path);
      }
      list.push_back(std::move(item));
    }
  }
  object["sources"] = std::move(list);
  return object;
}

int RunVolumes(CommandContext& context, const std::vector<std::string>& args) {
  VolumeListArrangement arrangement = VolumeListArrangement::kNameAscending;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--json") {
      json = true;
      continue;
    }
    if (args[i] == "--arrange") {
      if (i + 1 == args.size()) return UsageError(context, kVolumesCommand, "--arrange needs a number from 0 to 5");
      value = args[++i];
    } else if (args[i].starts_with("--arrange=")) {
      value = args[i].substr(10);
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return UsageError(context, kVolumesCommand, "unknown option " + args[i]);
    } else {
      return UsageError(context, kVolumesCommand, "takes no operands");
    }
    auto parsed = ParseArrangement(value);
    if (!parsed) return UsageError(context, kVolumesCommand, "--arrange needs a number from 0 to 5, not '" + value + "'");
    arrangement = *parsed;
  }

  // The configured directory may be the default one, made on first use.
  if (context.volumeDirectory == context.settings.VolumeDirectory()) context.settings.EnterVolumeDirectory();
  NoVolumeHost host;
  VolumeList list(context.fileSystem, context.prompter, host);
  list.SetDirectory(context.volumeDirectory);
  list.Arrange(arrangement);
  if (!list.RefreshVolumeList(false)) {
    context.err << "volumist-cli volumes: cannot read the volume directory " << context.volumeDirectory << '\n';
    return kExitFailure;
  }
  // The mount table is read once for the whole list.
  PresenceCheck presence(platform::DriveSystem::Default());
  for (const VolumeListEntry& entry : list.Entries()) {
    std::optional<SourceList> sources = ReadVolumeSources(context.fileSystem, entry.filePath);
    std::optional<VolumeLocation> location;
    if (sources) location = presence.CheckSources(*sources);
    if (json) {
      WriteJsonLine(context.out, VolumeObject(entry, location, sources ? *sources : SourceList()));
      continue;
    }
    context.out << FieldText(entry.volumeName) << '\t' << FieldText(entry.fileName) << '\t' << entry.fileSize
                << '\t' << TimeText(entry.createdTime) << '\t' << TimeText(entry.modifiedTime) << '\t'
                << PresenceWord(location) << '\n';
  }
  return kExitOk;
}

}  // namespace

const Command kVolumesCommand = {
    "volumes",
    "[--arrange N] [--json]",
    "list the volumes of the volume directory",
    "Lists every volume file (*.vkt starting with the volume magic) of the volume\n"
    "directory (--dir, else the configured one); other files are left out.\n"
    "One line per volume, fields separated by tabs:\n"
    "  NAME  FILE  SIZE  CREATED  MODIFIED  PRESENCE\n"
    "NAME is the volume's name, FILE the file's name in the directory, SIZE the\n"
    "file's size in bytes, CREATED and MODIFIED the file's times as DD.MM.YYYY\n"
    "HH:MM in local time (CREATED is the change time where the file system keeps\n"
    "no birth time). Control characters in names are shown as blanks.\n"
    "PRESENCE says whether the volume's disks are mounted now: present (every\n"
    "source), partly (some sources), absent (none), unknown (the header cannot be\n"
    "read). A drive source is present when a mounted file system has its recorded\n"
    "serial number, label and file system, wherever it is mounted; a folder source\n"
    "when its path is a folder on the recorded disk.\n"
    "With --json: one JSON object per line (JSON Lines) with name, file, volumeFile,\n"
    "size, created, createdIso, modified, modifiedIso, presence and sources (each with\n"
    "name, kind, rootPath, presence: present, missing or other medium, and while\n"
    "present mountPoint and currentPath); see docs/json/volumes.md.\n"
    "--arrange N orders the lines:\n"
    "  0 by name, A to Z, without regard to case (the default)\n"
    "  1 by name, Z to A\n"
    "  2 by size, smallest first\n"
    "  3 by size, largest first\n"
    "  4 by time of creation, newest first\n"
    "  5 by time of modification, newest first\n"
    "Volumes that are level keep the byte order of their file names.\n",
    RunVolumes,
};

}  // namespace volumist::cli
