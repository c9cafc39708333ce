// Ed2kHash: the eDonkey2000 hash of a file's content, fed incrementally.
//
// The content is cut into parts of kEd2kPartSize bytes. A content of at most one part hashes to the
// MD4 of its content. Otherwise the hash is the MD4 of the concatenated MD4 digests of its parts,
// the last part being the bytes left after the whole parts. A content whose size is an exact
// multiple of the part size has no empty last part: no digest of the empty message is appended
// (older clients, and rhash, append one; docs/signatures.md tells the difference). One object per
// file; not thread-safe.
#pragma once

#include <cstdint>
#include <span>

#include "analysis/md4.h"

namespace volumist {

inline constexpr uint64_t kEd2kPartSize = 9'728'000;

class Ed2kHash {
 public:
  void Update(std::span<const std::byte> data);
  // The hash of everything fed. The object is spent afterwards.
  Md4::Digest Finish();

 private:
  Md4 part_;            // the part being fed
  Md4 root_;            // fed with the digests of the finished parts but the last
  Md4::Digest lastPart_{};  // the digest of the last finished part
  uint64_t inPart_ = 0;  // bytes fed to part_
  uint64_t parts_ = 0;   // finished parts
};

}  // namespace volumist
