#include "analysis/text_compare.h"

#include <algorithm>

namespace volumist {

int CompareTextNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    auto u = static_cast<unsigned char>(c);
    return static_cast<unsigned char>(u >= 'A' && u <= 'Z' ? u + 32 : u);
  };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace volumist
