#include "catalog/case_folding.h"

#include <cstdint>

namespace volumist {
namespace {

// Bytes that are not UTF-8 become values past the last code point, so they never equal a character.
constexpr char32_t kForeignByteBase = 0x110000;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the character at text[i] and moves i past it.
char32_t NextCharacter(std::string_view text, size_t& i) {
  auto lead = static_cast<unsigned char>(text[i]);
  size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 1) {
    ++i;
    return lead;
  }
  if (length == 0 || i + length > text.size()) {
    ++i;
    return kForeignByteBase + lead;
  }
  char32_t c = lead & (0xFF >> (length + 1));
  for (size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(next)) {
      ++i;
      return kForeignByteBase + lead;
    }
    c = (c << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past the last code point are not UTF-8.
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    ++i;
    return kForeignByteBase + lead;
  }
  i += length;
  return c;
}

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;  // Latin-1, but not the multiplication sign
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A: capital and small letters alternate, in two runs of different parity.
    if (c == 0x178) return 0xFF;
    if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) return c + 1;
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) return c + 1;
    return c;
  }
  if (c >= 0x386 && c <= 0x3AB) {  // Greek
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    return c;
  }
  if (c >= 0x400 && c <= 0x40F) return c + 80;  // Cyrillic with diacritics, such as Ё
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  return c;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = FoldCase(NextCharacter(a, i));
    char32_t y = FoldCase(NextCharacter(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace volumist
