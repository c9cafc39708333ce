#include "catalog/utf8.h"

namespace volumist {
namespace {
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The number of bytes a sequence starting with `lead` claims (1 for anything that is not a lead byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}
}  // namespace

size_t Utf8CutLength(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  // Find the start of the character that the cut would split, at most three bytes back.
  size_t start = maxBytes;
  while (start > 0 && maxBytes - start < 3 && IsContinuation(static_cast<unsigned char>(text[start]))) --start;
  if (start == maxBytes) return maxBytes;  // the cut falls between characters
  size_t length = SequenceLength(static_cast<unsigned char>(text[start]));
  // Cut before the character only when it is a real sequence that reaches past the cut.
  if (length > 1 && start + length > maxBytes) {
    for (size_t i = start + 1; i < start + length && i < text.size(); ++i) {
      if (!IsContinuation(static_cast<unsigned char>(text[i]))) return maxBytes;
    }
    return start;
  }
  return maxBytes;
}

size_t Utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = SequenceLength(lead);
  if (length == 1 || text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(byte(i))) return 0;
  }
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  const unsigned char second = byte(1);
  if (lead == 0xE0 && second < 0xA0) return 0;
  if (lead == 0xED && second > 0x9F) return 0;
  if (lead == 0xF0 && second < 0x90) return 0;
  if (lead == 0xF4 && second > 0x8F) return 0;
  return length;
}

}  // namespace volumist
