#include "catalog/volume_list.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "catalog/case_folding.h"
#include "catalog/messages.h"
#include "catalog/volume_format.h"

namespace volumist {
namespace {

struct ArrangementTexts {
  std::string_view menuEntry;
  std::string_view statusText;
};

constexpr std::array<ArrangementTexts, kArrangementCount> kArrangementTexts = {{
    {"By Name (Ascending)", "Arranged by: Name ASC"},
    {"By Name (Descending)", "Arranged by: Name DESC"},
    {"By Size (Ascending)", "Arranged by: Size ASC"},
    {"By Size (Descending)", "Arranged by: Size DESC"},
    {"By Time of creation", "Arranged by: Cr. Time"},
    {"By Time of modification", "Arranged by: Mod. Time"},
}};

template <typename T>
int ThreeWay(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

bool SamePath(const std::string& a, const std::string& b) {
  return platform::NormalizePath(a) == platform::NormalizePath(b);
}

}  // namespace

std::optional<VolumeListArrangement> ArrangementFromIndex(int index) {
  if (index < 0 || index >= kArrangementCount) return std::nullopt;
  return static_cast<VolumeListArrangement>(index);
}

std::string_view ArrangementMenuEntry(VolumeListArrangement arrangement) {
  return kArrangementTexts[static_cast<size_t>(arrangement)].menuEntry;
}

std::string_view ArrangementStatusText(VolumeListArrangement arrangement) {
  return kArrangementTexts[static_cast<size_t>(arrangement)].statusText;
}

int CompareVolumeEntries(const VolumeListEntry& a, const VolumeListEntry& b, VolumeListArrangement arrangement) {
  switch (arrangement) {
    case VolumeListArrangement::kNameAscending: return CompareIgnoringCase(a.volumeName, b.volumeName);
    // Descending is the exact reverse of ascending, so both ignore case.
    case VolumeListArrangement::kNameDescending: return CompareIgnoringCase(b.volumeName, a.volumeName);
    case VolumeListArrangement::kSizeAscending: return ThreeWay(a.fileSize, b.fileSize);
    case VolumeListArrangement::kSizeDescending: return ThreeWay(b.fileSize, a.fileSize);
    case VolumeListArrangement::kCreatedNewestFirst: return ThreeWay(b.createdTime.Value(), a.createdTime.Value());
    case VolumeListArrangement::kModifiedNewestFirst:
      return ThreeWay(b.modifiedTime.Value(), a.modifiedTime.Value());
  }
  return 0;
}

bool HasVolumeExtension(std::string_view fileName) {
  std::string_view extension = format::kVolumeExtension;
  if (fileName.size() < extension.size()) return false;
  std::string_view tail = fileName.substr(fileName.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) == b;
  });
}

VolumeList::VolumeList(platform::FileSystem& fileSystem, Prompter& prompter, VolumeHost& host)
    : fileSystem_(fileSystem), prompter_(prompter), host_(host) {}

std::optional<VolumeListEntry> VolumeList::ReadEntry(const std::string& fileName, uint32_t position) {
  std::string path = platform::JoinPath(directory_, fileName);
  // Only regular files are opened: opening a pipe that happens to carry the extension would wait
  // for a writer forever.
  auto status = fileSystem_.Status(path);
  if (!status || !status->isRegularFile) return std::nullopt;
  auto opened = fileSystem_.OpenForRead(path);
  if (!opened || !VolumeCatalog::ValidateMagic(*opened.file)) return std::nullopt;
  // A file too short for the whole name field shows what it has.
  char field[format::kVolumeNameFieldSize] = {};
  auto got = opened.file->ReadAt(format::kVolumeNameOffset, std::as_writable_bytes(std::span(field)));
  if (!got) return std::nullopt;
  VolumeListEntry entry;
  entry.fileName = fileName;
  entry.filePath = std::move(path);
  entry.volumeName.assign(field, strnlen(field, std::min(*got, sizeof field)));
  entry.position = position;
  entry.fileSize = status->size;
  entry.createdTime.Set(status->createdTime);
  entry.modifiedTime.Set(status->modifiedTime);
  return entry;
}

