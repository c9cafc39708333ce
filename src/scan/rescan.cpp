#include "scan/rescan.h"

#include <ctime>
#include <thread>

#include "catalog/coding.h"
#include "catalog/description_store.h"
#include "catalog/lost_descriptions.h"
#include "catalog/messages.h"
#include "catalog/record_reader.h"
#include "catalog/record_writer.h"
#include "catalog/tree_comparison.h"
#include "catalog/volume_format.h"
#include "platform/buffered_reader.h"
#include "scan/messages.h"

namespace volumist {
namespace {

// A kept source is copied in pieces of about this size, each with its keys moved in memory.
constexpr uint64_t kCopyPiece = 1 << 20;

// Copies the records of a kept source, `entry`'s key range of the old tree, to the writer's current
// position (just after the new source mark), moving every key they hold by the distance the range
// moved. Counts what it copies as a scan would have, and adds the source's size (its root's, or the
// sum of a drive source's top entries) to `size`. Updates the entry's key range. False on a damaged
// record, a failed read or write, or a stop.
bool CopyKeptSource(VolumeWriter& out, platform::File& old, uint64_t oldTreeStart, SourceEntry& entry,
                    ScanStatistics& counters, uint64_t& size, const std::atomic<bool>& stop) {
  const RecordKey newStart = out.CurrentKey();
  const int64_t shift = int64_t{newStart} - int64_t{entry.treeStartKey};
  platform::BufferedReader input(old);
  RecordReader records(input);
  const uint64_t end = oldTreeStart + entry.treeEndKey;
  records.Seek(oldTreeStart + entry.treeStartKey);

  std::vector<uint64_t> keyFields;  // old file offsets of the keys in the current piece
  std::vector<std::byte> piece;
  uint64_t pieceStart = records.Position();
  auto writePiece = [&](uint64_t upTo) {
    piece.resize(static_cast<size_t>(upTo - pieceStart));
    auto got = old.ReadAt(pieceStart, piece);
    if (!got || *got != piece.size()) return false;
    for (uint64_t field : keyFields) {
      auto* bytes = reinterpret_cast<uint8_t*>(piece.data() + (field - pieceStart));
      EncodeFixed(bytes, static_cast<uint32_t>(DecodeFixed(bytes, 4) + shift), 4);
    }
    out.Write(piece.data(), piece.size());
    keyFields.clear();
    pieceStart = upTo;
    return out.ok();
  };

  Counters counted;
  uint64_t sourceSize = 0;
  std::vector<bool> open;  // per open folder or archive: whether it is, or lies in, an archive
  FolderRecord folder;
  ArchiveRecord archive;
  uint32_t polled = 0;
  while (records.Position() < end) {
    if (++polled % 4096 == 0 && stop.load(std::memory_order_relaxed)) return false;
    RecordTag tag = records.ReadTag();
    const bool inArchive = !open.empty() && open.back();
    const bool top = open.empty();
    NestingFields* nesting = nullptr;
    switch (tag.kind) {
      case RecordKind::kFolder:
        if (!records.ReadFolderRecord(tag, folder)) return false;
        nesting = &folder;
        (inArchive ? counted.totalFolderCount : counted.folderCount) += 1;
        if (!inArchive) ++counted.totalFolderCount;
        if (top) sourceSize += folder.size.Value();
        open.push_back(inArchive);
        break;
      case RecordKind::kArchive:
        if (!records.ReadArchiveRecord(tag, archive)) return false;
        nesting = &archive;
        ++counted.archiveCount;
        ++counted.fileCount;
        ++counted.totalFileCount;
        if (top) sourceSize += archive.size.Value();
        open.push_back(true);
        break;
      case RecordKind::kFile: {
        FileRecord file;
        if (!records.ReadFileRecordHead(tag, file, false) || !records.SkipFileRecordTail(tag)) return false;
        if (!inArchive) ++counted.fileCount;
        ++counted.totalFileCount;
        if (top) sourceSize += file.size.Value();
        break;
      }
      case RecordKind::kFolderEnd:
        if (!open.empty()) open.pop_back();
        break;
      default: return false;
    }
    if (records.Position() > end) return false;
    if (nesting != nullptr) {
      // selfKey, endKey and parentKey lie side by side around the end key.
      keyFields.push_back(nesting->endKeyOffset - 4);
      keyFields.push_back(nesting->endKeyOffset);
      keyFields.push_back(nesting->endKeyOffset + 4);
    }
    if (records.Position() - pieceStart >= kCopyPiece && !writePiece(records.Position())) return false;
  }
  if (!writePiece(end)) return false;
  entry.treeStartKey = newStart;
  entry.treeEndKey = out.CurrentKey();
  counters.Add(counted);
  size += sourceSize;
  return true;
}

TreeSource SourceOf(const SourceEntry& entry) {
  return TreeSource{entry.sourceName.Text(), entry.rootPath.Text(), entry.isFolderSource, entry.treeStartKey,
                    entry.treeEndKey};
}

// The old file: the locked target of the replacement, or for a dry run a plain open.
struct OldVolume {
  std::unique_ptr<platform::File> opened;
  platform::File* file = nullptr;
  VolumeHeader header;
  SourceList sources;
};

}  // namespace

std::optional<ChangeReport> RescanVolume(VolumeCatalog& volume, const RescanJob& job, ScanEngine& engine) {
  platform::FileSystem& fileSystem = volume.FileSystem();
  Prompter& prompter = volume.GetPrompter();
  const std::atomic<bool>& stop = volume.StopFlag();

  // Step 2: the lock, from reading the old version to the rename of the new one.
  VolumeWriter writer(fileSystem, prompter);
  OldVolume old;
  if (job.dryRun) {
    platform::OpenResult opened = fileSystem.OpenForRead(job.volumeFile);
    if (!opened) {
      prompter.ShowError(messages::kCouldNotOpenVolume);
      return std::nullopt;
    }
    old.opened = std::move(opened.file);
    old.file = old.opened.get();
    if (!writer.OpenTemporary(platform::DirectoryOf(job.volumeFile))) return std::nullopt;
  } else {
    platform::FileError error = writer.OpenReplacing(job.volumeFile, {true, volume.LockWait()});
    old.file = writer.Replacement().LockedTarget();
    if (error == platform::FileError::kNotRegularFile) {
      prompter.ShowError(messages::kVolumeFileNotRegular);
      return std::nullopt;
    }
    if (error == platform::FileError::kBusy) {
      prompter.ShowError(messages::kVolumeBusy);
      return std::nullopt;
    }
    if (error == platform::FileError::kNotFound || (error == platform::FileError::kNone && old.file == nullptr)) {
      prompter.ShowError(messages::kCouldNotOpenVolume);
      return std::nullopt;
    }
    if (error != platform::FileError::kNone) {
      prompter.ShowError(messages::kCantCreateTemporaryFile);
      return std::nullopt;
    }
  }
  if (!ReadVolumeHeader(*old.file, old.header, old.sources)) {
    prompter.ShowError(messages::kCouldNotOpenVolume);
    return std::nullopt;
  }

  // The sources as they are now: each one the job names must still be where the job found it.
  struct Planned {
    const RescanSource* job = nullptr;  // null: a source the volume gained meanwhile, kept
    size_t oldIndex = SIZE_MAX;
  };
  std::vector<Planned> planned;
  std::vector<bool> named(old.sources.size(), false);
  for (const RescanSource& source : job.sources) {
    if (source.volumeIndex) {
      size_t i = *source.volumeIndex;
      if (i >= old.sources.size() || named[i] || old.sources[i].rootPath.Text() != source.source.path) {
        prompter.ShowError(messages::kRescanSourcesChanged);
        return std::nullopt;
      }
      named[i] = true;
      planned.push_back({&source, i});
    } else {
      planned.push_back({&source, SIZE_MAX});
    }
  }
  for (size_t i : job.leftOut) {
    if (i >= old.sources.size() || named[i]) {
      prompter.ShowError(messages::kRescanSourcesChanged);
      return std::nullopt;
    }
    named[i] = true;
  }
  for (size_t i = 0; i < old.sources.size(); ++i) {
    if (!named[i]) planned.push_back({nullptr, i});
  }

  // What each source of the report is, and the new source list.
  std::vector<SourcePairing> pairings;
  std::vector<TreeSource> oldSources;
  for (const SourceEntry& entry : old.sources.Entries()) oldSources.push_back(SourceOf(entry));
  SourceList sources;
  std::vector<const RescanSource*> sourceJobs;  // per new source: what scans it (null: kept)
  for (const Planned& plan : planned) {
    const SourceAction action = plan.job ? plan.job->action : SourceAction::kKeep;
    std::optional<size_t> oldIndex = plan.oldIndex == SIZE_MAX ? std::nullopt : std::optional<size_t>(plan.oldIndex);
    if (!oldIndex && action != SourceAction::kScan) continue;  // only a volume's source can be kept or dropped
    if (action == SourceAction::kDrop) {
      pairings.push_back({oldIndex, std::nullopt, SourceFate::kDropped});
      continue;
    }
    SourceEntry entry;
    if (action == SourceAction::kKeep) {
      entry = old.sources[plan.oldIndex];
    } else {
      entry.rootPath.Set(plan.job->source.path);
      engine.DescribeSource(plan.job->source, entry);
      entry.sourceName.Set(plan.job->source.sourceName);
      entry.isFolderSource = plan.job->source.isFolderSource;
      entry.options = plan.job->options;
      entry.scanAgain = plan.job->scanAgain;
    }
    entry.sourceIndex = static_cast<uint16_t>(sources.size());
    pairings.push_back({oldIndex, sources.size(),
                        action == SourceAction::kKeep ? SourceFate::kKept
                        : oldIndex                    ? SourceFate::kRescanned
                                                      : SourceFate::kNew});
    sources.Entries().push_back(std::move(entry));
    sourceJobs.push_back(action == SourceAction::kKeep ? nullptr : plan.job);
  }
  for (size_t i : job.leftOut) pairings.push_back({i, std::nullopt, SourceFate::kLeftOut});
  if (sources.size() > 0xFFFF) {
    prompter.ShowError(messages::kCouldNotWriteVolume);
    return std::nullopt;
  }

  // The old tree of the sources that are compared or removed, and which items carry descriptions.
  std::vector<RecordKey> described;
  if (!ForEachStoredDescription(*old.file, old.header, [&](RecordKey key, std::string_view) {
        described.push_back(key);
        return true;
      })) {
    prompter.ShowError(messages::kRescanDamaged);
    return std::nullopt;
  }
  TreeComparison comparison;
  comparison.SetDescribedKeys(std::move(described));
  // The old tree is indexed on a thread of its own while the sources are walked: the walk waits on
  // the disk, the index on the processor. Both read the old file by offset only. A return before
  // the join below waits for the thread (jthread).
  bool oldRead = false;
  std::jthread oldReader([&] { oldRead = comparison.ReadOld(*old.file, old.header.treeStart, oldSources, pairings, &stop); });

  // Step 3: the new version. The header is the catalog's, so its counters can be polled.
  VolumeHeader& header = volume.Header();
  header.Reset();
  header.volumeName = old.header.volumeName;
  header.scanOptions = job.headerOptions.value_or(old.header.scanOptions);
  writer.Write(format::kVolumeMagic.data(), format::kVolumeMagic.size());
  header.Write(writer);
  sources.Write(writer);
  header.treeStart = static_cast<uint32_t>(writer.LogicalPosition());
  writer.Flush();
  writer.SetKeyBase(header.treeStart);
  uint64_t total = 0;
  for (size_t n = 0; n < sources.size(); ++n) {
    SourceEntry& entry = sources[n];
    const auto markNumber = static_cast<uint16_t>(n);
    bool ok;
    if (sourceJobs[n] == nullptr) {
      WriteSourceMark(writer, markNumber);
      ok = CopyKeptSource(writer, *old.file, old.header.treeStart, entry, header.counters, total, stop);
      if (!ok && !stop.load() && writer.ok()) prompter.ShowError(messages::kRescanDamaged);
    } else {
      const RescanSource& source = *sourceJobs[n];
      ok = engine.WriteSource(writer, source.source, source.options, job.crossMounts, entry, markNumber, header.counters,
                              total);
    }
    if (!ok || stop.load(std::memory_order_relaxed)) {
      if (!writer.ok()) prompter.ShowError(messages::kCouldNotWriteVolume);
      return std::nullopt;
    }
  }
  header.contentSize.Set(total);
  header.treeEnd = header.descriptionsStart = header.descriptionIndexStart =
      static_cast<uint32_t>(writer.LogicalPosition());
  if (!writer.Flush()) {
    prompter.ShowError(messages::kCouldNotWriteVolume);
    return std::nullopt;
  }

  oldReader.join();
  if (!oldRead) {
    if (!stop.load()) prompter.ShowError(messages::kRescanDamaged);
    return std::nullopt;
  }

  // What changed, read back from the new tree.
  ChangeReport report;
  report.volumeName = header.volumeName;
  report.volumeFile = job.volumeFile;
  std::vector<TreeSource> newSources;
  for (const SourceEntry& entry : sources.Entries()) newSources.push_back(SourceOf(entry));
  if (!comparison.Compare(*writer.File(), header.treeStart, newSources, report, &stop)) {
    if (!stop.load()) prompter.ShowError(messages::kCouldNotWriteVolume);
    return std::nullopt;
  }

  // The descriptions under their new keys, in their old order; those whose items are gone are lost.
  {
    std::optional<DescriptionAreaWriter> area;
    bool readable = ForEachStoredDescription(*old.file, old.header, [&](RecordKey key, std::string_view text) {
      if (std::optional<RecordKey> now = comparison.NewDescriptionKey(key)) {
        if (!area) area.emplace(writer);
        area->Add(*now, text);
        ++report.carriedDescriptions;
      } else {
        report.lostDescriptions.push_back({comparison.OldPath(key), std::string(text)});
      }
      return true;
    });
    if (!readable) {
      prompter.ShowError(messages::kRescanDamaged);
      return std::nullopt;
    }
    if (area) {
      std::optional<uint64_t> indexStart = area->Finish();
      if (!indexStart) {
        prompter.ShowError(messages::kCouldNotWriteVolume);
        return std::nullopt;
      }
      header.descriptionIndexStart = static_cast<uint32_t>(*indexStart);
    }
  }
  if (job.dryRun) return report;  // the scratch file goes with the writer

  // Step 4: the lost descriptions are kept before the volume that loses them replaces the old one.
  if (!report.lostDescriptions.empty() && !job.dropLostDescriptions) {
    std::string path = LostDescriptionsPath(job.volumeFile);
    std::string section = FormatLostDescriptions(header.volumeName, job.volumeFile, std::time(nullptr),
                                                 report.lostDescriptions);
    if (!AppendToTextFile(fileSystem, prompter, path, section)) {
      prompter.ShowError(std::string(messages::kLostDescriptionsNotWritten) + path);
      return std::nullopt;
    }
    report.lostDescriptionsFile = path;
  }

  // Step 5.
  PatchHeaderAndSourceKeys(writer, header, sources);
  switch (writer.Finish()) {
    case VolumeWriter::FinishResult::kDone: break;
    case VolumeWriter::FinishResult::kRenameFailed: prompter.ShowError(messages::kCouldNotRenameTemporary); return std::nullopt;
    case VolumeWriter::FinishResult::kBusy: prompter.ShowError(messages::kVolumeBusy); return std::nullopt;
    default: prompter.ShowError(messages::kCouldNotWriteVolume); return std::nullopt;
  }
  report.written = true;
  return report;
}

}  // namespace volumist
