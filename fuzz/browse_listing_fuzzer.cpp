// Feeds arbitrary bytes, taken as a volume file, to what the window's browsing reads and computes
// from it: the listing of the root and of every folder and archive found (with their chains and
// parents), the tree's sub-folders, the sort by every column in both orders, every cell text, the
// "File data" lines, locating each item on a file system, and the stored thumbnails, read and
// decoded. None may crash, read out of bounds, loop or break the order the sort needs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "browse/file_data.h"
#include "browse/folder_listing.h"
#include "browse/locate_item.h"
#include "browse/row_sort.h"
#include "browse/size_bar.h"
#include "browse/thumbnail.h"
#include "catalog/volume_catalog.h"
#include "testing/memory_file_system.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/v.vkt", std::string(reinterpret_cast<const char*>(data), size));
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  if (!volume.OpenVolume("/v.vkt")) return 0;

  // Every folder reached from the root, each once; the number is bounded by the file's size.
  std::vector<RecordKey> pending = {browse::kRootKey};
  std::set<RecordKey> seen = {browse::kRootKey};
  size_t budget = size / 4 + 16;
  while (!pending.empty() && budget-- > 0) {
    RecordKey key = pending.back();
    pending.pop_back();
    std::optional<browse::FolderListing> listing = browse::ReadFolderListing(volume, key);
    if (!listing) continue;
    static_cast<void>(browse::ReadSubfolders(volume, key));
    static_cast<void>(browse::FolderCaption("volume", listing->chain));
    if (key != browse::kRootKey && browse::ParentFolderKey(listing->chain) >= key) __builtin_trap();
    std::vector<browse::ItemRow>& rows = listing->rows;
    browse::SizeTotal total = browse::TotalSize(rows);
    for (const browse::ItemRow& row : rows) {
      for (int id = 1; id <= 35; ++id) static_cast<void>(browse::CellText(row, static_cast<ColumnId>(id)));
      static_cast<void>(browse::FileDataText(row));
      if (std::optional<int> percent = browse::SizePercent(row, total); percent && (*percent < 0 || *percent > 100)) {
        __builtin_trap();
      }
      static_cast<void>(browse::LocateItem(volume, row, nullptr, fileSystem));
      if (const ImageInfo* image = row.Image()) {
        if (std::optional<std::vector<uint8_t>> bytes = browse::ReadThumbnailBytes(volume, *image)) {
          static_cast<void>(browse::DecodeThumbnail(*bytes));
        }
      }
      if ((row.kind == browse::RowKind::kFolder || row.kind == browse::RowKind::kSourceRoot ||
           row.kind == browse::RowKind::kArchive) &&
          seen.insert(row.key).second) {
        pending.push_back(row.key);
      }
    }
    // Sorting checks its comparison: a sorted list must be in order by it.
    for (ColumnId column : {ColumnId::kName, ColumnId::kSize, ColumnId::kType, ColumnId::kModified, ColumnId::kTitle,
                            ColumnId::kKbps, ColumnId::kFrameSize, ColumnId::kLengthFrames, ColumnId::kFps,
                            ColumnId::kVideoCodec, ColumnId::kImageInfo}) {
      for (browse::SortOrder order : {browse::SortOrder::kAscending, browse::SortOrder::kDescending}) {
        std::vector<browse::ItemRow> sorted = rows;
        static_cast<void>(browse::SortRows(sorted, column, order));
        for (size_t i = 1; i < sorted.size(); ++i) {
          if (browse::RowGoesBefore(sorted[i], sorted[i - 1], column, order)) __builtin_trap();
        }
      }
    }
  }
  return 0;
}
