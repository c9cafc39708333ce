// Computing the content digests of a file: CRC-32, the eDonkey hash (MD4 based) and MD5, all from
// one sequential read.
#pragma once

#include <atomic>
#include <string>

#include "catalog/signature_block.h"
#include "platform/file_system.h"

namespace volumist {

struct DigestChoice {
  bool crc32 = false;
  bool md4 = false;  // the eDonkey hash, stored in the block's md4 field
  bool md5 = false;
};

// Reads the file at `path` once and stores the chosen digests in `out`, setting their flags; the
// attribute flags of `out` are left as they are. Returns false, storing no digest, when the file
// cannot be opened or a read fails before its end (digests of part of a file would be wrong).
// Large files are digested on two cores (MD5 on a second thread, which the call starts and joins).
// Safe to call from any thread; `fileSystem` must allow concurrent opens. When `cancel` is given
// and becomes set, the reading stops within one block and the call fails (a stopped scan does not
// wait for a whole large file).
[[nodiscard]] bool ComputeFileSignatures(const std::string& path, DigestChoice want, SignatureBlock& out,
                                         platform::FileSystem& fileSystem = platform::FileSystem::Default(),
                                         const std::atomic<bool>* cancel = nullptr);

}  // namespace volumist
