// What the volume-reading commands share: opening a volume file, finding a folder by its path
// inside the volume, and the text forms of paths and options.
#pragma once

#include <optional>
#include <string>

#include "catalog/folder_contents.h"
#include "catalog/scan_options.h"
#include "catalog/volume_catalog.h"
#include "cli/command.h"

namespace volumist::cli {

// The file a volume-file argument names: an existing path as given (relative to the current
// directory), otherwise a name inside the volume directory. Absolute paths are taken as given.
std::string ResolveVolumeFile(CommandContext& context, const std::string& argument);

// Tells of a damaged volume (VolumeCatalog::Damage) through the prompter, with the volume file's
// path; true when it is damaged. Commands that read a damaged volume show what they can read, then
// say so and end with kExitFailure.
bool ReportDamage(CommandContext& context, const VolumeCatalog& volume);

// Splits "A/B/C" into its non-empty components.
std::vector<std::string> SplitItemPath(const std::string& path);

// The name an item is listed under: a folder's name, a file's or archive's name with extension.
std::string ItemName(const ContentItem& item);

// Finds the item at `path` (components separated by "/", compared exactly) by descending through
// folder and archive contents from the top level. Nothing if a component is missing.
std::optional<ContentItem> FindItem(VolumeCatalog& volume, const std::string& path);

// The switches that are on, by field name, and the file-type group: "fileTypeGroup=0 ...".
std::string DescribeOptions(const ScanOptions& options);

}  // namespace volumist::cli
