#include "search/search_engine.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "analysis/mp3_values.h"
#include "catalog/case_folding.h"
#include "catalog/folder_chain.h"
#include "catalog/messages.h"
#include "catalog/value_format.h"
#include "search/text_match.h"

namespace volumist {
namespace {

// kbit/s of the entries of the bitrate list; entry 0 means no bitrate criterion.
constexpr std::array<uint32_t, 16> kBitrates = {0, 8, 16, 32, 48, 64, 96, 112, 128, 144, 160, 192, 224, 256, 320, 448};
constexpr std::array<uint64_t, 4> kSizeUnits = {1, 1024, 1048576, 1073741824};

// The criteria turned into what the tests need once per search.
class Tests {
 public:
  explicit Tests(const SearchCriteria& c)
      : criteria_(c),
        mask_(c.mask, c.caseSensitive),
        description_(c.descriptionText, false),
        title_(c.titleText, false),
        artist_(c.artistText, false),
        album_(c.albumText, false),
        comment_(c.commentText, false),
        sizeLimit_(c.sizeValue * kSizeUnits[std::min<size_t>(static_cast<size_t>(c.sizeUnit), 3)]),
        bitrate_(c.bitrateIndex < kBitrates.size() ? kBitrates[c.bitrateIndex] : 0) {}

  bool NameMatches(std::string_view name) const { return mask_.Matches(name); }
  // A file's name as read in compact form: base name, dot, extension, with the dot also when there is
  // no extension, so that "*.*" takes every file. Such a name matches by its real name as well, so
  // that the mask "README" finds the file README.
  bool FileNameMatches(std::string_view compactName) const {
    if (mask_.Matches(compactName)) return true;
    return !compactName.empty() && compactName.back() == '.' && mask_.Matches(compactName.substr(0, compactName.size() - 1));
  }
  bool FileNameMatches(std::string_view base, std::string_view extension) const {
    return mask_.MatchesParts(base, extension) || (extension.empty() && mask_.Matches(base));
  }

  // Size and time.
  bool SizeAndTime(uint64_t size, int64_t time) const {
    if (criteria_.sizeEnabled && !Compares(size, criteria_.sizeCompare, sizeLimit_)) return false;
    if (criteria_.fromEnabled && time < criteria_.fromTime.Value()) return false;
    if (criteria_.toEnabled && time > criteria_.toTime.Value()) return false;
    return true;
  }

  bool Audio(const FileRecord& file, std::string_view name) const {
    const Mp3Info* mp3 = file.tag.hasMediaInfo ? file.mediaInfo.Mp3() : nullptr;
    if (mp3 != nullptr && TagsIn(mp3->title, mp3->artist, mp3->album, mp3->comment) &&
        (bitrate_ == 0 || MatchesMp3Bitrate(mp3, criteria_.bitrateCompare, bitrate_))) {
      return true;
    }
    // "Sequences in names": the given texts in the file's name instead.
    return criteria_.trySequencesInNames && TagsIn(name, name, name, name);
  }

  bool Signatures(const FileRecord& file) const {
    const SignatureBlock& s = file.signatures;
    bool held = file.tag.hasSignatures;
    auto same = [](std::string_view given, const std::string& stored) {
      return !stored.empty() && given.size() == stored.size() && CompareIgnoringCase(given, stored) == 0;
    };
    if (criteria_.crc32Enabled && !(held && same(criteria_.crc32Text, FormatCrc32(s)))) return false;
    if (criteria_.md4Enabled && !(held && same(criteria_.md4Text, FormatMd4(s)))) return false;
    if (criteria_.md5Enabled && !(held && same(criteria_.md5Text, FormatMd5(s)))) return false;
    return true;
  }

  bool Description(const std::optional<std::string>& text) const {
    return !criteria_.descriptionEnabled || (text && description_.FoundIn(*text));
  }

