// The scan dialog's rules that need no toolkit: its caption, how the volume's file name follows its
// name and the single source's name follows the chosen drive or folder, the options of its check
// list and "Reset", the source lists of the multiple-sources page and the tree dialog (removing,
// duplicates, the name of an added folder), and the tooltips. The dialog widgets show these values
// and forward the user's actions.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/scan_job.h"
#include "catalog/scan_options.h"
#include "scan/drive_info.h"
#include "scan/scan_job_rules.h"

namespace volumist::browse {

// "New... ", "Add... ", "Update " or "New by current volume sources " for modes 0 to 3, directly
// followed by "- Single source" or "- Multiple sources".
std::string ScanDialogCaption(ScanMode mode, ScanPage page);

// The names of a scan being defined: the volume name and file name, the single source's name and
// path, and the two flags that say whether a name still follows another.
//
//   volume name --(unless fileNameEdited)--> file name = MakeVolumeFileName(name) + ".vkt"
//   drive row / browsed folder --(unless sourceNameEdited)--> source name
class ScanDialogNames {
 public:
  // The names a dialog opens with: modes 0 and 3 propose DefaultVolumeName and that name followed by
  // ".vkt"; modes 1 and 2 show the job's names. The single source starts empty and both flags clear.
  void Open(const ScanJob& job);

  // Every change of the volume name field. Unless the file name was edited, the file name follows.
  void VolumeNameChanged(std::string name);
  // Leaving the file name field with `text`: a text that differs from the stored file name is made
  // usable (MakeVolumeFileName without an extension), stored, and the file name no longer follows
  // the volume name. Returns the text the field shows afterwards.
  const std::string& FileNameLeft(const std::string& text);

  // Typing into the source-name and path fields.
  void SourceNameChanged(std::string name) { sourceName_ = std::move(name); }
  void PathChanged(std::string path) { path_ = std::move(path); }
  // Leaving the source-name field: a text other than the one proposed for the chosen drive or folder
  // makes the source name the user's from now on; left empty it follows the drive or folder again.
  void SourceNameLeft(const std::string& text);
  // A click on a drive row: the path becomes its root and, unless the user named the source, the
  // source name SourceNameForDrive of it.
  void DriveClicked(const DriveRow& row);
  // A folder chosen with "Browse...": the path becomes the folder and, unless the user named the
  // source, the source name SourceNameForFolder of it. `drives` are all the machine's drives.
  void FolderBrowsed(const std::string& folder, std::span<const DriveRow> drives);

  // Both start buttons are offered only while the volume name and the file name are not empty.
  bool StartEnabled() const { return !volumeName_.empty() && !fileName_.empty(); }

