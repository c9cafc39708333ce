#include "search/duplicates.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <tuple>

#include "analysis/md5.h"
#include "catalog/item_path.h"
#include "catalog/prompter.h"
#include "catalog/record_reader.h"
#include "catalog/volume_format.h"

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

// The order that brings copies together: by digest, kind (so that a name never meets a digest) and
// size; then, for a stable output, by volume and place in the volume. The digest's first word comes
// first: it tells almost every pair apart at once. Any fixed order of digests will do.
inline bool KeyLess(const FileKey& a, const FileKey& b) {
  uint64_t wa[2], wb[2];
  std::memcpy(wa, a.digest.data(), sizeof wa);
  std::memcpy(wb, b.digest.data(), sizeof wb);
  if (wa[0] != wb[0]) return wa[0] < wb[0];
  if (a.kind != b.kind) return a.kind < b.kind;
  if (a.size != b.size) return a.size < b.size;
  if (wa[1] != wb[1]) return wa[1] < wb[1];
  if (a.volume != b.volume) return a.volume < b.volume;
  return a.key < b.key;
}

bool SameCopy(const FileKey& a, const FileKey& b) {
  return a.kind == b.kind && a.size == b.size && a.digest == b.digest;
}

// The same, inside one volume only.
inline bool KeyLessWithinVolume(const FileKey& a, const FileKey& b) {
  if (a.volume != b.volume) return a.volume < b.volume;
  return KeyLess(a, b);
}

// Everything the walk reports of one file or archive record.
struct FileSeen {
  std::string_view base;       // the name without its extension
  std::string_view extension;  // without its dot; empty when there is none
  uint64_t size = 0;
  int64_t time = 0;
  bool hasMd5 = false;
  bool hasMd4 = false;
  Digest md5{};
  Digest md4{};
  RecordKey key = 0;
  RecordKey container = 0;
  uint8_t flags = 0;  // kFlagArchive, kFlagInArchive
  const std::vector<std::string>* folders = nullptr;  // the enclosing folders and archives, outermost first

  bool HoldsDigest() const { return hasMd5 || hasMd4; }
  // The name as it is listed: base name, dot and extension.
  std::string Name() const {
    std::string name(base);
    if (!extension.empty()) name.append(".").append(extension);
    return name;
  }
  Digest NameDigest() const {
    Md5 hash;
    hash.Update(base.data(), base.size());
    hash.Update(".", 1);
    hash.Update(extension.data(), extension.size());
    return hash.Finish();
  }
};

// What FileSeen takes from a record read in compact form (the name holds base name, dot and
// extension; the extension its dot, alone when there is none).
void Take(const FileRecord& record, FileSeen& seen) {
  std::string_view name = record.name.Text();
  std::string_view extension = record.extension.Text();
  if (extension.size() > name.size()) extension = {};
  seen.base = name.substr(0, name.size() - extension.size());
  seen.extension = extension.empty() ? extension : extension.substr(1);
  seen.size = record.size.Value();
  seen.time = record.modifiedTime.Value();
  const SignatureBlock& s = record.signatures;
  seen.hasMd5 = record.tag.hasSignatures && s.hasMd5;
  seen.hasMd4 = record.tag.hasSignatures && s.hasMd4;
  if (seen.hasMd5) seen.md5 = s.md5;
  if (seen.hasMd4) seen.md4 = s.md4;
}

// The longest file record without a media block: tag, two names with their lengths, an 8-byte
// size, the time, and a signature block with every digest.
constexpr size_t kPlainFileMax = 1 + 1 + 255 + 1 + 255 + 8 + 4 + 1 + 4 + 16 + 16;