 private:
  bool TagsIn(std::string_view title, std::string_view artist, std::string_view album, std::string_view comment) const {
    return (!criteria_.titleEnabled || title_.FoundIn(title)) && (!criteria_.artistEnabled || artist_.FoundIn(artist)) &&
           (!criteria_.albumEnabled || album_.FoundIn(album)) && (!criteria_.commentEnabled || comment_.FoundIn(comment));
  }

  const SearchCriteria& criteria_;
  NameMask mask_;
  TextPattern description_;
  TextPattern title_, artist_, album_, comment_;
  uint64_t sizeLimit_;
  uint32_t bitrate_;
};

// The folders and archives open around the current record, as the result's folder path.
class PathStack {
 public:
  void Push(std::string_view name, bool archive, RecordKey key) {
    ends_.push_back(text_.size());
    archives_.push_back(archive);
    keys_.push_back(key);
    names_.emplace_back(name);
    text_.append(name);
    text_ += archive ? '/' : '\\';
    shared_.reset();
  }
  void Pop() {
    text_.resize(ends_.back());
    ends_.pop_back();
    archives_.pop_back();
    keys_.pop_back();
    names_.pop_back();
    shared_.reset();
  }
  // The folder as results hold it: one copy per folder, shared by its results.
  const std::shared_ptr<const ResultFolder>& Shared() {
    if (!shared_) shared_ = std::make_shared<const ResultFolder>(ResultFolder{text_, names_});
    return shared_;
  }
  size_t Depth() const { return ends_.size(); }
  // The key of the innermost open folder or archive: the one that lists the current record.
  RecordKey Container() const { return keys_.empty() ? baseKey_ : keys_.back(); }
  bool InsideArchive() const {
    return baseInArchive_ || std::find(archives_.begin(), archives_.end(), true) != archives_.end();
  }
  // The folders and archives above the search's scope, which the results' folders start with.
  void SetBase(const std::vector<ChainLink>& above) {
    for (const ChainLink& link : above) {
      baseInArchive_ = baseInArchive_ || link.isArchive;
      baseKey_ = link.key;
      names_.push_back(link.name);
      text_ += link.name;
      text_ += link.isArchive ? '/' : '\\';
    }
    shared_.reset();
  }

