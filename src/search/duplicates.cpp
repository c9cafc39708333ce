#include "search/duplicates.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>
#include <unordered_map>

#include "analysis/md5.h"
#include "catalog/folder_chain.h"
#include "catalog/item_path.h"
#include "catalog/prompter.h"
#include "catalog/record_reader.h"

namespace volumist {
namespace {

using Digest = std::array<uint8_t, 16>;

// What a file is keyed by.
enum KeyKind : uint8_t { kKeyMd5 = 0, kKeyEd2k = 1, kKeyName = 2 };
// Flag bits of a FileKey.
constexpr uint8_t kFlagArchive = 0x01;    // a listed archive
constexpr uint8_t kFlagInArchive = 0x02;  // a member of a listed archive
constexpr uint8_t kFlagUnsigned = 0x04;   // the record holds neither MD5 nor eDonkey hash

// One file as the comparison sees it: 40 bytes, however long its name and path.
struct FileKey {
  Digest digest;        // MD5, eDonkey hash, or the MD5 of the name (kKeyName)
  uint64_t size;
  RecordKey key;        // the record in its volume
  RecordKey container;  // the folder or archive that lists it
  uint16_t volume;
  uint8_t kind;
  uint8_t flags;
};
static_assert(sizeof(FileKey) == 40);

// The order that brings copies together: by kind (so that a name never meets a digest), size,
// digest; then, for a stable output, by volume and place in the volume.
bool KeyLess(const FileKey& a, const FileKey& b) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (a.size != b.size) return a.size < b.size;
  if (int c = std::memcmp(a.digest.data(), b.digest.data(), a.digest.size()); c != 0) return c < 0;
  if (a.volume != b.volume) return a.volume < b.volume;
  return a.key < b.key;
}

bool SameCopy(const FileKey& a, const FileKey& b) {
  return a.kind == b.kind && a.size == b.size && a.digest == b.digest;
}

// The same, inside one volume only.
bool KeyLessWithinVolume(const FileKey& a, const FileKey& b) {
  if (a.volume != b.volume) return a.volume < b.volume;
  return KeyLess(a, b);
}

Digest NameDigest(std::string_view name) {
  Md5 md5;
  md5.Update(name.data(), name.size());
  return md5.Finish();
}

// A file's name read in compact form (base, dot, extension; the dot also when there is no
// extension) as it is listed.
std::string ListedName(const FileRecord& file) {
  std::string name = file.name.Text();
  if (file.extension.Text() == "." && !name.empty()) name.pop_back();
  return name;
}

// Everything the walk reports of one file record.
struct FileSeen {
  const FileRecord& record;
  RecordKey key;
  RecordKey container;
  uint8_t flags;  // kFlagArchive, kFlagInArchive
};

// Reads every file and archive record of a volume's tree in file order, with the key of the folder
// or archive that lists it. Stops at damage, at the end of the tree, or when `stop` is set.
template <typename Visit>
void WalkFiles(VolumeCatalog& volume, const std::atomic<bool>* stop, Visit&& visit) {
  RecordReader& records = volume.Records();
  const uint64_t treeStart = volume.Header().treeStart;
  const uint64_t treeEnd = volume.Header().treeEnd;
  struct Open {
    RecordKey key;
    bool archive;
  };
  std::vector<Open> open;
  size_t openArchives = 0;
  FileRecord file;
  FolderRecord folder;
  ArchiveRecord archive;
  uint64_t position = treeStart;
  size_t sinceCheck = 0;
  while (position < treeEnd) {
    if (++sinceCheck == 4096) {
      sinceCheck = 0;
      if (stop != nullptr && stop->load(std::memory_order_relaxed)) return;
    }
    records.Seek(position);
    RecordTag tag = records.ReadTag();
    const auto key = static_cast<RecordKey>(position - treeStart);
    const RecordKey container = open.empty() ? 0 : open.back().key;
    const uint8_t inArchive = openArchives > 0 ? kFlagInArchive : 0;
    switch (tag.kind) {
      case RecordKind::kNone:
      case RecordKind::kUnknown: return;
      case RecordKind::kSourceMark:
        if (!records.ReadSourceMark()) return;
        break;
      case RecordKind::kDescriptionIndex: records.Seek(position + 1); break;
      case RecordKind::kFolderEnd:
        records.Seek(position + 1);
        if (!open.empty()) {
          if (open.back().archive) --openArchives;
          open.pop_back();
        }
        break;
      case RecordKind::kFile:
        if (!records.ReadFileRecordHead(tag, file, true)) return;
        if (tag.hasSignatures) {
          if (!records.ReadFileRecordTail(tag, file)) return;
        } else if (!records.SkipFileRecordTail(tag)) {
          return;
        }
        visit(FileSeen{file, key, container, inArchive});
        break;
      case RecordKind::kFolder:
        if (!records.ReadFolderRecord(tag, folder)) return;
        open.push_back({key, false});
        break;
      case RecordKind::kArchive:
        if (!records.ReadArchiveRecord(tag, archive, true)) return;
        visit(FileSeen{archive, key, container, static_cast<uint8_t>(inArchive | kFlagArchive)});
        open.push_back({key, true});
        ++openArchives;
        break;
    }
    if (records.Position() <= position) return;  // a record that leads nowhere
    position = records.Position();
  }
}

bool HoldsDigest(const FileRecord& file) {
  return file.tag.hasSignatures && (file.signatures.hasMd5 || file.signatures.hasMd4);
}

FileKey MakeKey(const FileSeen& seen, size_t volume, uint8_t kind, const Digest& digest) {
  FileKey key;
  key.digest = digest;
  key.size = seen.record.size.Value();
  key.key = seen.key;
  key.container = seen.container;
  key.volume = static_cast<uint16_t>(volume);
  key.kind = kind;
  key.flags = static_cast<uint8_t>(seen.flags | (HoldsDigest(seen.record) ? 0 : kFlagUnsigned));
  return key;
}

// Opens the volume files on up to `threads` threads and hands each open volume with its index to
// `read`, which runs on the worker. Volumes whose path appears in `skip` are not read.
template <typename Read>
void ReadVolumes(const std::vector<std::string>& paths, const DuplicateOptions& options,
                 platform::FileSystem& fileSystem, DuplicateReport& report, DuplicateProgress* progress,
                 const std::vector<bool>& skip, Read&& read) {
  report.volumes.resize(paths.size());
  std::mutex mutex;
  size_t next = 0;
  auto work = [&] {
    SilentPrompter quiet;
    for (;;) {
      size_t index;
      {
        std::lock_guard lock(mutex);
        if (next >= paths.size()) return;
        index = next++;
      }
      DuplicateVolume& state = report.volumes[index];
      state.path = paths[index];
      if (skip[index]) {
        state.skipped = true;
        continue;
      }
      if (options.stop != nullptr && options.stop->load(std::memory_order_relaxed)) continue;
      VolumeCatalog volume(fileSystem, quiet);
      volume.SetQuiet(true);
      if (!volume.OpenVolume(paths[index], false)) continue;
      state.opened = true;
      state.name = volume.Header().volumeName;
      state.damage = volume.Damage();
      read(volume, index);
      if (progress != nullptr) progress->volumesRead.fetch_add(1, std::memory_order_relaxed);
    }
  };
  unsigned count = std::clamp<unsigned>(options.threads, 1, static_cast<unsigned>(std::max<size_t>(paths.size(), 1)));
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < count; ++i) pool.emplace_back(work);
  work();
  for (std::thread& thread : pool) thread.join();
}

