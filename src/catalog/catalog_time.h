// CatalogTime: seconds since 1970-01-01 00:00 UTC. The volume file stores the low 32 bits, which
// are sign-extended on reading.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/coding.h"

namespace volumist {

class VolumeWriter;

class CatalogTime {
 public:
  CatalogTime() = default;
  explicit CatalogTime(int64_t seconds) : seconds_(seconds) {}

  int64_t Value() const { return seconds_; }
  void Set(int64_t seconds) { seconds_ = seconds; }

  bool ReadFrom(FieldReader& in);
  void WriteTo(VolumeWriter& out) const;

  // Local time as "%d.%m.%Y %H:%M" and "%d.%m.%Y"; empty when the time cannot be shown.
  std::string FormatLong() const;
  std::string FormatShort() const;

  friend bool operator==(const CatalogTime& a, const CatalogTime& b) { return a.seconds_ == b.seconds_; }

 private:
  int64_t seconds_ = 0;
};

}  // namespace volumist
