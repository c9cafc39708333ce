// A small volume written and opened for the browsing rules' tests, and rows found in it by path.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse/folder_listing.h"
#include "catalog/volume_catalog.h"
#include "testing/memory_tree.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist::browse::testing {

class BrowseVolume {
 public:
  // Writes sources (folder sources where `folder` says so) into a temporary volume and opens it.
  // Returns false when either fails.
  bool Write(std::vector<::volumist::testing::MemorySource> sources, const std::vector<bool>& folder,
             const std::string& volumeName = "Sample") {
    path_ = dir_.File("sample.vkt");
    ::volumist::testing::RecordingPrompter quiet;
    if (!::volumist::testing::WriteVolume(::volumist::testing::MakeJob(path_, volumeName, folder), std::move(sources),
                                          quiet)) {
      return false;
    }
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    return volume_->OpenVolume(path_);
  }

  VolumeCatalog& Volume() { return *volume_; }
  const std::string& Path() const { return path_; }
  const ::volumist::testing::TempDir& Dir() const { return dir_; }

  // The row named by `path` (names from the top of the volume); nothing when there is none.
  std::optional<ItemRow> Row(const std::vector<std::string>& path) {
    RecordKey folder = kRootKey;
    std::optional<ItemRow> found;
    for (const std::string& name : path) {
      std::optional<FolderListing> listing = ReadFolderListing(*volume_, folder);
      if (!listing) return std::nullopt;
      found.reset();
      for (const ItemRow& row : listing->rows) {
        if (row.kind != RowKind::kUp && row.name == name) found = row;
      }
      if (!found) return std::nullopt;
      folder = found->key;
    }
    return found;
  }

 private:
  ::volumist::testing::TempDir dir_;
  ::volumist::testing::RecordingPrompter prompter_;
  std::string path_;
  std::unique_ptr<VolumeCatalog> volume_;
};

}  // namespace volumist::browse::testing