// Sorts on two threads when the list is long: each half alone, then one merge.
template <typename Less>
void SortKeys(std::vector<FileKey>& keys, unsigned threads, Less less) {
  if (threads < 2 || keys.size() < 100000) {
    std::sort(keys.begin(), keys.end(), less);
    return;
  }
  auto middle = keys.begin() + static_cast<std::ptrdiff_t>(keys.size() / 2);
  std::thread first([&] { std::sort(keys.begin(), middle, less); });
  std::sort(middle, keys.end(), less);
  first.join();
  std::inplace_merge(keys.begin(), middle, keys.end(), less);
}

// Moves the keys read per volume into one list, giving each volume's memory back as it goes.
std::vector<FileKey> Gather(std::vector<std::vector<FileKey>>& perVolume) {
  size_t total = 0;
  for (const auto& keys : perVolume) total += keys.size();
  std::vector<FileKey> all;
  all.reserve(total);
  for (auto& keys : perVolume) {
    all.insert(all.end(), keys.begin(), keys.end());
    std::vector<FileKey>().swap(keys);
  }
  return all;
}

bool Stopped(const DuplicateOptions& options) {
  return options.stop != nullptr && options.stop->load(std::memory_order_relaxed);
}

// A content key for a record without MD5 but with an eDonkey hash is carried over to the MD5 of a
// record that holds both (same size and eDonkey hash), so that it meets the records keyed by that MD5.
void BridgeEd2kKeys(std::vector<FileKey>& keys, const std::vector<std::string>& paths, const DuplicateOptions& options,
                    platform::FileSystem& fileSystem) {
  struct Ed2kOnly {
    uint64_t size;
    Digest md4;
    auto operator<=>(const Ed2kOnly&) const = default;
  };
  std::vector<Ed2kOnly> wanted;
  for (const FileKey& key : keys) {
    if (key.kind == kKeyEd2k) wanted.push_back({key.size, key.digest});
  }
  if (wanted.empty()) return;
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  // The MD5 of each wanted (size, eDonkey hash), found in records that hold both.
  std::map<Ed2kOnly, Digest> bridge;
  std::mutex mutex;
  DuplicateReport ignored;
  ReadVolumes(paths, options, fileSystem, ignored, nullptr, std::vector<bool>(paths.size(), false),
              [&](VolumeCatalog& volume, size_t) {
                WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
                  const SignatureBlock& s = seen.record.signatures;
                  if (!seen.record.tag.hasSignatures || !s.hasMd5 || !s.hasMd4) return;
                  Ed2kOnly probe{seen.record.size.Value(), s.md4};
                  if (!std::binary_search(wanted.begin(), wanted.end(), probe)) return;
                  std::lock_guard lock(mutex);
                  bridge.emplace(probe, s.md5);
                });
              });
  for (FileKey& key : keys) {
    if (key.kind != kKeyEd2k) continue;
    if (auto found = bridge.find({key.size, key.digest}); found != bridge.end()) {
      key.kind = kKeyMd5;
      key.digest = found->second;
    }
  }
}

