#include "browse/locate_item.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "browse/folder_listing.h"

namespace volumist::browse {
namespace {

ItemLocation Status(LocateStatus status) {
  ItemLocation location;
  location.status = status;
  return location;
}

std::string Join(std::string base, std::string_view name) {
  if (base.empty() || base.back() != '/') base += '/';
  base += name;
  return base;
}

// The resolved `path` lies at or below the resolved `root`.
bool IsUnder(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path.front() == '/';
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
}

}  // namespace

bool IsSafePathComponent(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string FileUrl(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                 byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
    if (plain) {
      url += c;
    } else {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 15];
    }
  }
  return url;
}

ItemLocation LocateItem(VolumeCatalog& volume, const ItemRow& row, const MediumCheck& isMediumPresent,
                        platform::FileSystem& fileSystem) {
  if (!volume.IsLoaded() || row.kind == RowKind::kNone) return Status(LocateStatus::kMissing);
  // The folder whose chain leads to the item, and the item's own name below it (none when the item
  // is that folder).
  const bool isFile = row.kind == RowKind::kFile;
  RecordKey folderKey = isFile ? row.containerKey : row.key;
  // The key that tells the source: the item itself, or for the up entry the folder that lists it.
  RecordKey sourceKey = row.kind == RowKind::kUp ? row.containerKey : row.key;
  const SourceEntry* source = volume.FindSourceForKey(sourceKey);
  if (source == nullptr) return Status(LocateStatus::kOutsideSource);
  std::optional<std::vector<ChainLink>> chain = FolderChainOf(volume, folderKey);
  if (!chain) return Status(LocateStatus::kMissing);
  // A folder source's root folder is named after the source; its path is the root path itself.
  size_t first = source->isFolderSource && !chain->empty() && chain->front().isSourceRoot ? 1 : 0;
  std::vector<std::string_view> names;
  for (size_t i = 0; i < chain->size(); ++i) {
    const ChainLink& link = (*chain)[i];
    // An archive may be the item itself, never a folder on the way to it.
    const bool isItem = !isFile && i + 1 == chain->size();
    if (link.isArchive && !isItem) return Status(LocateStatus::kInsideArchive);
    if (i >= first) names.push_back(link.name);
  }
  if (isFile) names.push_back(row.name);
  for (std::string_view name : names) {
    if (!IsSafePathComponent(name)) return Status(LocateStatus::kDamagedName);
  }

  const std::string root = source->rootPath.Text();
  if (root.empty() || root.front() != '/' || root.find('\0') != std::string::npos) {
    return Status(LocateStatus::kOutsideSource);
  }
  if (isMediumPresent && !isMediumPresent(*source)) return Status(LocateStatus::kNoMedium);
  std::optional<std::string> realRoot = fileSystem.RealPath(root);
  if (!realRoot) return Status(LocateStatus::kMissing);

  // The item's folder, resolved; then the item in it, which may itself be a link. Without names the
  // item is the source's root.
  const bool named = !names.empty();
  std::string folder = root;
  for (size_t i = 0; named && i + 1 < names.size(); ++i) folder = Join(folder, names[i]);
  std::optional<std::string> realFolder = fileSystem.RealPath(folder);
  if (!realFolder) return Status(LocateStatus::kMissing);
  if (!IsUnder(*realFolder, *realRoot)) return Status(LocateStatus::kOutsideSource);
  ItemLocation location;
  location.path = named ? Join(*realFolder, names.back()) : *realFolder;
  std::optional<platform::FileStatus> status = fileSystem.LinkStatus(location.path);
  if (!status) return Status(LocateStatus::kMissing);
  if (status->isDirectory || status->isLink) {
    // A folder the item names is entered: it must stay inside the source as well.
    std::optional<platform::FileStatus> target = fileSystem.Status(location.path);
    if (target && target->isDirectory) {
      std::optional<std::string> realItem = fileSystem.RealPath(location.path);
      if (!realItem || !IsUnder(*realItem, *realRoot)) return Status(LocateStatus::kOutsideSource);
      location.path = *realItem;
      location.isFolder = true;
    }
  }
  location.status = LocateStatus::kFound;
  return location;
}

}  // namespace volumist::browse
