// What the properties dialog shows and what its OK stores, without a toolkit: the texts of one item
// of the loaded volume (or none), of the volume, and of the medium the item's source was scanned
// from with its pie chart; and the edits of the two descriptions and the volume name, compared
// exactly and stored into the loaded volume.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "browse/media_pie.h"
#include "catalog/folder_contents.h"
#include "catalog/volume_catalog.h"

namespace volumist::browse {

// An item of the loaded volume as a list shows it: its record, the key of the folder or archive that
// lists it (0 at the volume's top level), and whether it is the up entry ("..") of that list.
struct PropertiesItem {
  ContentItem item;
  RecordKey containerKey = 0;
  bool isUpEntry = false;
};

enum class PropertiesItemKind { kFolder, kFile, kArchive, kSourceRoot, kUpEntry };

// The upper part, " Folder/File info:".
struct ItemProperties {
  PropertiesItemKind kind = PropertiesItemKind::kFile;
  std::string name;      // "..": the up entry; a file's or archive's name with its extension
  std::string location;  // "/" and the names of the folders that lead to the item
  std::string size;      // "%s  (%s)": the short form, then the grouped byte count with " Bytes"
  std::string created;   // the modification time; empty for folders, up entries and source roots
  bool archive = false;
  bool hidden = false;
  bool system = false;
  bool readOnly = false;
  RecordKey descriptionKey = 0;
  bool descriptionEditable = true;  // not for the up entry
  std::string description;          // as stored, pending edits included
};

// The tab "Volume scanning info".
struct VolumeProperties {
  std::string name;
  std::string folders;   // "%ld  (%ld)": the folder count, then the total folder count
  std::string files;     // "%ld  (%ld)"
  std::string archives;  // "%ld"
  std::string fileSize;  // the volume file's size with digit grouping and " Bytes"
  std::string created;   // the volume file's time
  std::string description;
};

// The tab "Media(Disk) info".
struct MediaProperties {
  std::string label;
  std::string type;        // DriveTypeName
  std::string serial;      // FormatSerialNumber
  std::string fileSystem;
  std::string scanPath;
  std::string present;     // "YES" or "NO"
  std::optional<MediaPie> pie;
};

struct PropertiesData {
  std::optional<ItemProperties> item;
  VolumeProperties volume;
  std::optional<MediaProperties> media;
};

// Gathers what the dialog shows of the loaded `volume` and, when given, `item`. The media tab shows
// the source the item belongs to; without an item, the volume's first source. A key outside every
// source leaves it empty. `isMediumPresent` says whether a recorded medium is in its drive now. Moves
// the volume's record reader.
PropertiesData GatherProperties(VolumeCatalog& volume, const std::optional<PropertiesItem>& item,
                                const std::function<bool(const SourceEntry&)>& isMediumPresent);

// The fields the user can edit, as they are when OK is pressed.
struct PropertiesEdits {
  std::string volumeName;
  std::string volumeDescription;
  std::string itemDescription;  // ignored without an item whose description is editable
};

struct PropertiesOutcome {
  bool volumeDescriptionChanged = false;
  bool itemDescriptionChanged = false;
  bool renamed = false;
  // A store or the rename failed; it said why (a name too long for the file is refused by the
  // dialog before, RefuseVolumeName).
  bool failed = false;
};

// OK: a volume description that differs from the shown one becomes a pending description of key 0,
// an item description that differs one of the item's key, and a differing name is written into the
// loaded volume's own file (VolumeCatalog::SetVolumeName). Texts are compared byte for byte, so an
// edit of letter case alone is stored too.
PropertiesOutcome ApplyPropertiesEdits(VolumeCatalog& volume, const PropertiesData& shown, const PropertiesEdits& edits);

namespace text {
inline constexpr char kPropertiesDialog[] = "Properties";
inline constexpr char kItemInfoGroup[] = " Folder/File info:";
inline constexpr char kTypeLabel[] = "Type:";
inline constexpr char kLocationLabel[] = "Location:";
inline constexpr char kItemNameLabel[] = "Name:";
inline constexpr char kSizeLabel[] = "Size:";
inline constexpr char kCreatedLabel[] = "Created:";
inline constexpr char kArchiveAttribute[] = "Archive";
inline constexpr char kHiddenAttribute[] = "Hidden";
inline constexpr char kSystemAttribute[] = "System";
inline constexpr char kReadOnlyAttribute[] = "Read-Only";
inline constexpr char kDescriptionLabel[] = "Description:";
inline constexpr char kSourceRootType[] = "Volume Separate Folder";
inline constexpr char kUpEntryName[] = "..";
inline constexpr char kVolumeInfoTab[] = "Volume scanning info";
inline constexpr char kVolumeInfoGroup[] = " Volume info:";
inline constexpr char kFoldersTotalLabel[] = "Folders (total):";
inline constexpr char kFilesTotalLabel[] = "Files (total):";
inline constexpr char kArchivesCountLabel[] = "Archives:";
inline constexpr char kVolumeFileSizeLabel[] = "File size:";
inline constexpr char kMediaInfoTab[] = "Media(Disk) info";
inline constexpr char kMediaInfoGroup[] = " Media scan info:";
inline constexpr char kMediaLabelLabel[] = "Media label:";
inline constexpr char kMediaTypeLabel[] = "Media type:";
inline constexpr char kSerialLabel[] = "Serial #:";
inline constexpr char kFileSystemLabel[] = "File system:";
inline constexpr char kScanPathLabel[] = "Scan path:";
inline constexpr char kPresentNowLabel[] = "Present now:";
inline constexpr char kPresentYes[] = "YES";
inline constexpr char kPresentNo[] = "NO";
}  // namespace text

}  // namespace volumist::browse
