// Builds expected or hostile byte strings field by field, little-endian, so that every byte of a
// fixture is deliberate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace volumist::testing {

class ByteBuilder {
 public:
  ByteBuilder& U8(uint8_t value) {
    bytes_.push_back(static_cast<char>(value));
    return *this;
  }
  ByteBuilder& Fixed(uint64_t value, int width) {
    for (int i = 0; i < width; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  ByteBuilder& U16(uint16_t value) { return Fixed(value, 2); }
  ByteBuilder& U24(uint32_t value) { return Fixed(value, 3); }
  ByteBuilder& U32(uint32_t value) { return Fixed(value, 4); }
  ByteBuilder& U64(uint64_t value) { return Fixed(value, 8); }
  ByteBuilder& Raw(std::string_view text) {
    bytes_.append(text);
    return *this;
  }
  // A length byte and the text.
  ByteBuilder& Str(std::string_view text) {
    U8(static_cast<uint8_t>(text.size()));
    return Raw(text);
  }
  ByteBuilder& Zeros(size_t n) {
    bytes_.append(n, '\0');
    return *this;
  }
  // Text padded with NUL bytes to `width`.
  ByteBuilder& Padded(std::string_view text, size_t width) {
    Raw(text);
    return Zeros(width - text.size());
  }

  size_t size() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// "offset N: expected XX, got YY" for the first difference, or "" when equal; for readable failures.
std::string FirstDifference(std::string_view expected, std::string_view actual);

}  // namespace volumist::testing
