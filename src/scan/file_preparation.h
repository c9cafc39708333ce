// The work a scan does on one file before it writes its record: listing it as an archive, analysing
// its media and computing its signatures. Separate from the writing, so that it can run ahead on
// another core while the volume is written in tree order.
#pragma once

#include <atomic>
#include <memory>

#include "analysis/archive_listing.h"
#include "catalog/media_info.h"
#include "catalog/scan_entry.h"
#include "catalog/scan_options.h"
#include "catalog/signature_block.h"

namespace volumist {

struct FilePreparation {
  // Set when the file is an archive whose directory was read: it is written as an archive.
  std::unique_ptr<ListedArchive> archive;
  // Otherwise: whether the file-type filter takes the file.
  bool recorded = false;
  bool hasMediaInfo = false;  // the extension names a media type
  MediaInfo media;
  bool hasSignatures = false;  // attributes or signatures are recorded
  // The file became shorter than listed while its digests were read: it has none. (Beside the other
  // flag, where it takes no room: the scan keeps one of these per listed entry ahead of its walk.)
  bool shrank = false;
  SignatureBlock signatures;
};

// Does that work for `entry` as the options ask. Safe to call from any thread. `stop`, when given and
// set, cuts the digests of a large file and the listing of a large compressed archive short: the
// scan is being abandoned.
FilePreparation PrepareFile(const ScanEntry& entry, const ScanOptions& options, const std::atomic<bool>* stop = nullptr);

// Whether the options ask for work that reads files (so preparing ahead pays off).
bool PreparationReadsFiles(const ScanOptions& options);

}  // namespace volumist
