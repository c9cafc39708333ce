#include "catalog/case_folding.h"

#include <algorithm>

namespace volumist {

char32_t FoldCaseSlow(char32_t c) {
  const CaseFoldingPair* end = kCaseFoldingTable + kCaseFoldingTableSize;
  const CaseFoldingPair* found =
      std::lower_bound(kCaseFoldingTable, end, c, [](const CaseFoldingPair& pair, char32_t value) { return pair.from < value; });
  return found != end && found->from == c ? found->to : c;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = FoldCase(NextCharacter(a, i));
    char32_t y = FoldCase(NextCharacter(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace volumist
