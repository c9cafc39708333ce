// Writing the records of a tree through a VolumeWriter, in tree order. The caller (the scan engine,
// an archive reader) passes each record's level and parent key, keeps a folder record alive until
// its end is written, marks the enclosing folder as having sub-folders when it writes a folder or a
// listed archive, and adds up the sizes below a folder for WriteFolderEnd.
#pragma once

#include <cstdint>

#include "catalog/catalog_record.h"
#include "catalog/scan_options.h"
#include "catalog/volume_writer.h"

namespace volumist {

void WriteSourceMark(VolumeWriter& out, uint16_t number);
// Each of these notes the record's offset and key in it.
void WriteFolderRecord(VolumeWriter& out, FolderRecord& folder);
// Writes the media block when tag.hasMediaInfo and the signature block when tag.hasSignatures.
void WriteFileRecord(VolumeWriter& out, FileRecord& file);
void WriteArchiveRecord(VolumeWriter& out, ArchiveRecord& archive);

// Closes a folder or archive. With dropEmptyFolders on and nothing below it (accumulatedSize 0) the
// record and everything after it are dropped and false is returned; otherwise its end key, and for a
// folder its size, are patched in and true is returned.
bool WriteFolderEnd(VolumeWriter& out, FolderRecord& folder, const ScanOptions& options, uint64_t accumulatedSize);
bool WriteFolderEnd(VolumeWriter& out, ArchiveRecord& archive, const ScanOptions& options, uint64_t accumulatedSize);

}  // namespace volumist
