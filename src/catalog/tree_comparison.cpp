#include "catalog/tree_comparison.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "catalog/catalog_record.h"
#include "catalog/item_path.h"
#include "catalog/media_info.h"
#include "catalog/record_reader.h"
#include "catalog/signature_block.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

constexpr uint32_t kNone = UINT32_MAX;
constexpr uint32_t kStopPollInterval = 4096;

// Which digest both sides carry, strongest first: 1 when equal, 0 when they differ, -1 when they
// share none.
int CompareDigests(const SignatureBlock& a, const SignatureBlock& b) {
  if (a.hasMd5 && b.hasMd5) return a.md5 == b.md5 ? 1 : 0;
  if (a.hasMd4 && b.hasMd4) return a.md4 == b.md4 ? 1 : 0;
  if (a.hasCrc32 && b.hasCrc32) return a.crc32 == b.crc32 ? 1 : 0;
  return -1;
}

bool HasDigest(const SignatureBlock& s) { return s.hasCrc32 || s.hasMd4 || s.hasMd5; }

// One record of a source's range, as the comparison needs it.
struct Entry {
  enum Kind { kFolder, kFile, kArchive, kLeave, kDone, kDamaged } kind = kDone;
  RecordKey key = 0;
  bool isSourceRoot = false;
  std::string name;  // a folder's name; a file's or archive's name with its extension
  uint64_t size = 0;
  int64_t time = 0;
  bool hasDigest = false;
  SignatureBlock signatures;
};

// Reads the records of one key range of a tree in file order.
class RangeReader {
 public:
  RangeReader(platform::File& file, uint64_t treeStart) : input_(file), records_(input_), treeStart_(treeStart) {}

  void Start(RecordKey start, RecordKey end) {
    records_.Seek(treeStart_ + start);
    limit_ = treeStart_ + end;
  }

  // Fills `entry` with the next record.
  void Next(Entry& entry) {
    if (records_.Position() >= limit_) {
      entry.kind = Entry::kDone;
      return;
    }
    RecordTag tag = records_.ReadTag();
    entry.key = static_cast<RecordKey>(records_.TagOffset() - treeStart_);
    entry.kind = Entry::kDamaged;
    switch (tag.kind) {
      case RecordKind::kFolder:
        if (!records_.ReadFolderRecord(tag, folder_)) return;
        entry.kind = Entry::kFolder;
        entry.isSourceRoot = tag.isSourceRoot;
        entry.name = folder_.name.Text();
        entry.size = folder_.size.Value();
        entry.time = 0;
        entry.hasDigest = false;
        return;
      case RecordKind::kFile: {
        if (!records_.ReadFileRecordHead(tag, file_, false)) return;
        FieldReader& fields = records_.Fields();
        if (tag.hasMediaInfo) MediaInfo::Skip(fields);
        if (tag.hasSignatures) {
          entry.signatures.Read(fields);
        } else {
          entry.signatures.Clear();
        }
        if (!fields.ok()) return;
        entry.kind = Entry::kFile;
        TakeFile(file_, entry);
        return;
      }
      case RecordKind::kArchive:
        if (!records_.ReadArchiveRecord(tag, archive_)) return;
        entry.kind = Entry::kArchive;
        entry.signatures = archive_.signatures;
        TakeFile(archive_, entry);
        return;
      case RecordKind::kFolderEnd: entry.kind = Entry::kLeave; return;
      default: return;  // none, a source mark, the index mark or unknown: not inside a source's range
    }
  }

 private:
  static void TakeFile(const FileRecord& record, Entry& entry) {
    entry.isSourceRoot = false;
    entry.name.assign(record.name.Text()).append(record.extension.Text());
    entry.size = record.size.Value();
    entry.time = record.modifiedTime.Value();
    entry.hasDigest = record.tag.hasSignatures && HasDigest(entry.signatures);
  }

  platform::BufferedReader input_;
  RecordReader records_;
  uint64_t treeStart_;
  uint64_t limit_ = 0;
  FolderRecord folder_;
  FileRecord file_;
  ArchiveRecord archive_;
};

ItemKind KindOf(Entry::Kind kind) {
  return kind == Entry::kFolder ? ItemKind::kFolder : kind == Entry::kArchive ? ItemKind::kArchive : ItemKind::kFile;
}

