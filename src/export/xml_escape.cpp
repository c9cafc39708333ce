#include "export/xml_escape.h"

#include <array>
#include <charconv>

#include "catalog/case_folding.h"

namespace volumist {
namespace {

// Bytes that are copied as they are: printable ASCII other than the four markup characters.
constexpr std::array<bool, 256> kPlainBytes = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[c] = true;
  plain['&'] = plain['<'] = plain['>'] = plain['"'] = false;
  return plain;
}();

void AppendReference(std::string& out, uint32_t value) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  size_t length = static_cast<size_t>(result.ptr - digits);
  out += "&#";
  // "%03d": at least three digits.
  if (length < 3) out.append(3 - length, '0');
  out.append(digits, length);
  out += ';';
}

}  // namespace

void AppendEscapedXml(std::string& out, std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    size_t run = position;
    while (run < text.size() && kPlainBytes[static_cast<unsigned char>(text[run])]) ++run;
    out.append(text.data() + position, run - position);
    if (run == text.size()) break;
    position = run;
    unsigned char byte = static_cast<unsigned char>(text[position]);
    switch (byte) {
      case '&': out += "&amp;"; ++position; continue;
      case '<': out += "&lt;"; ++position; continue;
      case '>': out += "&gt;"; ++position; continue;
      case '"': out += "&quot;"; ++position; continue;
      default: break;
    }
    if (byte < 0x20) {
      out += ' ';
      ++position;
      continue;
    }
    char32_t character = NextCharacter(text, position);
    if (character >= kInvalidByteBase) {
      AppendReference(out, static_cast<uint32_t>(character - kInvalidByteBase));
    } else if (character == 0xFFFE || character == 0xFFFF) {
      out += ' ';
    } else {
      AppendReference(out, static_cast<uint32_t>(character));
    }
  }
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscapedXml(out, text);
  return out;
}

}  // namespace volumist