bool VolumeList::RefreshVolumeList(bool keepSelection) {
  std::string selected = keepSelection ? selectedPath_ : std::string();
  entries_.clear();
  selectedPath_.clear();
  auto items = fileSystem_.ListDirectory(directory_);
  if (!items) return false;
  // The file system's own order differs between file systems and changes as files come and go; the
  // byte order of the names gives the same positions, and the same order of equal keys, every time.
  std::vector<std::string> names;
  for (const platform::DirectoryItem& item : *items) {
    if (!item.isDirectory && HasVolumeExtension(item.name)) names.push_back(item.name);
  }
  std::sort(names.begin(), names.end());
  uint32_t position = 0;
  for (const std::string& name : names) {
    if (auto entry = ReadEntry(name, position + 1)) {
      ++position;
      entries_.push_back(std::move(*entry));
    }
  }
  Sort();
  // The selection follows the file, not its place in the listing, so that files added or removed
  // meanwhile cannot move it onto another volume.
  if (!selected.empty() && FindByPath(selected) != nullptr) selectedPath_ = selected;
  return true;
}

void VolumeList::Sort() {
  std::sort(entries_.begin(), entries_.end(), [this](const VolumeListEntry& a, const VolumeListEntry& b) {
    int order = CompareVolumeEntries(a, b, arrangement_);
    return order != 0 ? order < 0 : a.position < b.position;
  });
}

void VolumeList::Arrange(VolumeListArrangement arrangement) {
  arrangement_ = arrangement;
  Sort();
}

const VolumeListEntry* VolumeList::FindByPath(const std::string& path) const {
  for (const VolumeListEntry& entry : entries_) {
    if (SamePath(entry.filePath, path)) return &entry;
  }
  return nullptr;
}

const VolumeListEntry* VolumeList::SelectedEntry() const {
  return selectedPath_.empty() ? nullptr : FindByPath(selectedPath_);
}

bool VolumeList::Select(size_t index, bool load) {
  if (index >= entries_.size()) return false;
  selectedPath_ = entries_[index].filePath;
  return !load || LoadVolume(entries_[index]);
}

const VolumeListEntry* VolumeList::SelectVolumeByPath(const std::string& path, bool load) {
  const VolumeListEntry* entry =
      FindByPath(platform::IsAbsolutePath(path) ? path : platform::JoinPath(directory_, path));
  if (entry == nullptr) return nullptr;
  selectedPath_ = entry->filePath;
  if (load) static_cast<void>(LoadVolume(*entry));
  return entry;
}

bool VolumeList::LoadVolume(const VolumeListEntry& entry) {
  // The host may refresh the list while it takes the volume; keep the entry apart from it.
  VolumeListEntry chosen = entry;
  auto volume = std::make_unique<VolumeCatalog>(fileSystem_, prompter_);
  if (!volume->OpenVolume(chosen.filePath)) return false;
  host_.ShowVolume(std::move(volume), chosen);
  return true;
}

bool VolumeList::RenameVolume(const std::function<std::optional<std::string>(std::string_view)>& askNewName) {
  const VolumeListEntry* selected = SelectedEntry();
  if (selected == nullptr) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return false;
  }
  VolumeListEntry entry = *selected;
  std::optional<std::string> newName = askNewName(entry.volumeName);
  if (!newName) return false;
  if (newName->size() > format::kVolumeNameMaxLength) {
    prompter_.ShowError(messages::kVolumeNameTooLong);
    return false;
  }
  bool renamed = false;
  VolumeCatalog* loaded = host_.LoadedVolume();
  if (loaded != nullptr && loaded->IsLoaded() && SamePath(loaded->VolumeFilePath(), entry.filePath)) {
    // The loaded volume closes its file, rewrites the name and reopens, showing any failure itself.
    renamed = loaded->SetVolumeName(*newName);
    if (!loaded->IsLoaded()) static_cast<void>(host_.UnloadVolume());
  } else {
    VolumeNameWrite written = WriteVolumeName(fileSystem_, entry.filePath, *newName);
    if (!written.ok()) ShowVolumeNameFailure(prompter_, written);
    renamed = written.ok();
  }
  if (renamed) static_cast<void>(RefreshVolumeList(true));
  return renamed;
}

bool VolumeList::DeleteVolume() {
  const VolumeListEntry* selected = SelectedEntry();
  if (selected == nullptr) {
    prompter_.ShowError(messages::kLoadSomeVolumeFirst);
    return false;
  }
  std::string path = selected->filePath;
  if (!prompter_.AskYesNo(messages::kAskDeleteVolume)) return false;
  if (!host_.UnloadVolume()) return false;
  if (!fileSystem_.Remove(path)) {
    prompter_.ShowError(messages::kCouldNotDeleteVolume);
    return false;
  }
  static_cast<void>(RefreshVolumeList(false));
  return true;
}

}  // namespace volumist
