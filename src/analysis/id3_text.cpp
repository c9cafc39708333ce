#include "analysis/id3_text.h"

#include "catalog/utf8.h"

namespace volumist {
namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Utf16ToUtf8(std::span<const uint8_t> bytes, bool bigEndian) {
  std::string out;
  auto unit = [&](size_t i) -> uint32_t {
    return bigEndian ? (uint32_t{bytes[i]} << 8) | bytes[i + 1] : (uint32_t{bytes[i + 1]} << 8) | bytes[i];
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t code = unit(i);
    if (code == 0) break;
    if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
      uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    if (length >= 3) {
      auto second = static_cast<unsigned char>(text[i + 1]);
      if (c == 0xE0 && second < 0xA0) return false;  // overlong
      if (c == 0xED && second >= 0xA0) return false;  // surrogate
      if (c == 0xF0 && second < 0x90) return false;   // overlong
      if (c == 0xF4 && second >= 0x90) return false;  // beyond U+10FFFF
    }
    i += length;
  }
  return true;
}

std::string DecodeId3Text(uint8_t encoding, std::span<const uint8_t> bytes) {
  switch (static_cast<Id3Encoding>(encoding)) {
    case Id3Encoding::kUtf16WithBom: {
      bool bigEndian = false;
      if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        bigEndian = bytes[0] == 0xFE;
        bytes = bytes.subspan(2);
      }
      return Utf16ToUtf8(bytes, bigEndian);
    }
    case Id3Encoding::kUtf16BigEndian: return Utf16ToUtf8(bytes, true);
    case Id3Encoding::kUtf8: {
      std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      text = text.substr(0, text.find('\0'));
      // A writer that claimed UTF-8 but wrote other bytes: read them as ISO-8859-1.
      return IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
    }
    case Id3Encoding::kLatin1:
    default: {
      std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      return Latin1ToUtf8(text.substr(0, text.find('\0')));
    }
  }
}

std::string TidyTagText(std::string text) {
  if (text.size() > 255) text.resize(Utf8CutLength(text, 254));
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.pop_back();
  return text;
}

}  // namespace volumist
