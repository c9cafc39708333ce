#include "imaging/memory_file.h"

#include <algorithm>
#include <cstring>

namespace volumist {

std::optional<size_t> MemoryFile::ReadAt(uint64_t offset, std::span<std::byte> out) {
  if (offset >= bytes_.size() || out.empty()) return size_t{0};
  size_t n = std::min<uint64_t>(out.size(), bytes_.size() - offset);
  std::memcpy(out.data(), bytes_.data() + offset, n);
  return n;
}

}  // namespace volumist
