// Archive kinds: the codes stored in archive records, and how a file's kind is found from its
// extension or from its first bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace volumist {

// Written to disk in archive records: never renumber.
enum ArchiveKind : uint8_t {
  kArchiveNone = 0,
  kArchiveZip = 1,
  kArchiveRar = 2,
  kArchiveCab = 3,
  kArchiveAce = 4,
  kArchiveArj = 5,
  kArchiveJar = 6,
  kArchiveLzh = 7,
  kArchiveZoo = 8,
  kArchiveTar = 9,
  kArchiveGz = 10,
  kArchiveHa = 11,
};

// How many leading bytes ArchiveKindBySignature looks at.
inline constexpr size_t kArchiveSignatureLength = 30;

// The kind an extension names (given without its dot, in any case): zip, wsz, wmz; rar and r00 to
// r99; ace and c00 to c99; arj and a00 to a99; cab; jar; lzh, lha, lzs; zoo; tar; ha; and the
// compressed TAR archives gz, tgz, xz, txz, bz2, tbz, zst (kind GZ). Extensions of more than three
// characters name no kind.
ArchiveKind ArchiveKindByExtension(std::string_view extension);

// The kind that a file's first bytes (up to kArchiveSignatureLength of them; fewer when the file is
// shorter) announce: ZIP, RAR, CAB, ACE, ARJ, LZH or ZOO. TAR, GZ and HA have no signature that this
// test trusts and are found by extension only.
ArchiveKind ArchiveKindBySignature(std::span<const uint8_t> head);

}  // namespace volumist
