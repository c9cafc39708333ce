// Little-endian encoding of the volume file's fixed-width integers, and FieldReader, the reader of
// fields from a file with sticky failure: after the first short read every further field reads as 0
// and ok() stays false, so a record reader checks once at its end.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/buffered_reader.h"

namespace volumist {

inline void EncodeFixed(uint8_t* out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t DecodeFixed(const uint8_t* in, int width) {
  uint64_t value = 0;
  for (int i = 0; i < width; ++i) value |= uint64_t{in[i]} << (8 * i);
  return value;
}

inline uint32_t FloatBits(float value) { return std::bit_cast<uint32_t>(value); }
inline float FloatFromBits(uint32_t bits) { return std::bit_cast<float>(bits); }

class FieldReader {
 public:
  explicit FieldReader(platform::BufferedReader& reader) : reader_(reader) {}

  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }
  void ResetFailure() { ok_ = true; }
  platform::BufferedReader& Reader() { return reader_; }
  uint64_t Position() const { return reader_.Position(); }
  void Seek(uint64_t position) { reader_.Seek(position); }

  uint8_t U8() {
    uint8_t value = 0;
    if (!reader_.ReadByte(value)) Fail();
    return ok_ ? value : 0;
  }
  uint64_t Fixed(int width) {
    uint8_t bytes[8];
    if (!reader_.Read(bytes, static_cast<size_t>(width))) {
      Fail();
      return 0;
    }
    return ok_ ? DecodeFixed(bytes, width) : 0;
  }
  uint16_t U16() { return static_cast<uint16_t>(Fixed(2)); }
  uint32_t U24() { return static_cast<uint32_t>(Fixed(3)); }
  uint32_t U32() { return static_cast<uint32_t>(Fixed(4)); }
  uint64_t U64() { return Fixed(8); }
  float F32() { return FloatFromBits(U32()); }
  void Bytes(void* out, size_t n) {
    if (!reader_.Read(out, n)) {
      Fail();
      std::memset(out, 0, n);
    }
  }
  void Skip(uint64_t n) {
    if (!reader_.Skip(n)) Fail();
  }

 private:
  platform::BufferedReader& reader_;
  bool ok_ = true;
};

}  // namespace volumist
