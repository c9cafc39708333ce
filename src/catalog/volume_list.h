// The volume list: the volume files of the volume directory, with the operations behind the
// window's list (refresh, arrange, select and load, rename, delete). Toolkit-free: the window shows
// the entries and forwards its commands; questions and messages go through the Prompter, and the
// loaded volume stays with the window (VolumeHost).
//
// Used by one thread (the user-interface thread). The prompter and host must outlive the list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_time.h"
#include "catalog/prompter.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"

namespace volumist {

// One volume file found in the volume directory.
struct VolumeListEntry {
  std::string fileName;    // with its extension
  std::string filePath;    // the volume directory joined with fileName
  std::string volumeName;  // the file's name field
  // 1-based place in the listing, which takes the files in the byte order of their names.
  uint32_t position = 0;
  uint64_t fileSize = 0;
  CatalogTime createdTime;   // birth time where the file system keeps it, else the change time
  CatalogTime modifiedTime;

  friend bool operator==(const VolumeListEntry&, const VolumeListEntry&) = default;
};

enum class VolumeListArrangement : int {
  kNameAscending = 0,  // volume name A to Z, without regard to case
  kNameDescending = 1,
  kSizeAscending = 2,
  kSizeDescending = 3,
  kCreatedNewestFirst = 4,
  kModifiedNewestFirst = 5,
};
inline constexpr int kArrangementCount = 6;

// The arrangement with this number (0 to 5), or nothing.
std::optional<VolumeListArrangement> ArrangementFromIndex(int index);
// The menu entry ("By Name (Ascending)"...) and the status text ("Arranged by: Name ASC"...).
std::string_view ArrangementMenuEntry(VolumeListArrangement arrangement);
std::string_view ArrangementStatusText(VolumeListArrangement arrangement);

// Negative, 0 or positive as `a` comes before, level with or after `b` in `arrangement`. Entries
// with equal keys compare equal; the list puts those in the order of their positions.
int CompareVolumeEntries(const VolumeListEntry& a, const VolumeListEntry& b, VolumeListArrangement arrangement);

// True for a file name that ends in ".vkt", in any case.
bool HasVolumeExtension(std::string_view fileName);

// The window that holds the loaded volume, as the list needs it.
class VolumeHost {
 public:
  virtual ~VolumeHost() = default;
  // The loaded volume, or nullptr when none is loaded.
  virtual VolumeCatalog* LoadedVolume() = 0;
  // Unloads the loaded volume (pending description edits are offered for saving first), so that its
  // file is no longer held open. True when no volume is loaded afterwards; false when the volume
  // stays (the user wanted its edits saved and the save failed).
  virtual bool UnloadVolume() = 0;
  // Takes a volume just opened from `entry` and shows it; the previous one is unloaded first.
  virtual void ShowVolume(std::unique_ptr<VolumeCatalog> volume, const VolumeListEntry& entry) = 0;
};

// A host for front ends that never keep a volume loaded (the command line).
class NoVolumeHost final : public VolumeHost {
 public:
  VolumeCatalog* LoadedVolume() override { return nullptr; }
  bool UnloadVolume() override { return true; }
  void ShowVolume(std::unique_ptr<VolumeCatalog>, const VolumeListEntry&) override {}
};

class VolumeList {
 public:
  // `fileSystem`, `prompter` and `host` must outlive the list.
  VolumeList(platform::FileSystem& fileSystem, Prompter& prompter, VolumeHost& host);

  // The folder RefreshVolumeList reads (the settings' volume directory, or one the user named).
  void SetDirectory(std::string directory) { directory_ = std::move(directory); }
  const std::string& Directory() const { return directory_; }

  // Rebuilds the list from the directory: every regular file named *.vkt that starts with the
  // volume magic, in the current arrangement. Other files, and files that cannot be read, are left
  // out without a message. With `keepSelection` the file selected before is selected again,
  // without loading it; otherwise nothing is selected. False (and an empty list) when the
  // directory cannot be read.
  [[nodiscard]] bool RefreshVolumeList(bool keepSelection);

  // The entries in the order of the arrangement.
  const std::vector<VolumeListEntry>& Entries() const { return entries_; }

  // Sorts the entries by `arrangement`, which stays in force for later refreshes.
  void Arrange(VolumeListArrangement arrangement);
  VolumeListArrangement Arrangement() const { return arrangement_; }

  // The selected entry, or nullptr.
  const VolumeListEntry* SelectedEntry() const;
  // Selects Entries()[index] and, when `load`, loads its volume. False for an index past the end or
  // a volume that could not be loaded (the selection stays then).
  bool Select(size_t index, bool load);
  void ClearSelection() { selectedPath_.clear(); }

  // Selects the entry of the file at `path` (relative paths count from the directory), loading its
  // volume when `load`; used after a scan wrote a new volume file. Nullptr when no entry has that
  // path; the selection is unchanged then.
  const VolumeListEntry* SelectVolumeByPath(const std::string& path, bool load);

  // Opens the entry's volume file and hands the volume to the host. On failure the open has shown
  // its message and the host keeps what it had.
  [[nodiscard]] bool LoadVolume(const VolumeListEntry& entry);

  // Gives the selected volume file a new volume name. `askNewName` gets the current name and
  // returns the new one, or nothing when the user cancels. Shows "Please, load some volume first."
  // without a selection, "Bad volume file. Could not rename it." when the file is not a volume file,
  // and "Could not write the new name into the volume file: " with the cause when it cannot be
  // written. When the renamed file is the loaded volume, that volume is reopened so that it shows
  // the new name (the host unloads it if that fails). On success the list is refreshed.
  [[nodiscard]] bool RenameVolume(const std::function<std::optional<std::string>(std::string_view)>& askNewName);

  // Deletes the selected volume file after asking "Do you want to delete this volume file?". The
  // loaded volume is unloaded first, so its file is not held open; when it stays loaded (its edits
  // could not be saved) nothing is deleted. Shows "Please, load some volume
  // first." without a selection and "Could not delete this volume file" when deleting fails (the list
  // stays as it was). On success the list is refreshed without a selection.
  [[nodiscard]] bool DeleteVolume();

 private:
  void Sort();
  const VolumeListEntry* FindByPath(const std::string& path) const;
  std::optional<VolumeListEntry> ReadEntry(const std::string& fileName, uint32_t position);

  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  VolumeHost& host_;
  std::string directory_;
  std::vector<VolumeListEntry> entries_;
  VolumeListArrangement arrangement_ = VolumeListArrangement::kNameAscending;
  std::string selectedPath_;  // the selected entry's filePath; empty when none
};

}  // namespace volumist
