// VolumeHeader: the fixed header of a volume file (offsets 10 to 322).
#pragma once

#include <cstdint>
#include <string>

#include "catalog/coding.h"
#include "catalog/scan_options.h"
#include "catalog/scan_statistics.h"
#include "catalog/size_value.h"

namespace volumist {

class VolumeWriter;

struct VolumeHeader {
  uint32_t treeStart = 0;
  uint32_t treeEnd = 0;
  uint32_t descriptionsStart = 0;
  uint32_t descriptionIndexStart = 0;
  ScanStatistics counters;        // the five counters, under their lock
  ScanOptions scanOptions;
  SizeValue contentSize{0};       // stored in 8 bytes
  std::string volumeName;         // at most 255 bytes

  // Resets every field to its empty value.
  void Reset();

  // Reads the header that follows the magic (the reader stands at offset 10).
  bool Read(FieldReader& in);
  // Writes the whole header (313 bytes).
  void Write(VolumeWriter& out) const;
  // The first 57 bytes: keys, counters, options summary and content size.
  void EncodeRewritten(uint8_t (&bytes)[57]) const;
};

}  // namespace volumist
