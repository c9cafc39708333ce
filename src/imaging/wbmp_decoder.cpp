// Wireless bitmaps of type 0: a header of multi-byte integers, then rows of 1-bit pixels, each row
// padded to whole bytes; 1 is white.
#include <vector>

#include "imaging/picture_decoder.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

// A multi-byte integer: 7 bits per byte, most significant first, the top bit set on all but the
// last byte. At most 5 bytes.
bool ReadMultiByte(platform::BufferedReader& in, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 5; ++i) {
    uint8_t byte;
    if (!in.ReadByte(byte)) return false;
    value = (value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

bool DecodeWbmp(platform::File& file, RasterSink& sink, PictureHeader& header) {
  platform::BufferedReader in(file);
  uint32_t type = 0;
  uint8_t fixed = 0;
  if (!ReadMultiByte(in, type) || type != 0 || !in.ReadByte(fixed)) return false;
  // Type 0 has no extension headers; a set top bit of the fixed header would announce them.
  if ((fixed & 0x9F) != 0) return false;
  uint32_t width = 0, height = 0;
  if (!ReadMultiByte(in, width) || !ReadMultiByte(in, height)) return false;
  header.width = width;
  header.height = height;
  header.bitsPerPixel = 1;
  if (!IsDecodableSize(width, height)) return false;
  // The file must hold the first row at least; a bare header is not taken for a picture.
  size_t stride = (size_t{width} + 7) / 8;
  if (in.Remaining() < stride) return false;
  if (!sink.Begin(width, height)) return false;
  std::vector<uint8_t> row(stride);
  std::vector<uint8_t> rgb(size_t{width} * 3);
  uint32_t delivered = 0;
  for (uint32_t y = 0; y < height; ++y) {
    if (!in.Read(row.data(), row.size())) break;
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t value = ((row[x / 8] >> (7 - x % 8)) & 1) ? 0xFF : 0x00;
      rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = value;
    }
    sink.PutRow(y, rgb.data());
    ++delivered;
  }
  return delivered > 0;
}

}  // namespace volumist
