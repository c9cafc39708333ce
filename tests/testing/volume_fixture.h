// Building volume files for tests from in-memory trees.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/folder_contents.h"
#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "platform/file_system.h"
#include "testing/memory_tree.h"

namespace volumist::testing {

// A job for one source per entry of `sources` (named "Source0", "Source1"... with paths "/source0"...),
// folder sources where `folder` says so, writing `fileName`.
ScanJob MakeJob(const std::string& fileName, const std::string& volumeName, const std::vector<bool>& folder);

// Writes a volume with CreateVolume and returns whether it succeeded; the volume is not reopened.
bool WriteVolume(const ScanJob& job, std::vector<MemorySource> sources, Prompter& prompter,
                 platform::FileSystem& fileSystem = platform::FileSystem::Default());

// The item at a path of names from the top level ("Source0", "Docs", "pack.zip", ...), a file's or
// archive's name with its extension; nothing when a name is not found.
std::optional<ContentItem> FindItem(VolumeCatalog& volume, const std::vector<std::string>& path);

}  // namespace volumist::testing
