#include "cli/output_text.h"

namespace volumist::cli {

std::string OnOneLine(std::string text) {
  for (char& c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return text;
}

}  // namespace volumist::cli
