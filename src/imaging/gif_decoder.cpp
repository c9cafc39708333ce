// GIF decoding with giflib: the first frame, laid on the logical screen (white where the frame
// does not cover it or its pixels are transparent: rows the frame does not reach are never
// delivered, and the sink keeps them white). giflib reports errors by return codes.
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "imaging/picture_decoder.h"

namespace volumist {
namespace {

struct Input {
  platform::File* file = nullptr;
  uint64_t offset = 0;
};

int ReadInput(GifFileType* gif, GifByteType* out, int length) {
  auto* input = static_cast<Input*>(gif->UserData);
  if (length <= 0) return 0;
  auto n = input->file->ReadAt(input->offset,
                               std::span<std::byte>(reinterpret_cast<std::byte*>(out), static_cast<size_t>(length)));
  if (!n) return 0;
  input->offset += *n;
  return static_cast<int>(*n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Reads the records up to the first image; takes the transparent colour of a graphic control
// extension met on the way. False when the file ends or breaks first.
bool SkipToFirstImage(GifFileType* gif, int& transparent) {
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return true;
    if (type == TERMINATE_RECORD_TYPE) return false;
    if (type != EXTENSION_RECORD_TYPE) continue;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
      transparent = (block[1] & 0x01) ? block[4] : -1;
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
  }
}

}  // namespace

bool DecodeGif(platform::File& file, RasterSink& sink, PictureHeader& header) {
  Input input{&file, 0};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, ReadInput, &error));
  if (!gif) return false;
  int transparent = -1;
  if (!SkipToFirstImage(gif.get(), transparent)) return false;
  if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return false;
  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) return false;
  // The picture is the logical screen; a frame that reaches beyond it widens it.
  uint64_t width = std::max<uint64_t>(static_cast<uint64_t>(std::max(gif->SWidth, 0)),
                                      uint64_t(frame.Left) + uint64_t(frame.Width));
  uint64_t height = std::max<uint64_t>(static_cast<uint64_t>(std::max(gif->SHeight, 0)),
                                       uint64_t(frame.Top) + uint64_t(frame.Height));
  const ColorMapObject* colors = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  header.width = static_cast<uint32_t>(std::min<uint64_t>(width, UINT32_MAX));
  header.height = static_cast<uint32_t>(std::min<uint64_t>(height, UINT32_MAX));
  header.bitsPerPixel = static_cast<uint8_t>(colors != nullptr ? colors->BitsPerPixel : 8);
  if (!IsDecodableSize(width, height)) return false;
  if (!sink.Begin(header.width, header.height)) return false;

  // The palette as RGB; indexes beyond it and the transparent one give white.
  std::array<uint8_t, 256 * 3> palette;
  palette.fill(0xFF);
  if (colors != nullptr) {
    for (int i = 0; i < std::min(colors->ColorCount, 256); ++i) {
      palette[3 * i] = colors->Colors[i].Red;
      palette[3 * i + 1] = colors->Colors[i].Green;
      palette[3 * i + 2] = colors->Colors[i].Blue;
    }
  } else {
    for (int i = 0; i < 256; ++i) palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<uint8_t>(i);
  }
  if (transparent >= 0) std::fill_n(palette.begin() + 3 * transparent, 3, uint8_t{0xFF});

  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  std::vector<uint8_t> rgb(header.width * size_t{3}, 0xFF);
  auto frameRow = [&](int index) -> uint32_t {
    if (!frame.Interlace) return static_cast<uint32_t>(index);
    // Interlaced rows come as every 8th from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      int count = (frame.Height - kStart[pass] + kStep[pass] - 1) / kStep[pass];
      if (count < 0) count = 0;
      if (index < count) return static_cast<uint32_t>(kStart[pass] + index * kStep[pass]);
      index -= count;
    }
    return 0;
  };
  uint32_t delivered = 0;
  for (int i = 0; i < frame.Height; ++i) {
    if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) break;
    uint8_t* out = rgb.data() + size_t(frame.Left) * 3;
    for (int x = 0; x < frame.Width; ++x) std::copy_n(palette.begin() + 3 * line[x], 3, out + 3 * x);
    sink.PutRow(static_cast<uint32_t>(frame.Top) + frameRow(i), rgb.data());
    ++delivered;
  }
  return delivered > 0;
}

}  // namespace volumist
