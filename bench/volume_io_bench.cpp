// Writing and reading a large volume: 1,000,000 files in 20,000 folders written through the volume
// writer, then every record read back in compact mode.
//
//   build/volume_io_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "catalog/record_writer.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"

namespace volumist {
namespace {

constexpr int kFolders = 20000;
constexpr int kFilesPerFolder = 50;

// Writes kFolders folders of kFilesPerFolder files each, in 200 top folders, as a scan would.
class GeneratedTree final : public ContentWriter {
 public:
  void DescribeSource(const ScanSource&, SourceEntry& entry) override { entry.driveType = kDriveFixed; }

  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override {
    auto contents = [&](VolumeWriter& writer, FolderRecord* root, uint8_t level, RecordKey parentKey, uint64_t& size) {
      char name[32];
      FileRecord file;
      file.tag.hasSignatures = true;  // attributes, as saveAttributes records them
      file.extension.Set(".dat");
      Counters batch;
      for (int top = 0; top < 200; ++top) {
        FolderRecord topFolder;
        std::snprintf(name, sizeof name, "group %03d", top);
        topFolder.name.Set(name);
        topFolder.level = level;
        topFolder.parentKey = parentKey;
        WriteFolderRecord(writer, topFolder);
        root->hasSubfolders = true;
        uint64_t topSize = 0;
        for (int f = 0; f < kFolders / 200; ++f) {
          FolderRecord folder;
          std::snprintf(name, sizeof name, "folder %05d", top * 100 + f);
          folder.name.Set(name);
          folder.level = static_cast<uint8_t>(level + 1);
          folder.parentKey = topFolder.selfKey;
          WriteFolderRecord(writer, folder);
          topFolder.hasSubfolders = true;
          uint64_t folderSize = 0;
          for (int i = 0; i < kFilesPerFolder; ++i) {
            std::snprintf(name, sizeof name, "file-%07d", top * 5000 + f * 50 + i);
            file.name.Set(name);
            file.size.Set(static_cast<uint64_t>(i) * 7919 * (f + 1));
            file.modifiedTime.Set(1600000000 + i * 3600);
            file.signatures.attrArchive = (i & 1) != 0;
            WriteFileRecord(writer, file);
            folderSize += file.size.Value();
            ++batch.fileCount;
            ++batch.totalFileCount;
          }
          if (WriteFolderEnd(writer, folder, job.Options(), folderSize)) {
            ++batch.folderCount;
            ++batch.totalFolderCount;
          }
          topSize += folderSize;
        }
        if (WriteFolderEnd(writer, topFolder, job.Options(), topSize)) {
          ++batch.folderCount;
          ++batch.totalFolderCount;
        }
        counters.Add(batch);
        batch = Counters{};
        size += topSize;
      }
      WriteFolderEnd(writer, *root, job.Options(), size);
      counters.RaiseFolder();
      return writer.ok();
    };
    return WriteSourceFrame(out, sources[firstIndex], 0, job.Options(), contents, totalSize);
  }
};

std::string VolumePath() { return (std::filesystem::temp_directory_path() / "volumist-bench-1m.vkt").string(); }

bool WriteBigVolume() {
  SilentPrompter prompter;
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  volume.SetStaysClosed(true);
  ScanJob job;
  job.volumeFileName = VolumePath();
  job.volumeName = "One million files";
  job.sources = {{-1, "Generated", "/generated", true}};
  GeneratedTree tree;
  return volume.CreateVolume(job, tree);
}

void BM_WriteMillionFiles(benchmark::State& state) {
  for (auto _ : state) {
    if (!WriteBigVolume()) state.SkipWithError("write failed");
  }
  state.counters["files"] = kFolders * kFilesPerFolder;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(VolumePath())) / 1e6;
}
BENCHMARK(BM_WriteMillionFiles)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReadMillionFilesCompact(benchmark::State& state) {
  if (!std::filesystem::exists(VolumePath()) && !WriteBigVolume()) {
    state.SkipWithError("write failed");
    return;
  }
  SilentPrompter prompter;
  for (auto _ : state) {
    VolumeCatalog volume(platform::FileSystem::Default(), prompter);
    if (!volume.OpenVolume(VolumePath())) {
      state.SkipWithError("open failed");
      return;
    }
    TreeWalker walker(volume, true);
    walker.Start();
    uint64_t files = 0;
    uint64_t bytes = 0;
    for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      if (step == TreeWalker::Step::kFile) {
        ++files;
        bytes += walker.File().name.Length();
      }
    }
    if (files != static_cast<uint64_t>(kFolders) * kFilesPerFolder) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["files"] = kFolders * kFilesPerFolder;
}
BENCHMARK(BM_ReadMillionFilesCompact)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace volumist

BENCHMARK_MAIN();
