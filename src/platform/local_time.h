#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace volumist::platform {

// Converts seconds since 1970-01-01 UTC to the machine's local calendar time (its time zone and
// daylight rules). Nothing when the conversion fails.
std::optional<std::tm> ToLocalTime(int64_t seconds);

}  // namespace volumist::platform
