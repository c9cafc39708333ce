// DOS dates and times, as ZIP, RAR, CAB, ACE, ARJ, LZH and ZOO directories store them: local time of
// the machine that made the archive, to two seconds.
#pragma once

#include <cstdint>

namespace volumist {

// Seconds since 1970-01-01 UTC for the DOS date and time read as this machine's local time
// (seconds = (time & 31) * 2, minutes = (time >> 5) & 63, hours = time >> 11, day = date & 31,
// month = (date >> 5) & 15, year = 1980 + (date >> 9)). 0 when the date is not a calendar date
// (month or day 0, month above 12) or the conversion fails.
int64_t DosDateTimeToUnix(uint16_t date, uint16_t time);

}  // namespace volumist
