#include "cli/duplicate_output.h"

#include <ostream>

#include "catalog/messages.h"
#include "catalog/volume_list.h"
#include "cli/output_text.h"
#include "cli/volume_access.h"

namespace volumist::cli {

std::optional<std::vector<std::string>> AllVolumeFiles(CommandContext& context, const Command& command) {
  NoVolumeHost host;
  VolumeList list(context.fileSystem, context.prompter, host);
  list.SetDirectory(context.volumeDirectory);
  if (!list.RefreshVolumeList(false)) {
    context.err << "volumist-cli " << command.name << ": cannot read the volume directory " << context.volumeDirectory
                << '\n';
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (const VolumeListEntry& entry : list.Entries()) paths.push_back(entry.filePath);
  return paths;
}

std::string MemberPrinter::Line(const DuplicateMember& member, const DuplicateVolumes& volumes) {
  const DuplicateVolume& volume = volumes[member.volume];
  std::string line = OnOneLine(volume.name);
  line.append("\t").append(member.path).append("\t").append(std::to_string(member.size)).append("\t");
  line.append(dates_.Format(member.modifiedTime));
  if (member.inArchive) line.append("\tarchive member");
  else if (member.isArchive) line.append("\tarchive");
  return line;
}

Json MemberPrinter::Object(const DuplicateMember& member, const DuplicateVolumes& volumes) {
  const DuplicateVolume& volume = volumes[member.volume];
  Json object = Json::object();
  PutText(object, "volume", volume.name);
  PutText(object, "volumeFile", volume.path);
  object["path"] = member.path;
  PutText(object, "name", member.name);
  object["size"] = member.size;
  PutTime(object, "time", member.modifiedTime);
  object["archive"] = member.isArchive;
  object["archiveMember"] = member.inArchive;
  return object;
}

bool ReportUnreadVolumes(CommandContext& context, const DuplicateReport& report) {
  bool any = false;
  for (const DuplicateVolume& volume : report.volumes) {
    if (volume.skipped) continue;
    if (!volume.opened) {
      context.prompter.ShowError(std::string(messages::kCouldNotOpenForRead) + " (" + volume.path + ")");
      any = true;
    } else if (volume.damage != VolumeDamage::kNone) {
      context.prompter.ShowError(std::string(DamageMessage(volume.damage)) + " (" + volume.path + ")");
      any = true;
    }
  }
  return any;
}

}  // namespace volumist::cli
