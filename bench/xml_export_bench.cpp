// Exporting a large volume as XML: the generated volume of 1,000,000 files in 20,000 folders, whole,
// in both forms with the default columns and sections, through XmlExporter::Run into a file in the
// temporary directory (written, synced and renamed into place, as every export is).
//
//   build/xml_export_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
//
// MB_per_s is the document's size in millions of bytes per second of wall time.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "catalog/volume_catalog.h"
#include "export/xml_exporter.h"
#include "testing/generated_tree.h"

namespace volumist {
namespace {

std::filesystem::path Temporary(const char* name) { return std::filesystem::temp_directory_path() / name; }

void Export(benchmark::State& state, bool attributeForm) {
  const std::string volumePath = Temporary("volumist-bench-export-1m.vkt").string();
  const std::string outputPath = Temporary("volumist-bench-export-1m.xml").string();
  if (!std::filesystem::exists(volumePath) && !testing::WriteGeneratedVolume(volumePath)) {
    state.SkipWithError("writing the volume failed");
    return;
  }
  SilentPrompter prompter;
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  if (!volume.OpenVolume(volumePath)) {
    state.SkipWithError("opening the volume failed");
    return;
  }
  ExportOptions options;
  options.outputPath = outputPath;
  options.attributeForm = attributeForm;
  uint64_t bytes = 0;
  for (auto _ : state) {
    XmlExporter exporter(volume, options, platform::FileSystem::Default(), prompter);
    if (!exporter.Run() || exporter.FileTotal() != static_cast<uint64_t>(testing::GeneratedTree::kFiles)) {
      state.SkipWithError("export failed");
      return;
    }
    bytes += std::filesystem::file_size(outputPath);
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(outputPath)) / 1e6;
  state.counters["MB_per_s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
  std::filesystem::remove(outputPath);
}

void BM_ExportMillionFilesElements(benchmark::State& state) { Export(state, false); }
BENCHMARK(BM_ExportMillionFilesElements)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ExportMillionFilesAttributes(benchmark::State& state) { Export(state, true); }
BENCHMARK(BM_ExportMillionFilesAttributes)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace volumist

BENCHMARK_MAIN();