bool Stopped(const std::atomic<bool>* stop, uint32_t& counter) {
  return stop != nullptr && ++counter % kStopPollInterval == 0 && stop->load(std::memory_order_relaxed);
}

}  // namespace

struct TreeComparison::Index {
  enum Flags : uint8_t { kSourceNode = 1, kInArchive = 2, kNowAFile = 4 };
  struct Item {
    uint32_t parent = kNone;
    uint32_t nameOffset = 0;
    uint16_t nameLength = 0;
    ItemKind kind = ItemKind::kFile;
    uint8_t flags = 0;
    RecordKey key = 0;  // the record's key; a source node's is its root folder's (kNone for a drive source)
    RecordKey newKey = kNone;
    uint64_t size = 0;
    int64_t time = 0;
    uint32_t digest = kNone;  // into digests
  };

  std::vector<Item> items;
  std::string names;
  std::vector<SignatureBlock> digests;
  std::vector<uint32_t> slots;  // open addressing over items, by parent, kind class and name
  size_t slotMask = 0;
  std::vector<RecordKey> describedKeys;                   // sorted
  std::unordered_map<RecordKey, uint32_t> describedItems;  // description key -> item
  std::vector<SourcePairing> pairings;
  std::vector<uint32_t> sourceNodes;  // per old source: its node, or kNone when not read
  std::vector<TreeSource> oldSources;
  // Kept sources: old key range and how far it moved.
  struct Shift {
    RecordKey start, end;
    int64_t by;
  };
  std::vector<Shift> shifts;

  std::string_view Name(const Item& item) const { return std::string_view(names).substr(item.nameOffset, item.nameLength); }

  static size_t Hash(uint32_t parent, bool folder, std::string_view name) {
    size_t h = std::hash<std::string_view>{}(name);
    return h ^ ((static_cast<size_t>(parent) * 2 + (folder ? 1 : 0)) * 0x9E3779B97F4A7C15ull);
  }

  void BuildSlots() {
    size_t capacity = 16;
    while (capacity < items.size() * 2) capacity *= 2;
    slots.assign(capacity, kNone);
    slotMask = capacity - 1;
    for (uint32_t i = 0; i < items.size(); ++i) {
      const Item& item = items[i];
      if (item.flags & kSourceNode) continue;
      size_t slot = Hash(item.parent, item.kind == ItemKind::kFolder, Name(item)) & slotMask;
      while (slots[slot] != kNone) slot = (slot + 1) & slotMask;
      slots[slot] = i;
    }
  }

  // The first unmatched item named `name` of the kind class below `parent`.
  uint32_t Find(uint32_t parent, bool folder, std::string_view name) const {
    size_t slot = Hash(parent, folder, name) & slotMask;
    for (uint32_t i = slots[slot]; i != kNone; slot = (slot + 1) & slotMask, i = slots[slot]) {
      const Item& item = items[i];
      if (item.parent == parent && (item.kind == ItemKind::kFolder) == folder && item.newKey == kNone &&
          Name(item) == name) {
        return i;
      }
    }
    return kNone;
  }

  std::string Path(uint32_t i) const {
    std::vector<uint32_t> chain;
    for (uint32_t at = i; at != kNone; at = items[at].parent) chain.push_back(at);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const Item& item = items[*it];
      // A drive source has no root folder: its items start the path.
      if ((item.flags & kSourceNode) && item.key == kNone) continue;
      AppendName(path, Name(item));
    }
    return path;
  }

  uint32_t Add(uint32_t parent, const Entry& entry, uint8_t flags) {
    Item item;
    item.parent = parent;
    item.nameOffset = static_cast<uint32_t>(names.size());
    item.nameLength = static_cast<uint16_t>(std::min<size_t>(entry.name.size(), UINT16_MAX));
    names.append(entry.name, 0, item.nameLength);
    item.kind = KindOf(entry.kind);
    item.flags = flags;
    item.key = entry.key;
    item.size = entry.size;
    item.time = entry.time;
    if (entry.hasDigest) {
      item.digest = static_cast<uint32_t>(digests.size());
      digests.push_back(entry.signatures);
    }
    items.push_back(item);
    return static_cast<uint32_t>(items.size() - 1);
  }

  RecordKey DescriptionKey(const Item& item) const {
    return item.kind == ItemKind::kFolder || item.kind == ItemKind::kArchive ? item.key : FileDescriptionKey(item.key);
  }

  void Remember(uint32_t i) {
    const Item& item = items[i];
    if (item.key == kNone) return;
    RecordKey key = DescriptionKey(item);
    if (std::binary_search(describedKeys.begin(), describedKeys.end(), key)) describedItems.emplace(key, i);
  }
};

