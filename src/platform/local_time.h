#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace volumist::platform {

// Converts seconds since 1970-01-01 UTC to the machine's local calendar time (its time zone and
// daylight rules). Nothing when the conversion fails.
std::optional<std::tm> ToLocalTime(int64_t seconds);

// Converts calendar fields read as the machine's local time (tm_isdst -1 lets the zone's rules
// decide) to seconds since 1970-01-01 UTC. Out-of-range fields are normalised. Nothing when the
// conversion fails.
std::optional<int64_t> FromLocalTime(const std::tm& fields);

}  // namespace volumist::platform
