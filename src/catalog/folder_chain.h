// The chain of folders and listed archives that lead from the top of a source down to one of them.
// Used wherever a position must be turned into a path or a tree must be opened down to a folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog_record.h"
#include "catalog/record_key.h"

namespace volumist {

class VolumeCatalog;

// One folder or listed archive of a chain.
struct ChainLink {
  RecordKey key = 0;
  bool isArchive = false;
  bool isSourceRoot = false;  // the root folder of a folder source (named after the source)
  std::string name;           // a folder's whole name; an archive's base name and extension
  NestingFields nesting;
};

// The folder or archive at `key` and every container that encloses it, from the top-level one down
// to `key` itself. The chain is climbed by parent keys, never by the stored level (a single byte
// that cannot count beyond 255), and each step must reach a container that lies before the current one and
// encloses it, so a damaged volume ends the climb instead of looping. A record whose parent key is
// its own key (the root of a folder source, the first entry of a drive source) or the first key of
// its source (the later entries at the top of a drive source) is at the top.
//
// Returns nothing when `key` names no folder or archive, or the chain is damaged. Moves the
// volume's record reader.
std::optional<std::vector<ChainLink>> ReadFolderChain(VolumeCatalog& volume, RecordKey key);

}  // namespace volumist
