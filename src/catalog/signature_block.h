// SignatureBlock: the content signatures of a file and its attributes at scan time.
#pragma once

#include <array>
#include <cstdint>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

struct SignatureBlock {
  uint32_t crc32 = 0;
  std::array<uint8_t, 16> md4{};  // the eDonkey hash of the content
  std::array<uint8_t, 16> md5{};
  bool hasCrc32 = false;
  bool hasMd4 = false;
  bool hasMd5 = false;
  bool attrHidden = false;
  bool attrSystem = false;
  bool attrArchive = false;
  bool attrReadOnly = false;

  bool Read(FieldReader& in);
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);

  uint8_t Flags() const;
  void Clear() { *this = SignatureBlock{}; }
  friend bool operator==(const SignatureBlock&, const SignatureBlock&) = default;
};

}  // namespace volumist
