#include "catalog/volume_catalog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "catalog/messages.h"
#include "catalog/utf8.h"
#include "catalog/volume_format.h"

namespace volumist {
namespace {

// The offsets of a header must describe areas that lie in order inside the file; a header that
// does not is treated like a wrong magic, so no reader ever seeks by it.
bool HeaderIsConsistent(const VolumeHeader& header, uint64_t fileSize) {
  return header.treeStart >= format::kSourceListOffset + 2 && header.treeStart <= header.treeEnd &&
         header.treeEnd <= header.descriptionsStart && header.descriptionsStart <= header.descriptionIndexStart &&
         header.descriptionIndexStart <= fileSize;
}

}  // namespace

VolumeCatalog::VolumeCatalog(platform::FileSystem& fileSystem, Prompter& prompter)
    : fileSystem_(fileSystem), prompter_(prompter), descriptions_(fileSystem, prompter) {}

VolumeCatalog::~VolumeCatalog() { CloseVolume(true); }

bool VolumeCatalog::ValidateMagic(platform::File& file) {
  char magic[format::kVolumeMagic.size()];
  auto got = file.ReadAt(0, std::as_writable_bytes(std::span(magic)));
  return got && *got == sizeof magic && std::string_view(magic, sizeof magic) == format::kVolumeMagic;
}

void VolumeCatalog::Reset() {
  descriptions_.Unload();
  records_.reset();
  input_.reset();
  file_.reset();
  isLoaded_ = false;
  damage_ = VolumeDamage::kNone;
  header_.Reset();
  sources_.Clear();
  volumeFileSize_.Set(0);
  volumeFileTime_.Set(0);
}

const char* DamageMessage(VolumeDamage damage) {
  switch (damage) {
    case VolumeDamage::kNone: return "";
    case VolumeDamage::kAreasApart: return messages::kVolumeAreasApart;
    case VolumeDamage::kDescriptionIndex: return messages::kDescriptionIndexDamaged;
  }
  return "";
}

bool ReadVolumeHeader(platform::File& file, VolumeHeader& header, SourceList& sources) {
  if (!VolumeCatalog::ValidateMagic(file)) return false;
  platform::BufferedReader input(file, 4096);
  input.Seek(format::kHeaderOffset);
  FieldReader fields(input);
  if (!header.Read(fields)) return false;
  if (!HeaderIsConsistent(header, input.Size())) return false;
  fields.Seek(format::kSourceListOffset);
  return sources.Read(fields);
}

bool VolumeCatalog::ReadHeaderAndSources(platform::File& file) { return ReadVolumeHeader(file, header_, sources_); }

bool VolumeCatalog::OpenVolume(const std::string& path, bool loadDescriptions) {
  Reset();
  auto opened = fileSystem_.OpenForRead(path);
  if (!opened || !ReadHeaderAndSources(*opened.file)) {
    Reset();
    if (!isQuiet_) prompter_.ShowError(messages::kCouldNotOpenForRead);
    return false;
  }
  file_ = std::move(opened.file);
  input_ = std::make_unique<platform::BufferedReader>(*file_);
  records_ = std::make_unique<RecordReader>(*input_);
  volumeFilePath_ = path;
  if (auto status = fileSystem_.Status(path)) {
    volumeFileSize_.Set(status->size);
    volumeFileTime_.Set(status->modifiedTime);
  }
  // Every file the writers make has its description area right after the tree.
  if (header_.treeEnd != header_.descriptionsStart) damage_ = VolumeDamage::kAreasApart;
  if (loadDescriptions && !descriptions_.LoadIndex(*file_, header_) && damage_ == VolumeDamage::kNone) {
    damage_ = VolumeDamage::kDescriptionIndex;
  }
  isLoaded_ = true;
  return true;
}

void VolumeCatalog::CloseVolume(bool askToSave) {
  if (askToSave && isLoaded_ && descriptions_.HasPending() && prompter_.AskYesNo(messages::kSaveDescriptionsQuestion)) {
    // A failed save has shown its message; the edits are dropped with the volume.
    (void)SaveDescriptions();
  }
  Reset();
  descriptions_.DiscardPending();
}

bool VolumeCatalog::SetDescription(RecordKey key, std::string_view text) {
  if (!isLoaded_) return false;
  return descriptions_.SetDescription(key, text, platform::DirectoryOf(volumeFilePath_));
}

namespace {

// True when the tree of `loaded` is, byte for byte, the start of the tree of `current`: then every
// key of `loaded` names the same record in `current` (sources were only added after it).
bool TreeContinues(platform::File& loaded, const VolumeHeader& loadedHeader, platform::File& current,
                   const VolumeHeader& currentHeader) {
  const uint64_t length = loadedHeader.treeEnd - loadedHeader.treeStart;
  if (uint64_t{currentHeader.treeEnd} - currentHeader.treeStart < length) return false;
  std::vector<std::byte> a(64 * 1024), b(64 * 1024);
  for (uint64_t done = 0; done < length;) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(a.size(), length - done));
    auto gotA = loaded.ReadAt(loadedHeader.treeStart + done, std::span(a.data(), want));
    auto gotB = current.ReadAt(currentHeader.treeStart + done, std::span(b.data(), want));
    if (!gotA || !gotB || *gotA != want || *gotB != want || std::memcmp(a.data(), b.data(), want) != 0) return false;
    done += want;
  }
  return true;
}