// Decodes a file record without a media block straight from the reader's buffer: most records are
// such, and copying their names into a record first would cost more than the rest of the walk.
// Returns the record's length, or 0 when it is not one or does not lie in `bytes` whole.
size_t DecodePlainFile(std::span<const std::byte> view, FileSeen& seen) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(view.data());
  const char* text = reinterpret_cast<const char*>(view.data());
  const size_t n = view.size();
  if (n < 2) return 0;
  const RecordTag tag = RecordTag::Decode(bytes[0]);
  if (tag.kind != RecordKind::kFile || tag.hasMediaInfo) return 0;
  size_t at = 1;
  const size_t baseLength = bytes[at++];
  if (at + baseLength + 1 > n) return 0;
  seen.base = std::string_view(text + at, baseLength);
  at += baseLength;
  const size_t extensionLength = bytes[at++];
  if (at + extensionLength > n) return 0;
  seen.extension = std::string_view(text + at, extensionLength);
  at += extensionLength;
  const int width = SizeValue::WidthOfCode(tag.sizeWidthCode);
  if (width <= 0 || at + static_cast<size_t>(width) + 4 > n) return 0;
  seen.size = DecodeFixed(bytes + at, width);
  at += static_cast<size_t>(width);
  seen.time = static_cast<int32_t>(DecodeFixed(bytes + at, 4));
  at += 4;
  seen.hasMd5 = seen.hasMd4 = false;
  if (tag.hasSignatures) {
    if (at >= n) return 0;
    const uint8_t flags = bytes[at++];
    const size_t length = ((flags & format::kSignatureCrc32) ? 4 : 0) + ((flags & format::kSignatureMd5) ? 16 : 0) +
                          ((flags & format::kSignatureMd4) ? 16 : 0);
    if (at + length > n) return 0;
    if (flags & format::kSignatureCrc32) at += 4;
    if (flags & format::kSignatureMd5) {
      seen.hasMd5 = true;
      std::memcpy(seen.md5.data(), bytes + at, 16);
      at += 16;
    }
    if (flags & format::kSignatureMd4) {
      seen.hasMd4 = true;
      std::memcpy(seen.md4.data(), bytes + at, 16);
      at += 16;
    }
  }
  return at;
}

// Reads every file and archive record of a volume's tree in file order, with the key and names of
// the folders and archives that hold it. Stops at damage, at the end of the tree, when `stop` is set,
// or when `visit` returns false.
template <typename Visit>
void WalkFiles(VolumeCatalog& volume, const std::atomic<bool>* stop, Visit&& visit) {
  RecordReader& records = volume.Records();
  platform::BufferedReader& input = records.Input();
  const uint64_t treeStart = volume.Header().treeStart;
  const uint64_t treeEnd = volume.Header().treeEnd;
  struct Open {
    RecordKey key;
    bool archive;
  };
  std::vector<Open> open;
  std::vector<std::string> names;
  size_t openArchives = 0;
  FileRecord file;
  FolderRecord folder;
  ArchiveRecord archive;
  FileSeen seen;
  seen.folders = &names;
  uint64_t position = treeStart;
  while (position < treeEnd) {
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) return;
    const RecordKey container = open.empty() ? 0 : open.back().key;
    const uint8_t inArchive = openArchives > 0 ? kFlagInArchive : 0;
    // Plain file records, as many in a row as the buffer holds whole.
    input.Seek(position);
    if (input.Peek(std::min<uint64_t>(kPlainFileMax, treeEnd - position)).empty()) return;
    std::span<const std::byte> buffered = input.Buffered();
    if (buffered.size() > treeEnd - position) buffered = buffered.first(static_cast<size_t>(treeEnd - position));
    size_t at = 0;
    while (at < buffered.size()) {
      const size_t length = DecodePlainFile(buffered.subspan(at), seen);
      if (length == 0) break;
      seen.key = static_cast<RecordKey>(position + at - treeStart);
      seen.container = container;
      seen.flags = inArchive;
      if (!visit(seen)) return;
      at += length;
    }
    if (at > 0) {
      position += at;
      continue;
    }
    // Anything else through the record reader.
    records.Seek(position);
    RecordTag tag = records.ReadTag();
    seen.key = static_cast<RecordKey>(position - treeStart);
    seen.container = container;
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
          names.pop_back();
        }
        break;
      case RecordKind::kFile:
        if (!records.ReadFileRecord(tag, file, true)) return;
        Take(file, seen);
        seen.flags = inArchive;
        if (!visit(seen)) return;
        break;
      case RecordKind::kFolder:
        if (!records.ReadFolderRecord(tag, folder)) return;
        open.push_back({seen.key, false});
        names.push_back(folder.name.Text());
        break;
      case RecordKind::kArchive:
        if (!records.ReadArchiveRecord(tag, archive, true)) return;
        Take(archive, seen);
        seen.flags = static_cast<uint8_t>(inArchive | kFlagArchive);
        if (!visit(seen)) return;
        open.push_back({seen.key, true});
        names.push_back(seen.Name());
        ++openArchives;
        break;
    }
    if (records.Position() <= position) return;  // a record that leads nowhere
    position = records.Position();
  }
}

