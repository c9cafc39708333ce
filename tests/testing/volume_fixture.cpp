#include "testing/volume_fixture.h"

#include "catalog/volume_catalog.h"

namespace volumist::testing {

ScanJob MakeJob(const std::string& fileName, const std::string& volumeName, const std::vector<bool>& folder) {
  ScanJob job;
  job.volumeFileName = fileName;
  job.volumeName = volumeName;
  for (size_t i = 0; i < folder.size(); ++i) {
    ScanSource source;
    source.sourceName = "Source" + std::to_string(i);
    source.path = "/source" + std::to_string(i);
    source.isFolderSource = folder[i];
    job.sources.push_back(source);
  }
  return job;
}

bool WriteVolume(const ScanJob& job, std::vector<MemorySource> sources, Prompter& prompter,
                 platform::FileSystem& fileSystem) {
  VolumeCatalog volume(fileSystem, prompter);
  volume.SetStaysClosed(true);
  MemoryTreeWriter contents(std::move(sources));
  return volume.CreateVolume(job, contents);
}

std::optional<ContentItem> FindItem(VolumeCatalog& volume, const std::vector<std::string>& path) {
  std::optional<ContentItem> current;
  for (const std::string& name : path) {
    std::optional<ContentItem> found;
    auto match = [&](const ContentItem& item) {
      if (item.Record().name.Text() + item.Record().extension.Text() != name) return true;
      found = item;
      return false;
    };
    if (!current) {
      (void)ReadTopLevel(volume, match);
    } else if (current->kind == RecordKind::kFolder) {
      (void)ReadFolderContents(volume, current->folder, match);
    } else if (current->kind == RecordKind::kArchive) {
      (void)ReadFolderContents(volume, current->archive, match);
    }
    if (!found) return std::nullopt;
    current = std::move(found);
  }
  return current;
}

}  // namespace volumist::testing