 private:
  std::string text_;
  std::vector<std::string> names_;
  std::shared_ptr<const ResultFolder> shared_;
  std::vector<size_t> ends_;
  std::vector<bool> archives_;
  std::vector<RecordKey> keys_;
  bool baseInArchive_ = false;  // an archive lies above the search's scope
  RecordKey baseKey_ = 0;       // the innermost folder or archive above the search's scope
};

SearchResult MakeResult(const CatalogRecord& record, SearchResult::Kind kind, RecordKey key, PathStack& path) {
  SearchResult result;
  result.kind = kind;
  result.size = record.size.Value();
  result.key = key;
  result.containerKey = path.Container();
  result.folder = path.Shared();
  return result;
}

void FillFileFields(SearchResult& result, const FileRecord& file) {
  // Compact names end in the extension with its dot; a file without one reads "name.".
  std::string_view name = file.name.Text();
  std::string_view extension = file.extension.Text();
  if (extension == ".") {
    name.remove_suffix(1);
    extension = {};
  }
  result.name = std::string(name);
  result.extension = extension.empty() ? std::string() : std::string(extension.substr(1));
  result.modifiedTime = file.modifiedTime;
  result.hasSignatures = file.tag.hasSignatures;
  result.signatures = file.signatures;
  if (file.tag.hasMediaInfo) result.media = std::make_shared<const MediaInfo>(file.mediaInfo);
}

template <typename T>
T LoadLittleEndian(const uint8_t* bytes) {
  if constexpr (std::endian::native != std::endian::little) {
    return static_cast<T>(DecodeFixed(bytes, sizeof(T)));
  } else {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
}

// The head of a file record (tag, names, size, time) fits in this many bytes.
constexpr size_t kFileHeadMax = 1 + 1 + 255 + 1 + 255 + 5 + 4;

// A file record's head, decoded straight from the reader's buffer without copying it into a record:
// most files fail the name test, and only those that pass are read in full.
struct FileHead {
  std::string_view base;       // in the reader's buffer
  std::string_view extension;
  uint64_t size = 0;
  int64_t time = 0;
  size_t length = 0;  // of the head, tag included
  size_t tailLength = 0;  // of the signature block that follows, when it is all there is and in view
};

bool ParseFileHead(std::span<const std::byte> view, const RecordTag& tag, FileHead& head) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(view.data());
  const char* text = reinterpret_cast<const char*>(view.data());
  const size_t n = view.size();
  size_t at = 1;
  if (at >= n) return false;
  size_t baseLength = bytes[at++];
  if (at + baseLength + 1 > n) return false;
  head.base = std::string_view(text + at, baseLength);
  at += baseLength;
  size_t extensionLength = bytes[at++];
  if (at + extensionLength > n) return false;
  head.extension = std::string_view(text + at, extensionLength);
  at += extensionLength;
  int width = SizeValue::WidthOfCode(tag.sizeWidthCode);
  if (at + static_cast<size_t>(width) + 4 > n) return false;
  // One unaligned load each instead of a loop over the bytes: a file's size and time are read for
  // every record.
  if (at + 8 <= n) {
    const uint64_t word = LoadLittleEndian<uint64_t>(bytes + at);
    head.size = width >= 8 ? word : word & ((uint64_t{1} << (8 * width)) - 1);
  } else {
    head.size = DecodeFixed(bytes + at, width);
  }
  at += static_cast<size_t>(width);
  head.time = static_cast<int32_t>(LoadLittleEndian<uint32_t>(bytes + at));
  at += 4;
  head.length = at;
  head.tailLength = 0;
  if (!tag.hasMediaInfo && tag.hasSignatures && at < n) {
    uint8_t flags = bytes[at];
    size_t length = 1 + ((flags & 0x01) ? 4 : 0) + ((flags & 0x02) ? 16 : 0) + ((flags & 0x04) ? 16 : 0);
    if (at + length <= n) head.tailLength = length;
  }
  return true;
}

std::optional<std::string> DescriptionOf(VolumeCatalog& volume, RecordKey key, const PendingDescriptions* pending) {
  if (pending != nullptr) {
    if (auto found = pending->find(key); found != pending->end()) {
      if (found->second.empty()) return std::nullopt;
      return found->second;
    }
  }
  return volume.GetDescription(key);
}

}  // namespace

bool SearchStopRequested(const SearchCriteria& criteria) { return criteria.StopRequested(); }

size_t RunSearch(VolumeCatalog& volume, const SearchCriteria& criteria, ResultCollector& results, int volumeIndex,
                 const PendingDescriptions* pending) {
  if (!volume.IsLoaded()) return 0;
  const Tests tests(criteria);
  const bool onlyInArchives = criteria.lookInArchives && criteria.onlyInArchives;
  const uint64_t treeEnd = volume.Header().treeEnd;
  RecordReader& records = volume.Records();
  PathStack path;
  size_t scopeDepth = 0;
  uint64_t position = volume.Header().treeStart;
  if (criteria.inFolder && criteria.scopeFolder != 0) {
    std::optional<std::vector<ChainLink>> chain = ReadFolderChain(volume, criteria.scopeFolder);
    if (!chain) return 0;
    chain->pop_back();  // the scope itself is pushed below
    path.SetBase(*chain);
    volume.SeekToKey(criteria.scopeFolder);
    RecordTag tag = records.ReadTag();
    FolderRecord folder;
    ArchiveRecord archive;
    if (tag.kind == RecordKind::kFolder && records.ReadFolderRecord(tag, folder)) {
      path.Push(folder.name.Text(), false, criteria.scopeFolder);
    } else if (tag.kind == RecordKind::kArchive && records.ReadArchiveRecord(tag, archive, false)) {
      path.Push(archive.name.Text() + archive.extension.Text(), true, criteria.scopeFolder);
    } else {
      return 0;
    }
    position = records.Position();
    scopeDepth = 1;
  }

  FolderRecord folder;
  FileRecord file;
  ArchiveRecord archive;
  size_t found = 0;
  auto from = std::make_shared<const ResultVolume>(
      ResultVolume{volume.Header().volumeName, volume.VolumeFilePath(), volumeIndex});
  auto emit = [&](SearchResult&& result, RecordKey descriptionKey) {
    if (criteria.getDescriptions) {
      result.description = DescriptionOf(volume, descriptionKey, pending);
      if (!tests.Description(result.description)) return;
    }
    result.volume = from;
    results.AddResult(std::move(result));
    ++found;
  };
  auto skipTo = [&](RecordKey endKey) {
    uint64_t end = volume.AbsoluteOffset(endKey);
    if (end <= records.Position() || end > treeEnd) return false;  // a key that leads back or out
    position = end;
    return true;
  };

  platform::BufferedReader& input = records.Input();
  FileHead head;
  while (position < treeEnd && found < criteria.maximum && !criteria.StopRequested()) {
    // Files that fail the name, size or time test are stepped over from their heads alone, straight
    // from the reader's buffer, as many in a row as it holds.
    input.Seek(position);
    if (input.Peek(kFileHeadMax).empty()) return found;
    std::span<const std::byte> buffered = input.Buffered();
    const uint64_t untilTreeEnd = treeEnd - position;
    const bool bufferHoldsTreeEnd = buffered.size() >= untilTreeEnd;
    if (bufferHoldsTreeEnd) buffered = buffered.first(static_cast<size_t>(untilTreeEnd));
    const bool candidates = !onlyInArchives || path.InsideArchive();
    size_t at = 0;
    RecordTag tag;
    while (at < buffered.size()) {
      std::span<const std::byte> view = buffered.subspan(at);
      // A head cut off by the end of the buffer is read again after the next fill.
      if (view.size() < kFileHeadMax && !bufferHoldsTreeEnd) break;
      tag = RecordTag::Decode(static_cast<uint8_t>(view[0]));
      if (tag.kind != RecordKind::kFile || !ParseFileHead(view, tag, head)) break;
      if (candidates && tests.FileNameMatches(head.base, head.extension) && tests.SizeAndTime(head.size, head.time)) break;
      if (!tag.hasMediaInfo && !tag.hasSignatures) {
        at += head.length;
      } else if (head.tailLength > 0) {
        at += head.length + head.tailLength;
      } else {
        records.Seek(position + at + head.length);
        if (!records.SkipFileRecordTail(tag)) return found;
        at = static_cast<size_t>(records.Position() - position);
        break;
      }
      if (criteria.StopRequested()) return found;
    }
    if (at > 0) {
      position += at;
      continue;
    }
    records.Seek(position);
    tag = records.ReadTag();
    RecordKey key = static_cast<RecordKey>(position - volume.Header().treeStart);
    switch (tag.kind) {
      case RecordKind::kNone:
      case RecordKind::kUnknown: return found;
      case RecordKind::kSourceMark:
        if (!records.ReadSourceMark()) return found;
        position = records.Position();
        continue;
      case RecordKind::kDescriptionIndex:
        position += 1;
        continue;
      case RecordKind::kFolderEnd:
        position += 1;
        if (path.Depth() > 0) path.Pop();
        if (scopeDepth > 0 && path.Depth() < scopeDepth) return found;
        continue;
      case RecordKind::kFile: {
        if (!records.ReadFileRecordHead(tag, file, true)) return found;
        bool candidate = !onlyInArchives || path.InsideArchive();
        bool passes = candidate && tests.FileNameMatches(file.name.Text()) &&
                      tests.SizeAndTime(file.size.Value(), file.modifiedTime.Value());
        if (passes) {
          if (!records.ReadFileRecordTail(tag, file)) return found;
          std::string_view name = file.name.Text();
          passes = (!criteria.audioEnabled || tests.Audio(file, name)) &&
                   (!criteria.signaturesEnabled || tests.Signatures(file));
          if (passes) {
            SearchResult result = MakeResult(file, SearchResult::Kind::kFile, key, path);
            FillFileFields(result, file);
            emit(std::move(result), FileDescriptionKey(key));
          }
        } else if (!records.SkipFileRecordTail(tag)) {
          return found;
        }
        position = records.Position();
        continue;
      }
      case RecordKind::kFolder: {
        if (!records.ReadFolderRecord(tag, folder)) return found;
        bool candidate = criteria.findFolders && (!onlyInArchives || path.InsideArchive());
        if (candidate && !criteria.audioEnabled && tests.NameMatches(folder.name.Text())) {
          SearchResult result = MakeResult(folder, SearchResult::Kind::kFolder, key, path);
          result.name = folder.name.Text();
          result.parentKey = folder.parentKey;
          emit(std::move(result), folder.selfKey);
        }
        // Without sub-folders the whole volume's search still looks into the root folder of each
        // folder source: its contents are the top of that source, as a drive source's are.
        bool entered = criteria.inSubfolders || (tag.isSourceRoot && path.Depth() == 0 && scopeDepth == 0);
        if (!entered) {
          if (!skipTo(folder.endKey)) return found;
        } else {
          path.Push(folder.name.Text(), false, key);
          position = records.Position();
        }
        continue;
      }
      case RecordKind::kArchive: {
        if (!records.ReadArchiveRecord(tag, archive, true)) return found;
        if (!onlyInArchives && !criteria.audioEnabled && tests.FileNameMatches(archive.name.Text()) &&
            tests.SizeAndTime(archive.size.Value(), archive.modifiedTime.Value()) &&
            (!criteria.signaturesEnabled || tests.Signatures(archive))) {
          SearchResult result = MakeResult(archive, SearchResult::Kind::kArchive, key, path);
          FillFileFields(result, archive);
          result.archiveKind = archive.archiveKind;
          result.parentKey = archive.parentKey;
          emit(std::move(result), archive.selfKey);
        }
        if (!criteria.lookInArchives) {
          if (!skipTo(archive.endKey)) return found;
        } else {
          std::string name = archive.name.Text();
          if (archive.extension.Text() == ".") name.pop_back();
          path.Push(name, true, key);
          position = records.Position();
        }
        continue;
      }
    }
  }
  return found;
}

namespace {

// Results of one volume, held until every volume before it has handed over its own.
struct VolumeResults final : ResultCollector {
  // Results are kept in chunks small enough for the heap to reuse: one large growing array per
  // volume would be mapped afresh from the system each time, and its pages faulted in again.
  static constexpr size_t kChunk = 128;
  void AddResult(const SearchResult& result) override { Place().push_back(result); }
  void AddResult(SearchResult&& result) override { Place().push_back(std::move(result)); }
  size_t ResultCount() const override { return chunks.empty() ? 0 : (chunks.size() - 1) * kChunk + chunks.back().size(); }
  std::vector<SearchResult>& Place() {
    if (chunks.empty() || chunks.back().size() == kChunk) chunks.emplace_back().reserve(kChunk);
    return chunks.back();
  }
  std::vector<std::vector<SearchResult>> chunks;
  bool done = false;
  bool openFailed = false;
  VolumeDamage damage = VolumeDamage::kNone;
};

// Searches the volume files `volumePaths`, each opened with a reader of its own, on up to `threads`
// threads, handing the results over in the list's order. The volume whose file is `loaded->path`
// reads its pending descriptions from there.
void SearchVolumeFiles(const SearchCriteria& criteria, ResultCollector& results,
                       const std::vector<std::string>& volumePaths, const LoadedVolumeFile* loaded,
                       platform::FileSystem& fileSystem, Prompter& prompter, unsigned threads) {
  const std::string loadedPath = loaded != nullptr ? platform::NormalizePath(loaded->path) : std::string();
  // Each worker takes the next volume. Whichever worker finds the earliest unhanded volume done hands
  // over the results of every finished volume from there on, in list order, while the others go on.
  std::vector<VolumeResults> perVolume(volumePaths.size());
  std::mutex mutex;
  std::condition_variable changed;
  size_t nextVolume = 0;
  size_t nextToHand = 0;
  bool handing = false;
  auto handOver = [&](std::unique_lock<std::mutex>& lock) {
    if (handing) return;
    handing = true;
    while (nextToHand < perVolume.size() && perVolume[nextToHand].done) {
      VolumeResults& ready = perVolume[nextToHand++];
      std::vector<std::vector<SearchResult>> batch = std::move(ready.chunks);
      bool failed = ready.openFailed;
      VolumeDamage damage = ready.damage;
      lock.unlock();
      const std::string& path = volumePaths[nextToHand - 1];
      if (failed) prompter.ShowError(std::string(messages::kCouldNotOpenForRead) + " (" + path + ")");
      if (damage != VolumeDamage::kNone) prompter.ShowError(std::string(DamageMessage(damage)) + " (" + path + ")");
      for (std::vector<SearchResult>& chunk : batch) {
        for (SearchResult& result : chunk) results.AddResult(std::move(result));
        std::vector<SearchResult>().swap(chunk);  // handed over: give the memory back at once
      }
      lock.lock();
    }
    handing = false;
    changed.notify_all();
  };
  auto work = [&] {
    SilentPrompter quiet;
    for (;;) {
      size_t index;
      {
        std::lock_guard lock(mutex);
        if (nextVolume >= volumePaths.size()) return;
        index = nextVolume++;
      }
      VolumeResults& mine = perVolume[index];
      if (!criteria.StopRequested()) {
        VolumeCatalog volume(fileSystem, quiet);
        volume.SetQuiet(true);
        if (volume.OpenVolume(volumePaths[index], criteria.getDescriptions)) {
          mine.damage = volume.Damage();
          const PendingDescriptions* pending =
              loaded != nullptr && !loaded->pending.empty() && platform::NormalizePath(volumePaths[index]) == loadedPath
                  ? &loaded->pending
                  : nullptr;
          RunSearch(volume, criteria, mine, static_cast<int>(index), pending);
        } else {
          mine.openFailed = true;
        }
      }
      std::unique_lock lock(mutex);
      mine.done = true;
      handOver(lock);
    }
  };
  std::vector<std::thread> pool;
  unsigned count = std::clamp<unsigned>(threads, 1, static_cast<unsigned>(volumePaths.size()));
  for (unsigned i = 1; i < count; ++i) pool.emplace_back(work);
  work();
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return nextToHand == perVolume.size() && !handing; });
  }
  for (std::thread& thread : pool) thread.join();
}

}  // namespace

