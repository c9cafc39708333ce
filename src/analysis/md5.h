// Md5: the MD5 message digest (RFC 1321), fed incrementally. One object per message; not
// thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/md_block_hash.h"

namespace volumist {

class Md5 : public MdBlockHash<Md5> {
 private:
  friend class MdBlockHash<Md5>;
  void Compress(const uint8_t* block, size_t blocks);
};

}  // namespace volumist
