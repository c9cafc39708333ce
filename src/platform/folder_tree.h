// What a folder tree that is browsed on demand needs: whether a folder has anything to expand, and
// its children in display order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace volumist::platform {

// Hidden by the Unix convention: the name starts with a dot.
bool IsHiddenName(std::string_view name);

// True when `path` holds a sub-folder (hidden or not), or, with `includeFiles`, a file that is not
// hidden. False for a folder that cannot be listed. Symbolic links count as files, so that the tree
// never loops.
bool HasChildren(FileSystem& fileSystem, const std::string& path, bool includeFiles);

// The full paths of the children of `path`: its sub-folders, hidden ones included, and, with
// `includeFiles`, its files that are not hidden. Each list is sorted by full path without regard
// to letter case (ASCII). Both are empty for a folder that cannot be listed.
struct FolderChildren {
  std::vector<std::string> folders;
  std::vector<std::string> files;
};
FolderChildren ListChildren(FileSystem& fileSystem, const std::string& path, bool includeFiles);

}  // namespace volumist::platform
