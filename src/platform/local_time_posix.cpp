#include <time.h>

#include "platform/local_time.h"

namespace volumist::platform {

std::optional<std::tm> ToLocalTime(int64_t seconds) {
  time_t value = static_cast<time_t>(seconds);
  std::tm result{};
  if (::localtime_r(&value, &result) == nullptr) return std::nullopt;
  return result;
}

std::optional<int64_t> FromLocalTime(const std::tm& fields) {
  std::tm copy = fields;
  copy.tm_wday = -1;
  time_t value = ::mktime(&copy);
  // -1 is also 1969-12-31 23:59:59 UTC; mktime then sets the weekday, which a failure leaves alone.
  if (value == static_cast<time_t>(-1) && copy.tm_wday == -1) return std::nullopt;
  return static_cast<int64_t>(value);
}

}  // namespace volumist::platform
