// Which volumes have their media mounted now. The mount table is read once and each mount is
// described (device, label, UUID, serial) at most once, so checking the headers of a thousand
// volumes costs a thousand small reads and no more questions to the system.
//
// A medium counts as the recorded one by the rescan's rule (SameMedium in scan/drive_info.h): the
// same serial number, label and file system.
// - A drive source is present when a mounted drive holds its medium, wherever that drive is
//   mounted now (a stick mounted at another place is found by its serial). A medium whose serial is
//   0 (nothing identifies it) is only looked for at the recorded root.
// - A folder source is present when its recorded path is a folder on the recorded medium; when the
//   volume recorded nothing about the medium (serial 0, no label, no file system), when the path is
//   a folder. A folder on another medium is reported as such.
//
// A PresenceCheck is used by one thread at a time; it keeps a reference to the DriveSystem, which
// must outlive it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/source_list.h"
#include "platform/drive_system.h"
#include "platform/drive_table.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"

namespace volumist {

// One source of a volume now.
struct SourceLocation {
  SourcePresence presence = SourcePresence::kMissing;
  // Where the medium that holds the source is mounted now; empty unless present.
  std::string mountPoint;
  // Where the source's root is now: the drive's root for a drive source, the recorded folder for a
  // folder source; empty unless present.
  std::string path;

  friend bool operator==(const SourceLocation&, const SourceLocation&) = default;
};

enum class VolumePresence : uint8_t {
  kAbsent,   // no source is present (or the volume has none)
  kPresent,  // every source is present
  kPartly,   // some sources are present, others not
};

// "present", "absent", "partly": the words of the command line and of JSON.
std::string_view VolumePresenceWord(VolumePresence presence);
// "present", "missing", "other medium".
std::string_view SourcePresenceWord(SourcePresence presence);

struct VolumeLocation {
  VolumePresence presence = VolumePresence::kAbsent;
  std::vector<SourceLocation> sources;  // in the order of the volume's sources
};

// The sources of the volume file at `path` (its header and source list, nothing more); nothing when
// it is not a regular file or not a volume whose header can be read.
std::optional<SourceList> ReadVolumeSources(platform::FileSystem& fileSystem, const std::string& path);

class PresenceCheck {
 public:
  // Reads the mount table through `system` now; later calls use what it read. When the table
  // cannot be read no medium is mounted (folder sources are still checked by path).
  explicit PresenceCheck(platform::DriveSystem& system);

  SourceLocation CheckSource(const SourceEntry& entry);
  VolumeLocation CheckSources(const SourceList& sources);
  // Reads the header and sources of the volume file at `path`; nothing when it is no volume file.
  std::optional<VolumeLocation> CheckVolumeFile(platform::FileSystem& fileSystem, const std::string& path);

 private:
  const platform::Drive& DescribedMount(size_t index);
  SourceLocation CheckDriveSource(const SourceEntry& entry);
  SourceLocation CheckFolderSource(const SourceEntry& entry);

  platform::DriveSystem& system_;
  std::vector<platform::MountEntry> mounts_;              // the visible mounts
  std::vector<std::optional<platform::Drive>> described_;  // by index into mounts_, filled on demand
  std::vector<size_t> drives_;                             // indexes of the mounts that are drives
};

}  // namespace volumist
