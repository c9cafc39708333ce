// What the duplicates and unique commands share: the set of volume files they read, the minimum
// size, and how one file of a group (or one file without a copy) is printed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/value_format.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "search/duplicates.h"

namespace volumist::cli {

// The volume files of the volume directory in the order of the volume list; nothing when the
// directory cannot be read (said on err).
std::optional<std::vector<std::string>> AllVolumeFiles(CommandContext& context, const Command& command);

// Prints the files of a volume set.
class MemberPrinter {
 public:
  // "VOLUME<TAB>PATH<TAB>SIZE<TAB>TIME", then "<TAB>archive member" or "<TAB>archive" when it is one.
  std::string Line(const DuplicateMember& member, const DuplicateVolumes& volumes);
  // volume, volumeFile, path, name, size, time, timeText, archive, archiveMember.
  Json Object(const DuplicateMember& member, const DuplicateVolumes& volumes);

 private:
  DateTimeTexts dates_;
};

// Tells of the volume files that could not be opened, or are damaged, through the prompter; true
// when there was any.
bool ReportUnreadVolumes(CommandContext& context, const DuplicateReport& report);

}  // namespace volumist::cli
