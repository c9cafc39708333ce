// Windows and OS/2 bitmaps: 1, 4, 8, 16, 24 and 32 bits a pixel, RLE4 and RLE8, bit fields, bottom-up
// and top-down; and the bitmaps inside icons, with their AND masks. Only one row is held at a time
// (icons, which are small, are held whole to find whether their alpha channel is used).
#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <vector>

#include "imaging/picture_decoder.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

// Icon bitmaps larger than this are refused: icons are at most a few hundred pixels wide.
constexpr uint32_t kMaxIconSide = 1024;

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

uint32_t Le16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

// One colour channel given by a bit mask, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t maximum = 0;

  explicit Channel(uint32_t m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    int bits = std::min(std::countr_one(mask >> shift), 31);
    maximum = (uint32_t{1} << bits) - 1;
  }
  uint8_t Of(uint32_t value) const {
    if (maximum == 0) return 0;
    uint32_t v = std::min((value & mask) >> shift, maximum);
    return static_cast<uint8_t>((uint64_t{v} * 255 + maximum / 2) / maximum);
  }
};

struct Dib {
  uint32_t width = 0;
  uint32_t height = 0;  // the picture's rows (half the declared height of an icon)
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = kRgb;
  std::array<uint8_t, 256 * 3> palette{};  // RGB; entries the file does not give are black
  std::array<Channel, 4> channels;         // red, green, blue, alpha for 16 and 32 bits
  uint64_t pixelOffset = 0;                // where the pixels start, when the caller does not say

  uint64_t Stride() const { return (uint64_t{width} * bitCount + 31) / 32 * 4; }
};

