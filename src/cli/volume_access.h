// What the volume-reading commands share: opening a volume file, finding a folder by its path
// inside the volume, and the text forms of paths and options.
#pragma once

#include <optional>
#include <string>

#include "catalog/folder_contents.h"
#include "catalog/scan_options.h"
#include "catalog/volume_catalog.h"
#include "cli/command.h"
#include "cli/item_path.h"

namespace volumist::cli {

// The file a volume-file argument names: an existing path as given (relative to the current
// directory), otherwise a name inside the volume directory. Absolute paths are taken as given.
std::string ResolveVolumeFile(CommandContext& context, const std::string& argument);

// Tells of a damaged volume (VolumeCatalog::Damage) through the prompter, with the volume file's
// path; true when it is damaged. Commands that read a damaged volume show what they can read, then
// say so and end with kExitFailure.
bool ReportDamage(CommandContext& context, const VolumeCatalog& volume);

// The names of an item path given to `command` (cli/item_path.h). A malformed one is reported as
// wrong usage: the caller returns kExitUsage.
std::optional<std::vector<std::string>> ItemPathArgument(CommandContext& context, const Command& command,
                                                         const std::string& argument);

// The name an item is listed under: a folder's name, a file's or archive's name with extension.
std::string ItemName(const ContentItem& item);

// Finds the item that `names` lead to (compared exactly) by descending through folder and archive
// contents from the top level. Nothing if a name is missing, or for no names at all (the volume).
std::optional<ContentItem> FindItem(VolumeCatalog& volume, const std::vector<std::string>& names);

// The switches that are on, by field name, and the file-type group: "fileTypeGroup=0 ...".
std::string DescribeOptions(const ScanOptions& options);

}  // namespace volumist::cli
