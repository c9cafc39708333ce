#include "catalog/record_reader.h"

#include "catalog/volume_format.h"

namespace volumist {
namespace {

void ReadText(FieldReader& in, std::string& out) {
  size_t length = in.U8();
  out.resize(length);
  if (length > 0) in.Bytes(out.data(), length);
}

}  // namespace

RecordTag RecordReader::ReadTag() {
  fields_.ResetFailure();
  tagOffset_ = in_.Position();
  uint8_t byte = 0;
  if (!in_.ReadByte(byte)) return RecordTag{};
  return RecordTag::Decode(byte);
}

void RecordReader::ReadNames(CatalogRecord& out, bool compact) {
  ReadText(fields_, base_);
  // The extension is held with its dot.
  extension_.assign(1, '.');
  size_t length = fields_.U8();
  extension_.resize(1 + length);
  if (length > 0) fields_.Bytes(extension_.data() + 1, length);
  if (compact) {
    out.name.Set(base_, extension_);
    out.extension.Set(extension_);
  } else {
    out.name.Set(base_);
    if (length == 0) {
      out.extension.Clear();
    } else {
      out.extension.Set(extension_);
    }
  }
}

bool RecordReader::ReadNesting(NestingFields& out) {
  out.level = fields_.U8();
  out.selfKey = fields_.U32();
  out.endKeyOffset = in_.Position();
  out.endKey = fields_.U32();
  out.parentKey = fields_.U32();
  out.hasSubfolders = false;
  out.contentOffset = in_.Position();
  return fields_.ok();
}

bool RecordReader::ReadFolderRecord(const RecordTag& tag, FolderRecord& out, char namePrefix) {
  out.tag = tag;
  out.recordOffset = tagOffset_;
  if (namePrefix != 0) {
    out.name.ReadFrom(fields_, namePrefix);
  } else {
    out.name.ReadFrom(fields_);
  }
  out.extension.Clear();
  out.size.SetWidth(format::kFolderSizeWidth);
  out.size.ReadFrom(fields_);
  return ReadNesting(out);
}

bool RecordReader::ReadFileRecord(const RecordTag& tag, FileRecord& out, bool compact) {
  return ReadFileRecordHead(tag, out, compact) && ReadFileRecordTail(tag, out);
}

bool RecordReader::ReadFileRecordHead(const RecordTag& tag, FileRecord& out, bool compact) {
  out.tag = tag;
  out.recordOffset = tagOffset_;
  ReadNames(out, compact);
  out.size.SetWidthFromCode(tag.sizeWidthCode);
  out.size.ReadFrom(fields_);
  out.modifiedTime.ReadFrom(fields_);
  return fields_.ok();
}

bool RecordReader::SkipFileRecordTail(const RecordTag& tag) {
  if (tag.hasMediaInfo) MediaInfo::Skip(fields_);
  if (tag.hasSignatures) SignatureBlock::Skip(fields_);
  return fields_.ok();
}

bool RecordReader::ReadFileRecordTail(const RecordTag& tag, FileRecord& out) {
  if (tag.hasMediaInfo) {
    out.mediaInfo.Read(fields_);
  } else {
    out.mediaInfo.Clear();
  }
  if (tag.hasSignatures) {
    out.signatures.Read(fields_);
  } else {
    out.signatures.Clear();
  }
  return fields_.ok();
}

bool RecordReader::ReadArchiveRecord(const RecordTag& tag, ArchiveRecord& out, bool compact) {
  out.tag = tag;
  out.recordOffset = tagOffset_;
  out.archiveKind = fields_.U8();
  ReadNames(out, compact);
  out.modifiedTime.ReadFrom(fields_);
  out.mediaInfo.Clear();
  if (tag.hasSignatures) {
    out.signatures.Read(fields_);
  } else {
    out.signatures.Clear();
  }
  out.size.SetWidthFromCode(tag.sizeWidthCode);
  out.size.ReadFrom(fields_);
  return ReadNesting(out);
}

bool RecordReader::SkipFileRecord(const RecordTag& tag) {
  ShortString::Skip(fields_);
  ShortString::Skip(fields_);
  fields_.Skip(static_cast<uint64_t>(SizeValue::WidthOfCode(tag.sizeWidthCode)) + 4);
  if (tag.hasMediaInfo) MediaInfo::Skip(fields_);
  if (tag.hasSignatures) SignatureBlock::Skip(fields_);
  return fields_.ok();
}

std::optional<uint16_t> RecordReader::ReadSourceMark() {
  uint16_t number = fields_.U16();
  if (!fields_.ok()) return std::nullopt;
  return number;
}

}  // namespace volumist
