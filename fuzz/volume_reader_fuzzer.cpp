// Feeds arbitrary bytes to every reader of volume files: opening (header and sources), the
// sequential walk in both name modes, the folder contents reader down every folder and archive,
// the key lookups and the descriptions of the items found. None may crash, read out of bounds or loop.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/folder_contents.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "testing/memory_file_system.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/v.vkt", std::string(reinterpret_cast<const char*>(data), size));
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  if (!volume.OpenVolume("/v.vkt")) return 0;

  for (bool compact : {false, true}) {
    TreeWalker walker(volume, compact);
    walker.Start();
    for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd && step != TreeWalker::Step::kDamaged;
         step = walker.Next()) {
    }
  }
  // Every listing step moves forward, so the number of items is bounded by the file's size.
  size_t budget = size + 16;
  std::function<void(const NestingFields*)> listAll = [&](const NestingFields* container) {
    std::vector<ContentItem> items;
    auto collect = [&](const ContentItem& item) {
      items.push_back(item);
      return budget-- > 0;
    };
    if (container) {
      ReadFolderContents(volume, *container, collect, true);
    } else {
      ReadTopLevel(volume, collect);
    }
    for (const ContentItem& item : items) {
      volume.FindSourceForKey(item.key);
      // Through the description index, whatever its state.
      volume.GetDescription(item.DescriptionKey());
      if (item.kind == RecordKind::kFolder) listAll(&item.folder);
      if (item.kind == RecordKind::kArchive) listAll(&item.archive);
    }
  };
  listAll(nullptr);
  volume.GetDescription(0);
  return 0;
}