// Reads the header, masks and palette at `offset`. A palette ends at the latest where the pixels
// begin (`pixelOffset`) or the data ends.
bool ReadDibHeader(platform::File& file, uint64_t offset, std::optional<uint64_t> pixelOffset, bool icon, Dib& dib,
                   PictureHeader& header) {
  uint8_t bytes[124] = {};
  auto got = file.ReadAt(offset, std::span<std::byte>(reinterpret_cast<std::byte*>(bytes), sizeof bytes));
  if (!got || *got < 12) return false;
  uint32_t size = Le32(bytes);
  if (size != 12 && (size < 16 || size > 124)) return false;
  if (*got < size) return false;
  int64_t width = 0;
  int64_t height = 0;
  uint32_t colorsUsed = 0;
  size_t paletteEntry = 4;
  if (size == 12) {
    width = Le16(bytes + 4);
    height = Le16(bytes + 6);
    dib.bitCount = static_cast<uint16_t>(Le16(bytes + 10));
    paletteEntry = 3;
  } else {
    width = static_cast<int32_t>(Le32(bytes + 4));
    height = static_cast<int32_t>(Le32(bytes + 8));
    dib.bitCount = static_cast<uint16_t>(Le16(bytes + 14));
    if (size >= 20) dib.compression = Le32(bytes + 16);
    if (size >= 36) colorsUsed = Le32(bytes + 32);
  }
  header.bitsPerPixel = static_cast<uint8_t>(std::min<uint16_t>(dib.bitCount, 255));
  dib.topDown = height < 0;
  if (height < 0) height = -height;
  if (icon) height /= 2;
  header.width = static_cast<uint32_t>(std::clamp<int64_t>(width, 0, UINT32_MAX));
  header.height = static_cast<uint32_t>(std::clamp<int64_t>(height, 0, UINT32_MAX));
  if (!IsDecodableSize(header.width, header.height)) return false;
  if (icon && (header.width > kMaxIconSide || header.height > kMaxIconSide)) return false;
  dib.width = header.width;
  dib.height = header.height;

  switch (dib.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  switch (dib.compression) {
    case kRgb: break;
    case kRle8: if (dib.bitCount != 8 || icon) return false; break;
    case kRle4: if (dib.bitCount != 4 || icon) return false; break;
    case kBitFields:
    case kAlphaBitFields: if (dib.bitCount != 16 && dib.bitCount != 32) return false; break;
    default: return false;  // embedded JPEG or PNG, OS/2 Huffman: not read
  }

  uint64_t position = offset + size;
  uint32_t masks[4] = {0, 0, 0, 0};
  if (dib.compression == kBitFields || dib.compression == kAlphaBitFields) {
    int count = dib.compression == kAlphaBitFields ? 4 : 3;
    if (size >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = Le32(bytes + 40 + 4 * i);
      if (size >= 56) masks[3] = Le32(bytes + 52);
    } else {
      // A 40-byte header is followed by the masks.
      uint8_t extra[16];
      auto n = file.ReadAt(position, std::span<std::byte>(reinterpret_cast<std::byte*>(extra), 4 * size_t(count)));
      if (!n || *n != 4 * size_t(count)) return false;
      for (int i = 0; i < count; ++i) masks[i] = Le32(extra + 4 * i);
      position += 4 * uint64_t(count);
    }
  } else if (dib.bitCount == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (dib.bitCount == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (icon) masks[3] = 0xFF000000;
  }
  for (int i = 0; i < 4; ++i) dib.channels[i] = Channel(masks[i]);

  uint32_t entries = 0;
  if (dib.bitCount <= 8) {
    uint32_t most = uint32_t{1} << dib.bitCount;
    entries = colorsUsed == 0 ? most : std::min(colorsUsed, most);
  } else {
    entries = std::min<uint32_t>(colorsUsed, 256);  // an unused palette may stand before the pixels
  }
  if (pixelOffset && *pixelOffset >= position) {
    entries = static_cast<uint32_t>(std::min<uint64_t>(entries, (*pixelOffset - position) / paletteEntry));
  }
  std::vector<uint8_t> table(entries * paletteEntry);
  if (entries > 0) {
    auto n = file.ReadAt(position, std::span<std::byte>(reinterpret_cast<std::byte*>(table.data()), table.size()));
    if (!n) return false;
    entries = static_cast<uint32_t>(*n / paletteEntry);
    table.resize(entries * paletteEntry);
  }
  for (uint32_t i = 0; i < entries && dib.bitCount <= 8; ++i) {
    const uint8_t* entry = table.data() + i * paletteEntry;
    dib.palette[3 * i] = entry[2];
    dib.palette[3 * i + 1] = entry[1];
    dib.palette[3 * i + 2] = entry[0];
  }
  dib.pixelOffset = position + table.size();
  return true;
}

// Converts one stored row (not compressed) to RGB; `alpha` receives the alpha channel when asked.
void ConvertRow(const Dib& dib, const uint8_t* in, uint8_t* out, uint8_t* alpha) {
  switch (dib.bitCount) {
    case 1: case 4: case 8: {
      int bits = dib.bitCount;
      uint32_t perByte = 8 / bits;
      uint32_t mask = (1u << bits) - 1;
      for (uint32_t x = 0; x < dib.width; ++x) {
        uint32_t shift = (perByte - 1 - x % perByte) * bits;
        uint32_t index = (in[x / perByte] >> shift) & mask;
        std::copy_n(dib.palette.begin() + 3 * index, 3, out + 3 * x);
      }
      break;
    }
    case 24:
      for (uint32_t x = 0; x < dib.width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      }
      break;
    default: {
      bool wide = dib.bitCount == 32;
      for (uint32_t x = 0; x < dib.width; ++x) {
        uint32_t value = wide ? Le32(in + 4 * x) : Le16(in + 2 * x);
        for (int c = 0; c < 3; ++c) out[3 * x + c] = dib.channels[c].Of(value);
        if (alpha != nullptr) alpha[x] = dib.channels[3].mask != 0 ? dib.channels[3].Of(value) : 0xFF;
      }
      break;
    }
  }
}

uint32_t RowOf(const Dib& dib, uint32_t stored) { return dib.topDown ? stored : dib.height - 1 - stored; }

bool DecodeUncompressed(platform::File& file, const Dib& dib, uint64_t start, RasterSink& sink) {
  platform::BufferedReader in(file);
  in.Seek(start);
  std::vector<uint8_t> row(dib.Stride());
  std::vector<uint8_t> rgb(size_t{dib.width} * 3);
  uint32_t delivered = 0;
  for (uint32_t i = 0; i < dib.height; ++i) {
    if (!in.Read(row.data(), row.size())) break;
    ConvertRow(dib, row.data(), rgb.data(), nullptr);
    sink.PutRow(RowOf(dib, i), rgb.data());
    ++delivered;
  }
  return delivered > 0;
}

// RLE8 and RLE4: runs and literal stretches, with escapes for end of line, end of picture and a
// jump ahead. Pixels the codes never reach stay white.
bool DecodeRunLength(platform::File& file, const Dib& dib, uint64_t start, RasterSink& sink) {
  platform::BufferedReader in(file);
  in.Seek(start);
  bool four = dib.compression == kRle4;
  std::vector<uint8_t> rgb(size_t{dib.width} * 3, 0xFF);
  uint32_t x = 0;
  uint32_t line = 0;
  bool dirty = false;
  uint32_t delivered = 0;
  auto put = [&](uint32_t index) {
    if (x < dib.width) {
      std::copy_n(dib.palette.begin() + 3 * index, 3, rgb.data() + 3 * size_t{x});
      dirty = true;
    }
    ++x;
  };
  auto endLine = [&]() {
    if (dirty && line < dib.height) {
      sink.PutRow(RowOf(dib, line), rgb.data());
      ++delivered;
      std::fill(rgb.begin(), rgb.end(), 0xFF);
    }
    dirty = false;
    ++line;
  };
  uint8_t code[2];
  while (line < dib.height && in.Read(code, 2)) {
    if (code[0] > 0) {
      for (uint32_t i = 0; i < code[0] && x < dib.width; ++i) {
        put(four ? ((i & 1) ? code[1] & 15 : code[1] >> 4) : code[1]);
      }
      continue;
    }
    if (code[1] == 0) {
      endLine();
      x = 0;
    } else if (code[1] == 1) {
      break;
    } else if (code[1] == 2) {
      uint8_t delta[2];
      if (!in.Read(delta, 2)) break;
      for (uint32_t i = 0; i < delta[1] && line < dib.height; ++i) endLine();
      x += delta[0];
    } else {
      uint32_t count = code[1];
      uint32_t bytes = four ? (count + 1) / 2 : count;
      uint8_t literal[256];
      if (!in.Read(literal, bytes + (bytes & 1))) break;
      for (uint32_t i = 0; i < count; ++i) put(four ? ((i & 1) ? literal[i / 2] & 15 : literal[i / 2] >> 4) : literal[i]);
    }
  }
  endLine();
  return delivered > 0;
}

// An icon's bitmap: the colours, then a 1-bit AND mask whose set bits are transparent. A 32-bit
// icon whose alpha channel is used takes its transparency from there instead.
bool DecodeIconBitmap(platform::File& file, const Dib& dib, uint64_t start, RasterSink& sink) {
  uint64_t stride = dib.Stride();
  uint64_t maskStride = (uint64_t{dib.width} + 31) / 32 * 4;
  uint64_t colorBytes = stride * dib.height;
  std::vector<uint8_t> colors(colorBytes);
  auto n = file.ReadAt(start, std::span<std::byte>(reinterpret_cast<std::byte*>(colors.data()), colors.size()));
  if (!n || *n != colors.size()) return false;
  std::vector<uint8_t> mask(maskStride * dib.height, 0);
  auto m = file.ReadAt(start + colorBytes, std::span<std::byte>(reinterpret_cast<std::byte*>(mask.data()), mask.size()));
  if (!m) return false;  // a missing mask leaves every pixel opaque

  std::vector<uint8_t> rgb(size_t{dib.width} * 3 * dib.height);
  std::vector<uint8_t> alpha(size_t{dib.width} * dib.height);
  bool alphaUsed = false;
  for (uint32_t i = 0; i < dib.height; ++i) {
    uint8_t* a = alpha.data() + size_t{i} * dib.width;
    ConvertRow(dib, colors.data() + i * stride, rgb.data() + size_t{i} * dib.width * 3, dib.bitCount == 32 ? a : nullptr);
    if (dib.bitCount == 32) alphaUsed = alphaUsed || std::any_of(a, a + dib.width, [](uint8_t v) { return v != 0; });
  }
  std::vector<uint8_t> out(size_t{dib.width} * 3);
  for (uint32_t i = 0; i < dib.height; ++i) {
    const uint8_t* in = rgb.data() + size_t{i} * dib.width * 3;
    for (uint32_t x = 0; x < dib.width; ++x) {
      unsigned a;
      if (alphaUsed) {
        a = alpha[size_t{i} * dib.width + x];
      } else {
        bool transparent = (mask[i * maskStride + x / 8] >> (7 - x % 8)) & 1;
        a = transparent ? 0 : 255;
      }
      for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<uint8_t>((in[3 * x + c] * a + 255 * (255 - a) + 127) / 255);
    }
    sink.PutRow(RowOf(dib, i), out.data());
  }
  return true;
}

bool DecodeDibAt(platform::File& file, uint64_t offset, std::optional<uint64_t> pixelOffset, bool icon,
                 RasterSink& sink, PictureHeader& header) {
  Dib dib;
  if (!ReadDibHeader(file, offset, pixelOffset, icon, dib, header)) return false;
  uint64_t start = pixelOffset.value_or(dib.pixelOffset);
  if (!sink.Begin(dib.width, dib.height)) return false;
  if (icon) return DecodeIconBitmap(file, dib, start, sink);
  if (dib.compression == kRle4 || dib.compression == kRle8) return DecodeRunLength(file, dib, start, sink);
  return DecodeUncompressed(file, dib, start, sink);
}

}  // namespace

bool DecodeBmp(platform::File& file, RasterSink& sink, PictureHeader& header) {
  uint8_t fileHeader[14];
  auto n = file.ReadAt(0, std::span<std::byte>(reinterpret_cast<std::byte*>(fileHeader), sizeof fileHeader));
  if (!n || *n != sizeof fileHeader || fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
  uint32_t pixels = Le32(fileHeader + 10);
  uint64_t size = file.Size().value_or(0);
  // A pixel offset that points outside the file is ignored: the pixels then follow the palette.
  std::optional<uint64_t> pixelOffset;
  if (pixels >= 14 + 12 && pixels < size) pixelOffset = pixels;
  return DecodeDibAt(file, 14, pixelOffset, false, sink, header);
}

bool DecodeDib(platform::File& file, bool icon, RasterSink& sink, PictureHeader& header) {
  return DecodeDibAt(file, 0, std::nullopt, icon, sink, header);
}

}  // namespace volumist
