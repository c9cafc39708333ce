// TreeWalker: reads every record of a volume's tree, or of one folder's sub-tree, in file order,
// keeping the depth and the path of the folders and archives that are open. For listings, dumps and
// whole-volume passes.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog_record.h"
#include "catalog/volume_catalog.h"

namespace volumist {

class TreeWalker {
 public:
  enum class Step { kFolder, kFile, kArchive, kLeave, kSourceMark, kEnd, kDamaged };

  // `volume` must be loaded and outlive the walker.
  TreeWalker(VolumeCatalog& volume, bool compact);

  // Walks the whole tree.
  void Start();
  // Walks the contents of a folder or archive read before (not the record itself).
  void StartInside(const NestingFields& container);

  // Reads the next record. kLeave reports the end of the folder or archive opened last (Path() still
  // names it); kEnd the end of the walk; kDamaged a record that could not be read.
  Step Next();

  const FolderRecord& Folder() const { return folder_; }
  const FileRecord& File() const { return file_; }
  const ArchiveRecord& Archive() const { return archive_; }
  RecordKey Key() const { return key_; }
  uint64_t Offset() const { return offset_; }
  uint16_t SourceMarkNumber() const { return markNumber_; }
  // The number of open folders and archives. After kFolder and kArchive it counts the record just
  // read; after kLeave it still counts the one being left.
  size_t Depth() const { return open_.size(); }
  // Names of the open folders and archives, outermost first (archives with their extension).
  const std::vector<std::string>& Path() const { return open_; }

 private:
  VolumeCatalog& volume_;
  bool compact_;
  uint64_t position_ = 0;
  uint64_t limit_ = 0;
  bool leavePending_ = false;
  std::vector<std::string> open_;
  FolderRecord folder_;
  FileRecord file_;
  ArchiveRecord archive_;
  RecordKey key_ = 0;
  uint64_t offset_ = 0;
  uint16_t markNumber_ = 0;
};

}  // namespace volumist