// Looks up the members' paths, names and times, volume by volume, each volume opened once.
class MemberResolver {
 public:
  MemberResolver(const std::vector<std::string>& paths, platform::FileSystem& fileSystem)
      : paths_(paths), fileSystem_(fileSystem) {}

  // Fills `members` (whose volume, key, containerKey and flags are set) from volume `index`.
  void Resolve(size_t index, std::vector<DuplicateMember*>& members) {
    std::sort(members.begin(), members.end(), [](auto* a, auto* b) { return a->key < b->key; });
    SilentPrompter quiet;
    VolumeCatalog volume(fileSystem_, quiet);
    volume.SetQuiet(true);
    if (!volume.OpenVolume(paths_[index], false)) return;
    std::unordered_map<RecordKey, std::vector<std::string>> folders;
    FileRecord file;
    ArchiveRecord archive;
    for (DuplicateMember* member : members) {
      auto [place, added] = folders.try_emplace(member->containerKey);
      if (added && member->containerKey != 0) {
        if (auto chain = ReadFolderChain(volume, member->containerKey)) {
          for (ChainLink& link : *chain) place->second.push_back(std::move(link.name));
        }
      }
      member->folderNames = place->second;
      volume.SeekToKey(member->key);
      RecordTag tag = volume.Records().ReadTag();
      if (tag.kind == RecordKind::kFile && volume.Records().ReadFileRecord(tag, file, true)) {
        Fill(*member, file);
      } else if (tag.kind == RecordKind::kArchive && volume.Records().ReadArchiveRecord(tag, archive, true)) {
        Fill(*member, archive);
      }
      std::vector<std::string> names = member->folderNames;
      names.push_back(member->name);
      member->path = JoinItemPath(names);
    }
  }

 private:
  static void Fill(DuplicateMember& member, const FileRecord& file) {
    member.name = ListedName(file);
    member.size = file.size.Value();
    member.modifiedTime = file.modifiedTime;
  }

  const std::vector<std::string>& paths_;
  platform::FileSystem& fileSystem_;
};

DuplicateMember MemberOf(const FileKey& key) {
  DuplicateMember member;
  member.volume = key.volume;
  member.size = key.size;
  member.key = key.key;
  member.containerKey = key.container;
  member.isArchive = (key.flags & kFlagArchive) != 0;
  member.inArchive = (key.flags & kFlagInArchive) != 0;
  return member;
}

// The volume index must fit the key's 16 bits.
constexpr size_t kMaximumVolumes = 65535;

}  // namespace

