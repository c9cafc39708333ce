// Writing and reading a large volume: 1,000,000 files in 20,000 folders written through the volume
// writer, then every record read back in compact mode.
//
//   build/volume_io_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <filesystem>

#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "testing/generated_tree.h"

namespace volumist {
namespace {

constexpr int kFolders = testing::GeneratedTree::kFolders;
constexpr int kFilesPerFolder = testing::GeneratedTree::kFilesPerFolder;

std::string VolumePath() { return (std::filesystem::temp_directory_path() / "volumist-bench-1m.vkt").string(); }

bool WriteBigVolume() { return testing::WriteGeneratedVolume(VolumePath()); }

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
