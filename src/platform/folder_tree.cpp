#include "platform/folder_tree.h"

#include <algorithm>

namespace volumist::platform {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive order; names that differ only in case keep a fixed order by their bytes.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    auto x = static_cast<unsigned char>(LowerAscii(a[i]));
    auto y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

bool HasChildren(FileSystem& fileSystem, const std::string& path, bool includeFiles) {
  std::optional<std::vector<DirectoryItem>> items = fileSystem.ListDirectory(path);
  if (!items) return false;
  return std::any_of(items->begin(), items->end(), [&](const DirectoryItem& item) {
    return item.isDirectory || (includeFiles && !IsHiddenName(item.name));
  });
}

FolderChildren ListChildren(FileSystem& fileSystem, const std::string& path, bool includeFiles) {
  FolderChildren children;
  std::optional<std::vector<DirectoryItem>> items = fileSystem.ListDirectory(path);
  if (!items) return children;
  for (const DirectoryItem& item : *items) {
    if (item.isDirectory) {
      children.folders.push_back(JoinPath(path, item.name));
    } else if (includeFiles && !IsHiddenName(item.name)) {
      children.files.push_back(JoinPath(path, item.name));
    }
  }
  std::sort(children.folders.begin(), children.folders.end(), LessIgnoringCase);
  std::sort(children.files.begin(), children.files.end(), LessIgnoringCase);
  return children;
}

}  // namespace volumist::platform
