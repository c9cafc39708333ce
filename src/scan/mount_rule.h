// MountRule: which folders below a source the walk enters, as far as mounts go.
//
// A folder is a mount point when it is reached through another mount than the folder that holds it.
// The kernel tells by the mount id of every listed entry (statx's STATX_MNT_ID). The device number
// does not tell: a btrfs subvolume or snapshot has a device number of its own but belongs to its
// parent's mount, so it is an ordinary folder and is entered, while a bind mount of a folder of the
// same file system keeps the device number and is a mount point. Where the kernel gives no mount ids,
// a folder is a mount point when its real path is the mount point of a mount in the table
// (/proc/self/mountinfo); when the table cannot be read either, when its device number differs from
// its parent's.
//
// A mount point is recorded as a folder. It is entered only when the scan crosses mounts, and never
// when its file system is one of the kernel's own (platform::IsKernelFileSystem) or the table does not
// name it (it was mounted after the table was read).
//
// Immutable after construction: safe to use from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/directory_listing.h"

namespace volumist {

class MountRule {
 public:
  enum class Verdict : uint8_t {
    kSameMount,   // an ordinary folder: entered
    kEnter,       // a mount point the scan crosses into
    kNotEntered,  // a mount point that is recorded as a folder only
  };

  // `mountTable`: the text of /proc/self/mountinfo (nothing when it cannot be read). `sourcePath`:
  // the source's folder as the walk names the folders below it; `realSourcePath`: the same folder
  // with symbolic links resolved, as the table names mount points (the walk follows no links below
  // the source, so a folder's real path is the real source path and the rest of its walk path).
  MountRule(bool crossMounts, const std::optional<std::string>& mountTable, std::string sourcePath,
            std::string realSourcePath);

  // The verdict on sub-folder `entry` of the folder at `folderPath`, listed as `listing`.
  Verdict Judge(const platform::DirectoryListing& listing, const platform::ListedEntry& entry,
                std::string_view folderPath) const;

 private:
  // The real path of `name` in the folder at `folderPath`.
  std::string RealPathOf(std::string_view folderPath, std::string_view name) const;
  Verdict CrossingInto(const std::string* fileSystemType) const;

  bool crossMounts_;
  bool hasTable_;
  std::string sourcePath_;
  std::string realSourcePath_;
  std::unordered_map<uint32_t, std::string> typeById_;          // every mount of the table
  std::unordered_map<std::string, std::string> typeByMountPoint_;  // the mounts that can be reached
};

}  // namespace volumist
