#include <time.h>

#include "platform/local_time.h"

namespace volumist::platform {

std::optional<std::tm> ToLocalTime(int64_t seconds) {
  time_t value = static_cast<time_t>(seconds);
  std::tm result{};
  if (::localtime_r(&value, &result) == nullptr) return std::nullopt;
  return result;
}

}  // namespace volumist::platform
