// The search: finds folders, files and archives in volume files by the criteria and hands each match
// to a result collector. It reads a volume's tree sequentially, record by record, stepping over
// folders and archives that are not searched with one seek to their end, and never builds a tree.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/search_criteria.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "search/search_result.h"

namespace volumist {

// The search thread polls this while it runs; the user's stop sets it.
bool SearchStopRequested(const SearchCriteria& criteria);

// Descriptions a search reads before the ones stored in the volume file, by description key: the
// loaded volume's edits that are not applied yet. An empty text stands for a description removed.
using PendingDescriptions = std::unordered_map<RecordKey, std::string>;

// Searches one open volume. `volumeIndex` is the volume's place in the volume list. Stops at the
// criteria's maximum number of results for this volume, at the end of its tree, at damage, or when a
// stop is requested. Descriptions (with getDescriptions) come from `pending` first, when given.
// Returns the number of results added.
size_t RunSearch(VolumeCatalog& volume, const SearchCriteria& criteria, ResultCollector& results, int volumeIndex,
                 const PendingDescriptions* pending = nullptr);

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

// The loaded volume as a search on another thread reads it: the search opens the file with a reader
// of its own, so the thread that holds the loaded volume may go on reading it meanwhile, and sees
// the description edits that are not applied yet.
struct LoadedVolumeFile {
  std::string path;
  PendingDescriptions pending;
};

// The loaded volume's file and pending edits, taken on the thread that holds the volume.
LoadedVolumeFile LoadedFileOf(VolumeCatalog& volume);

// SearchAll for a search on a thread of its own. Without `criteria.allVolumes` (or with an empty
// list) the volume file of `loaded` is searched, when given, opened afresh; an all-volumes search
// reads `loaded->pending` for the volume of the list whose file is `loaded->path`. A volume file
// that cannot be opened, or opens damaged, is reported as by SearchAll above, loaded one included.
void SearchAll(const SearchCriteria& criteria, ResultCollector& results, const LoadedVolumeFile* loaded,
               const std::vector<std::string>& volumePaths, platform::FileSystem& fileSystem, Prompter& prompter,
               unsigned threads = 1);

}  // namespace volumist
