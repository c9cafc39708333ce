#include "catalog/program_settings.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalog/coding.h"
#include "catalog/configuration_format.h"
#include "catalog/prompter.h"
#include "catalog/volume_writer.h"
#include "platform/user_folders.h"

namespace volumist {
namespace {

using Bytes = std::array<uint8_t, config_format::kFileSize>;

uint32_t Bit(bool on, uint32_t bit) { return on ? bit : 0; }

uint32_t GetU32(const Bytes& bytes, size_t offset) { return static_cast<uint32_t>(DecodeFixed(&bytes[offset], 4)); }
void PutU32(Bytes& bytes, size_t offset, uint32_t value) { EncodeFixed(&bytes[offset], value, 4); }

// A directory the volume list can be read from.
bool IsUsableDirectory(platform::FileSystem& fileSystem, const std::string& path) {
  auto status = fileSystem.Status(path);
  return status && status->isDirectory && fileSystem.ListDirectory(path).has_value();
}

}  // namespace

std::optional<SettingsLocations> DefaultSettingsLocations() {
  auto folders = platform::CurrentUserFolders();
  if (!folders) return std::nullopt;
  SettingsLocations locations;
  locations.programDirectory = platform::JoinPath(folders->configurationHome, kUserFolderName);
  locations.defaultVolumeDirectory =
      platform::JoinPath(platform::JoinPath(folders->dataHome, kUserFolderName), "volumes");
  return locations;
}

ProgramSettings::ProgramSettings(platform::FileSystem& fileSystem, SettingsLocations locations)
    : fileSystem_(fileSystem), locations_(std::move(locations)), volumeDirectory_(locations_.defaultVolumeDirectory) {
  ResetColumns(kAllListViews | kAllSearchViews);
}

std::string ProgramSettings::ConfigurationPath() const {
  if (locations_.programDirectory.empty()) return {};
  return platform::JoinPath(locations_.programDirectory, config_format::kFileName);
}

void ProgramSettings::ResetColumns(uint32_t views) {
  for (int view = 0; view < kViewCount; ++view) {
    if (views & ListViewBit(view)) listColumnSets[view] = DefaultListColumnSet(view);
    if (views & SearchViewBit(view)) searchColumnSets[view] = DefaultSearchColumnSet(view);
  }
}

void ProgramSettings::UseDefaultVolumeDirectory() { volumeDirectory_ = locations_.defaultVolumeDirectory; }

bool ProgramSettings::UseVolumeDirectory(const std::string& absolutePath) {
  // A path that the file cannot hold would come back cut, naming some other folder.
  if (absolutePath.size() <= config_format::kVolumeDirectoryMaxLength &&
      IsUsableDirectory(fileSystem_, absolutePath)) {
    volumeDirectory_ = absolutePath;
    return true;
  }
  UseDefaultVolumeDirectory();
  return false;
}

bool ProgramSettings::SetVolumeDirectory(const std::string& path) {
  auto absolute = path.empty() ? std::nullopt : platform::MakeAbsolutePath(fileSystem_, path);
  if (!absolute) {
    UseDefaultVolumeDirectory();
    return false;
  }
  return UseVolumeDirectory(*absolute);
}

bool ProgramSettings::EnterVolumeDirectory() {
  if (volumeDirectory_ == locations_.defaultVolumeDirectory && !volumeDirectory_.empty()) {
    platform::CreateDirectories(fileSystem_, volumeDirectory_);
  }
  return IsUsableDirectory(fileSystem_, volumeDirectory_);
}

ProgramSettings::LoadResult ProgramSettings::Load() {
  using namespace config_format;
  LoadVolumeCounter();
  std::string path = ConfigurationPath();
  auto opened = path.empty() ? platform::OpenResult{} : fileSystem_.OpenForRead(path);
  if (!opened) {
    UseDefaultVolumeDirectory();
    return LoadResult::kNoFile;
  }
  // Every field is read into zeroed bytes: a file that ends early leaves the fields it lacks 0, and
  // bytes past the known layout are ignored.
  Bytes bytes{};
  auto got = opened.file->ReadAt(0, std::as_writable_bytes(std::span(bytes)));
  opened.file->Close();
  if (!got || *got < kMagic.size() ||
      std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0) {
    UseDefaultVolumeDirectory();
    return got ? LoadResult::kForeign : LoadResult::kNoFile;
  }

  const char* field = reinterpret_cast<const char*>(&bytes[kVolumeDirectoryOffset]);
  std::string directory(field, strnlen(field, kVolumeDirectoryFieldSize));
  // Stored paths are absolute; a relative one can only count from the program directory.
  if (!directory.empty() && !platform::IsAbsolutePath(directory)) {
    directory = platform::JoinPath(locations_.programDirectory, directory);
  }
  if (directory.empty()) {
    UseDefaultVolumeDirectory();
  } else {
    UseVolumeDirectory(platform::NormalizePath(directory));
  }

  uint32_t general = GetU32(bytes, kGeneralSwitchesOffset);
  ShowTooltips = general & kShowTooltips;
  explorerMode = general & kExplorerMode;
  ShowSplash = general & kShowSplash;

  for (int i = 0; i < kStoredMaskCount; ++i) {
    listColumnSets[i].ApplyShownMask(GetU32(bytes, kListMasksOffset + 4 * i));
    searchColumnSets[i].ApplyShownMask(GetU32(bytes, kSearchMasksOffset + 4 * i));
  }

  OptionsSummary summary;
  std::memcpy(summary.data(), &bytes[kOptionsSummaryOffset], summary.size());
  scanJob.Options() = DecodeOptionsSummary(summary);
  scanJob.scanAgain = bytes[kScanAgainOffset] & kScanAgain;

  uint32_t search = GetU32(bytes, kSearchSwitchesOffset);
  searchOptions.caseSensitive = search & kCaseSensitive;
  searchOptions.lookInArchives = search & kLookInArchives;
  searchOptions.onlyInArchives = search & kOnlyInArchives;
  searchOptions.inSubfolders = search & kInSubfolders;
  searchOptions.findFolders = search & kFindFolders;
  searchOptions.getDescriptions = search & kGetDescriptions;

  uint32_t p = GetU32(bytes, kExportMaskPOffset);
  ExportOptions& ex = exportOptions;
  ex.saveVolumeInfo = p & kSaveVolumeInfo;
  ex.saveArchiveContent = p & kSaveArchiveContent;
  ex.saveSignatures = p & kSaveSignatures;
  ex.saveMedia = p & kSaveMedia;
  ex.saveTotals = p & kSaveTotals;
  ex.extraSwitch = p & kExtraSwitch;
  ex.includeSubfolders = p & kIncludeSubfolders;
  for (int id = 1; id <= kExportColumnCount; ++id) ex.SetColumnEnabled(id, p & (kFirstColumnEnabled << (id - 1)));
  uint32_t q = GetU32(bytes, kExportMaskQOffset);
  ex.attributeForm = q & kAttributeForm;
  ex.writeRoot = q & kWriteRoot;
  ex.writeVolume = q & kWriteVolume;
  ex.writeContent = q & kWriteContent;
  std::memcpy(ex.columnOrder.data(), &bytes[kColumnOrderOffset], ex.columnOrder.size());
  return LoadResult::kLoaded;
}

bool ProgramSettings::Save() const {
  using namespace config_format;
  std::string path = ConfigurationPath();
  if (path.empty() || !platform::CreateDirectories(fileSystem_, locations_.programDirectory)) return false;

  Bytes bytes{};
  std::memcpy(bytes.data(), kMagic.data(), kMagic.size());
  // A directory too long for its field is stored empty and reads back as the default one.
  if (volumeDirectory_.size() <= kVolumeDirectoryMaxLength) {
    std::memcpy(&bytes[kVolumeDirectoryOffset], volumeDirectory_.data(), volumeDirectory_.size());
  }
  PutU32(bytes, kGeneralSwitchesOffset,
         Bit(ShowTooltips, kShowTooltips) | Bit(explorerMode, kExplorerMode) | Bit(ShowSplash, kShowSplash));
  for (int i = 0; i < kStoredMaskCount; ++i) {
    PutU32(bytes, kListMasksOffset + 4 * i, listColumnSets[i].ShownMask());
    PutU32(bytes, kSearchMasksOffset + 4 * i, searchColumnSets[i].ShownMask());
  }
  OptionsSummary summary = EncodeOptionsSummary(scanJob.Options());
  std::memcpy(&bytes[kOptionsSummaryOffset], summary.data(), summary.size());
  bytes[kScanAgainOffset] = scanJob.scanAgain ? kScanAgain : 0;

  const SearchCriteria& s = searchOptions;
  PutU32(bytes, kSearchSwitchesOffset,
         Bit(s.caseSensitive, kCaseSensitive) | Bit(s.lookInArchives, kLookInArchives) |
             Bit(s.onlyInArchives, kOnlyInArchives) | Bit(s.inSubfolders, kInSubfolders) |
             Bit(s.findFolders, kFindFolders) | Bit(s.getDescriptions, kGetDescriptions));

  const ExportOptions& ex = exportOptions;
  uint32_t p = Bit(ex.saveVolumeInfo, kSaveVolumeInfo) | Bit(ex.saveArchiveContent, kSaveArchiveContent) |
               Bit(ex.saveSignatures, kSaveSignatures) | Bit(ex.saveMedia, kSaveMedia) |
               Bit(ex.saveTotals, kSaveTotals) | Bit(ex.extraSwitch, kExtraSwitch) |
               Bit(ex.includeSubfolders, kIncludeSubfolders);
  for (int id = 1; id <= kExportColumnCount; ++id) p |= Bit(ex.IsColumnEnabled(id), kFirstColumnEnabled << (id - 1));
  PutU32(bytes, kExportMaskPOffset, p);
  PutU32(bytes, kExportMaskQOffset,
         Bit(ex.attributeForm, kAttributeForm) | Bit(ex.writeRoot, kWriteRoot) | Bit(ex.writeVolume, kWriteVolume) |
             Bit(ex.writeContent, kWriteContent));
  std::memcpy(&bytes[kColumnOrderOffset], ex.columnOrder.data(), ex.columnOrder.size());

  return WriteReplacing(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) &&
         SaveVolumeCounter();
}

bool ProgramSettings::WriteReplacing(const std::string& path, std::string_view bytes) const {
  // Saving is silent: the writer's own message about the temporary file is not shown.
  SilentPrompter silent;
  VolumeWriter writer(fileSystem_, silent, 1024);
  if (writer.OpenReplacing(path) != platform::FileError::kNone) return false;
  writer.Write(bytes.data(), bytes.size());
  return writer.Finish() == VolumeWriter::FinishResult::kDone;
}

std::string ProgramSettings::VolumeCounterPath() const {
  return locations_.programDirectory.empty() ? std::string()
                                             : platform::JoinPath(locations_.programDirectory, kVolumeCounterFileName);
}

void ProgramSettings::LoadVolumeCounter() {
  std::string path = VolumeCounterPath();
  auto opened = path.empty() ? platform::OpenResult{} : fileSystem_.OpenForRead(path);
  if (!opened) return;
  char text[16] = {};
  auto got = opened.file->ReadAt(0, std::as_writable_bytes(std::span(text, sizeof text - 1)));
  opened.file->Close();
  if (!got) return;
  char* end = nullptr;
  unsigned long counter = std::strtoul(text, &end, 10);
  if (end != text && counter >= 1 && counter <= 0xFFFFFFFFul) scanJob.volumeCounter = static_cast<uint32_t>(counter);
}

bool ProgramSettings::SaveVolumeCounter() const {
  std::string path = VolumeCounterPath();
  if (path.empty() || !platform::CreateDirectories(fileSystem_, locations_.programDirectory)) return false;
  return WriteReplacing(path, std::to_string(scanJob.volumeCounter) + "\n");
}

}  // namespace volumist
