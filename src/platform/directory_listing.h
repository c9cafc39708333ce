// Listing one directory for the scan: one pass over the directory and one status call per entry,
// never following symbolic links (a link is listed as itself).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volumist::platform {

struct ListedEntry {
  uint32_t nameOffset = 0;  // into DirectoryListing::names
  uint32_t nameLength = 0;
  uint64_t size = 0;
  int64_t modifiedTime = 0;  // seconds since 1970-01-01 UTC
  uint64_t device = 0;       // the file system the entry lives on
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

  std::string_view Name(const ListedEntry& entry) const {
    return std::string_view(names).substr(entry.nameOffset, entry.nameLength);
  }
};

// Lists `path`. Nothing when the directory cannot be opened or read; entries whose status cannot be
// read (removed meanwhile) are left out.
std::optional<DirectoryListing> ListDirectoryEntries(const std::string& path);

}  // namespace volumist::platform
