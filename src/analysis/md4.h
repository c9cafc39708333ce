// Md4: the MD4 message digest (RFC 1320), fed incrementally. Used for the eDonkey hash of files.
// One object per message; not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/md_block_hash.h"

namespace volumist {

class Md4 : public MdBlockHash<Md4> {
 private:
  friend class MdBlockHash<Md4>;
  void Compress(const uint8_t* block, size_t blocks);
};

}  // namespace volumist