FileKey MakeKey(const FileSeen& seen, size_t volume, uint8_t kind, const Digest& digest) {
  FileKey key;
  key.digest = digest;
  key.size = seen.size;
  key.key = seen.key;
  key.container = seen.container;
  key.volume = static_cast<uint16_t>(volume);
  key.kind = kind;
  key.flags = static_cast<uint8_t>(seen.flags | (seen.HoldsDigest() ? 0 : kFlagUnsigned));
  return key;
}

// The number of threads that read `volumes` volume files.
unsigned WorkerCount(const DuplicateOptions& options, size_t volumes) {
  return std::clamp<unsigned>(options.threads, 1, static_cast<unsigned>(std::max<size_t>(volumes, 1)));
}

// Opens the volume files on WorkerCount threads and hands each open volume with its index and the
// worker's number (from 0) to `read`, which runs on that worker. Volumes marked in `skip` are not
// read.
template <typename Read>
void ReadVolumes(const std::vector<std::string>& paths, const DuplicateOptions& options,
                 platform::FileSystem& fileSystem, DuplicateReport& report, DuplicateProgress* progress,
                 const std::vector<bool>& skip, Read&& read) {
  report.volumes.resize(paths.size());
  std::mutex mutex;
  size_t next = 0;
  auto work = [&](unsigned worker) {
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
      read(volume, index, worker);
      if (progress != nullptr) progress->volumesRead.fetch_add(1, std::memory_order_relaxed);
    }
  };
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < WorkerCount(options, paths.size()); ++i) pool.emplace_back(work, i);
  work(0);
  for (std::thread& thread : pool) thread.join();
}

// Keys are spread over buckets by their digest, so that copies always share a bucket: each bucket
// is sorted alone (small enough to stay in the processor's caches, and on any thread), and no
// list of all keys is ever built.
constexpr size_t kBuckets = 1024;

size_t BucketOf(const FileKey& key) { return (key.digest[0] | (size_t{key.digest[1]} << 8)) % kBuckets; }

// The keys read by each worker, by bucket: parts[worker][bucket].
using KeyParts = std::vector<std::vector<std::vector<FileKey>>>;

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
void BridgeEd2kKeys(KeyParts& parts, const std::vector<std::string>& paths, const DuplicateOptions& options,
                    platform::FileSystem& fileSystem) {
  struct Ed2kOnly {
    uint64_t size;
    Digest md4;
    auto operator<=>(const Ed2kOnly&) const = default;
  };
  std::vector<Ed2kOnly> wanted;
  for (const auto& buckets : parts) {
    for (const auto& keys : buckets) {
      for (const FileKey& key : keys) {
        if (key.kind == kKeyEd2k) wanted.push_back({key.size, key.digest});
      }
    }
  }
  if (wanted.empty()) return;
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  // The MD5 of each wanted (size, eDonkey hash), found in records that hold both.
  std::map<Ed2kOnly, Digest> bridge;
  std::mutex mutex;
  DuplicateReport ignored;
  ReadVolumes(paths, options, fileSystem, ignored, nullptr, std::vector<bool>(paths.size(), false),
              [&](VolumeCatalog& volume, size_t, unsigned) {
                WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
                  if (!seen.hasMd5 || !seen.hasMd4) return true;
                  Ed2kOnly probe{seen.size, seen.md4};
                  if (!std::binary_search(wanted.begin(), wanted.end(), probe)) return true;
                  std::lock_guard lock(mutex);
                  bridge.emplace(probe, seen.md5);
                  return true;
                });
              });
  // A key that now reads as an MD5 moves to the bucket of that MD5.
  std::vector<FileKey> moved;
  for (auto& buckets : parts) {
    for (auto& keys : buckets) {
      auto kept = std::remove_if(keys.begin(), keys.end(), [&](FileKey& key) {
        if (key.kind != kKeyEd2k) return false;
        auto found = bridge.find({key.size, key.digest});
        if (found == bridge.end()) return false;
        key.kind = kKeyMd5;
        key.digest = found->second;
        moved.push_back(key);
        return true;
      });
      keys.erase(kept, keys.end());
    }
  }
  for (const FileKey& key : moved) parts[0][BucketOf(key)].push_back(key);
}

// Looks up the members' paths, names and times, volume by volume, each volume opened once.
class MemberResolver {
 public:
  MemberResolver(const std::vector<std::string>& paths, platform::FileSystem& fileSystem)
      : paths_(paths), fileSystem_(fileSystem) {}

