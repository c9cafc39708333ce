// Listing the contents of archives for the scan: finding whether a file is an archive of a kind the
// scan wants, reading its directory, and writing the listed tree into the volume.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "catalog/record_key.h"
#include "catalog/scan_entry.h"
#include "catalog/scan_options.h"
#include "catalog/scan_statistics.h"
#include "catalog/volume_writer.h"
#include "platform/file_system.h"

namespace volumist {

// An archive whose directory was read. Holds the listed tree only; the archive file is closed.
class ListedArchive {
 public:
  virtual ~ListedArchive() = default;
  // The archive kind code, as stored in the archive's record.
  virtual uint8_t Kind() const = 0;
  // Whether folders lie directly below the archive: its record must then be closed with the
  // sub-folder flag (set archive.hasSubfolders before WriteFolderEnd).
  virtual bool HasTopFolders() const = 0;
  // Writes the listed folders and files below the archive's record at `level` with `parentKey`,
  // raising the counters of folders and files inside archives. Returns the total size of the files
  // written. Runs on the thread that writes the volume.
  virtual uint64_t WriteToCatalog(VolumeWriter& out, uint8_t level, RecordKey parentKey, const ScanOptions& options,
                                  ScanStatistics& counters) = 0;
};

// Reads the directory of `entry` when the options ask for archives, the file is an archive of a
// kind that is switched on, and its directory can be read; null otherwise (the file is then an
// ordinary file). The kind comes from the file's first bytes when archiveKindByContent is on and
// they name one, else from the extension. `stop`, when given and set, ends a long listing early
// (the scan is being stopped; decompressing a large TAR takes a while). Safe to call from any thread.
std::unique_ptr<ListedArchive> ReadArchive(const ScanEntry& entry, const ScanOptions& options,
                                           const std::atomic<bool>* stop = nullptr);
std::unique_ptr<ListedArchive> ReadArchive(const ScanEntry& entry, const ScanOptions& options,
                                           platform::FileSystem& fileSystem, const std::atomic<bool>* stop = nullptr);

}  // namespace volumist
