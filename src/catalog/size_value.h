// SizeValue: a byte count and the width it takes in the volume file. In the tree a size takes 2, 3,
// 4 or 5 bytes by its value, and the tag of its record carries the width code; the header and
// source entries store 8 bytes.
#pragma once

#include <cstdint>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

class SizeValue {
 public:
  SizeValue() = default;
  explicit SizeValue(uint64_t value) : value_(value) {}

  uint64_t Value() const { return value_; }
  void Set(uint64_t value) { value_ = value; }
  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }

  // Chooses the smallest width for the value and returns its width code (6, 4, 2 or 0).
  uint8_t ChooseWidth();
  void SetWidthFromCode(uint8_t code);
  static int WidthOfCode(uint8_t code);

  bool ReadFrom(FieldReader& in);
  // Writes the low Width() bytes. A value too large for a 5-byte field is stored as the largest
  // 5-byte value instead of wrapping to a small one.
  void WriteTo(VolumeWriter& out) const;

  friend bool operator==(const SizeValue& a, const SizeValue& b) { return a.value_ == b.value_; }

 private:
  uint64_t value_ = 0;
  int width_ = 5;
};

}  // namespace volumist
