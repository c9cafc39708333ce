// The records of a volume's tree: folders, files and listed archives. Records are short-lived
// objects: a view, the scan, search or export reads or writes one and moves on. A record owns its
// texts and attachments and refers to other records only by key.
#pragma once

#include <cstdint>

#include "catalog/catalog_time.h"
#include "catalog/media_info.h"
#include "catalog/record_key.h"
#include "catalog/record_tag.h"
#include "catalog/short_string.h"
#include "catalog/signature_block.h"
#include "catalog/size_value.h"

namespace volumist {

// What folders, files and archives share.
struct CatalogRecord {
  RecordTag tag;
  // A folder's whole name; a file's or archive's base name. Read in compact mode: the base name, a
  // dot and the extension (the dot also when the extension is empty).
  ShortString name;
  SizeValue size;
  // Empty for folders; for files and archives the extension with its dot (the dot is not stored).
  ShortString extension;
  uint64_t recordOffset = 0;  // file offset of the record's tag
};

// The fields of a record that holds other records (a folder or a listed archive).
struct NestingFields {
  uint8_t level = 0;
  RecordKey selfKey = 0;
  RecordKey endKey = 0;        // just past the matching folder end
  RecordKey parentKey = 0;
  bool hasSubfolders = false;  // written into the folder end; read from it by the contents reader
  uint64_t endKeyOffset = 0;   // file offset of the endKey field, for the patch when it closes
  uint64_t contentOffset = 0;  // file offset of the first contained record, once read
};

struct FolderRecord : CatalogRecord, NestingFields {};

struct FileRecord : CatalogRecord {
  CatalogTime modifiedTime;
  MediaInfo mediaInfo;        // meaningful when tag.hasMediaInfo
  SignatureBlock signatures;  // meaningful when tag.hasSignatures
};

struct ArchiveRecord : FileRecord, NestingFields {
  uint8_t archiveKind = 0;
};

// The description key of an item: a folder's or archive's own key, a file's key plus 1 (the byte
// after its tag), so that a folder and its first file never share a key.
inline RecordKey FileDescriptionKey(RecordKey fileKey) { return fileKey + 1; }

}  // namespace volumist