std::string DigestHex(const std::array<uint8_t, 16>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(32);
  for (uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

DuplicateReport FindDuplicates(const std::vector<std::string>& volumePaths, const DuplicateOptions& options,
                               platform::FileSystem& fileSystem, const std::function<void(DuplicateGroup&&, const DuplicateVolumes&)>& onGroup,
                               DuplicateProgress* progress) {
  DuplicateReport report;
  const std::vector<std::string> paths(volumePaths.begin(),
                                       volumePaths.begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(volumePaths.size(), kMaximumVolumes)));
  std::vector<std::vector<FileKey>> perVolume(paths.size());
  std::atomic<uint64_t> compared = 0;
  ReadVolumes(paths, options, fileSystem, report, progress, std::vector<bool>(paths.size(), false),
              [&](VolumeCatalog& volume, size_t index) {
                std::vector<FileKey>& keys = perVolume[index];
                uint64_t files = 0;
                WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
                  ++files;
                  const FileRecord& file = seen.record;
                  if (file.size.Value() < options.minimumSize) return;
                  const SignatureBlock& s = file.signatures;
                  if (options.match != DuplicateMatch::kNameAndSize && HoldsDigest(file)) {
                    keys.push_back(MakeKey(seen, index, s.hasMd5 ? kKeyMd5 : kKeyEd2k, s.hasMd5 ? s.md5 : s.md4));
                  } else if (options.match != DuplicateMatch::kContent) {
                    keys.push_back(MakeKey(seen, index, kKeyName, NameDigest(file.name.Text())));
                  }
                });
                keys.shrink_to_fit();
                compared.fetch_add(keys.size(), std::memory_order_relaxed);
                if (progress != nullptr) progress->filesRead.fetch_add(files, std::memory_order_relaxed);
              });
  report.filesCompared = compared.load();
  std::vector<FileKey> keys = Gather(perVolume);
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }
  BridgeEd2kKeys(keys, paths, options, fileSystem);
  if (options.withinVolume) {
    SortKeys(keys, options.threads, KeyLessWithinVolume);
  } else {
    SortKeys(keys, options.threads, KeyLess);
  }
  auto same = [&](const FileKey& a, const FileKey& b) {
    return SameCopy(a, b) && (!options.withinVolume || a.volume == b.volume);
  };

  // The groups: runs of two or more equal keys. Only their members are kept.
  std::vector<DuplicateGroup> groups;
  for (size_t begin = 0; begin < keys.size();) {
    size_t end = begin + 1;
    while (end < keys.size() && same(keys[begin], keys[end])) ++end;
    if (end - begin >= 2) {
      DuplicateGroup group;
      const FileKey& first = keys[begin];
      group.rule = first.kind == kKeyName ? DuplicateRule::kNameAndSize : DuplicateRule::kContent;
      group.digestKind = first.kind == kKeyMd5 ? DigestKind::kMd5 : first.kind == kKeyEd2k ? DigestKind::kEd2k : DigestKind::kNone;
      if (group.rule == DuplicateRule::kContent) group.digest = first.digest;
      group.size = first.size;
      group.members.reserve(end - begin);
      for (size_t i = begin; i < end; ++i) group.members.push_back(MemberOf(keys[i]));
      groups.push_back(std::move(group));
    }
    begin = end;
  }
  std::vector<FileKey>().swap(keys);
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }

  std::vector<std::vector<DuplicateMember*>> byVolume(paths.size());
  for (DuplicateGroup& group : groups) {
    for (DuplicateMember& member : group.members) byVolume[member.volume].push_back(&member);
  }
  MemberResolver resolver(paths, fileSystem);
  std::mutex mutex;
  size_t next = 0;
  auto work = [&] {
    for (;;) {
      size_t index;
      {
        std::lock_guard lock(mutex);
        if (next >= byVolume.size()) return;
        index = next++;
      }
      if (!byVolume[index].empty() && !Stopped(options)) resolver.Resolve(index, byVolume[index]);
    }
  };
  {
    std::vector<std::jthread> pool;
    for (unsigned i = 1; i < std::max(1u, options.threads); ++i) pool.emplace_back(work);
    work();
  }
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }

  // Largest first: where a copy costs most. Name groups are ordered by name within a size.
  std::stable_sort(groups.begin(), groups.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) {
    if (a.size != b.size) return a.size > b.size;
    if (a.rule != b.rule) return a.rule < b.rule;
    if (a.rule == DuplicateRule::kNameAndSize) return a.members.front().name < b.members.front().name;
    return false;
  });
  for (DuplicateGroup& group : groups) {
    if (progress != nullptr) progress->groupsFound.fetch_add(1, std::memory_order_relaxed);
    onGroup(std::move(group), report.volumes);
  }
  return report;
}

