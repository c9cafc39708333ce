// Reading the direct contents of one folder, one listed archive, or the top level of a volume, as the
// folder tree and the file list need them. Sub-trees are stepped over with one seek to their end key,
// and whether a folder has sub-folders is read from the flag of its folder end.
#pragma once

#include <functional>
#include <optional>

#include "catalog/catalog_record.h"
#include "catalog/volume_catalog.h"

namespace volumist {

struct ContentItem {
  RecordKind kind = RecordKind::kNone;  // kFolder, kFile or kArchive
  RecordKey key = 0;                    // the key of the item's tag
  FolderRecord folder;                  // when kFolder
  FileRecord file;                      // when kFile
  ArchiveRecord archive;                // when kArchive
  bool hasSubfolders = false;           // folders and archives

  const CatalogRecord& Record() const;
  // The key its description is stored under.
  RecordKey DescriptionKey() const;
};

// Called for each item; returns false to stop the listing.
using ContentVisitor = std::function<bool(const ContentItem& item)>;

enum class ListingEnd { kComplete, kStopped, kDamaged };

// Lists what lies directly in a folder or archive whose record was read before. Ends at its folder
// end, or at a tag of kind none or unknown.
ListingEnd ReadFolderContents(VolumeCatalog& volume, const NestingFields& container, const ContentVisitor& visit,
                              bool compact = false);
// Lists the top level: the top entries of drive sources and the root folders of folder sources, in
// source order. Ends at the end of the tree.
ListingEnd ReadTopLevel(VolumeCatalog& volume, const ContentVisitor& visit, bool compact = false);

// Reads the one folder, archive or file whose record starts at `key`; nothing when no such record
// starts there or it is damaged.
std::optional<ContentItem> ReadContentItem(VolumeCatalog& volume, RecordKey key);

}  // namespace volumist