  // Fills `members` (whose volume, key, containerKey and flags are set) from volume `index`, in
  // one walk through its tree: members lie all over it, and reading the records in file order
  // reads each part of the file once.
  void Resolve(size_t index, std::vector<DuplicateMember*>& members, const std::atomic<bool>* stop) {
    std::sort(members.begin(), members.end(), [](auto* a, auto* b) { return a->key < b->key; });
    SilentPrompter quiet;
    VolumeCatalog volume(fileSystem_, quiet);
    volume.SetQuiet(true);
    if (members.empty() || !volume.OpenVolume(paths_[index], false)) return;
    size_t next = 0;
    // The escaped path of the folder that holds the members, made once per folder.
    std::optional<RecordKey> folder;
    std::string folderPath;
    WalkFiles(volume, stop, [&](const FileSeen& seen) {
      while (next < members.size() && members[next]->key < seen.key) ++next;  // not found: left as is
      while (next < members.size() && members[next]->key == seen.key) {
        DuplicateMember& member = *members[next++];
        if (folder != seen.container) {
          folder = seen.container;
          folderPath = JoinItemPath(*seen.folders);
        }
        member.name = seen.Name();
        member.size = seen.size;
        member.modifiedTime.Set(seen.time);
        member.path = folderPath;
        AppendName(member.path, member.name);
      }
      return next < members.size();
    });
  }

 private:
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

constexpr size_t kMaximumVolumes = kMaximumDuplicateVolumes;

}  // namespace

