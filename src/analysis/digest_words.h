// Little-endian word loads and stores shared by the MD4 and MD5 block functions.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace volumist {

inline void LoadLittleEndianWords(const uint8_t* block, uint32_t (&words)[16]) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(words, block, 64);
  } else {
    for (int i = 0; i < 16; ++i) {
      words[i] = uint32_t{block[4 * i]} | uint32_t{block[4 * i + 1]} << 8 | uint32_t{block[4 * i + 2]} << 16 |
                 uint32_t{block[4 * i + 3]} << 24;
    }
  }
}

inline void StoreLittleEndianWords(const uint32_t* words, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<uint8_t>(words[i] >> (8 * b));
  }
}

}  // namespace volumist
