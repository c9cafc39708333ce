// Exports volume files of arbitrary bytes as XML: the whole volume in both forms, with and without
// archive contents and subfolders, and from every folder and archive at the top level. No export
// may crash, read out of bounds or loop; a document that is put in place holds only ASCII
// characters that XML allows raw: line ends and 0x20 to 0x7F.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/folder_contents.h"
#include "catalog/volume_catalog.h"
#include "export/xml_exporter.h"
#include "testing/memory_file_system.h"

using namespace volumist;

namespace {

void ExportOnce(VolumeCatalog& volume, testing::MemoryFileSystem& fileSystem, ExportOptions options) {
  SilentPrompter prompter;
  options.outputPath = "/out.xml";
  XmlExporter exporter(volume, options, fileSystem, prompter);
  if (!exporter.Run()) return;
  const std::string* document = fileSystem.Get("/out.xml");
  if (document == nullptr) __builtin_trap();
  for (unsigned char c : *document) {
    if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7F)) __builtin_trap();
  }
  fileSystem.Remove("/out.xml");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/v.vkt", std::string(reinterpret_cast<const char*>(data), size));
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  if (!volume.OpenVolume("/v.vkt")) return 0;

  for (int variant = 0; variant < 4; ++variant) {
    ExportOptions options;
    options.attributeForm = (variant & 1) != 0;
    options.saveArchiveContent = (variant & 2) != 0;
    options.includeSubfolders = variant != 3;
    options.columnEnabled.fill(true);
    ExportOnce(volume, fileSystem, options);
  }
  std::vector<RecordKey> starts;
  (void)ReadTopLevel(volume, [&](const ContentItem& item) {
    if (item.kind != RecordKind::kFile) starts.push_back(item.key);
    return starts.size() < 8;
  });
  for (RecordKey start : starts) {
    ExportOptions options;
    options.startPosition = start;
    ExportOnce(volume, fileSystem, options);
  }
  return 0;
}