void SearchAll(const SearchCriteria& criteria, ResultCollector& results, VolumeCatalog* loaded,
               const std::vector<std::string>& volumePaths, platform::FileSystem& fileSystem, Prompter& prompter,
               unsigned threads) {
  if (!criteria.allVolumes || volumePaths.empty()) {
    if (loaded != nullptr && loaded->IsLoaded()) RunSearch(*loaded, criteria, results, 0);
    return;
  }
  SearchVolumeFiles(criteria, results, volumePaths, nullptr, fileSystem, prompter, threads);
}

LoadedVolumeFile LoadedFileOf(VolumeCatalog& volume) {
  LoadedVolumeFile file;
  file.path = volume.VolumeFilePath();
  for (auto& [key, text] : volume.PendingDescriptionTexts()) file.pending.insert_or_assign(key, std::move(text));
  return file;
}

void SearchAll(const SearchCriteria& criteria, ResultCollector& results, const LoadedVolumeFile* loaded,
               const std::vector<std::string>& volumePaths, platform::FileSystem& fileSystem, Prompter& prompter,
               unsigned threads) {
  if (!criteria.allVolumes || volumePaths.empty()) {
    // The loaded volume alone, as the first and only volume of a list.
    if (loaded != nullptr) SearchVolumeFiles(criteria, results, {loaded->path}, loaded, fileSystem, prompter, 1);
    return;
  }
  SearchVolumeFiles(criteria, results, volumePaths, loaded, fileSystem, prompter, threads);
}

}  // namespace volumist
