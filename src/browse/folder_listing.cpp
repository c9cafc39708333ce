#include "browse/folder_listing.h"

namespace volumist::browse {

std::optional<std::vector<ChainLink>> FolderChainOf(VolumeCatalog& volume, RecordKey key) {
  if (!volume.IsLoaded()) return std::nullopt;
  if (key == kRootKey) return std::vector<ChainLink>{};
  return ReadFolderChain(volume, key);
}

RecordKey ParentFolderKey(const std::vector<ChainLink>& chain) {
  return chain.size() >= 2 ? chain[chain.size() - 2].key : kRootKey;
}

std::optional<FolderListing> ReadFolderListing(VolumeCatalog& volume, RecordKey key) {
  std::optional<std::vector<ChainLink>> chain = FolderChainOf(volume, key);
  if (!chain) return std::nullopt;
  FolderListing listing;
  listing.key = key;
  listing.chain = std::move(*chain);
  auto add = [&listing, key](const ContentItem& item) {
    listing.rows.push_back(RowFromContent(item, key));
    return true;
  };
  ListingEnd end;
  if (key == kRootKey) {
    end = ReadTopLevel(volume, add);
  } else {
    listing.rows.push_back(UpRow(ParentFolderKey(listing.chain), key));
    end = ReadFolderContents(volume, listing.chain.back().nesting, add);
  }
  listing.complete = end == ListingEnd::kComplete;
  return listing;
}

std::optional<std::vector<ItemRow>> ReadSubfolders(VolumeCatalog& volume, RecordKey key) {
  std::optional<std::vector<ChainLink>> chain = FolderChainOf(volume, key);
  if (!chain) return std::nullopt;
  std::vector<ItemRow> rows;
  auto add = [&rows, key](const ContentItem& item) {
    if (item.kind == RecordKind::kFolder || item.kind == RecordKind::kArchive) rows.push_back(RowFromContent(item, key));
    return true;
  };
  if (key == kRootKey) {
    static_cast<void>(ReadTopLevel(volume, add));
  } else {
    static_cast<void>(ReadFolderContents(volume, chain->back().nesting, add));
  }
  return rows;
}

std::string FolderPathText(const std::vector<ChainLink>& chain) {
  std::string path;
  for (const ChainLink& link : chain) path += link.name + (link.isArchive ? '/' : '\\');
  return path;
}

std::string FolderCaption(std::string_view volumeName, const std::vector<ChainLink>& chain) {
  if (chain.empty()) return std::string(volumeName);
  std::string path = FolderPathText(chain);
  path.pop_back();
  return path;
}

}  // namespace volumist::browse
