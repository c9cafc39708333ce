#include "analysis/ed2k_hash.h"

#include <algorithm>

namespace volumist {

void Ed2kHash::Update(std::span<const std::byte> data) {
  while (!data.empty()) {
    size_t take = static_cast<size_t>(std::min<uint64_t>(data.size(), kEd2kPartSize - inPart_));
    part_.Update(data.first(take));
    inPart_ += take;
    data = data.subspan(take);
    if (inPart_ == kEd2kPartSize) {
      Md4::Digest digest = part_.Finish();
      root_.Update(digest.data(), digest.size());
      part_.Reset();
      inPart_ = 0;
      ++parts_;
    }
  }
}

Md4::Digest Ed2kHash::Finish() {
  Md4::Digest last = part_.Finish();
  if (parts_ == 0) return last;
  // The last part, empty when the size is a multiple of the part size.
  root_.Update(last.data(), last.size());
  return root_.Finish();
}

}  // namespace volumist
