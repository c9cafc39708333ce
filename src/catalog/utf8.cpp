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

}  // namespace volumist
