#include "cli/output_text.h"

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

}  // namespace volumist::cli
