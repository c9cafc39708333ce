// ShortString: a text stored in the volume file with a one-byte length. The whole text is kept in
// memory; at most 255 bytes of it are stored, cut at the last whole UTF-8 character that fits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

class ShortString {
 public:
  static constexpr size_t kMaxLength = 255;

  ShortString() = default;
  explicit ShortString(std::string_view text) { Set(text); }

  void Set(std::string_view text);
  // Sets the text to `text` followed by `appended` (a base name and its extension).
  void Set(std::string_view text, std::string_view appended);
  void Clear() {
    text_.clear();
    length_ = 0;
  }

  // The whole text as set (may be longer than what is stored).
  const std::string& Text() const { return text_; }
  // The number of bytes stored: at most 255.
  size_t Length() const { return length_; }
  // The bytes that are stored.
  std::string_view Stored() const { return std::string_view(text_).substr(0, length_); }
  bool empty() const { return text_.empty(); }

  // Reads a length byte and the text. With a prefix character, a non-empty text gets it in front
  // (the dot of an extension, the blank in front of a folder name in the tree).
  bool ReadFrom(FieldReader& in);
  bool ReadFrom(FieldReader& in, char prefix);
  static bool Skip(FieldReader& in);
  // Writes the length byte and the stored bytes. An empty text is written as one 0 byte only when
  // `writeEmpty` is set.
  void WriteTo(VolumeWriter& out, bool writeEmpty = true) const;

  friend bool operator==(const ShortString& a, const ShortString& b) { return a.text_ == b.text_; }

 private:
  std::string text_;
  size_t length_ = 0;
};

}  // namespace volumist
