// Truevision TGA: colour-mapped, true-colour and grey pictures, plain or run-length coded, stored
// bottom-up or top-down. The alpha channel is not applied: many producers leave it zero.
#include <algorithm>
#include <array>
#include <vector>

#include "imaging/picture_decoder.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }

// One stored pixel of `bytes` bytes as RGB (15/16 bits: 5-5-5; 24/32 bits: BGR(A)).
void ToRgb(const uint8_t* in, uint32_t bytes, uint8_t* out) {
  switch (bytes) {
    case 1: out[0] = out[1] = out[2] = in[0]; break;
    case 2: {
      uint32_t v = Le16(in);
      out[0] = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
      out[1] = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
      out[2] = static_cast<uint8_t>((v & 31) * 255 / 31);
      break;
    }
    default: out[0] = in[2], out[1] = in[1], out[2] = in[0]; break;
  }
}

}  // namespace

bool DecodeTga(platform::File& file, RasterSink& sink, PictureHeader& header) {
  uint8_t head[18];
  auto n = file.ReadAt(0, std::span<std::byte>(reinterpret_cast<std::byte*>(head), sizeof head));
  if (!n || *n != sizeof head) return false;
  uint32_t idLength = head[0];
  uint32_t mapType = head[1];
  uint32_t imageType = head[2];
  uint32_t mapFirst = Le16(head + 3), mapLength = Le16(head + 5), mapEntryBits = head[7];
  uint32_t width = Le16(head + 12), height = Le16(head + 14), depth = head[16], descriptor = head[17];
  bool rle = imageType >= 9;
  uint32_t kind = rle ? imageType - 8 : imageType;  // 1 colour-mapped, 2 true-colour, 3 grey
  if (mapType > 1 || (kind != 1 && kind != 2 && kind != 3) || (imageType > 3 && !rle) || imageType > 11) return false;
  if (kind == 1 && (mapType != 1 || (depth != 8 && depth != 16))) return false;
  if (kind == 2 && depth != 15 && depth != 16 && depth != 24 && depth != 32) return false;
  if (kind == 3 && depth != 8) return false;
  if (mapType == 1 && mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32) return false;
  header.width = width;
  header.height = height;
  header.bitsPerPixel = static_cast<uint8_t>(depth);
  if (!IsDecodableSize(width, height)) return false;

  platform::BufferedReader in(file);
  in.Seek(18 + idLength);
  // The colour map; indexes beyond it give black.
  std::vector<uint8_t> palette(3 * size_t{(kind == 1 && depth == 16) ? 65536u : 256u}, 0);
  if (mapType == 1) {
    uint32_t entryBytes = (mapEntryBits + 7) / 8;
    std::vector<uint8_t> map(size_t{mapLength} * entryBytes);
    if (!in.Read(map.data(), map.size())) return false;
    for (uint32_t i = 0; i < mapLength; ++i) {
      uint64_t index = uint64_t{mapFirst} + i;
      if (kind == 1 && index * 3 < palette.size()) ToRgb(map.data() + i * size_t{entryBytes}, entryBytes, palette.data() + 3 * index);
    }
  }
  if (!sink.Begin(width, height)) return false;
  uint32_t pixelBytes = (depth + 7) / 8;
  bool topDown = (descriptor & 0x20) != 0;
  bool rightToLeft = (descriptor & 0x10) != 0;
  std::vector<uint8_t> stored(size_t{width} * pixelBytes);
  std::vector<uint8_t> rgb(size_t{width} * 3);
  uint8_t packetPixel[4] = {};
  uint32_t packetLeft = 0;
  bool packetRepeats = false;
  uint32_t delivered = 0;
  for (uint32_t row = 0; row < height; ++row) {
    if (!rle) {
      if (!in.Read(stored.data(), stored.size())) break;
    } else {
      // Packets may run on from one row into the next.
      uint32_t x = 0;
      bool ok = true;
      while (x < width) {
        if (packetLeft == 0) {
          uint8_t packet;
          if (!in.ReadByte(packet)) { ok = false; break; }
          packetLeft = (packet & 0x7F) + 1u;
          packetRepeats = (packet & 0x80) != 0;
          if (packetRepeats && !in.Read(packetPixel, pixelBytes)) { ok = false; break; }
        }
        uint8_t* out = stored.data() + size_t{x} * pixelBytes;
        if (packetRepeats) {
          std::copy_n(packetPixel, pixelBytes, out);
        } else if (!in.Read(out, pixelBytes)) {
          ok = false;
          break;
        }
        --packetLeft;
        ++x;
      }
      if (!ok) break;
    }
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* pixel = stored.data() + size_t{x} * pixelBytes;
      uint32_t target = rightToLeft ? width - 1 - x : x;
      uint8_t* out = rgb.data() + 3 * size_t{target};
      if (kind == 1) {
        uint32_t index = pixelBytes == 1 ? pixel[0] : Le16(pixel);
        std::copy_n(palette.begin() + 3 * index, 3, out);
      } else {
        ToRgb(pixel, pixelBytes, out);
      }
    }
    sink.PutRow(topDown ? row : height - 1 - row, rgb.data());
    ++delivered;
  }
  return delivered > 0;
}

}  // namespace volumist
