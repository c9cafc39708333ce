#include "catalog/record_writer.h"

#include <algorithm>

#include "catalog/volume_format.h"

namespace volumist {
namespace {

// Writes an extension held with its dot as stored: without the dot.
void WriteExtension(VolumeWriter& out, const ShortString& extension) {
  std::string_view text = extension.Stored();
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  out.WriteU8(static_cast<uint8_t>(text.size()));
  out.Write(text.data(), text.size());
}

void WriteNesting(VolumeWriter& out, NestingFields& nesting) {
  out.WriteU8(nesting.level);
  out.WriteU32(nesting.selfKey);
  nesting.endKeyOffset = out.LogicalPosition();
  out.WriteU32(nesting.endKey);
  out.WriteU32(nesting.parentKey);
}

bool CloseNested(VolumeWriter& out, NestingFields& nesting, uint64_t recordOffset, bool patchSize,
                 const ScanOptions& options, uint64_t accumulatedSize) {
  out.WriteU8(nesting.hasSubfolders ? format::kTagFolderEndWithSubfolders : format::kTagFolderEnd);
  if (options.dropEmptyFolders && accumulatedSize == 0) {
    out.RewindTo(recordOffset);
    return false;
  }
  nesting.endKey = out.CurrentKey();
  uint8_t key[4];
  EncodeFixed(key, nesting.endKey, 4);
  if (patchSize) {
    // The size field lies ten bytes before the end key (size 5, level 1, selfKey 4). PatchAt writes
    // into the buffer while the record is still there, so most folders cost no seek.
    uint8_t size[5];
    EncodeFixed(size, std::min(accumulatedSize, format::kMaxStoredSize), 5);
    out.PatchAt(nesting.endKeyOffset - 10, size, sizeof size);
  }
  out.PatchAt(nesting.endKeyOffset, key, sizeof key);
  return true;
}

}  // namespace

void WriteSourceMark(VolumeWriter& out, uint16_t number) {
  out.WriteU8(format::kTagSourceMark);
  out.WriteU16(number);
}

void WriteFolderRecord(VolumeWriter& out, FolderRecord& folder) {
  folder.recordOffset = out.LogicalPosition();
  folder.selfKey = out.CurrentKey();
  folder.tag.kind = RecordKind::kFolder;
  out.WriteU8(folder.tag.Encode());
  folder.name.WriteTo(out);
  folder.size.SetWidth(format::kFolderSizeWidth);
  folder.size.WriteTo(out);
  WriteNesting(out, folder);
}

void WriteFileRecord(VolumeWriter& out, FileRecord& file) {
  file.recordOffset = out.LogicalPosition();
  file.tag.kind = RecordKind::kFile;
  file.tag.sizeWidthCode = file.size.ChooseWidth();
  out.WriteU8(file.tag.Encode());
  file.name.WriteTo(out);
  WriteExtension(out, file.extension);
  file.size.WriteTo(out);
  file.modifiedTime.WriteTo(out);
  if (file.tag.hasMediaInfo) file.mediaInfo.Write(out);
  if (file.tag.hasSignatures) file.signatures.Write(out);
}

void WriteArchiveRecord(VolumeWriter& out, ArchiveRecord& archive) {
  archive.recordOffset = out.LogicalPosition();
  archive.selfKey = out.CurrentKey();
  archive.tag.kind = RecordKind::kArchive;
  archive.tag.hasMediaInfo = false;  // archives never carry a media block
  archive.tag.sizeWidthCode = archive.size.ChooseWidth();
  out.WriteU8(archive.tag.Encode());
  out.WriteU8(archive.archiveKind);
  archive.name.WriteTo(out);
  WriteExtension(out, archive.extension);
  archive.modifiedTime.WriteTo(out);
  if (archive.tag.hasSignatures) archive.signatures.Write(out);
  archive.size.WriteTo(out);
  WriteNesting(out, archive);
}

bool WriteFolderEnd(VolumeWriter& out, FolderRecord& folder, const ScanOptions& options, uint64_t accumulatedSize) {
  bool kept = CloseNested(out, folder, folder.recordOffset, true, options, accumulatedSize);
  if (kept) folder.size.Set(accumulatedSize);
  return kept;
}

bool WriteFolderEnd(VolumeWriter& out, ArchiveRecord& archive, const ScanOptions& options, uint64_t accumulatedSize) {
  return CloseNested(out, archive, archive.recordOffset, false, options, accumulatedSize);
}

}  // namespace volumist
