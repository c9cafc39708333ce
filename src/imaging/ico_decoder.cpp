// Icons: the largest picture of the icon directory (by area, then colour depth), which is either a
// bitmap without file header or a PNG stream.
#include <algorithm>
#include <vector>

#include "imaging/memory_file.h"
#include "imaging/picture_decoder.h"

namespace volumist {
namespace {

// An icon picture larger than this is refused (icons hold pictures of at most 1024 x 1024).
constexpr uint32_t kMaxEntryBytes = 16 * 1024 * 1024;

uint32_t Le16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

}  // namespace

bool DecodeIco(platform::File& file, RasterSink& sink, PictureHeader& header) {
  uint8_t head[6];
  auto n = file.ReadAt(0, std::span<std::byte>(reinterpret_cast<std::byte*>(head), sizeof head));
  if (!n || *n != sizeof head) return false;
  uint32_t type = Le16(head + 2);
  uint32_t count = Le16(head + 4);
  if (Le16(head) != 0 || (type != 1 && type != 2) || count == 0) return false;
  std::vector<uint8_t> directory(size_t{count} * 16);
  n = file.ReadAt(6, std::span<std::byte>(reinterpret_cast<std::byte*>(directory.data()), directory.size()));
  if (!n) return false;
  count = static_cast<uint32_t>(std::min<size_t>(count, *n / 16));
  uint64_t fileSize = file.Size().value_or(0);

  // The best entry whose bytes lie inside the file.
  const uint8_t* best = nullptr;
  uint64_t bestArea = 0;
  uint32_t bestBits = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = directory.data() + 16 * size_t{i};
    uint32_t width = entry[0] == 0 ? 256 : entry[0];
    uint32_t height = entry[1] == 0 ? 256 : entry[1];
    uint32_t bits = Le16(entry + 6);
    uint32_t bytes = Le32(entry + 8);
    uint32_t offset = Le32(entry + 12);
    if (bytes == 0 || bytes > kMaxEntryBytes || offset >= fileSize || bytes > fileSize - offset) continue;
    uint64_t area = uint64_t{width} * height;
    if (best == nullptr || area > bestArea || (area == bestArea && bits > bestBits)) {
      best = entry;
      bestArea = area;
      bestBits = bits;
    }
  }
  if (best == nullptr) return false;
  std::vector<uint8_t> bytes(Le32(best + 8));
  n = file.ReadAt(Le32(best + 12), std::span<std::byte>(reinterpret_cast<std::byte*>(bytes.data()), bytes.size()));
  if (!n || *n != bytes.size()) return false;
  MemoryFile picture(bytes);
  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, bytes.begin())) {
    return DecodePng(picture, sink, header);
  }
  return DecodeDib(picture, true, sink, header);
}

}  // namespace volumist