TreeComparison::TreeComparison() : index_(std::make_unique<Index>()) {}
TreeComparison::~TreeComparison() = default;

void TreeComparison::SetDescribedKeys(std::vector<RecordKey> keys) {
  std::sort(keys.begin(), keys.end());
  index_->describedKeys = std::move(keys);
}

bool TreeComparison::ReadOld(platform::File& file, uint64_t treeStart, const std::vector<TreeSource>& oldSources,
                             const std::vector<SourcePairing>& pairings, const std::atomic<bool>* stop) {
  Index& index = *index_;
  index.pairings = pairings;
  index.oldSources = oldSources;
  index.sourceNodes.assign(oldSources.size(), kNone);
  RangeReader reader(file, treeStart);
  Entry entry;
  std::vector<uint32_t> open;
  uint32_t polled = 0;
  for (const SourcePairing& pairing : pairings) {
    if (!pairing.oldSource || pairing.fate == SourceFate::kKept) continue;
    const TreeSource& source = oldSources[*pairing.oldSource];
    Entry node;
    node.kind = Entry::kFolder;
    node.key = kNone;
    node.name = source.name;
    uint32_t sourceNode = index.Add(kNone, node, Index::kSourceNode);
    index.sourceNodes[*pairing.oldSource] = sourceNode;
    open.assign(1, sourceNode);
    reader.Start(source.startKey, source.endKey);
    for (reader.Next(entry); entry.kind != Entry::kDone; reader.Next(entry)) {
      if (Stopped(stop, polled)) return false;
      switch (entry.kind) {
        case Entry::kDamaged: return false;
        case Entry::kLeave:
          // The root's two ends close nothing here: the source node stands for the root.
          if (open.size() > 1) open.pop_back();
          break;
        case Entry::kFolder:
          if (entry.isSourceRoot && open.size() == 1 && source.isFolderSource &&
              index.items[sourceNode].key == kNone) {
            index.items[sourceNode].key = entry.key;
            index.items[sourceNode].nameOffset = static_cast<uint32_t>(index.names.size());
            index.items[sourceNode].nameLength = static_cast<uint16_t>(std::min<size_t>(entry.name.size(), 255));
            index.names.append(entry.name, 0, index.items[sourceNode].nameLength);
            index.Remember(sourceNode);
            break;
          }
          [[fallthrough]];
        case Entry::kFile:
        case Entry::kArchive: {
          const Index::Item& parent = index.items[open.back()];
          bool inArchive = parent.kind == ItemKind::kArchive || (parent.flags & Index::kInArchive);
          uint32_t added = index.Add(open.back(), entry, inArchive ? Index::kInArchive : 0);
          index.Remember(added);
          if (entry.kind != Entry::kFile) open.push_back(added);
          break;
        }
        case Entry::kDone: break;
      }
    }
  }
  index.BuildSlots();
  return true;
}

