#include "catalog/content_writer.h"
#include "catalog/record_writer.h"

namespace volumist {

bool WriteSourceFrame(VolumeWriter& out, SourceEntry& entry, uint16_t markNumber, const ScanOptions& options,
                      const FolderContentsWriter& writeContents, uint64_t& size) {
  WriteSourceMark(out, markNumber);
  RecordKey topKey = out.CurrentKey();
  entry.treeStartKey = topKey;
  uint64_t sourceSize = 0;
  if (entry.isFolderSource) {
    FolderRecord root;
    root.name.Set(entry.sourceName.Text());
    root.tag.isSourceRoot = true;
    root.level = 0;
    root.parentKey = topKey;
    WriteFolderRecord(out, root);
    if (!writeContents(out, &root, 1, root.selfKey, sourceSize)) return false;
    out.Flush();
    WriteFolderEnd(out, root, options, sourceSize);
  } else {
    if (!writeContents(out, nullptr, 0, topKey, sourceSize)) return false;
    out.Flush();
  }
  entry.treeEndKey = out.CurrentKey();
  size += sourceSize;
  return out.ok();
}

}  // namespace volumist
