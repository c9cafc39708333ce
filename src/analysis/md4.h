// Md4: the MD4 message digest (RFC 1320), fed incrementally. Used for the eDonkey hash of files.
// One object per message; not thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace volumist {

class Md4 {
 public:
  using Digest = std::array<uint8_t, 16>;

  Md4() { Reset(); }
  void Reset();
  void Update(std::span<const std::byte> data);
  void Update(const void* data, size_t n) { Update({static_cast<const std::byte*>(data), n}); }
  // The digest of everything fed since the last Reset. The object must be Reset before reuse.
  Digest Finish();

 private:
  void Compress(const uint8_t* block, size_t blocks);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes fed
  uint8_t pending_[64];
};

}  // namespace volumist