bool TreeComparison::Compare(platform::File& file, uint64_t treeStart, const std::vector<TreeSource>& newSources,
                             ChangeReport& report, const std::atomic<bool>* stop) {
  Index& index = *index_;
  report.sources.clear();
  report.sources.reserve(index.pairings.size());
  RangeReader reader(file, treeStart);
  Entry entry;
  uint32_t polled = 0;

  // Added files that carry a digest, for the moves: (source, position in its added list, digest).
  struct Candidate {
    size_t source;
    size_t added;
    RecordKey key;
    bool isFile;
    std::string name;
    SignatureBlock signatures;
  };
  std::vector<Candidate> candidates;

  struct Open {
    uint32_t old;        // the matching old item, or kNone
    size_t pathLength;   // of the container's path
    bool inArchive;      // the container lies in an archive, or is one
  };
  std::vector<Open> open;
  std::string path;

  for (size_t p = 0; p < index.pairings.size(); ++p) {
    const SourcePairing& pairing = index.pairings[p];
    report.sources.emplace_back();
    SourceChanges& changes = report.sources.back();
    const TreeSource* oldSource = pairing.oldSource ? &index.oldSources[*pairing.oldSource] : nullptr;
    const TreeSource* newSource = pairing.newSource ? &newSources[*pairing.newSource] : nullptr;
    const TreeSource& shown = newSource != nullptr ? *newSource : *oldSource;
    changes.name = shown.name;
    changes.path = shown.path;
    changes.fate = pairing.fate;
    if (pairing.fate == SourceFate::kKept) {
      if (oldSource != nullptr && newSource != nullptr) {
        index.shifts.push_back({oldSource->startKey, oldSource->endKey,
                                int64_t{newSource->startKey} - int64_t{oldSource->startKey}});
      }
      continue;
    }
    if (newSource == nullptr) continue;  // dropped or left out: its items are all removed, below

    uint32_t sourceNode = oldSource != nullptr ? index.sourceNodes[*pairing.oldSource] : kNone;
    path.clear();
    open.assign(1, Open{sourceNode, 0, false});
    reader.Start(newSource->startKey, newSource->endKey);
    bool rootSeen = false;
    for (reader.Next(entry); entry.kind != Entry::kDone; reader.Next(entry)) {
      if (Stopped(stop, polled)) return false;
      if (entry.kind == Entry::kDamaged) return false;
      if (entry.kind == Entry::kLeave) {
        if (open.size() > 1) {
          path.resize(open.back().pathLength);
          open.pop_back();
        }
        continue;
      }
      if (entry.kind == Entry::kFolder && entry.isSourceRoot && open.size() == 1 && newSource->isFolderSource &&
          !rootSeen) {
        rootSeen = true;
        // The roots correspond whatever their names; the path starts with the new one.
        if (sourceNode != kNone && index.items[sourceNode].key != kNone) {
          index.items[sourceNode].newKey = entry.key;
        }
        AppendName(path, entry.name);
        open.back().pathLength = 0;
        continue;
      }
      const Open& parent = open.back();
      const bool folder = entry.kind == Entry::kFolder;
      uint32_t match = parent.old == kNone ? kNone : index.Find(parent.old, folder, entry.name);
      const size_t parentLength = path.size();
      ItemChange change;
      change.kind = KindOf(entry.kind);
      change.inArchive = parent.inArchive;
      if (match != kNone) {
        Index::Item& old = index.items[match];
        old.newKey = entry.key;
        if (entry.kind == Entry::kFile) old.flags |= Index::kNowAFile;
        uint8_t what = 0;
        if (!folder) {
          if (old.size != entry.size) what |= kChangedSize;
          if (old.time != entry.time) what |= kChangedTime;
          if (old.digest != kNone && entry.hasDigest && CompareDigests(index.digests[old.digest], entry.signatures) == 0) {
            what |= kChangedContent;
          }
        }
        if (what == 0) {
          ++changes.unchanged;
        } else {
          AppendName(path, entry.name);
          change.path = path;
          path.resize(parentLength);
          change.oldSize = old.size;
          change.newSize = entry.size;
          change.oldTime = old.time;
          change.newTime = entry.time;
          change.changes = what;
          changes.changed.push_back(std::move(change));
        }
      } else {
        AppendName(path, entry.name);
        change.path = path;
        path.resize(parentLength);
        change.newSize = entry.size;
        change.newTime = entry.time;
        if (entry.kind != Entry::kFolder && entry.hasDigest) {
          candidates.push_back({p, changes.added.size(), entry.key, entry.kind == Entry::kFile, entry.name, entry.signatures});
        }
        changes.added.push_back(std::move(change));
      }
      if (entry.kind != Entry::kFile) {
        AppendName(path, entry.name);
        open.push_back(Open{match, parentLength, parent.inArchive || entry.kind == Entry::kArchive});
      }
    }
  }

  // The old items nobody matched, by source, in the old tree's order; files with a digest may have
  // moved.
  std::vector<size_t> reportOfOldSource(index.oldSources.size(), SIZE_MAX);
  for (size_t p = 0; p < index.pairings.size(); ++p) {
    if (index.pairings[p].oldSource) reportOfOldSource[*index.pairings[p].oldSource] = p;
  }
  std::unordered_multimap<uint64_t, uint32_t> removedBySize;
  std::vector<uint32_t> removed;
  for (uint32_t i = 0; i < index.items.size(); ++i) {
    const Index::Item& item = index.items[i];
    if ((item.flags & Index::kSourceNode) || item.newKey != kNone) continue;
    removed.push_back(i);
    if (item.kind != ItemKind::kFolder && item.digest != kNone) removedBySize.emplace(item.size, i);
  }

  // Moves: each added file with a digest takes a removed one of its size with an equal digest,
  // preferably of the same name.
  std::vector<std::vector<bool>> movedAway(report.sources.size());
  for (size_t s = 0; s < report.sources.size(); ++s) movedAway[s].assign(report.sources[s].added.size(), false);
  for (const Candidate& candidate : candidates) {
    ItemChange& added = report.sources[candidate.source].added[candidate.added];
    auto [first, last] = removedBySize.equal_range(added.newSize);
    auto chosen = last;
    for (auto it = first; it != last; ++it) {
      const Index::Item& old = index.items[it->second];
      if (old.newKey != kNone || CompareDigests(index.digests[old.digest], candidate.signatures) != 1) continue;
      if (chosen == last) chosen = it;
      if (index.Name(old) == candidate.name) {
        chosen = it;
        break;
      }
    }
    if (chosen == last) continue;
    Index::Item& old = index.items[chosen->second];
    old.newKey = candidate.key;
    if (candidate.isFile) old.flags |= Index::kNowAFile;
    ItemChange moved = added;
    moved.oldPath = index.Path(chosen->second);
    moved.oldSize = old.size;
    moved.oldTime = old.time;
    report.sources[candidate.source].moved.push_back(std::move(moved));
    movedAway[candidate.source][candidate.added] = true;
    removedBySize.erase(chosen);
  }
  for (size_t s = 0; s < report.sources.size(); ++s) {
    std::vector<ItemChange>& added = report.sources[s].added;
    size_t kept = 0;
    for (size_t i = 0; i < added.size(); ++i) {
      if (!movedAway[s][i]) {
        if (kept != i) added[kept] = std::move(added[i]);
        ++kept;
      }
    }
    added.resize(kept);
  }

  // What is left is removed, listed under its old source.
  size_t sourceOfItem = SIZE_MAX;
  uint32_t nextNode = 0;
  std::vector<uint32_t> nodeOrder;
  for (uint32_t s = 0; s < index.sourceNodes.size(); ++s) {
    if (index.sourceNodes[s] != kNone) nodeOrder.push_back(s);
  }
  std::sort(nodeOrder.begin(), nodeOrder.end(),
            [&](uint32_t a, uint32_t b) { return index.sourceNodes[a] < index.sourceNodes[b]; });
  for (uint32_t i : removed) {
    const Index::Item& item = index.items[i];
    if (item.newKey != kNone) continue;  // moved
    while (nextNode < nodeOrder.size() && index.sourceNodes[nodeOrder[nextNode]] < i) {
      sourceOfItem = reportOfOldSource[nodeOrder[nextNode]];
      ++nextNode;
    }
    if (sourceOfItem == SIZE_MAX) continue;
    ItemChange change;
    change.kind = item.kind;
    change.inArchive = (item.flags & Index::kInArchive) != 0;
    change.path = index.Path(i);
    change.oldSize = item.size;
    change.oldTime = item.time;
    report.sources[sourceOfItem].removed.push_back(std::move(change));
  }
  return true;
}

std::optional<RecordKey> TreeComparison::NewDescriptionKey(RecordKey oldKey) const {
  const Index& index = *index_;
  if (oldKey == 0) return RecordKey{0};
  for (const Index::Shift& shift : index.shifts) {
    if (oldKey >= shift.start && oldKey < shift.end) return static_cast<RecordKey>(int64_t{oldKey} + shift.by);
  }
  auto found = index.describedItems.find(oldKey);
  if (found == index.describedItems.end()) return std::nullopt;
  const Index::Item& item = index.items[found->second];
  if (item.newKey == kNone) return std::nullopt;
  return (item.flags & Index::kNowAFile) ? FileDescriptionKey(item.newKey) : item.newKey;
}

std::string TreeComparison::OldPath(RecordKey oldKey) const {
  auto found = index_->describedItems.find(oldKey);
  return found == index_->describedItems.end() ? std::string() : index_->Path(found->second);
}

}  // namespace volumist
