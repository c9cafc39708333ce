#include "catalog/mp3_info.h"

#include <cstring>

#include "catalog/utf8.h"
#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {
namespace {

// The number of bytes of a tag text that is stored.
size_t StoredLength(const std::string& text) {
  return text.size() <= 255 ? text.size() : Utf8CutLength(text, 254);
}

}  // namespace

bool Mp3Info::Read(FieldReader& in) {
  uint8_t flags = in.U8();
  size_t lengths[4] = {in.U8(), in.U8(), in.U8(), 0};
  if (flags & format::kMp3HasComment) lengths[3] = in.U8();
  std::string* texts[4] = {&title, &artist, &album, &comment};
  for (int i = 0; i < 4; ++i) {
    texts[i]->resize(lengths[i]);
    if (lengths[i] > 0) in.Bytes(texts[i]->data(), lengths[i]);
  }
  year.clear();
  if (flags & format::kMp3HasYear) {
    char bytes[4];
    in.Bytes(bytes, 4);
    year.assign(bytes, strnlen(bytes, 4));
  }
  genre = (flags & format::kMp3HasGenre) ? in.U8() : 0;
  lengthSeconds = in.U32();
  mpegHeaderBits = in.U16();
  vbrBitrate = (flags & format::kMp3HasVbrBitrate) ? static_cast<int32_t>(in.U32()) : -1;
  isEmpty = !in.ok();
  return in.ok();
}

void Mp3Info::Write(VolumeWriter& out) const {
  uint8_t flags = 0;
  if (!year.empty()) flags |= format::kMp3HasYear;
  if (genre != 0) flags |= format::kMp3HasGenre;
  if (!comment.empty()) flags |= format::kMp3HasComment;
  if (vbrBitrate != -1) flags |= format::kMp3HasVbrBitrate;
  out.WriteU8(flags);
  const std::string* texts[4] = {&title, &artist, &album, &comment};
  int count = (flags & format::kMp3HasComment) ? 4 : 3;
  for (int i = 0; i < count; ++i) out.WriteU8(static_cast<uint8_t>(StoredLength(*texts[i])));
  for (int i = 0; i < count; ++i) out.Write(texts[i]->data(), StoredLength(*texts[i]));
  if (flags & format::kMp3HasYear) {
    char bytes[4] = {};
    std::memcpy(bytes, year.data(), std::min<size_t>(year.size(), 4));
    out.Write(bytes, 4);
  }
  if (flags & format::kMp3HasGenre) out.WriteU8(genre);
  out.WriteU32(lengthSeconds);
  out.WriteU16(mpegHeaderBits);
  if (flags & format::kMp3HasVbrBitrate) out.WriteU32(static_cast<uint32_t>(vbrBitrate));
}

bool Mp3Info::Skip(FieldReader& in) {
  uint8_t flags = in.U8();
  uint64_t length = 0;
  int lengthBytes = (flags & format::kMp3HasComment) ? 4 : 3;
  for (int i = 0; i < lengthBytes; ++i) length += in.U8();
  if (flags & format::kMp3HasYear) length += 4;
  if (flags & format::kMp3HasGenre) length += 1;
  length += 6;
  if (flags & format::kMp3HasVbrBitrate) length += 4;
  in.Skip(length);
  return in.ok();
}

}  // namespace volumist
