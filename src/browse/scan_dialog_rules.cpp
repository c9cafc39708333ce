#include "browse/scan_dialog_rules.h"

#include <algorithm>

#include "catalog/volume_names.h"
#include "platform/file_system.h"

namespace volumist::browse {
namespace {

using namespace std::string_view_literals;

constexpr ScanCheck kChecks[] = {
    {"Scan subfolders", &ScanOptions::scanSubfolders},
    {"Save hidden and system files", &ScanOptions::includeHiddenSystem},
    {"Save file attributes", &ScanOptions::saveAttributes},
    {"Don't save empty folders or sources", &ScanOptions::dropEmptyFolders},
};

constexpr AnalyzerBox kAnalyzers[] = {
    {"Archives", &ScanOptions::analyzeArchives, SettingsPage::kArchives},
    {"Audio", &ScanOptions::analyzeAudio, SettingsPage::kAudio},
    {"Video", &ScanOptions::analyzeVideo, SettingsPage::kVideo},
    {"Thumbnails", &ScanOptions::analyzeImages, SettingsPage::kGraphics},
    {"Signatures", &ScanOptions::computeSignatures, SettingsPage::kSignatures},
};

constexpr std::string_view kVolumeNameTip[] = {"Here you can enter Volume name."};
constexpr std::string_view kVolumeFileNameTip[] = {"Here you can enter Volume file name."};
constexpr std::string_view kScanAndSaveTip[] = {"Start scanning process."};
constexpr std::string_view kScanAndSaveNextTip[] = {
    "Start scanning process and after scanning,",
    "this dialog will show immidiately,",
    "so you will be able to add new sources.",
};
constexpr std::string_view kCancelTip[] = {"Cancel and close the window", "without save any option changes."};
constexpr std::string_view kResetTip[] = {"Reset options to default."};
constexpr std::string_view kIncludeOnlyTip[] = {"Here you can choose which type of files you",
                                                "want to save into the new volume."};
constexpr std::string_view kSetupTip[] = {"Show setup window for this item."};
constexpr std::string_view kArchivesTip[] = {"Allow you to look inside compressed",
                                             "files and get directory structure from them.",
                                             "Press Setup for configuration."};
constexpr std::string_view kAudioTip[] = {"Save some information from audio files",
                                          "(album, some comments, bitrate, samples...)",
                                          "Press Setup for configuration."};
constexpr std::string_view kVideoTip[] = {"Save some information from video files",
                                          "(length, codecs, size, bitrates, audio info...)",
                                          "Press Setup for configuration."};
constexpr std::string_view kThumbnailsTip[] = {"Create and save thumbnails, width, height and",
                                               "colors from graphic files.", "Press Setup for configuration."};
constexpr std::string_view kSignaturesTip[] = {"Calculate signatures (like CRC32) for each file", "(very slow).",
                                               "Press Setup for configuration."};
constexpr std::string_view kPathTip[] = {"Here you can see or change a full path for scanning."};
constexpr std::string_view kRemovableTip[] = {"Show or hide all removable drives."};
constexpr std::string_view kLocalDrivesTip[] = {"Show or hide all local drives. (HDD)"};
constexpr std::string_view kCdDrivesTip[] = {"Show or hide all CD/DVD drives."};
constexpr std::string_view kDriveListTip[] = {
    "Drives list.",
    "If you <Click> to any drive from the list,",
    "then program will automatically set path to",
    "this drive and name of the source.",
};
constexpr std::string_view kEjectTip[] = {"Eject (if it possible) after scanning."};
constexpr std::string_view kSourceNameTip[] = {"Here you can enter name of this source."};
constexpr std::string_view kBrowseTip[] = {"Choose here single folder for scanning."};
constexpr std::string_view kSourceListTip[] = {
    "List of scanning sources.",
    "By pressing <DEL> you can delete sources from",
    "list, by single <Click> you can rename sources.",
};
constexpr std::string_view kBuildTip[] = {"Here you can choose scanning sources", "from directory tree."};
constexpr std::string_view kClearTip[] = {"Delete all scanning sources."};
constexpr std::string_view kPlusTip[] = {"Add this drive or path to the scan list."};
constexpr std::string_view kMinusTip[] = {"ADelete selected source from the scan list."};

// A catalog name holds no separator: a path built from it would take it for two names.
bool IsPlainName(const std::string& name) { return !name.empty() && name.find('/') == std::string::npos; }

const DriveRow* DriveWithRoot(const std::string& normalPath, std::span<const DriveRow> drives) {
  for (const DriveRow& drive : drives) {
    if (platform::NormalizePath(drive.root) == normalPath) return &drive;
  }
  return nullptr;
}

}  // namespace

std::string ScanDialogCaption(ScanMode mode, ScanPage page) {
  std::string_view word;
  switch (mode) {
    case ScanMode::kNewVolume: word = "New... "sv; break;
    case ScanMode::kAddToVolume: word = "Add... "sv; break;
    case ScanMode::kUpdate: word = "Update "sv; break;
    case ScanMode::kNewFromVolumeSources: word = "New by current volume sources "sv; break;
  }
  std::string caption(word);
  caption += page == ScanPage::kSingleSource ? "- Single source"sv : "- Multiple sources"sv;
  return caption;
}

void ScanDialogNames::Open(const ScanJob& job) {
  if (job.mode == ScanMode::kNewVolume || job.mode == ScanMode::kNewFromVolumeSources) {
    volumeName_ = DefaultVolumeName(job);
    fileName_ = MakeVolumeFileName(volumeName_, true);
  } else {
    volumeName_ = job.volumeName;
    fileName_ = job.volumeFileName;
  }
  fileNameEdited_ = false;
  sourceName_.clear();
  proposedSourceName_.clear();
  path_.clear();
  sourceNameEdited_ = false;
}

void ScanDialogNames::VolumeNameChanged(std::string name) {
  volumeName_ = std::move(name);
  // The stored file name follows with the field, so leaving the field untouched is no edit.
  if (!fileNameEdited_) fileName_ = MakeVolumeFileName(volumeName_, true);
}

const std::string& ScanDialogNames::FileNameLeft(const std::string& text) {
  if (text != fileName_) {
    fileName_ = MakeVolumeFileName(text, false);
    fileNameEdited_ = true;
  }
  return fileName_;
}

void ScanDialogNames::SourceNameLeft(const std::string& text) {
  sourceName_ = text;
  // Passing through the field leaves a proposed name a proposal; only a name of the user's own stops
  // the proposals.
  if (text.empty()) {
    sourceNameEdited_ = false;
  } else if (text != proposedSourceName_) {
    sourceNameEdited_ = true;
  }
}

void ScanDialogNames::ProposeSourceName(std::string name) {
  if (sourceNameEdited_) return;
  sourceName_ = name;
  proposedSourceName_ = std::move(name);
}

void ScanDialogNames::DriveClicked(const DriveRow& row) {
  path_ = row.root;
  ProposeSourceName(SourceNameForDrive(row));
}

void ScanDialogNames::FolderBrowsed(const std::string& folder, std::span<const DriveRow> drives) {
  path_ = folder;
  ProposeSourceName(SourceNameForFolder(folder, drives));
}

std::string SourceNameForDrive(const DriveRow& drive) {
  if (IsPlainName(drive.displayName)) return drive.displayName;
  std::string last = platform::BaseNameOf(platform::NormalizePath(drive.root));
  return IsPlainName(last) ? last : std::string(text::kRootFileSystemName);
}

std::string SourceNameForFolder(const std::string& folder, std::span<const DriveRow> drives) {
  std::string normal = platform::NormalizePath(folder);
  if (const DriveRow* drive = DriveWithRoot(normal, drives)) return SourceNameForDrive(*drive);
  // NormalizePath leaves no trailing separator, so the last component is the folder's own name; only
  // "/" has none.
  std::string last = platform::BaseNameOf(normal);
  return IsPlainName(last) ? last : std::string(text::kRootFileSystemName);
}

bool SameSourcePath(const std::string& a, const std::string& b) {
  return platform::NormalizePath(a) == platform::NormalizePath(b);
}

bool HasSourcePath(std::span<const ScanSource> sources, const std::string& path) {
  return std::any_of(sources.begin(), sources.end(),
                     [&](const ScanSource& source) { return SameSourcePath(source.path, path); });
}

std::optional<size_t> RemoveSources(std::vector<ScanSource>& sources, std::span<const size_t> selected) {
  std::vector<size_t> doomed;
  for (size_t index : selected) {
    if (index < sources.size()) doomed.push_back(index);
  }
  if (doomed.empty()) return std::nullopt;
  std::sort(doomed.begin(), doomed.end());
  doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
  size_t first = doomed.front();
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) sources.erase(sources.begin() + static_cast<ptrdiff_t>(*it));
  if (sources.empty()) return std::nullopt;
  return std::min(first, sources.size() - 1);
}

