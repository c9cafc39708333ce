#include "catalog/record_writer.h"
#include "scan/scan_engine.h"

namespace volumist {

void ListArchive(VolumeWriter& out, const ScanEntry& entry, const FilePreparation& prepared, RecordKey parentKey,
                 uint8_t level, const ScanOptions& options, ScanStatistics& counters, uint64_t& size) {
  ArchiveRecord archive;
  archive.name.Set(entry.baseName);
  archive.extension.Set(entry.extension);
  archive.size.Set(entry.size);
  archive.modifiedTime.Set(entry.lastWriteTime);
  archive.archiveKind = prepared.archive->Kind();
  archive.level = level;
  archive.parentKey = parentKey;
  archive.tag.hasSignatures = prepared.hasSignatures;
  archive.signatures = prepared.signatures;
  WriteArchiveRecord(out, archive);
  // Levels are one byte; an archive at the deepest level lists its contents at that level too.
  const uint8_t contentLevel = level == 255 ? level : static_cast<uint8_t>(level + 1);
  uint64_t total = prepared.archive->WriteToCatalog(out, contentLevel, archive.selfKey, options,
                                                    counters);
  // The archive's end carries the sub-folder flag of its top level.
  archive.hasSubfolders = prepared.archive->HasTopFolders();
  if (WriteFolderEnd(out, archive, options, total)) {
    counters.RaiseArchive();
    size += entry.size;  // the archive's own size, not its contents'
  }
}

}  // namespace volumist
