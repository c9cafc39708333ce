// The search: finds folders, files and archives in volume files by the criteria and hands each match
// to a result collector. It reads a volume's tree sequentially, record by record, stepping over
// folders and archives that are not searched with one seek to their end, and never builds a tree.
#pragma once

#include <string>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/search_criteria.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "search/search_result.h"

namespace volumist {

// The search thread polls this while it runs; the user's stop sets it.
bool SearchStopRequested(const SearchCriteria& criteria);

// Searches one open volume. `volumeIndex` is the volume's place in the volume list. Stops at the
// criteria's maximum number of results for this volume, at the end of its tree, at damage, or when a
// stop is requested. Returns the number of results added.
size_t RunSearch(VolumeCatalog& volume, const SearchCriteria& criteria, ResultCollector& results, int volumeIndex);

// Searches every volume file of `volumePaths` in that order (when `criteria.allVolumes`), or else the
// loaded volume. Volumes are searched on up to `threads` threads at once; results reach the
// collector in the order of the list, each volume's together, each volume limited to the maximum. A
// volume file that cannot be opened is reported with "Could not open volume file for read. Access
// denied or read error." followed by its path in parentheses, and skipped; one that opens damaged
// (VolumeCatalog::Damage) is searched as far as it can be read and reported with its DamageMessage
// and path, after its results.
void SearchAll(const SearchCriteria& criteria, ResultCollector& results, VolumeCatalog* loaded,
               const std::vector<std::string>& volumePaths, platform::FileSystem& fileSystem, Prompter& prompter,
               unsigned threads = 1);

}  // namespace volumist
