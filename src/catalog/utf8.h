// Helpers for text, which is UTF-8 on this platform but may hold any bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace volumist {

// The length of the longest prefix of `text` of at most `maxBytes` bytes that does not end inside a
// UTF-8 sequence. Bytes that are not UTF-8 are taken as whole characters of their own.
size_t Utf8CutLength(std::string_view text, size_t maxBytes);

// The length of the well-formed UTF-8 character at the start of `text` (1 to 4), or 0 when it does
// not start with one: a stray continuation byte, a cut sequence, an overlong form, a surrogate or a
// code point above U+10FFFF.
size_t Utf8CharacterLength(std::string_view text);

}  // namespace volumist
