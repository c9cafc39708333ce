#include "catalog/folder_chain.h"

#include <algorithm>

#include "catalog/volume_catalog.h"

namespace volumist {
namespace {

std::optional<ChainLink> ReadContainer(VolumeCatalog& volume, RecordKey key) {
  const VolumeHeader& header = volume.Header();
  uint64_t offset = volume.AbsoluteOffset(key);
  if (offset < header.treeStart || offset >= header.treeEnd) return std::nullopt;
  RecordReader& records = volume.Records();
  records.Seek(offset);
  RecordTag tag = records.ReadTag();
  ChainLink link;
  link.key = key;
  if (tag.kind == RecordKind::kFolder) {
    FolderRecord folder;
    if (!records.ReadFolderRecord(tag, folder)) return std::nullopt;
    link.name = folder.name.Text();
    link.isSourceRoot = tag.isSourceRoot;
    link.nesting = folder;
  } else if (tag.kind == RecordKind::kArchive) {
    ArchiveRecord archive;
    if (!records.ReadArchiveRecord(tag, archive)) return std::nullopt;
    link.name = archive.name.Text() + archive.extension.Text();
    link.isArchive = true;
    link.nesting = archive;
  } else {
    return std::nullopt;
  }
  if (link.nesting.selfKey != key || link.nesting.endKey <= key) return std::nullopt;
  return link;
}

bool IsFirstKeyOfASource(const VolumeCatalog& volume, RecordKey key) {
  const std::vector<SourceEntry>& sources = volume.Sources().Entries();
  return std::any_of(sources.begin(), sources.end(),
                     [key](const SourceEntry& source) { return source.treeStartKey == key; });
}

}  // namespace

std::optional<std::vector<ChainLink>> ReadFolderChain(VolumeCatalog& volume, RecordKey key) {
  std::vector<ChainLink> chain;
  std::optional<ChainLink> current = ReadContainer(volume, key);
  if (!current) return std::nullopt;
  // Every step goes to a smaller key, so the climb ends.
  while (true) {
    RecordKey parentKey = current->nesting.parentKey;
    RecordKey ownKey = current->key;
    uint8_t ownLevel = current->nesting.level;
    chain.push_back(std::move(*current));
    // Only records at level 0 can be at the top.
    if (parentKey == ownKey) {
      if (ownLevel != 0) return std::nullopt;
      break;
    }
    if (parentKey > ownKey) return std::nullopt;
    current = ReadContainer(volume, parentKey);
    // The level byte stops at 255 for deeper folders (older writers let it wrap to 0), so it is a check
    // of consistency, not a count.
    const uint8_t parentLevel = current ? current->nesting.level : 0;
    bool levelFits = static_cast<uint8_t>(parentLevel + 1) == ownLevel || (parentLevel == 255 && ownLevel == 255);
    bool encloses = current && current->nesting.endKey > ownKey && levelFits;
    if (!encloses) {
      // A later entry at the top of a drive source names the source's first key, which holds one
      // of its siblings (or a file).
      if (ownLevel == 0 && IsFirstKeyOfASource(volume, parentKey) && !(current && current->isSourceRoot)) break;
      return std::nullopt;
    }
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

}  // namespace volumist
