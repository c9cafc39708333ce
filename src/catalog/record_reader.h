// RecordReader: reading the records of a volume's tree from a positioned, bounds-checked reader.
// Every read checks that its bytes exist; a record that runs past the end of the file reads as a
// failure, never as garbage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/catalog_record.h"
#include "catalog/coding.h"
#include "platform/buffered_reader.h"

namespace volumist {

class RecordReader {
 public:
  // `in` must outlive the reader.
  explicit RecordReader(platform::BufferedReader& in) : in_(in), fields_(in) {}

  void Seek(uint64_t offset) {
    fields_.ResetFailure();
    in_.Seek(offset);
  }
  uint64_t Position() const { return in_.Position(); }
  FieldReader& Fields() { return fields_; }
  platform::BufferedReader& Input() { return in_; }

  // Reads the tag at the current position; at the end of the file the tag reads as kind kNone.
  RecordTag ReadTag();
  // The file offset of the tag read last.
  uint64_t TagOffset() const { return tagOffset_; }

  // These read the record that follows the tag just read.
  // `namePrefix` (if not 0) is put in front of the name: the folder tree shows " name".
  bool ReadFolderRecord(const RecordTag& tag, FolderRecord& out, char namePrefix = 0);
  // In compact mode the name holds base name, dot and extension in one text, reusing its storage.
  bool ReadFileRecord(const RecordTag& tag, FileRecord& out, bool compact = false);
  // A file record in two steps, for passes that look at the names first: the head (names, size,
  // time), then either the tail (media and signature blocks) or a skip over it.
  bool ReadFileRecordHead(const RecordTag& tag, FileRecord& out, bool compact);
  bool ReadFileRecordTail(const RecordTag& tag, FileRecord& out);
  bool SkipFileRecordTail(const RecordTag& tag);
  bool ReadArchiveRecord(const RecordTag& tag, ArchiveRecord& out, bool compact = false);
  // Steps over a file record by the widths of its fields.
  bool SkipFileRecord(const RecordTag& tag);
  // The number of a source mark.
  std::optional<uint16_t> ReadSourceMark();

 private:
  void ReadNames(CatalogRecord& out, bool compact);
  bool ReadNesting(NestingFields& out);

  platform::BufferedReader& in_;
  FieldReader fields_;
  uint64_t tagOffset_ = 0;
  std::string base_;  // reused by the name reading
  std::string extension_;
};

}  // namespace volumist
