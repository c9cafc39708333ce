#include "catalog/size_value.h"

#include <algorithm>

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

uint8_t SizeValue::ChooseWidth() {
  if (value_ < 0x10000) {
    width_ = 2;
    return format::kWidthCode2;
  }
  if (value_ < 0x1000000) {
    width_ = 3;
    return format::kWidthCode3;
  }
  if (value_ < 0x7FFFFFFF) {
    width_ = 4;
    return format::kWidthCode4;
  }
  width_ = 5;
  return format::kWidthCode5;
}

int SizeValue::WidthOfCode(uint8_t code) {
  switch (code & format::kTagWidthMask) {
    case format::kWidthCode2: return 2;
    case format::kWidthCode3: return 3;
    case format::kWidthCode4: return 4;
    default: return 5;
  }
}

void SizeValue::SetWidthFromCode(uint8_t code) { width_ = WidthOfCode(code); }

bool SizeValue::ReadFrom(FieldReader& in) {
  value_ = in.Fixed(width_);
  return in.ok();
}

void SizeValue::WriteTo(VolumeWriter& out) const {
  uint64_t value = value_;
  if (width_ == 5) value = std::min(value, format::kMaxStoredSize);
  out.WriteFixed(value, width_);
}

}  // namespace volumist
