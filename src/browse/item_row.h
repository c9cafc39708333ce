// ItemRow: one row of an item list, a copy of what the row needs from the catalog, so that drawing
// and sorting never touch the volume file. The same row type serves a folder's contents, the up
// entry (".."), the source roots listed at the top of a volume, and search results.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "catalog/catalog_time.h"
#include "catalog/column_set.h"
#include "catalog/folder_contents.h"
#include "catalog/media_info.h"
#include "catalog/record_key.h"
#include "catalog/signature_block.h"
#include "search/search_result.h"

namespace volumist::browse {

// The kinds of rows; the numbers are those the rows are known by.
enum class RowKind : uint8_t {
  kFile = 0,
  kFolder = 1,
  kArchive = 2,
  kUp = 3,          // "..": the folder above the one shown
  kSourceRoot = 4,  // the root folder of a folder source, at the top of its volume
  kNone = 5,        // holds no item
};

// Folders, the up entry and source roots open a folder when activated and sort before the other
// rows. Archives do not.
constexpr bool IsFolderLike(RowKind kind) {
  return kind == RowKind::kFolder || kind == RowKind::kUp || kind == RowKind::kSourceRoot;
}

// The description of the up entry, shown in its Description column.
inline constexpr char kUpEntryDescription[] = "Up to one level...";

struct ItemRow {
  RowKind kind = RowKind::kNone;
  std::string name;       // a folder's name; a file's or archive's base name with its extension
  std::string extension;  // files and archives: the text after the last dot, without the dot
  uint64_t size = 0;
  CatalogTime modifiedTime;   // files and archives
  bool hasSignatures = false;
  SignatureBlock signatures;  // digests and attributes, when hasSignatures
  std::shared_ptr<const MediaInfo> media;  // files with a media block that has a body
  uint8_t archiveKind = 0;
  bool hasSubfolders = false;  // folders, source roots and archives
  // The item's record: the key of a folder or archive (its selfKey) or of a file's tag. For the up
  // entry, the folder it leads to (0: the top of the volume).
  RecordKey key = 0;
  // The folder or archive that lists the item (0 at the top of the volume).
  RecordKey containerKey = 0;
  // The description, once read (descriptions are read only when a row shows one).
  std::string description;
  bool descriptionRead = false;
  // Search results: the volume they come from and the path of the folder that holds them.
  std::shared_ptr<const ResultVolume> volume;
  std::shared_ptr<const ResultFolder> folderPath;

  bool IsFolderLike() const { return browse::IsFolderLike(kind); }
  // The key its description is stored under: a folder's, source root's or archive's own key, a
  // file's key plus 1. Nothing for the up entry and empty rows, which have none of their own.
  std::optional<RecordKey> DescriptionKey() const;
  const Mp3Info* Mp3() const { return media ? media->Mp3() : nullptr; }
  const ImageInfo* Image() const { return media ? media->Image() : nullptr; }
  bool HasVideo() const { return media && (media->Avi() != nullptr || media->Mpeg() != nullptr); }
};

// The row of an item of a folder's contents (or of the top level), listed by `containerKey`.
ItemRow RowFromContent(const ContentItem& item, RecordKey containerKey);
// The row of a search result; its description comes with it when the search read it.
ItemRow RowFromResult(const SearchResult& result);
// The same for a result no longer needed, whose texts and shared blocks move into the row.
ItemRow RowFromResult(SearchResult&& result);
// The up entry of the folder `containerKey`, leading to `parentKey`.
ItemRow UpRow(RecordKey parentKey, RecordKey containerKey);

// The text of column `columnId` for `row`: "" where the column shows nothing for such a row (audio
// columns of a file without audio information, Modified of a folder...) and for the drawn columns
// (icon, Size% bar, thumbnail). Image Info gives its lines separated by "\n". The Description column
// shows row.description as it is (the caller reads it first).
std::string CellText(const ItemRow& row, ColumnId columnId);

}  // namespace volumist::browse
