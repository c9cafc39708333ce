#include "browse/duplicates_rules.h"

#include "catalog/value_format.h"

namespace volumist::browse {

std::optional<DuplicateOptions> ReadDuplicatesForm(const DuplicatesForm& form, std::string& problem) {
  std::string_view size = form.minimumSize;
  while (!size.empty() && size.front() == ' ') size.remove_prefix(1);
  while (!size.empty() && size.back() == ' ') size.remove_suffix(1);
  std::optional<uint64_t> minimum = ParseSizeText(size);
  if (!minimum) {
    problem = duplicates_text::kBadSize;
    return std::nullopt;
  }
  DuplicateOptions options;
  options.minimumSize = *minimum;
  options.match = form.match;
  options.withinVolume = form.withinVolume;
  return options;
}

std::string GroupCaption(const DuplicateGroup& group) {
  std::string text;
  if (group.rule == DuplicateRule::kContent) {
    text = group.digestKind == DigestKind::kEd2k ? "Same content (eDonkey " : "Same content (MD5 ";
    text += DigestHex(group.digest).substr(0, 8) + "...)";
  } else {
    text = "Same name and size (no signatures)";
  }
  text += ", " + std::to_string(group.members.size()) + " files";
  return text;
}

std::string ProgressText(size_t volumesRead, size_t volumeCount, uint64_t filesRead) {
  return "Reading volumes: " + std::to_string(volumesRead) + " of " + std::to_string(volumeCount) + " (" +
         FormatSizeGrouped(filesRead) + " files)";
}

std::string SummaryText(size_t groups, uint64_t files, uint64_t extraBytes) {
  if (groups == 0) return duplicates_text::kNoneFound;
  return std::to_string(groups) + (groups == 1 ? " group, " : " groups, ") + std::to_string(files) + " files, " +
         FormatSizeShort(extraBytes) + " in extra copies";
}

int ProgressPercent(size_t volumesRead, size_t volumeCount) {
  if (volumeCount == 0) return 100;
  return static_cast<int>(std::min<size_t>(volumesRead, volumeCount) * 100 / volumeCount);
}

JumpTarget JumpTargetOfMember(const DuplicateMember& member, const DuplicateVolumes& volumes) {
  JumpTarget target;
  if (member.volume < volumes.size()) target.volumePath = volumes[member.volume].path;
  target.containerKey = member.containerKey;
  target.key = member.key;
  target.kind = member.isArchive ? RowKind::kArchive : RowKind::kFile;
  target.name = member.name;
  return target;
}

}  // namespace volumist::browse
