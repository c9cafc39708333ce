// The lost-descriptions file: a text file beside a volume that keeps the descriptions whose items a
// rescan did not find again, so that no text the user wrote is discarded silently. Each rescan that
// loses descriptions adds one section at the end; earlier sections stay.
//
// A section, in UTF-8 as the descriptions are stored:
//
//   Descriptions lost when the volume "Photos" (Photos.vkt) was rescanned on 2025-03-01 14:02:
//
//   Src/holiday/beach.jpg
//   	The first line of its description
//   	and every further line, each after a tab.
//
// Each item's path (catalog/item_path.h) stands on a line of its own; a description whose key named
// no item is listed under "(no item)".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/change_report.h"
#include "catalog/prompter.h"
#include "platform/file_system.h"

namespace volumist {

// "DIR/NAME.lost-descriptions.txt" for the volume file "DIR/NAME.vkt" (any other name keeps its
// extension: "DIR/v.bin.lost-descriptions.txt").
std::string LostDescriptionsPath(const std::string& volumeFile);

// The section for `descriptions`, lost from the volume `volumeName` kept in `volumeFile` at the
// local time `when` (seconds since 1970).
std::string FormatLostDescriptions(const std::string& volumeName, const std::string& volumeFile, int64_t when,
                                   const std::vector<LostDescription>& descriptions);

// Adds `section` at the end of the file at `path` (made when missing), replacing it as every file is
// replaced (platform/file_replacement.h), under its lock. False when it could not be written; the
// file is then as it was. Shows nothing.
[[nodiscard]] bool AppendToTextFile(platform::FileSystem& fileSystem, Prompter& prompter, const std::string& path,
                                    const std::string& section);

}  // namespace volumist
