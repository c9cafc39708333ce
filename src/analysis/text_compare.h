// Comparing texts for sorting as the lists do: byte by byte, ASCII letters without regard to case.
#pragma once

#include <string_view>

namespace volumist {

// -1, 0 or 1.
int CompareTextNoCase(std::string_view a, std::string_view b);

// -1, 0 or 1 of two numbers.
template <typename T>
int CompareNumbers(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace volumist