ScanSource SourceForTreePath(const std::string& path, std::span<const DriveRow> drives) {
  return ScanSource{-1, SourceNameForFolder(path, drives), path, true};
}

std::span<const ScanCheck> ScanChecks() { return kChecks; }

void ResetScanChecks(ScanOptions& options) {
  options.scanSubfolders = true;
  options.includeHiddenSystem = true;
  options.saveAttributes = true;
  options.dropEmptyFolders = false;
  options.fileTypeGroup = 0;
}

std::span<const AnalyzerBox> AnalyzerBoxes() { return kAnalyzers; }

std::span<const std::string_view> ScanToolTipLines(ScanTip tip) {
  switch (tip) {
    case ScanTip::kVolumeName: return kVolumeNameTip;
    case ScanTip::kVolumeFileName: return kVolumeFileNameTip;
    case ScanTip::kScanAndSave: return kScanAndSaveTip;
    case ScanTip::kScanAndSaveNext: return kScanAndSaveNextTip;
    case ScanTip::kCancel: return kCancelTip;
    case ScanTip::kReset: return kResetTip;
    case ScanTip::kIncludeOnly: return kIncludeOnlyTip;
    case ScanTip::kSetup: return kSetupTip;
    case ScanTip::kArchives: return kArchivesTip;
    case ScanTip::kAudio: return kAudioTip;
    case ScanTip::kVideo: return kVideoTip;
    case ScanTip::kThumbnails: return kThumbnailsTip;
    case ScanTip::kSignatures: return kSignaturesTip;
    case ScanTip::kPath: return kPathTip;
    case ScanTip::kRemovable: return kRemovableTip;
    case ScanTip::kLocalDrives: return kLocalDrivesTip;
    case ScanTip::kCdDrives: return kCdDrivesTip;
    case ScanTip::kDriveList: return kDriveListTip;
    case ScanTip::kEjectAfterScan: return kEjectTip;
    case ScanTip::kSourceName: return kSourceNameTip;
    case ScanTip::kBrowse: return kBrowseTip;
    case ScanTip::kSourceList: return kSourceListTip;
    case ScanTip::kBuildScanningList: return kBuildTip;
    case ScanTip::kClear: return kClearTip;
    case ScanTip::kTreePlus: return kPlusTip;
    case ScanTip::kTreeMinus: return kMinusTip;
  }
  return {};
}

}  // namespace volumist::browse
