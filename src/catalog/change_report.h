// ChangeReport: what differs between a volume's tree before and after, source by source: the items
// added, removed, changed (size, time or, where both sides carry a digest, content) and moved (a
// removed file and an added one of the same size and digest), and what became of the descriptions.
// A plain value: the rescan makes it, the command line prints it, the window lists it.
//
// Paths are written in the path language of catalog/item_path.h: an added, changed or moved item by
// its path in the new tree, a removed one by its path in the old tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace volumist {

enum class ItemKind : uint8_t { kFolder, kFile, kArchive };

// What changed about an item found on both sides.
inline constexpr uint8_t kChangedSize = 0x01;
inline constexpr uint8_t kChangedTime = 0x02;
inline constexpr uint8_t kChangedContent = 0x04;  // both sides carry a digest of one kind, and they differ

struct ItemChange {
  ItemKind kind = ItemKind::kFile;
  bool inArchive = false;   // the item lies inside a listed archive
  std::string path;         // added, changed, moved: in the new tree; removed: in the old tree
  std::string oldPath;      // moved: where it was
  uint64_t oldSize = 0;     // removed, changed, moved
  uint64_t newSize = 0;     // added, changed, moved
  int64_t oldTime = 0;      // files and archives
  int64_t newTime = 0;
  uint8_t changes = 0;      // changed: kChanged* bits

  friend bool operator==(const ItemChange&, const ItemChange&) = default;
};

// What became of one source.
enum class SourceFate : uint8_t {
  kRescanned,  // scanned again and compared with what the volume held
  kNew,        // not in the volume before: everything in it is added
  kKept,       // its medium was not present: its records were kept as they were
  kDropped,    // its medium was not present, and it was left out: everything in it is removed
  kLeftOut,    // the user took it off the list of sources: everything in it is removed
};

struct SourceChanges {
  std::string name;
  std::string path;
  SourceFate fate = SourceFate::kRescanned;
  std::vector<ItemChange> added;
  std::vector<ItemChange> removed;
  std::vector<ItemChange> changed;
  std::vector<ItemChange> moved;
  uint64_t unchanged = 0;  // items found on both sides without a change (folders included)
};

// Folders and files (archives and items inside archives included) of one list.
struct ChangeCounts {
  size_t folders = 0;
  size_t files = 0;
  size_t Total() const { return folders + files; }
  friend bool operator==(const ChangeCounts&, const ChangeCounts&) = default;
};
ChangeCounts CountItems(const std::vector<ItemChange>& items);

// A description whose item is gone.
struct LostDescription {
  std::string path;  // the item's path in the old tree; empty when the key named no item
  std::string text;
  friend bool operator==(const LostDescription&, const LostDescription&) = default;
};

struct ChangeReport {
  std::string volumeName;
  std::string volumeFile;
  std::vector<SourceChanges> sources;
  // Descriptions that found their item in the new tree (the volume's own included).
  size_t carriedDescriptions = 0;
  std::vector<LostDescription> lostDescriptions;
  // The text file beside the volume that the lost descriptions were added to; empty when there were
  // none, when the user chose to drop them, or when nothing was written.
  std::string lostDescriptionsFile;
  // False for a dry run: the volume file was left as it was.
  bool written = false;

  // The sums over all sources.
  ChangeCounts Added() const;
  ChangeCounts Removed() const;
  size_t Changed() const;
  size_t Moved() const;
  bool HasChanges() const;
};

// The word for a kind ("folder", "file", "archive") and for a source's fate ("rescanned", "new",
// "kept", "dropped", "left out").
const char* KindWord(ItemKind kind);
const char* FateWord(SourceFate fate);

}  // namespace volumist