bool SameOpenFile(platform::File& a, platform::File& b) {
  auto statusA = a.Status();
  auto statusB = b.Status();
  return !statusA || !statusB || platform::SameFile(*statusA, *statusB);
}

}  // namespace

bool VolumeCatalog::SaveDescriptions() {
  if (!isLoaded_ || !descriptions_.HasPending() || volumeFilePath_.empty()) {
    prompter_.ShowError(messages::kCantSaveDescriptions);
    return false;
  }
  // The lock is taken before the file is read, and held until the merged file replaces it.
  VolumeWriter out(fileSystem_, prompter_);
  platform::FileError error = out.OpenReplacing(volumeFilePath_, {true, lockWait_});
  platform::File* current = out.Replacement().LockedTarget();
  if (error == platform::FileError::kBusy) prompter_.ShowError(messages::kVolumeBusy);
  if (error == platform::FileError::kOther) prompter_.ShowError(messages::kCantCreateTemporaryFile);
  // What other writers did since the volume was loaded is in the file now: the merge starts from it.
  VolumeHeader header;
  SourceList sources;
  bool ok = error == platform::FileError::kNone && current != nullptr && ReadVolumeHeader(*current, header, sources);
  if (ok && !SameOpenFile(*current, *file_) && !TreeContinues(*file_, header_, *current, header)) {
    prompter_.ShowError(messages::kVolumeReplacedMeanwhile);
    return false;
  }
  ok = ok && descriptions_.WriteMerged(out, *current, header);
  VolumeWriter::FinishResult finished = ok ? out.Finish() : VolumeWriter::FinishResult::kWriteFailed;
  if (finished == VolumeWriter::FinishResult::kBusy) prompter_.ShowError(messages::kVolumeBusy);
  if (finished != VolumeWriter::FinishResult::kDone) {
    prompter_.ShowError(messages::kCantSaveDescriptions);
    return false;
  }
  std::string path = volumeFilePath_;
  descriptions_.DiscardPending();
  return OpenVolume(path);
}

void VolumeCatalog::DiscardDescriptions() {
  std::string path = volumeFilePath_;
  descriptions_.DiscardPending();
  if (!path.empty()) (void)OpenVolume(path);
}

VolumeNameWrite WriteVolumeName(platform::FileSystem& fileSystem, const std::string& path, const std::string& name,
                                std::chrono::milliseconds lockWait) {
  if (name.size() > format::kVolumeNameMaxLength) return {true, platform::FileError::kOther};
  // Writers of the whole file wait for the lock too, so none of them copies the old name back.
  platform::LockedFile locked = platform::LockFile(fileSystem, path, lockWait);
  if (!locked) return {true, locked.error};
  auto opened = fileSystem.OpenForUpdate(locked.path);
  if (!opened) return {true, opened.error};
  if (!SameOpenFile(*opened.file, *locked.file)) return {true, platform::FileError::kBusy};
  // Validate the whole header, not only the magic, before writing into the file.
  VolumeHeader header;
  SourceList sources;
  if (!ReadVolumeHeader(*opened.file, header, sources)) return {false, platform::FileError::kNone};
  char field[format::kVolumeNameFieldSize] = {};
  std::memcpy(field, name.data(), name.size());
  if (!opened.file->WriteAt(format::kVolumeNameOffset, std::as_bytes(std::span(field))) || !opened.file->Sync() ||
      !opened.file->Close()) {
    return {true, platform::FileError::kIoError};
  }
  return {};
}

void ShowVolumeNameFailure(Prompter& prompter, const VolumeNameWrite& result) {
  if (!result.isVolume || result.error == platform::FileError::kNotRegularFile) {
    prompter.ShowError(messages::kBadVolumeCannotRename);
  } else if (result.error == platform::FileError::kBusy) {
    prompter.ShowError(messages::kVolumeBusy);
  } else {
    prompter.ShowError(std::string(messages::kCouldNotWriteVolumeName) + platform::FileErrorText(result.error));
  }
}

bool VolumeCatalog::SetVolumeName(const std::string& newName) {
  if (newName.size() > format::kVolumeNameMaxLength || volumeFilePath_.empty()) return false;
  std::string path = volumeFilePath_;
  bool wasLoaded = isLoaded_;
  Reset();
  VolumeNameWrite written = WriteVolumeName(fileSystem_, path, newName, lockWait_);
  if (!written.ok()) ShowVolumeNameFailure(prompter_, written);
  // The index is read again; pending description edits are kept.
  if (wasLoaded && !OpenVolume(path, false)) return false;
  if (wasLoaded && !descriptions_.ReloadIndex(*file_, header_) && damage_ == VolumeDamage::kNone) {
    damage_ = VolumeDamage::kDescriptionIndex;
  }
  return written.ok();
}

}  // namespace volumist
