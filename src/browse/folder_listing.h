// What the folder tree and the file list show of one folder: its chain of enclosing folders (for
// the caption, the tree and the up entry), its rows, and its caption. Folders are known by the key
// of their record; key 0 is the top of the volume (the root), which lists the top entries of drive
// sources and the root folders of folder sources.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/item_row.h"
#include "catalog/folder_chain.h"
#include "catalog/volume_catalog.h"

namespace volumist::browse {

inline constexpr RecordKey kRootKey = 0;

struct FolderListing {
  RecordKey key = kRootKey;
  // The folder and every folder or archive above it, from the top down; empty for the root.
  std::vector<ChainLink> chain;
  // The up entry first (except at the root), then the contents in the order of the volume file.
  std::vector<ItemRow> rows;
  // False when the listing stopped at a damaged record: the rows read before it are kept.
  bool complete = true;
};

// The chain of the folder or archive `key` from the top of its source down to it; an empty chain
// for the root. Nothing when `key` names no folder or archive, or its chain is damaged. Moves the
// volume's record reader.
std::optional<std::vector<ChainLink>> FolderChainOf(VolumeCatalog& volume, RecordKey key);

// The folder above the last link of `chain`: the link before it, or the root for a folder at the
// top of its source. (A top folder's stored parent key names its source, not the root, so it is
// never used for going up.) The root's parent is the root.
RecordKey ParentFolderKey(const std::vector<ChainLink>& chain);

// Reads the rows of the folder or archive `key` (kRootKey: the top of the volume). Nothing when the
// volume is not loaded or `key` names no folder. Moves the volume's record reader.
std::optional<FolderListing> ReadFolderListing(VolumeCatalog& volume, RecordKey key);

// The folders, source roots and archives directly in the folder `key` (kRootKey: the top of the
// volume), in the order of the volume file: the children of its node in the folder tree. Nothing
// when `key` names no folder. Moves the volume's record reader.
std::optional<std::vector<ItemRow>> ReadSubfolders(VolumeCatalog& volume, RecordKey key);

// The path of a folder as item lists show it: the names of its chain, each followed by "\" and an
// archive's by "/" (the form of the search results' Folder column).
std::string FolderPathText(const std::vector<ChainLink>& chain);
// The list's caption: the volume's name at the root, else the folder's path without the separator
// after its own name.
std::string FolderCaption(std::string_view volumeName, const std::vector<ChainLink>& chain);

}  // namespace volumist::browse
