// Listing one directory for the scan: one pass over the directory and one status call per entry,
// never following symbolic links (a link is listed as itself). Paths may be longer than PATH_MAX.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volumist::platform {

// 40 bytes: a listing of a large folder, and the listings the scan keeps ahead of its walk, hold
// many of them.
struct ListedEntry {
  uint32_t nameOffset = 0;   // into DirectoryListing::names
  uint32_t mountId = 0;      // the mount it is reached through (see DirectoryListing::hasMountIds)
  uint64_t size = 0;
  int64_t modifiedTime = 0;  // seconds since 1970-01-01 UTC
  uint64_t device = 0;       // the file system the entry lives on
  uint16_t nameLength = 0;   // names are at most 255 bytes
  bool isDirectory = false;
  bool isHidden = false;     // a name starting with "." (or the DOS attribute on FAT)
  bool isSystem = false;     // neither a regular file, a directory nor a symbolic link
  bool isArchive = false;    // the DOS archive attribute, where the file system has one
  bool isReadOnly = false;   // the owner may not write
  bool isLink = false;       // a symbolic link (never followed)
};

struct DirectoryListing {
  std::vector<ListedEntry> entries;  // in the order the file system lists them
  std::string names;                 // every entry's name, one after another
  uint64_t device = 0;               // the directory's own file system
  uint32_t mountId = 0;              // the directory's own mount
  // Whether the kernel gave the mount ids (statx's STATX_MNT_ID, Linux 5.8 and later; the kernel's
  // mount ids are ints, as /proc/self/mountinfo shows them). Without them mountId is 0 everywhere,
  // and mounts must be told apart otherwise (the mount table).
  bool hasMountIds = false;

  std::string_view Name(const ListedEntry& entry) const {
    return std::string_view(names).substr(entry.nameOffset, entry.nameLength);
  }
};

// Lists `path`. Nothing when the directory cannot be opened or read, and also when its entries' status
// cannot be read for want of the right to enter it (read permission without execute): its names alone
// would be a listing without sizes, types or times. Entries whose status cannot be read for another
// reason (removed meanwhile) are left out.
std::optional<DirectoryListing> ListDirectoryEntries(const std::string& path);

}  // namespace volumist::platform
