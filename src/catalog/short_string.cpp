#include "catalog/short_string.h"

#include "catalog/utf8.h"
#include "catalog/volume_writer.h"

namespace volumist {

void ShortString::Set(std::string_view text) {
  text_.assign(text);
  length_ = Utf8CutLength(text_, kMaxLength);
}

void ShortString::Set(std::string_view text, std::string_view appended) {
  text_.assign(text);
  text_.append(appended);
  length_ = Utf8CutLength(text_, kMaxLength);
}

bool ShortString::ReadFrom(FieldReader& in) {
  size_t length = in.U8();
  text_.resize(length);
  if (length > 0) in.Bytes(text_.data(), length);
  if (!in.ok()) text_.clear();
  length_ = text_.size();
  return in.ok();
}

bool ShortString::ReadFrom(FieldReader& in, char prefix) {
  size_t length = in.U8();
  if (length == 0) {
    text_.clear();
  } else {
    text_.resize(length + 1);
    text_[0] = prefix;
    in.Bytes(text_.data() + 1, length);
    if (!in.ok()) text_.clear();
  }
  length_ = std::min(text_.size(), kMaxLength);
  return in.ok();
}

bool ShortString::Skip(FieldReader& in) {
  in.Skip(in.U8());
  return in.ok();
}

void ShortString::WriteTo(VolumeWriter& out, bool writeEmpty) const {
  if (length_ == 0) {
    if (writeEmpty) out.WriteU8(0);
    return;
  }
  out.WriteU8(static_cast<uint8_t>(length_));
  out.Write(text_.data(), length_);
}

}  // namespace volumist
