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
      // A finished part goes into the root only once another byte follows it, so that a content
      // that ends on a part boundary has no empty last part.
      if (parts_ > 0) root_.Update(lastPart_.data(), lastPart_.size());
      lastPart_ = part_.Finish();
      part_.Reset();
      inPart_ = 0;
      ++parts_;
    }
  }
}

Md4::Digest Ed2kHash::Finish() {
  if (parts_ == 0) return part_.Finish();
  if (inPart_ == 0 && parts_ == 1) return lastPart_;  // exactly one part: its own digest
  root_.Update(lastPart_.data(), lastPart_.size());
  if (inPart_ > 0) {
    Md4::Digest last = part_.Finish();
    root_.Update(last.data(), last.size());
  }
  return root_.Finish();
}

}  // namespace volumist
