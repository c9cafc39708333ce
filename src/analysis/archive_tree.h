// ArchiveTree: the folders and files that an archive's directory lists, built entry by entry from
// the stored paths, and written into the volume below the archive's record.
//
// Folders are matched by exact name (byte for byte, case-sensitive), so "docs/" and "docs/a.txt"
// share one folder while "Docs/b.txt" makes another. Each folder keeps its files and sub-folders in
// the order they were first met. Not thread-safe; built on one thread, written on another only
// after it was handed over whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/archive_entry.h"
#include "catalog/record_key.h"
#include "catalog/scan_options.h"
#include "catalog/scan_statistics.h"
#include "catalog/volume_writer.h"

namespace volumist {

struct ArchiveFile {
  std::string baseName;
  std::string extension;  // with its dot; empty when the name has none
  ArchiveEntry entry;
};

struct ArchiveFolder {
  std::string name;
  std::vector<ArchiveFile> files;
  std::vector<std::unique_ptr<ArchiveFolder>> folders;
  std::unordered_map<std::string_view, ArchiveFolder*> byName;  // views into the folders' names
};

class ArchiveTree {
 public:
  // Entries (files and folders) one tree takes at most; an archive that lists more ends its
  // listing there, so hostile directories cannot exhaust memory.
  static constexpr size_t kMaxNodes = 4'000'000;
  // Folders nested deeper inside an archive are not listed.
  static constexpr size_t kMaxDepth = 128;

  enum class AddResult { kAdded, kDropped, kFull };

  // Adds the entry at `path`, whose components are split at `separator`. Folders on the way are
  // created as needed. A path ending with the separator, or `isFolder`, names a folder; otherwise the
  // last component is a file, split into base name and extension at its last dot (a dot that only
  // starts or ends the name, as in ".profile" or "trail.", starts no extension). Empty, "." and ".." components are left
  // out. A file is dropped (its folders stay) when the file-type group of `options` rejects its
  // extension or nothing names it; kFull when the tree is full.
  AddResult AddPath(std::string_view path, char separator, bool isFolder, const ArchiveEntry& entry,
                    const ScanOptions& options);

  bool IsEmpty() const { return root_.files.empty() && root_.folders.empty(); }
  // Whether folders lie directly below the archive (its record then closes with the sub-folder flag).
  bool HasTopFolders() const { return !root_.folders.empty(); }
  const ArchiveFolder& Root() const { return root_; }

  // Writes the tree below an archive's record: the files at the top, then each top folder with its
  // files and sub-folders, at `level` with `parentKey`. Files get a signature block when the options
  // record one (the CRC-32 and attributes from the archive's directory), never a media block.
  // Folders whose contents total 0 bytes are dropped when dropEmptyFolders is on. Raises the
  // counters of files and kept folders inside archives. Returns the total size of the files written.
  uint64_t WriteToCatalog(VolumeWriter& out, uint8_t level, RecordKey parentKey, const ScanOptions& options,
                          ScanStatistics& counters) const;

 private:
  ArchiveFolder* FindOrAddFolder(ArchiveFolder& parent, std::string_view name);

  ArchiveFolder root_;
  size_t nodes_ = 0;
};

}  // namespace volumist
