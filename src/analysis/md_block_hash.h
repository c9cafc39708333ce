// MdBlockHash: what MD4 (RFC 1320) and MD5 (RFC 1321) share around their block functions: the same
// initial state, the message cut into 64-byte blocks, and the padding (a 0x80 byte, zeros, then the
// message's length in bits, little-endian). `Derived` supplies Compress(block, blocks), which updates
// state_ over whole blocks. One object per message; not thread-safe.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "analysis/digest_words.h"

namespace volumist {

template <typename Derived>
class MdBlockHash {
 public:
  using Digest = std::array<uint8_t, 16>;

  MdBlockHash() { Reset(); }
  void Reset() {
    state_[0] = 0x67452301;
    state_[1] = 0xEFCDAB89;
    state_[2] = 0x98BADCFE;
    state_[3] = 0x10325476;
    length_ = 0;
  }
  void Update(std::span<const std::byte> data) {
    const auto* in = reinterpret_cast<const uint8_t*>(data.data());
    size_t n = data.size();
    size_t used = static_cast<size_t>(length_ % 64);
    length_ += n;
    if (used > 0) {
      size_t take = std::min(n, 64 - used);
      std::memcpy(pending_ + used, in, take);
      in += take;
      n -= take;
      if (used + take < 64) return;
      Self().Compress(pending_, 1);
    }
    if (n >= 64) {
      Self().Compress(in, n / 64);
      in += n / 64 * 64;
      n %= 64;
    }
    if (n > 0) std::memcpy(pending_, in, n);
  }
  void Update(const void* data, size_t n) { Update({static_cast<const std::byte*>(data), n}); }
  // The digest of everything fed since the last Reset. The object must be Reset before reuse.
  Digest Finish() {
    uint64_t bits = length_ * 8;
    uint8_t padding[72] = {0x80};
    size_t used = static_cast<size_t>(length_ % 64);
    size_t padLength = used < 56 ? 56 - used : 120 - used;
    Update(padding, padLength);
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    Update(lengthBytes, 8);
    Digest digest;
    StoreLittleEndianWords(state_, 4, digest.data());
    return digest;
  }

 protected:
  uint32_t state_[4];

 private:
  Derived& Self() { return static_cast<Derived&>(*this); }

  uint64_t length_ = 0;  // bytes fed
  uint8_t pending_[64];
};

}  // namespace volumist
