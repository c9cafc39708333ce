// ZSoft PCX: 1, 2, 4 or 8 bits in 1 to 4 planes, run-length coded. Palettes: the 16 colours of the
// header, or the 256 colours at the end of the file (marked by 0x0C) for 8-bit pictures.
#include <algorithm>
#include <array>
#include <vector>

#include "imaging/picture_decoder.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }

}  // namespace

bool DecodePcx(platform::File& file, RasterSink& sink, PictureHeader& header) {
  uint8_t head[128];
  auto n = file.ReadAt(0, std::span<std::byte>(reinterpret_cast<std::byte*>(head), sizeof head));
  if (!n || *n != sizeof head || head[0] != 0x0A || head[2] > 1) return false;
  uint32_t bits = head[3];
  uint32_t planes = head[65];
  uint32_t bytesPerLine = Le16(head + 66);
  uint32_t xMin = Le16(head + 4), yMin = Le16(head + 6), xMax = Le16(head + 8), yMax = Le16(head + 10);
  if (xMax < xMin || yMax < yMin) return false;
  uint32_t width = xMax - xMin + 1;
  uint32_t height = yMax - yMin + 1;
  header.width = width;
  header.height = height;
  header.bitsPerPixel = static_cast<uint8_t>(bits * planes);
  bool supported = (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
                   (bits == 1 && (planes == 2 || planes == 3 || planes == 4)) || (bits == 8 && (planes == 3 || planes == 4));
  if (!supported || !IsDecodableSize(width, height)) return false;
  if (uint64_t{bytesPerLine} * 8 < uint64_t{width} * bits) return false;

  std::array<uint8_t, 256 * 3> palette{};
  std::copy_n(head + 16, 48, palette.begin());
  if (bits == 1 && planes == 1) {
    // Most monochrome files leave the header palette empty: black and white.
    bool empty = std::all_of(head + 16, head + 22, [](uint8_t v) { return v == 0; });
    if (empty) std::fill_n(palette.begin() + 3, 3, uint8_t{0xFF});
  }
  uint64_t fileSize = file.Size().value_or(0);
  if (bits == 8 && planes == 1 && fileSize >= 128 + 769) {
    uint8_t tail[769];
    auto t = file.ReadAt(fileSize - 769, std::span<std::byte>(reinterpret_cast<std::byte*>(tail), sizeof tail));
    if (t && *t == sizeof tail && tail[0] == 0x0C) {
      std::copy_n(tail + 1, 768, palette.begin());
    } else {
      for (int i = 0; i < 256; ++i) std::fill_n(palette.begin() + 3 * i, 3, static_cast<uint8_t>(i));
    }
  }
  if (!sink.Begin(width, height)) return false;

  platform::BufferedReader in(file);
  in.Seek(128);
  std::vector<uint8_t> line(size_t{bytesPerLine} * planes);
  std::vector<uint8_t> rgb(size_t{width} * 3);
  uint8_t runValue = 0;
  uint32_t runLeft = 0;
  bool encoded = head[2] == 1;
  uint32_t delivered = 0;
  for (uint32_t y = 0; y < height; ++y) {
    // Runs may continue from one line into the next.
    size_t filled = 0;
    while (filled < line.size()) {
      if (runLeft > 0) {
        size_t take = std::min<size_t>(runLeft, line.size() - filled);
        std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(filled), take, runValue);
        filled += take;
        runLeft -= static_cast<uint32_t>(take);
        continue;
      }
      uint8_t byte;
      if (!in.ReadByte(byte)) break;
      if (encoded && (byte & 0xC0) == 0xC0) {
        runLeft = byte & 0x3F;
        if (!in.ReadByte(runValue)) break;
      } else {
        line[filled++] = byte;
      }
    }
    if (filled < line.size()) break;
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* out = rgb.data() + 3 * size_t{x};
      if (bits == 8 && planes >= 3) {
        for (uint32_t c = 0; c < 3; ++c) out[c] = line[c * bytesPerLine + x];
        continue;
      }
      uint32_t index = 0;
      for (uint32_t p = 0; p < planes; ++p) {
        uint32_t perByte = 8 / bits;
        uint32_t shift = (perByte - 1 - x % perByte) * bits;
        index |= ((line[p * size_t{bytesPerLine} + x / perByte] >> shift) & ((1u << bits) - 1)) << (p * bits);
      }
      std::copy_n(palette.begin() + 3 * (index & 0xFF), 3, out);
    }
    sink.PutRow(y, rgb.data());
    ++delivered;
  }
  return delivered > 0;
}

}  // namespace volumist