  const std::string& VolumeName() const { return volumeName_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& SourceName() const { return sourceName_; }
  const std::string& Path() const { return path_; }
  bool FileNameEdited() const { return fileNameEdited_; }
  bool SourceNameEdited() const { return sourceNameEdited_; }

 private:
  void ProposeSourceName(std::string name);

  std::string volumeName_;
  std::string fileName_;
  bool fileNameEdited_ = false;
  std::string sourceName_;
  std::string proposedSourceName_;  // the name last proposed by a drive or folder
  std::string path_;
  bool sourceNameEdited_ = false;
};

// The name a drive gets as a source: its display name, unless that is empty or holds a "/" (an
// unlabelled root shows its path); then the last component of its root, and "Root file system" for
// "/". A proposed name never holds a separator.
std::string SourceNameForDrive(const DriveRow& drive);
// The name a folder gets as a source: SourceNameForDrive when the folder is the root of one of
// `drives` ("/" included), otherwise its last non-empty component ("/media/u/Photos/" gives
// "Photos"), and "Root file system" for "/". The bytes of the component are kept as they are.
std::string SourceNameForFolder(const std::string& folder, std::span<const DriveRow> drives);

// True when two source paths name the same folder: equal once repeated and trailing separators and
// "." components are gone ("/a" and "/a/"); letter case counts ("/A" is another folder).
bool SameSourcePath(const std::string& a, const std::string& b);
bool HasSourcePath(std::span<const ScanSource> sources, const std::string& path);

// Removes the sources at the indexes `selected` (in any order; repeated or past-the-end indexes are
// ignored) and returns the one to select afterwards: the source that now stands where the first
// removed one stood, or the new last source when the removal reached the end of the list. Nothing
// when the list is empty afterwards, or when nothing was removed.
std::optional<size_t> RemoveSources(std::vector<ScanSource>& sources, std::span<const size_t> selected);

// The source the tree dialog's plus button adds for `path`: named after the drive when the path is
// the root of one of `drives`, else after its last component; always a folder source.
ScanSource SourceForTreePath(const std::string& path, std::span<const DriveRow> drives);

// The four options of the check list, in their order.
struct ScanCheck {
  std::string_view text;
  bool ScanOptions::*field;
};
std::span<const ScanCheck> ScanChecks();

// "Reset": the four options and "Include only:" go back to what a first scan starts with; the
// analyzer switches, the settings pages, the names and the sources are left alone.
void ResetScanChecks(ScanOptions& options);

// The tabs of the settings dialog, in their order.
enum class SettingsPage { kArchives, kAudio, kVideo, kGraphics, kSignatures };
inline constexpr int kSettingsPageCount = 5;

// The five analyzer check boxes of the scan dialog, each with its "Setup >" page.
struct AnalyzerBox {
  std::string_view text;
  bool ScanOptions::*field;
  SettingsPage page;
};
std::span<const AnalyzerBox> AnalyzerBoxes();

// The controls that carry a tooltip.
enum class ScanTip {
  kVolumeName,
  kVolumeFileName,
  kScanAndSave,
  kScanAndSaveNext,
  kCancel,
  kReset,
  kIncludeOnly,
  kSetup,
  kArchives,
  kAudio,
  kVideo,
  kThumbnails,
  kSignatures,
  kPath,
  kRemovable,
  kLocalDrives,
  kCdDrives,
  kDriveList,
  kEjectAfterScan,
  kSourceName,
  kBrowse,
  kSourceList,
  kBuildScanningList,
  kClear,
  kTreePlus,
  kTreeMinus,
};
// The lines of a control's tip, in order; the dialog joins them into one multi-line tip.
std::span<const std::string_view> ScanToolTipLines(ScanTip tip);

// The fixed texts of the scan dialog, its pages and the tree dialog.
namespace text {
inline constexpr char kScanDialog[] = "Scan & Save";
inline constexpr char kVolumeNameLabel[] = " Volume Name*:";
inline constexpr char kVolumeFileNameLabel[] = " Volume Filename*:";
inline constexpr char kScanOptionsLabel[] = " Choose options for scanning:";
inline constexpr char kIncludeOnlyLabel[] = "Include only:";
inline constexpr char kAdditionalInfoLabel[] = " Choose additional info saving:";
inline constexpr char kDirectorylikeGroup[] = "Directorylike";
inline constexpr char kMultimediaGroup[] = "Multimedia";
inline constexpr char kCalculationsGroup[] = "Calculations";
inline constexpr char kDocumentsBox[] = "Documents";
inline constexpr char kSetupButton[] = "Setup >";
inline constexpr char kResetButton[] = "Reset";
inline constexpr char kScanAndSaveButton[] = "Scan and Save";
inline constexpr char kScanAndSaveNextButton[] = "Scan and Save, Next...";
// The tabs of the two pages (the caption names the page too).
inline constexpr char kSingleSourceTab[] = "Single source";
inline constexpr char kMultipleSourcesTab[] = "Multiple sources";

inline constexpr char kChooseDriveLabel[] = " Please choose Drive or Folder:";
inline constexpr char kDriveColumn[] = "Drive";
inline constexpr char kTypeColumn[] = "Type";
inline constexpr char kNameColumn[] = "Name";
inline constexpr char kCdDrivesBox[] = "CD/DVD Drives";
inline constexpr char kLocalDrivesBox[] = "Local Drives";
inline constexpr char kRemovableBox[] = "Removable";
inline constexpr char kBrowseButton[] = "Browse...";
inline constexpr char kSourceNameLabel[] = "Name of the source in volume*:";
inline constexpr char kEjectAfterScanBox[] = "Eject after scan";
inline constexpr char kBrowsePrompt[] = "Choose a folder to scan";
// The source name proposed for "/" when its drive has no label.
inline constexpr char kRootFileSystemName[] = "Root file system";

inline constexpr char kScanningListLabel[] = " Scanning list (sources) (Click - for edit, 'Del' - for delete):";
inline constexpr char kNameInCatalogColumn[] = "Name in catalog";
inline constexpr char kFullPathColumn[] = "Full path";
inline constexpr char kBuildScanningListButton[] = "Build scanning list";
inline constexpr char kClearButton[] = "Clear";
inline constexpr char kClearAllSources[] = "Clear all sources?";

inline constexpr char kTreeDialog[] = "Advanced Scan";
inline constexpr char kTreeExplanation[] =
    "Choose any disk or folder from this tree and press plus button to add it to the scanning list. All item "
    "from the scanning list will be located in root folder in the volume.";
inline constexpr char kTreeSourcesLabel[] = " Sources:";
inline constexpr char kTreeScanningListLabel[] = " Scanning list:";
inline constexpr char kPathInListAlready[] = "This path is in list already";
inline constexpr char kOkButton[] = "OK";
}  // namespace text

// How long the window waits before it looks again whether another modal window still stands in
// the way of reopening the scan dialog after "Scan and Save, Next...".
inline constexpr int kReopenScanDialogMilliseconds = 100;

// The smallest size of the tree dialog, and the widths of its list's two columns, in logical pixels.
inline constexpr int kTreeDialogMinimumWidth = 670;
inline constexpr int kTreeDialogMinimumHeight = 350;
inline constexpr int kTreeNameColumnWidth = 125;
inline constexpr int kTreePathColumnWidth = 500;

}  // namespace volumist::browse
