#include "testing/byte_builder.h"

#include <cstdio>

namespace volumist::testing {

std::string FirstDifference(std::string_view expected, std::string_view actual) {
  size_t n = std::min(expected.size(), actual.size());
  for (size_t i = 0; i < n; ++i) {
    if (expected[i] != actual[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "offset %zu: expected %02X, got %02X", i,
                    static_cast<unsigned char>(expected[i]), static_cast<unsigned char>(actual[i]));
      return text;
    }
  }
  if (expected.size() != actual.size()) {
    return "length: expected " + std::to_string(expected.size()) + ", got " + std::to_string(actual.size());
  }
  return {};
}

}  // namespace volumist::testing
