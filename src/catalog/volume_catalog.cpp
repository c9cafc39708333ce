#include "catalog/volume_catalog.h"

#include <cstring>

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
  header_.Reset();
  sources_.Clear();
  volumeFileSize_.Set(0);
  volumeFileTime_.Set(0);
}

bool VolumeCatalog::ReadHeaderAndSources(platform::File& file) {
  if (!ValidateMagic(file)) return false;
  platform::BufferedReader input(file, 4096);
  input.Seek(format::kHeaderOffset);
  FieldReader fields(input);
  if (!header_.Read(fields)) return false;
  if (!HeaderIsConsistent(header_, input.Size())) return false;
  fields.Seek(format::kSourceListOffset);
  return sources_.Read(fields);
}

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
  if (loadDescriptions) descriptions_.LoadIndex(*file_, header_);
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

bool VolumeCatalog::SaveDescriptions() {
  if (!isLoaded_ || !descriptions_.HasPending() || volumeFilePath_.empty() ||
      !descriptions_.WriteMerged(*file_, header_, volumeFilePath_)) {
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

bool WriteVolumeName(platform::FileSystem& fileSystem, const std::string& path, const std::string& name) {
  if (name.size() > format::kVolumeNameMaxLength) return false;
  auto opened = fileSystem.OpenForUpdate(path);
  if (!opened) return false;
  // Validate the whole header, not only the magic, before writing into the file.
  VolumeHeader header;
  if (!VolumeCatalog::ValidateMagic(*opened.file)) return false;
  {
    platform::BufferedReader input(*opened.file, 1024);
    input.Seek(format::kHeaderOffset);
    FieldReader fields(input);
    if (!header.Read(fields) || !HeaderIsConsistent(header, input.Size())) return false;
  }
  char field[format::kVolumeNameFieldSize] = {};
  std::memcpy(field, name.data(), name.size());
  bool written = opened.file->WriteAt(format::kVolumeNameOffset, std::as_bytes(std::span(field)));
  bool synced = written && opened.file->Sync();
  return opened.file->Close() && synced;
}

bool VolumeCatalog::SetVolumeName(const std::string& newName) {
  if (newName.size() > format::kVolumeNameMaxLength || volumeFilePath_.empty()) return false;
  std::string path = volumeFilePath_;
  bool wasLoaded = isLoaded_;
  Reset();
  bool renamed = WriteVolumeName(fileSystem_, path, newName);
  if (!renamed) prompter_.ShowError(messages::kBadVolumeCannotRename);
  // The index is read again; pending description edits are kept.
  if (wasLoaded && !OpenVolume(path, false)) return false;
  if (wasLoaded) descriptions_.ReloadIndex(*file_, header_);
  return renamed;
}

}  // namespace volumist
