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

}  // namespace volumist::testing
