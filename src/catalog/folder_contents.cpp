#include "catalog/folder_contents.h"

namespace volumist {
namespace {

// Checks the end key of a folder or archive just read, whose record ends at `recordEnd`: the folder
// end (at endKey - 1) must lie after the record and inside `limit`. A key that does not would send
// a reader backwards or out of the tree.
bool EndKeyIsSane(const VolumeCatalog& volume, const NestingFields& nested, uint64_t recordEnd, uint64_t limit) {
  uint64_t end = volume.AbsoluteOffset(nested.endKey);
  return end > recordEnd && end <= limit;
}

// Reads the folder-end tag of a nested record to learn whether it has sub-folders.
bool HasSubfolders(VolumeCatalog& volume, const NestingFields& nested) {
  RecordReader& records = volume.Records();
  records.Seek(volume.AbsoluteOffset(nested.endKey) - 1);
  RecordTag end = records.ReadTag();
  return end.kind == RecordKind::kFolderEnd && end.hasSubfolders;
}

ListingEnd ListRange(VolumeCatalog& volume, uint64_t position, uint64_t limit, const ContentVisitor& visit,
                     bool compact) {
  RecordReader& records = volume.Records();
  ContentItem item;
  while (position < limit) {
    records.Seek(position);
    RecordTag tag = records.ReadTag();
    item.kind = tag.kind;
    item.key = static_cast<RecordKey>(position - volume.AbsoluteOffset(0));
    switch (tag.kind) {
      case RecordKind::kSourceMark:
        if (!records.ReadSourceMark()) return ListingEnd::kDamaged;
        position = records.Position();
        continue;
      case RecordKind::kDescriptionIndex:
        position += 1;
        continue;
      case RecordKind::kFolder:
      case RecordKind::kArchive: {
        NestingFields* nested = &item.folder;
        bool read = tag.kind == RecordKind::kFolder ? records.ReadFolderRecord(tag, item.folder)
                                                    : records.ReadArchiveRecord(tag, item.archive, compact);
        if (tag.kind == RecordKind::kArchive) nested = &item.archive;
        if (!read || !EndKeyIsSane(volume, *nested, records.Position(), limit)) return ListingEnd::kDamaged;
        item.hasSubfolders = HasSubfolders(volume, *nested);
        nested->hasSubfolders = item.hasSubfolders;
        position = volume.AbsoluteOffset(nested->endKey);
        break;
      }
      case RecordKind::kFile:
        if (!records.ReadFileRecord(tag, item.file, compact)) return ListingEnd::kDamaged;
        item.hasSubfolders = false;
        position = records.Position();
        break;
      case RecordKind::kFolderEnd:
      case RecordKind::kNone:
        return ListingEnd::kComplete;
      case RecordKind::kUnknown:
        return ListingEnd::kDamaged;
    }
    if (!visit(item)) return ListingEnd::kStopped;
  }
  return ListingEnd::kComplete;
}

}  // namespace

const CatalogRecord& ContentItem::Record() const {
  switch (kind) {
    case RecordKind::kFolder: return folder;
    case RecordKind::kArchive: return archive;
    default: return file;
  }
}

RecordKey ContentItem::DescriptionKey() const {
  switch (kind) {
    case RecordKind::kFolder: return folder.selfKey;
    case RecordKind::kArchive: return archive.selfKey;
    default: return FileDescriptionKey(key);
  }
}

ListingEnd ReadFolderContents(VolumeCatalog& volume, const NestingFields& container, const ContentVisitor& visit,
                              bool compact) {
  if (!volume.IsLoaded()) return ListingEnd::kDamaged;
  uint64_t limit = std::min<uint64_t>(volume.AbsoluteOffset(container.endKey), volume.Header().treeEnd);
  return ListRange(volume, container.contentOffset, limit, visit, compact);
}

ListingEnd ReadTopLevel(VolumeCatalog& volume, const ContentVisitor& visit, bool compact) {
  if (!volume.IsLoaded()) return ListingEnd::kDamaged;
  return ListRange(volume, volume.Header().treeStart, volume.Header().treeEnd, visit, compact);
}

std::optional<ContentItem> ReadContentItem(VolumeCatalog& volume, RecordKey key) {
  const uint64_t position = volume.AbsoluteOffset(key);
  const uint64_t treeEnd = volume.Header().treeEnd;
  if (position < volume.Header().treeStart || position >= treeEnd) return std::nullopt;
  std::optional<ContentItem> found;
  static_cast<void>(ListRange(volume, position, treeEnd, [&](const ContentItem& item) {
    if (item.key == key && item.kind != RecordKind::kNone) found = item;
    return false;
  }, false));
  return found;
}

}  // namespace volumist
