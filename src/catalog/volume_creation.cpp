// Writing a volume file: a new one (CreateVolume) or an existing one with more sources (AddToVolume).
// Both write the complete new file under a temporary name beside the target and rename it over the
// target at the end, so the target holds either its old content or the complete new one.
#include "catalog/messages.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_format.h"

namespace volumist {
namespace {

// The source list stores a 16-bit count.
constexpr size_t kMaxSources = 0xFFFF;

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

// A stopped scan fails silently; a failed write says so. Either way the writer deletes its
// temporary file and the catalog is left empty.
bool VolumeCatalog::FailWrite(VolumeWriter& writer) {
  if (!writer.ok()) prompter_.ShowError(messages::kCouldNotWriteVolume);
  Reset();
  return false;
}

bool VolumeCatalog::FinishWrite(VolumeWriter& writer, const std::string& target) {
  // The header and the source keys are rewritten in place now that the tree is complete.
  writer.SetKeyBase(0);
  writer.TruncateAtEnd();
  uint8_t header[format::kRewrittenHeaderSize];
  header_.EncodeRewritten(header);
  writer.PatchAt(format::kHeaderOffset, header, sizeof header);
  for (const SourceEntry& entry : sources_.Entries()) {
    uint8_t keys[8];
    EncodeFixed(keys, entry.treeStartKey, 4);
    EncodeFixed(keys + 4, entry.treeEndKey, 4);
    writer.PatchAt(entry.keysOffset, keys, sizeof keys);
  }
  switch (writer.FinishAs(target)) {
    case VolumeWriter::FinishResult::kDone: break;
    case VolumeWriter::FinishResult::kWriteFailed:
      prompter_.ShowError(messages::kCouldNotWriteVolume);
      return false;
    case VolumeWriter::FinishResult::kRenameFailed:
      prompter_.ShowError(messages::kCouldNotRenameTemporary);
      return false;
  }
  return true;
}

bool VolumeCatalog::CreateVolume(const ScanJob& job, ContentWriter& contents) {
  const std::string& target = job.volumeFileName;
  VolumeWriter writer(fileSystem_, prompter_);
  if (!writer.OpenTemporary(platform::DirectoryOf(target))) {
    prompter_.ShowError(messages::kCouldNotWriteVolume);
    return false;
  }
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
  if (!FinishWrite(writer, target)) {
    Reset();
    return false;
  }

  if (staysClosed_) return true;
  return OpenVolume(target);
}

bool VolumeCatalog::AddToVolume(ScanJob& job, ContentWriter& contents) {
  const std::string& target = job.volumeFileName;
  auto opened = fileSystem_.OpenForRead(target);
  if (!opened) {
    prompter_.ShowError(messages::kCouldNotOpenForAdding);
    return false;
  }
  std::unique_ptr<platform::File> old = std::move(opened.file);
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
  header_.scanOptions = job.Options();
  const uint32_t oldTreeStart = header_.treeStart;
  const uint32_t oldTreeEnd = header_.treeEnd;
  const uint32_t oldDescriptionsStart = header_.descriptionsStart;
  const uint32_t oldIndexDistance = header_.descriptionIndexStart - header_.descriptionsStart;

  VolumeWriter writer(fileSystem_, prompter_);
  if (!writer.OpenTemporary(platform::DirectoryOf(target))) {
    prompter_.ShowError(messages::kCouldNotWriteVolume);
    return false;
  }
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
  old->Close();
  old.reset();
  if (!FinishWrite(writer, target)) {
    Reset();
    return false;
  }

  if (staysClosed_) return true;
  return OpenVolume(target);
}

}  // namespace volumist
