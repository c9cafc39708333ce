// Decoding the texts of ID3 tags to UTF-8, the text encoding of this platform.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace volumist {

// ID3v2 text encodings (the first byte of a text frame).
enum class Id3Encoding : uint8_t { kLatin1 = 0, kUtf16WithBom = 1, kUtf16BigEndian = 2, kUtf8 = 3 };

// The text of `bytes` in `encoding` as UTF-8, ending at its terminator (a NUL, or a NUL pair in
// UTF-16). UTF-16 with a byte-order mark takes the mark's order (little-endian when there is
// none); unpaired surrogates become U+FFFD. Other encoding codes are taken as ISO-8859-1.
std::string DecodeId3Text(uint8_t encoding, std::span<const uint8_t> bytes);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// ISO-8859-1 bytes as UTF-8.
std::string Latin1ToUtf8(std::string_view text);

// A tag text as it is kept: cut to 254 bytes on a character boundary when longer than 255, then
// stripped of trailing control characters and blanks (bytes 0 to 32).
std::string TidyTagText(std::string text);

}  // namespace volumist
