#include "search/case_folding.h"

#include <algorithm>

namespace volumist {

char32_t FoldCaseSlow(char32_t c) {
  const CaseFoldingPair* end = kCaseFoldingTable + kCaseFoldingTableSize;
  const CaseFoldingPair* found =
      std::lower_bound(kCaseFoldingTable, end, c, [](const CaseFoldingPair& pair, char32_t value) { return pair.from < value; });
  return found != end && found->from == c ? found->to : c;
}

}  // namespace volumist
