// Characters of UTF-8 text and their simple Unicode case folding (one character to one character), for
// comparing names and texts without regard to case. Text is UTF-8 but may hold any bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace volumist {

struct CaseFoldingPair {
  char32_t from;
  char32_t to;
};
extern const CaseFoldingPair kCaseFoldingTable[];  // sorted by `from`
extern const size_t kCaseFoldingTableSize;

// A byte that is not part of valid UTF-8 decodes to this plus its value, so it equals only itself.
inline constexpr char32_t kInvalidByteBase = 0x110000;

// Decodes the character at `position` and moves past it.
inline char32_t NextCharacter(std::string_view text, size_t& position) {
  unsigned char lead = static_cast<unsigned char>(text[position]);
  if (lead < 0x80) {
    ++position;
    return lead;
  }
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || position + length > text.size()) {
    ++position;
    return kInvalidByteBase + lead;
  }
  char32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[position + i]);
    if ((next & 0xC0) != 0x80) {
      ++position;
      return kInvalidByteBase + lead;
    }
    value = (value << 6) | (next & 0x3F);
  }
  // Overlong forms and surrogates are not characters.
  if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) || (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
    ++position;
    return kInvalidByteBase + lead;
  }
  position += length;
  return value;
}

char32_t FoldCaseSlow(char32_t c);

// The folded form of a character (the small letter of a capital); any other character unchanged.
inline char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  return FoldCaseSlow(c);
}

// Negative, 0 or positive as `a` sorts before, equal to or after `b`, comparing folded characters;
// bytes that are not UTF-8 sort after every character, by their value.
int CompareIgnoringCase(std::string_view a, std::string_view b);

}  // namespace volumist
