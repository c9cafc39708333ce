// The main window's fixed texts and the small rules that make its captions: the title, the
// statistics bar, the tooltips of its controls and the texts of its small dialogs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalog/catalog_time.h"
#include "catalog/scan_statistics.h"

namespace volumist::browse {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 6;
inline constexpr char kReleaseKind[] = "Release";

// "Zarn Volumist %d.%d %s %s": the version, "Release" and an empty text, so the title ends in a blank.
// Also the tray icon's tip.
std::string WindowTitle();

// The smallest size of the main window, in logical pixels.
inline constexpr int kMinimumWidth = 777;
inline constexpr int kMinimumHeight = 400;
// The panes that a splitter bar keeps at least this wide.
inline constexpr int kMinimumPaneWidth = 250;

// The splash window closes after this long.
inline constexpr int kSplashMilliseconds = 2900;
// The statistics bar's clock while something runs.
inline constexpr int kStatisticsTickMilliseconds = 35;
// The activity indicator's positions; it advances one a tick and wraps to 0.
inline constexpr int kActivitySteps = 53;
constexpr int NextActivityStep(int step) { return step + 1 >= kActivitySteps || step < 0 ? 0 : step + 1; }

// "%s (%02d:%02d)": the status text with the elapsed minutes and seconds.
std::string FormatElapsed(std::string_view status, int64_t elapsedSeconds);

namespace text {
inline constexpr char kFoldersLabel[] = "- Folders:";
inline constexpr char kFilesLabel[] = "- Files:";
inline constexpr char kArchivesLabel[] = "- Archives:";
inline constexpr char kFileSizeLabel[] = "File size:";
inline constexpr char kDateLabel[] = "Date:";
inline constexpr char kTotalLabel[] = "total:";
inline constexpr char kNoVolumeLoaded[] = "no volume loaded";
inline constexpr char kAcceleratorsNotLoaded[] = "The accelerator table was not loaded";

inline constexpr char kOptionsCaption[] = "Options";
inline constexpr char kOptionsGeneralPage[] = "General";
inline constexpr char kShowTooltipsOption[] = "Show tooltips.";
inline constexpr char kShowSplashOption[] = "Show splashscreen at startup.";
inline constexpr char kRenameVolumePrompt[] = "Enter new name of volume:";
inline constexpr char kEnterDescriptionPrompt[] = "Enter description of volume:";
inline constexpr char kClearDescription[] = "Clear description.";
inline constexpr char kSaveButton[] = "Save";
inline constexpr char kCancelButton[] = "Cancel";
inline constexpr char kChooseFolderPrompt[] = "Current folder is:";
inline constexpr char kFileDataPane[] = "File data";
inline constexpr char kRestoreWindow[] = "Restore";
inline constexpr char kQuitProgram[] = "Quit";
// A folder chosen as the volume directory that cannot be used; the old one stays.
inline constexpr char kDirectoryNotUsable[] =
    "This folder cannot be the active directory: it cannot be read, or its path is longer than 499 bytes.";
}  // namespace text

// Tooltips of the window's controls besides the strip's buttons; each is a first line and further
// lines that begin with four blanks.
enum class ControlTip {
  kBack,
  kForward,
  kProperties,
  kRoot,
  kUp,
  kExplorerMode,
  kDescriptionPane,
  kActiveDirectory,
  kStatisticsBar,
  kViewModes,
  kArrange,
  kClearDescription,
};
std::span<const std::string_view> ToolTipLines(ControlTip control);

// What the statistics bar shows: the status, the counts of the volume being read or written, and
// the loaded volume's file size, date and total size.
struct StatisticsFigures {
  std::string status;              // "Idle.", "Scanning."...
  bool busy = false;               // a scan runs: the elapsed time is shown
  int64_t elapsedSeconds = 0;
  std::optional<Counters> counters;  // none: no volume loaded and no scan
  std::optional<uint64_t> fileSize;  // the loaded volume's file
  std::optional<CatalogTime> date;
  std::optional<uint64_t> totalSize;  // the volume's content size
};

struct StatisticsTexts {
  std::string status;  // with the elapsed time while busy
  std::string folders;  // the numbers after the labels; empty when there are none
  std::string files;
  std::string archives;
  std::string fileSize;
  std::string date;
  std::string total;

  friend bool operator==(const StatisticsTexts&, const StatisticsTexts&) = default;
};

StatisticsTexts MakeStatisticsTexts(const StatisticsFigures& figures);

}  // namespace volumist::browse
