// Writing a volume file: a new one (CreateVolume) or an existing one with more sources (AddToVolume).
// Both write the complete new file under a temporary name beside the target and rename it over the
// target at the end (platform/file_replacement.h), so the target holds either its old content or
// the complete new one.
#include <cstring>

#include "catalog/messages.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_format.h"
#include "catalog/volume_names.h"

namespace volumist {
namespace {

// The source list stores a 16-bit count.
constexpr size_t kMaxSources = 0xFFFF;
// Default names tried after the job's own one was taken.
constexpr uint32_t kDefaultNameAttempts = 10000;

SourceEntry NewSourceEntry(const ScanJob& job, const ScanSource& source, size_t index, ContentWriter& contents) {
  SourceEntry entry;
  entry.rootPath.Set(source.path);
  contents.DescribeSource(source, entry);
  entry.sourceName.Set(source.sourceName);
  entry.sourceIndex = static_cast<uint16_t>(index);
  entry.isFolderSource = source.isFolderSource;
  entry.options = job.Options();
  entry.scanAgain = job.scanAgain;
  return entry;
}

// `path` with its last component replaced by `name`.
std::string Sibling(const std::string& path, const std::string& name) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

// Marks the whole volume being written for the lifetime of one write.
class WritingMark {
 public:
  explicit WritingMark(bool& flag) : flag_(flag) { flag_ = true; }
  ~WritingMark() { flag_ = false; }
  WritingMark(const WritingMark&) = delete;
  WritingMark& operator=(const WritingMark&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void PatchHeaderAndSourceKeys(VolumeWriter& writer, const VolumeHeader& header, const SourceList& sources) {
  // The header and the source keys are rewritten in place now that the tree is complete.
  writer.SetKeyBase(0);
  writer.TruncateAtEnd();
  uint8_t fields[format::kRewrittenHeaderSize];
  header.EncodeRewritten(fields);
  writer.PatchAt(format::kHeaderOffset, fields, sizeof fields);
  for (const SourceEntry& entry : sources.Entries()) {
    uint8_t keys[8];
    EncodeFixed(keys, entry.treeStartKey, 4);
    EncodeFixed(keys + 4, entry.treeEndKey, 4);
    writer.PatchAt(entry.keysOffset, keys, sizeof keys);
  }
}

bool VolumeCatalog::OpenReplacing(VolumeWriter& writer, const std::string& target, bool lockTarget) {
  switch (writer.OpenReplacing(target, {lockTarget, lockWait_})) {
    case platform::FileError::kNone: return true;
    case platform::FileError::kNotRegularFile: prompter_.ShowError(messages::kVolumeFileNotRegular); break;
    case platform::FileError::kBusy: prompter_.ShowError(messages::kVolumeBusy); break;
    default:
      prompter_.ShowError(messages::kCantCreateTemporaryFile);
      prompter_.ShowError(messages::kCouldNotWriteVolume);
      break;
  }
  return false;
}

// A stopped scan fails silently; a failed write says so. Either way the writer deletes its
// temporary file and the catalog is left empty.
bool VolumeCatalog::FailWrite(VolumeWriter& writer) {
  if (!writer.ok()) prompter_.ShowError(messages::kCouldNotWriteVolume);
  Reset();
  return false;
}

bool VolumeCatalog::FinishWrite(VolumeWriter& writer, ExistingVolumeFile existingFile, uint32_t volumeCounter,
                                std::string& target) {
  PatchHeaderAndSourceKeys(writer, header_, sources_);
  nextVolumeCounter_ = volumeCounter;
  // A file that took the name while the scan ran is replaced only when the user agrees.
  platform::ExistingTarget existing = existingFile == ExistingVolumeFile::kReplace ? platform::ExistingTarget::kReplace
                                                                                   : platform::ExistingTarget::kKeep;
  for (uint32_t attempt = 0;; ++attempt) {
    switch (writer.Finish(existing)) {
      case VolumeWriter::FinishResult::kDone: return true;
      case VolumeWriter::FinishResult::kWriteFailed: prompter_.ShowError(messages::kCouldNotWriteVolume); return false;
      case VolumeWriter::FinishResult::kRenameFailed:
        prompter_.ShowError(messages::kCouldNotRenameTemporary);
        return false;
      case VolumeWriter::FinishResult::kBusy: prompter_.ShowError(messages::kVolumeBusy); return false;
      case VolumeWriter::FinishResult::kExists: break;
    }
    if (existingFile != ExistingVolumeFile::kNextDefaultName) {
      if (!prompter_.AskYesNo(messages::kVolumeFileExists)) return false;
      existing = platform::ExistingTarget::kReplace;
      continue;
    }
    // Another scan took this default name: the next free one is taken, in the file and its name
    // field alike.
    platform::FileError free = platform::FileError::kExists;
    std::string name;
    while (free == platform::FileError::kExists && attempt++ < kDefaultNameAttempts) {
      name = DefaultVolumeName(nextVolumeCounter_++);
      target = Sibling(target, MakeVolumeFileName(name, true));
      free = writer.Retarget(target);
    }
    if (free != platform::FileError::kNone) {
      prompter_.ShowError(messages::kCouldNotRenameTemporary);
      return false;
    }
    char field[format::kVolumeNameFieldSize] = {};
    std::memcpy(field, name.data(), name.size());
    writer.PatchAt(format::kVolumeNameOffset, field, sizeof field);
    header_.volumeName = name;
  }
}

bool VolumeCatalog::CreateVolume(const ScanJob& job, ContentWriter& contents) {
  std::string target = job.volumeFileName;
  VolumeWriter writer(fileSystem_, prompter_);
  if (!OpenReplacing(writer, target, false)) return false;
  Reset();
  WritingMark writing(isBeingWritten_);
  header_.scanOptions = job.Options();
  header_.volumeName = job.volumeName;

  if (job.sources.size() > kMaxSources) {
    prompter_.ShowError(messages::kCouldNotWriteVolume);
    return false;
  }
  writer.Write(format::kVolumeMagic.data(), format::kVolumeMagic.size());
  header_.Write(writer);
  for (size_t i = 0; i < job.sources.size(); ++i) {
    sources_.Entries().push_back(NewSourceEntry(job, job.sources[i], i, contents));
  }
  sources_.Write(writer);

  header_.treeStart = static_cast<uint32_t>(writer.LogicalPosition());
  writer.Flush();
  writer.SetKeyBase(header_.treeStart);
  uint64_t total = 0;
  if (!contents.WriteSources(writer, job, sources_, 0, header_.counters, total)) return FailWrite(writer);
  header_.contentSize.Set(total);
  header_.treeEnd = header_.descriptionsStart = header_.descriptionIndexStart =
      static_cast<uint32_t>(writer.LogicalPosition());
  if (!FinishWrite(writer, job.existingFile, job.volumeCounter, target)) {
    Reset();
    return false;
  }

  volumeFilePath_ = target;
  if (staysClosed_) return true;
  return OpenVolume(target);
}

bool VolumeCatalog::AddToVolume(ScanJob& job, ContentWriter& contents) {
  const std::string& target = job.volumeFileName;
  // The volume's lock is held from the read of its header to the rename of its new version, so a
  // second writer waits and then adds to (or describes) the new content.
  VolumeWriter writer(fileSystem_, prompter_);
  platform::FileError error = writer.OpenReplacing(target, {true, lockWait_});
  platform::File* old = writer.Replacement().LockedTarget();
  if (error == platform::FileError::kNotRegularFile) {
    prompter_.ShowError(messages::kVolumeFileNotRegular);
    return false;
  }
  if (error == platform::FileError::kBusy) {
    prompter_.ShowError(messages::kVolumeBusy);
    return false;
  }
  if (error == platform::FileError::kNotFound || (error == platform::FileError::kNone && old == nullptr)) {
    prompter_.ShowError(messages::kCouldNotOpenForAdding);
    return false;
  }
  if (error != platform::FileError::kNone) {
    prompter_.ShowError(messages::kCantCreateTemporaryFile);
    prompter_.ShowError(messages::kCouldNotWriteVolume);
    return false;
  }
  Reset();
  WritingMark writing(isBeingWritten_);
  if (!ReadHeaderAndSources(*old)) {
    Reset();
    prompter_.ShowError(messages::kCouldNotOpenVolume);
    return false;
  }
  auto oldSize = old->Size();
  if (!oldSize) {
    prompter_.ShowError(messages::kCouldNotOpenVolume);
    return false;
  }
  MergeOptions(job, header_.scanOptions);
  if (job.unattended) job.descriptionPrompt = false;
  header_.scanOptions = job.Options();
  const uint32_t oldTreeStart = header_.treeStart;
  const uint32_t oldTreeEnd = header_.treeEnd;
  const uint32_t oldDescriptionsStart = header_.descriptionsStart;
  const uint32_t oldIndexDistance = header_.descriptionIndexStart - header_.descriptionsStart;

  writer.Write(format::kVolumeMagic.data(), format::kVolumeMagic.size());
  header_.Write(writer);
  const size_t firstNew = sources_.size();
  if (firstNew + job.sources.size() > kMaxSources) {
    prompter_.ShowError(messages::kCouldNotWriteVolume);
    Reset();
    return false;
  }
  for (size_t i = 0; i < job.sources.size(); ++i) {
    sources_.Entries().push_back(NewSourceEntry(job, job.sources[i], firstNew + i, contents));
  }
  sources_.Write(writer);

  // The old tree moves as a whole; its keys are relative to the tree start and stay valid.
  header_.treeStart = static_cast<uint32_t>(writer.LogicalPosition());
  writer.Flush();
  if (!writer.CopyFrom(*old, oldTreeStart, oldTreeEnd)) return FailWrite(writer);
  writer.SetKeyBase(header_.treeStart);
  uint64_t total = header_.contentSize.Value();
  if (!contents.WriteSources(writer, job, sources_, firstNew, header_.counters, total)) return FailWrite(writer);
  header_.contentSize.Set(total);
  header_.treeEnd = header_.descriptionsStart = static_cast<uint32_t>(writer.LogicalPosition());
  header_.descriptionIndexStart = header_.descriptionsStart + oldIndexDistance;
  // Descriptions and their index follow unchanged; their offsets are relative to the area's start.
  if (!writer.CopyFrom(*old, oldDescriptionsStart, *oldSize)) return FailWrite(writer);
  // The old file stays open, and locked, until its new version has replaced it.
  std::string finalTarget = target;
  if (!FinishWrite(writer, ExistingVolumeFile::kReplace, job.volumeCounter, finalTarget)) {
    Reset();
    return false;
  }

  volumeFilePath_ = target;
  if (staysClosed_) return true;
  return OpenVolume(target);
}

}  // namespace volumist
