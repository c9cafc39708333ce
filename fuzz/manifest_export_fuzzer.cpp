// Makes every list of volume files of arbitrary bytes (md5 and SFV manifests, ed2k links, CSV), of
// the whole volume and from the folders and archives at the top level, and compares the volume
// with itself. Nothing may crash, read out of bounds or loop; a CSV that is put in place is valid
// UTF-8, and each md5 line starts with its 32 hex digits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/folder_contents.h"
#include "catalog/utf8.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_diff.h"
#include "export/manifest_exporter.h"
#include "export/manifest_rows.h"
#include "testing/memory_file_system.h"

using namespace volumist;

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

void Check(ManifestFormat format, const std::string& list) {
  if (format == ManifestFormat::kCsv) {
    for (size_t i = 0; i < list.size();) {
      const size_t length = Utf8CharacterLength(std::string_view(list).substr(i));
      if (length == 0) __builtin_trap();
      i += length;
    }
  }
  if (format == ManifestFormat::kMd5) {
    for (size_t begin = 0; begin < list.size();) {
      size_t end = list.find('\n', begin);
      if (end == std::string::npos) __builtin_trap();  // every line ends
      size_t digits = begin + (list[begin] == '\\' ? 1 : 0);
      if (end < digits + 34) __builtin_trap();
      for (size_t i = digits; i < digits + 32; ++i) {
        if (!IsHex(list[i])) __builtin_trap();
      }
      begin = end + 1;
    }
  }
}

void ExportOnce(VolumeCatalog& volume, testing::MemoryFileSystem& fileSystem, ManifestFormat format,
                ExportOptions options) {
  SilentPrompter prompter;
  options.outputPath = "/out.list";
  std::unique_ptr<ManifestRowWriter> rows = MakeManifestRows(format, options, volume.Header().volumeName);
  ManifestExporter exporter(volume, options, fileSystem, prompter);
  if (!exporter.Run(*rows)) return;
  const std::string* list = fileSystem.Get("/out.list");
  if (list == nullptr) __builtin_trap();
  Check(format, *list);
  fileSystem.Remove("/out.list");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/v.vkt", std::string(reinterpret_cast<const char*>(data), size));
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  if (!volume.OpenVolume("/v.vkt")) return 0;

  std::vector<RecordKey> starts;
  (void)ReadTopLevel(volume, [&](const ContentItem& item) {
    if (item.kind != RecordKind::kFile) starts.push_back(item.key);
    return starts.size() < 4;
  });
  for (ManifestFormat format : {ManifestFormat::kMd5, ManifestFormat::kSfv, ManifestFormat::kEd2k, ManifestFormat::kCsv}) {
    for (int variant = 0; variant < 2; ++variant) {
      ExportOptions options;
      options.saveArchiveContent = variant == 0;
      options.includeSubfolders = variant == 0;
      options.columnEnabled.fill(true);
      ExportOnce(volume, fileSystem, format, options);
    }
    for (RecordKey start : starts) {
      ExportOptions options;
      options.startPosition = start;
      options.columnEnabled.fill(true);
      ExportOnce(volume, fileSystem, format, options);
    }
  }
  (void)DiffVolumes(fileSystem, prompter, "/v.vkt", "/v.vkt");
  return 0;
}
