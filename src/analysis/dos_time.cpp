#include "analysis/dos_time.h"

#include "platform/local_time.h"

namespace volumist {

int64_t DosDateTimeToUnix(uint16_t date, uint16_t time) {
  int day = date & 31;
  int month = (date >> 5) & 15;
  if (day == 0 || month == 0 || month > 12) return 0;
  std::tm fields{};
  fields.tm_sec = (time & 31) * 2;
  fields.tm_min = (time >> 5) & 63;
  fields.tm_hour = time >> 11;
  fields.tm_mday = day;
  fields.tm_mon = month - 1;
  fields.tm_year = (date >> 9) + 80;
  fields.tm_isdst = -1;  // the zone's rules decide
  return platform::FromLocalTime(fields).value_or(0);
}

}  // namespace volumist
