#include "cli/output_text.h"

#include <cstdio>

#include "catalog/utf8.h"

namespace volumist::cli {

std::string OnOneLine(std::string text) {
  size_t kept = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    // The C1 controls U+0080 to U+009F take two bytes and become one blank.
    const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (c1) ++i;
    text[kept++] = byte < 0x20 || byte == 0x7F || c1 ? ' ' : text[i];
  }
  text.resize(kept);
  return text;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"': out += "\\\""; ++i; continue;
      case '\\': out += "\\\\"; ++i; continue;
      case '\n': out += "\\n"; ++i; continue;
      case '\t': out += "\\t"; ++i; continue;
      case '\r': out += "\\r"; ++i; continue;
      default: break;
    }
    size_t length = Utf8CharacterLength(text.substr(i));
    unsigned codePoint = c;
    if (length == 2) codePoint = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++i;
    } else if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", codePoint);
      out += escaped;
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out + "\"";
}

}  // namespace volumist::cli
