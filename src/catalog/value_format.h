// The text forms of sizes, times, attributes, signatures and play times. Every place that shows one
// of these values uses these functions, so a value reads the same everywhere. The decimal point is
// always "." whatever the locale. Absent values give the empty string.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/catalog_time.h"
#include "catalog/signature_block.h"
#include "catalog/size_value.h"

namespace volumist {

// "%d B" below 1000, else "%.2f KB", "%.2f MB" or "%.2f GB" (thresholds in powers of 1000,
// divisors in powers of 1024).
std::string FormatSizeShort(uint64_t size);
// Digits in groups of three separated by blanks ("1 234 567"); the first group is never split,
// so sizes from 10^12 on show a longer first group. " Bytes" appended on request.
std::string FormatSizeGrouped(uint64_t size, bool withBytes = false);
std::string FormatSizeDecimal(uint64_t size);
inline std::string FormatSizeShort(const SizeValue& size) { return FormatSizeShort(size.Value()); }
inline std::string FormatSizeGrouped(const SizeValue& size, bool withBytes = false) {
  return FormatSizeGrouped(size.Value(), withBytes);
}
inline std::string FormatSizeDecimal(const SizeValue& size) { return FormatSizeDecimal(size.Value()); }

// The latest time that is shown: 3000-12-31 23:59:59 UTC.
inline constexpr int64_t kLatestShownTime = 32535215999;
// Local time as "%d.%m.%Y %H:%M" / "%d.%m.%Y"; empty for times before 1970 or after kLatestShownTime.
std::string FormatDateTime(CatalogTime time);
std::string FormatDate(CatalogTime time);

// FormatDateTime for many times in a row, such as a list of results: the local time is converted
// once per hour of the clock, and the times within that hour only fill in their minutes. Hours in
// which the clock does not run evenly (a change of the zone's offset) are converted time by time.
class DateTimeTexts {
 public:
  // The text stays valid until the next call.
  const std::string& Format(CatalogTime time);

 private:
  int64_t hourStart_ = 0;
  int64_t hourEnd_ = 0;  // [hourStart_, hourEnd_) are the times of the cached hour
  std::string prefix_;   // "dd.mm.yyyy HH:" of that hour
  std::string text_;
};

// "rahs" with "-" for each attribute that is not set (read-only, archive, hidden, system).
std::string FormatAttributes(const SignatureBlock& block);
// "%08x"; 32 upper-case hex digits; 32 lower-case hex digits. Empty when the value is not held.
std::string FormatCrc32(const SignatureBlock& block);
std::string FormatMd4(const SignatureBlock& block);
std::string FormatMd5(const SignatureBlock& block);

// "%d:%02d" of minutes and seconds.
std::string FormatPlayTime(uint32_t seconds);

// A volume serial number as "%lX-%lX": the high 16 bits, then the low 16 bits, unpadded.
std::string FormatSerialNumber(uint32_t serial);

}  // namespace volumist
