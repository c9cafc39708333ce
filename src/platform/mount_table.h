// The kernel's table of mounted file systems (/proc/self/mountinfo), parsed into entries. Pure
// functions over the text, so that recorded tables from other machines can be tested.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace volumist::platform {

// One line of mountinfo:
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
// Texts are unescaped ("\040" becomes a space).
struct MountEntry {
  uint32_t mountId = 0;
  uint32_t parentId = 0;
  uint32_t major = 0;            // device number of the file system (0 for pseudo and network ones)
  uint32_t minor = 0;
  std::string root;              // the directory of the file system that is mounted ("/" unless a bind)
  std::string mountPoint;        // where it is mounted
  std::string fileSystemType;    // as the kernel names it: "ext4", "vfat", "fuse.sshfs"
  std::string source;            // "/dev/sda1", "server:/export", "tmpfs"
  std::string superOptions;      // options of the file system itself
};

// Undoes the kernel's octal escapes (\040 space, \011 tab, \012 newline, \134 backslash). A
// backslash not followed by three octal digits stays as it is.
std::string UnescapeMountField(std::string_view text);

// Parses the whole text; lines that do not have the fields of a mountinfo line are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The entries that can be reached by path: drops a mount that another mount hides, because it sits
// on the same mount point or below it, was mounted over it later and is not its ancestor. Keeps
// the order of the table.
std::vector<MountEntry> VisibleMounts(const std::vector<MountEntry>& mounts);

// True when `path` is `directory` or lies below it, compared by whole components ("/mnt/a" holds
// "/mnt/a/b" but not "/mnt/ab"). Both are absolute and without trailing slashes (except "/").
bool IsPathWithin(std::string_view path, std::string_view directory);

// The index of the mount whose mount point is the longest one holding `realPath` (an absolute path
// with symbolic links resolved); among equal mount points the last one. -1 when none holds it.
int FindMountForPath(const std::vector<MountEntry>& mounts, std::string_view realPath);

}  // namespace volumist::platform
