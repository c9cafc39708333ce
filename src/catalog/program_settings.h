// ProgramSettings: everything the program keeps between runs, in configuration.cfg: the scan job
// template whose options are the defaults of every new scan, the search and export options, the
// volume directory, three general switches and the shown columns of the item lists.
//
// The file lives in the program directory (the user's configuration folder); it is read by Load
// and written by Save, each once per run of the window program. The command line reads it and
// never writes it. The settings never change the process's current directory: the volume
// directory is kept as an absolute path and callers join names to it.
//
// Not thread-safe: the user-interface thread owns the settings (a scan copies the job template,
// a search works on the criteria under their own lock).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/column_set.h"
#include "catalog/export_options.h"
#include "catalog/scan_job.h"
#include "catalog/search_criteria.h"
#include "platform/file_system.h"

namespace volumist {

struct SettingsLocations {
  // The folder of configuration.cfg. Empty: there is no configuration file to read or write.
  std::string programDirectory;
  // The volume directory until the user chooses another, and where an unusable one falls back to.
  // EnterVolumeDirectory creates it when it is missing.
  std::string defaultVolumeDirectory;
};

// The folder name inside the user's configuration and data folders.
inline constexpr char kUserFolderName[] = "zarn-volumist";
// The file that keeps the scan's volume counter, beside configuration.cfg.
inline constexpr char kVolumeCounterFileName[] = "volume-counter";

// $XDG_CONFIG_HOME/zarn-volumist for the configuration and $XDG_DATA_HOME/zarn-volumist/volumes
// for the volumes (~/.config and ~/.local/share when the variables are unset). Nothing when the
// user has no home folder.
std::optional<SettingsLocations> DefaultSettingsLocations();

// Bits of ResetColumns: one per view of the file list and of the search results.
constexpr uint32_t ListViewBit(int view) { return uint32_t{1} << view; }
constexpr uint32_t SearchViewBit(int view) { return uint32_t{1} << (8 + view); }
inline constexpr uint32_t kAllListViews = 0x7F;
inline constexpr uint32_t kAllSearchViews = 0x7F00;

class ProgramSettings {
 public:
  // The built-in defaults; nothing is read or created yet. `fileSystem` must outlive the settings.
  ProgramSettings(platform::FileSystem& fileSystem, SettingsLocations locations);

  enum class LoadResult {
    kNoFile,   // no configuration file (or none readable): the defaults stay
    kForeign,  // the file does not start with the magic: every default stays
    kLoaded,   // read; fields past the end of a short file read as 0
  };
  // Reads configuration.cfg over the defaults. A stored volume directory that is not usable is
  // replaced by the default volume directory. Never shows anything and never creates anything, so
  // that reading the settings leaves no trace.
  LoadResult Load();

  // Writes configuration.cfg (605 bytes) through a temporary file in the program directory that
  // replaces the old file only when complete, creating the program directory when missing, and the
  // volume counter beside it. False when nothing was written; never shows anything.
  [[nodiscard]] bool Save() const;
  // Writes only the scan template's volume counter, which configuration.cfg has no field for, to the
  // file "volume-counter" beside it (its decimal digits), so that default volume names go on counting
  // from one run to the next. Load reads it back.
  [[nodiscard]] bool SaveVolumeCounter() const;

  // Makes `path` (relative paths count from the current directory) the volume directory when it is
  // a directory that can be listed and whose path fits the file (499 bytes); otherwise the default
  // volume directory becomes the volume directory. True when `path` was taken. Creates nothing.
  bool SetVolumeDirectory(const std::string& path);

  // Checks, before a listing or a scan, that the volume directory can still be used, creating the
  // default volume directory again when it is the one missing. Unlike a stored directory at start,
  // a directory that vanished while running is not replaced, so a drive unplugged for a moment does
  // not lose the user's choice. True when usable.
  bool EnterVolumeDirectory();

  // Rebuilds the built-in column sets of the views selected by `views` (ListViewBit,
  // SearchViewBit).
  void ResetColumns(uint32_t views);

  const std::string& VolumeDirectory() const { return volumeDirectory_; }
  const std::string& ProgramDirectory() const { return locations_.programDirectory; }
  const std::string& DefaultVolumeDirectory() const { return locations_.defaultVolumeDirectory; }
  // The configuration file's path; empty when there is no program directory.
  std::string ConfigurationPath() const;

  // The template of every new scan: its options are the defaults of the scan dialog and of the
  // command line's scan, its scanAgain flag is stored beside them.
  ScanJob scanJob;
  SearchCriteria searchOptions;
  ExportOptions exportOptions;
  bool ShowTooltips = true;
  bool explorerMode = false;  // the main window's explorer-mode check box
  bool ShowSplash = true;
  std::array<ColumnSet, kViewCount> listColumnSets;
  std::array<ColumnSet, kViewCount> searchColumnSets;

 private:
  bool UseVolumeDirectory(const std::string& absolutePath);
  bool WriteReplacing(const std::string& path, std::string_view bytes) const;
  std::string VolumeCounterPath() const;
  void LoadVolumeCounter();
  void UseDefaultVolumeDirectory();

  platform::FileSystem& fileSystem_;
  SettingsLocations locations_;
  std::string volumeDirectory_;
};

}  // namespace volumist