DuplicateReport FindUniqueFiles(const std::vector<std::string>& volumePaths, size_t target,
                                const DuplicateOptions& options, platform::FileSystem& fileSystem,
                                const std::function<void(DuplicateMember&&, const DuplicateVolumes&)>& onFile, DuplicateProgress* progress) {
  DuplicateReport report;
  if (target >= volumePaths.size()) return report;
  const std::vector<std::string> paths(volumePaths.begin(),
                                       volumePaths.begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(volumePaths.size(), kMaximumVolumes)));
  if (target >= paths.size()) return report;
  // The target's own file named again among the others is not another volume.
  const std::string targetPath = platform::NormalizePath(paths[target]);
  std::vector<bool> skip(paths.size(), false);
  for (size_t i = 0; i < paths.size(); ++i) skip[i] = i != target && platform::NormalizePath(paths[i]) == targetPath;

  // The target's files with every key they can be matched by.
  struct TargetFile {
    FileKey byName;  // kind kKeyName
    std::optional<Digest> md5, md4;
  };
  std::vector<TargetFile> mine;
  std::vector<std::vector<FileKey>> perVolume(paths.size());
  std::atomic<uint64_t> compared = 0;
  ReadVolumes(paths, options, fileSystem, report, progress, skip, [&](VolumeCatalog& volume, size_t index) {
    uint64_t files = 0;
    std::vector<FileKey>& keys = perVolume[index];
    WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
      ++files;
      const FileRecord& file = seen.record;
      if (file.size.Value() < options.minimumSize) return;
      const SignatureBlock& s = file.signatures;
      const bool signedFile = HoldsDigest(file);
      FileKey byName = MakeKey(seen, index, kKeyName, NameDigest(file.name.Text()));
      if (index == target) {
        TargetFile entry{byName, std::nullopt, std::nullopt};
        if (signedFile && s.hasMd5) entry.md5 = s.md5;
        if (signedFile && s.hasMd4) entry.md4 = s.md4;
        mine.push_back(entry);
        return;
      }
      keys.push_back(byName);
      if (signedFile && s.hasMd5) keys.push_back(MakeKey(seen, index, kKeyMd5, s.md5));
      if (signedFile && s.hasMd4) keys.push_back(MakeKey(seen, index, kKeyEd2k, s.md4));
    });
    compared.fetch_add(files, std::memory_order_relaxed);
    if (progress != nullptr) progress->filesRead.fetch_add(files, std::memory_order_relaxed);
  });
  report.filesCompared = compared.load();
  std::vector<FileKey> others = Gather(perVolume);
  if (Stopped(options) || !report.volumes[target].opened) {
    report.stopped = Stopped(options);
    return report;
  }
  SortKeys(others, options.threads, KeyLess);

  auto range = [&](uint8_t kind, uint64_t size, const Digest& digest) {
    FileKey probe{};
    probe.kind = kind;
    probe.size = size;
    probe.digest = digest;
    probe.volume = 0;
    probe.key = 0;
    auto first = std::lower_bound(others.begin(), others.end(), probe, KeyLess);
    auto last = first;
    while (last != others.end() && SameCopy(*last, probe)) ++last;
    return std::pair(first, last);
  };
  std::vector<DuplicateMember> alone;
  std::vector<DuplicateMember*> toResolve;
  for (const TargetFile& file : mine) {
    const uint64_t size = file.byName.size;
    bool copied = false;
    if (file.md5) {
      auto [first, last] = range(kKeyMd5, size, *file.md5);
      copied = first != last;
    }
    if (!copied && file.md4) {
      auto [first, last] = range(kKeyEd2k, size, *file.md4);
      copied = first != last;
    }
    if (!copied) {
      // By name and size where one of the two holds no digest to compare.
      const bool signedFile = file.md5 || file.md4;
      auto [first, last] = range(kKeyName, size, file.byName.digest);
      copied = std::any_of(first, last, [&](const FileKey& other) {
        return !signedFile || (other.flags & kFlagUnsigned) != 0;
      });
    }
    if (!copied) alone.push_back(MemberOf(file.byName));
  }
  for (DuplicateMember& member : alone) toResolve.push_back(&member);
  MemberResolver(paths, fileSystem).Resolve(target, toResolve);
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }
  for (DuplicateMember& member : alone) onFile(std::move(member), report.volumes);
  return report;
}

}  // namespace volumist
