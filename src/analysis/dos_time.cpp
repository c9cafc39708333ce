#include "analysis/dos_time.h"

#include <array>

#include "platform/local_time.h"

namespace volumist {
namespace {

// The local-time conversion consults the zone on every call (a file-system check each time), which
// costs more than reading a directory entry. Archive entries mostly share dates and hours, so the
// start of each hour is converted once per thread and the minutes and seconds are added to it.
struct HourCache {
  static constexpr size_t kSlots = 512;
  std::array<uint32_t, kSlots> keys{};  // date << 5 | hour, plus 1 so that 0 means empty
  std::array<int64_t, kSlots> starts{};
};

int64_t HourStart(uint16_t date, int hour) {
  std::tm fields{};
  fields.tm_hour = hour;
  fields.tm_mday = date & 31;
  fields.tm_mon = ((date >> 5) & 15) - 1;
  fields.tm_year = (date >> 9) + 80;
  fields.tm_isdst = -1;  // the zone's rules decide
  return platform::FromLocalTime(fields).value_or(0);
}

}  // namespace

int64_t DosDateTimeToUnix(uint16_t date, uint16_t time) {
  int day = date & 31;
  int month = (date >> 5) & 15;
  if (day == 0 || month == 0 || month > 12) return 0;
  int hour = time >> 11;
  int64_t withinHour = ((time >> 5) & 63) * 60 + (time & 31) * 2;
  thread_local HourCache cache;
  uint32_t key = (uint32_t{date} << 5 | static_cast<uint32_t>(hour)) + 1;
  size_t slot = key % HourCache::kSlots;
  if (cache.keys[slot] != key) {
    int64_t start = HourStart(date, hour);
    if (start == 0) return 0;
    cache.keys[slot] = key;
    cache.starts[slot] = start;
  }
  return cache.starts[slot] + withinHour;
}

}  // namespace volumist