std::optional<uint64_t> ParseSizeText(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || rest == text.data()) return std::nullopt;
  const std::string_view unit(rest, static_cast<size_t>(end - rest));
  int shift = 0;
  if (unit == "K") shift = 10;
  else if (unit == "M") shift = 20;
  else if (unit == "G") shift = 30;
  else if (!unit.empty()) return std::nullopt;
  if (shift > 0 && value > (UINT64_MAX >> shift)) return std::nullopt;
  return value << shift;
}

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
  const unsigned workers = WorkerCount(options, paths.size());
  KeyParts parts(workers, std::vector<std::vector<FileKey>>(kBuckets));
  std::atomic<uint64_t> compared = 0;
  ReadVolumes(paths, options, fileSystem, report, progress, std::vector<bool>(paths.size(), false),
              [&](VolumeCatalog& volume, size_t index, unsigned worker) {
                std::vector<std::vector<FileKey>>& buckets = parts[worker];
                uint64_t files = 0;
                uint64_t kept = 0;
                auto keep = [&](const FileKey& key) {
                  buckets[BucketOf(key)].push_back(key);
                  ++kept;
                };
                WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
                  ++files;
                  if (seen.size < options.minimumSize) return true;
                  if (options.match != DuplicateMatch::kNameAndSize && seen.HoldsDigest()) {
                    keep(MakeKey(seen, index, seen.hasMd5 ? kKeyMd5 : kKeyEd2k, seen.hasMd5 ? seen.md5 : seen.md4));
                  } else if (options.match != DuplicateMatch::kContent) {
                    keep(MakeKey(seen, index, kKeyName, seen.NameDigest()));
                  }
                  return true;
                });
                compared.fetch_add(kept, std::memory_order_relaxed);
                if (progress != nullptr) progress->filesRead.fetch_add(files, std::memory_order_relaxed);
              });
  report.filesCompared = compared.load();
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }
  BridgeEd2kKeys(parts, paths, options, fileSystem);

  // Each bucket alone: its parts joined, sorted, its runs of two or more equal keys made groups.
  // Only the groups' members are kept.
  auto less = [&](const FileKey& a, const FileKey& b) {
    return options.withinVolume ? KeyLessWithinVolume(a, b) : KeyLess(a, b);
  };
  auto same = [&](const FileKey& a, const FileKey& b) {
    return SameCopy(a, b) && (!options.withinVolume || a.volume == b.volume);
  };
  std::vector<std::vector<DuplicateGroup>> groupsOf(workers);
  std::atomic<size_t> nextBucket = 0;
  auto group = [&](unsigned worker) {
    std::vector<DuplicateGroup>& groups = groupsOf[worker];
    std::vector<FileKey> keys;
    for (size_t b; (b = nextBucket.fetch_add(1)) < kBuckets && !Stopped(options);) {
      keys.clear();
      for (auto& buckets : parts) {
        keys.insert(keys.end(), buckets[b].begin(), buckets[b].end());
        std::vector<FileKey>().swap(buckets[b]);
      }
      std::sort(keys.begin(), keys.end(), less);
      for (size_t begin = 0; begin < keys.size();) {
        size_t end = begin + 1;
        while (end < keys.size() && same(keys[begin], keys[end])) ++end;
        if (end - begin >= 2) {
          DuplicateGroup found;
          const FileKey& first = keys[begin];
          found.rule = first.kind == kKeyName ? DuplicateRule::kNameAndSize : DuplicateRule::kContent;
          found.digestKind = first.kind == kKeyMd5    ? DigestKind::kMd5
                             : first.kind == kKeyEd2k ? DigestKind::kEd2k
                                                      : DigestKind::kNone;
          if (found.rule == DuplicateRule::kContent) found.digest = first.digest;
          found.size = first.size;
          found.members.reserve(end - begin);
          for (size_t i = begin; i < end; ++i) found.members.push_back(MemberOf(keys[i]));
          groups.push_back(std::move(found));
        }
        begin = end;
      }
    }
  };
  {
    std::vector<std::jthread> pool;
    for (unsigned i = 1; i < workers; ++i) pool.emplace_back(group, i);
    group(0);
  }
  parts.clear();
  std::vector<DuplicateGroup> groups = std::move(groupsOf[0]);
  for (unsigned i = 1; i < workers; ++i) {
    std::move(groupsOf[i].begin(), groupsOf[i].end(), std::back_inserter(groups));
    std::vector<DuplicateGroup>().swap(groupsOf[i]);
  }
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }

  std::vector<std::vector<DuplicateMember*>> byVolume(paths.size());
  for (DuplicateGroup& found : groups) {
    for (DuplicateMember& member : found.members) byVolume[member.volume].push_back(&member);
  }
  MemberResolver resolver(paths, fileSystem);
  std::atomic<size_t> nextVolume = 0;
  auto resolve = [&] {
    for (size_t index; (index = nextVolume.fetch_add(1)) < byVolume.size() && !Stopped(options);) {
      if (!byVolume[index].empty()) resolver.Resolve(index, byVolume[index], options.stop);
    }
  };
  {
    std::vector<std::jthread> pool;
    for (unsigned i = 1; i < workers; ++i) pool.emplace_back(resolve);
    resolve();
  }
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }

  // Largest first: where a copy costs most. Then content before name groups, content groups by
  // digest, name groups by name.
  std::sort(groups.begin(), groups.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) {
    if (a.size != b.size) return a.size > b.size;
    if (a.rule != b.rule) return a.rule < b.rule;
    if (a.rule == DuplicateRule::kNameAndSize) return a.members.front().name < b.members.front().name;
    return std::tie(a.digestKind, a.digest) < std::tie(b.digestKind, b.digest);
  });
  for (DuplicateGroup& found : groups) {
    if (progress != nullptr) progress->groupsFound.fetch_add(1, std::memory_order_relaxed);
    onGroup(std::move(found), report.volumes);
    found = DuplicateGroup();
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
  ReadVolumes(paths, options, fileSystem, report, progress, skip, [&](VolumeCatalog& volume, size_t index, unsigned) {
    uint64_t files = 0;
    std::vector<FileKey>& keys = perVolume[index];
    WalkFiles(volume, options.stop, [&](const FileSeen& seen) {
      ++files;
      if (seen.size < options.minimumSize) return true;
      FileKey byName = MakeKey(seen, index, kKeyName, seen.NameDigest());
      if (index == target) {
        TargetFile entry{byName, std::nullopt, std::nullopt};
        if (seen.hasMd5) entry.md5 = seen.md5;
        if (seen.hasMd4) entry.md4 = seen.md4;
        mine.push_back(entry);
        return true;
      }
      keys.push_back(byName);
      if (seen.hasMd5) keys.push_back(MakeKey(seen, index, kKeyMd5, seen.md5));
      if (seen.hasMd4) keys.push_back(MakeKey(seen, index, kKeyEd2k, seen.md4));
      return true;
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
  SortKeys(others, options.threads, [](const FileKey& a, const FileKey& b) { return KeyLess(a, b); });

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
  MemberResolver(paths, fileSystem).Resolve(target, toResolve, options.stop);
  if (Stopped(options)) {
    report.stopped = true;
    return report;
  }
  for (DuplicateMember& member : alone) onFile(std::move(member), report.volumes);
  return report;
}

}  // namespace volumist
