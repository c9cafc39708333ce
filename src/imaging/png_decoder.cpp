// PNG decoding with libpng. libpng reports fatal errors by long-jumping to the target set in
// DecodeState::Run; the state that changes after it lives in the DecodeState, whose address
// libpng holds, and no C++ object is created between the jump target and a libpng call.
#include <csetjmp>
#include <memory>
#include <vector>

#include <png.h>

#include "imaging/picture_decoder.h"

namespace volumist {
namespace {

// Ancillary chunks (text, profiles) are limited so that a compressed chunk cannot unpack into
// gigabytes.
constexpr png_alloc_size_t kMaxChunkMemory = 8 * 1024 * 1024;

void ErrorFunction(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningFunction(png_structp, png_const_charp) {}

struct DecodeState {
  platform::File* file = nullptr;
  uint64_t offset = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> row;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> whole;  // interlaced pictures only
  uint32_t rowsDelivered = 0;

  bool Run(RasterSink& sink, PictureHeader& header);
  void Deliver(RasterSink& sink, uint32_t y, const uint8_t* in, bool alpha, uint32_t width);
};

void ReadData(png_structp png, png_bytep out, size_t length) {
  auto* state = static_cast<DecodeState*>(png_get_io_ptr(png));
  auto n = state->file->ReadAt(state->offset, std::span<std::byte>(reinterpret_cast<std::byte*>(out), length));
  if (!n || *n != length) png_error(png, "unexpected end of data");
  state->offset += length;
}

void DecodeState::Deliver(RasterSink& sink, uint32_t y, const uint8_t* in, bool alpha, uint32_t width) {
  if (alpha) {
    uint8_t* out = rgb.data();
    for (uint32_t x = 0; x < width; ++x) {
      unsigned a = in[4 * x + 3];
      for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<uint8_t>((in[4 * x + c] * a + 255 * (255 - a) + 127) / 255);
    }
    sink.PutRow(y, out);
  } else {
    sink.PutRow(y, in);
  }
  ++rowsDelivered;
}

bool DecodeState::Run(RasterSink& sink, PictureHeader& header) {
  png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, ErrorFunction, WarningFunction);
  if (png == nullptr) return false;
  info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return rowsDelivered > 0;
  }
  png_set_read_fn(png, this, ReadData);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_set_chunk_malloc_max(png, kMaxChunkMemory);
  // Thumbnails do not need the checksums verified; skipping them saves a pass over the data.
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  int depth = png_get_bit_depth(png, info);
  int colorType = png_get_color_type(png, info);
  header.width = width;
  header.height = height;
  header.bitsPerPixel = static_cast<uint8_t>(depth * png_get_channels(png, info));
  if (!IsDecodableSize(width, height)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (!sink.Begin(width, height)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  size_t stride = size_t{width} * (alpha ? 4 : 3);
  rgb.resize(size_t{width} * 3);
  if (passes == 1) {
    row.resize(stride);
    for (uint32_t y = 0; y < height; ++y) {
      png_read_row(png, row.data(), nullptr);
      Deliver(sink, y, row.data(), alpha, width);
    }
  } else {
    // The passes of an interlaced picture fill every row several times: keep it whole.
    if (uint64_t{width} * height > kMaxFullSizePixels) {
      png_destroy_read_struct(&png, &info, nullptr);
      return false;
    }
    whole.assign(stride * height, 0xFF);
    for (int pass = 0; pass < passes; ++pass) {
      for (uint32_t y = 0; y < height; ++y) png_read_row(png, whole.data() + y * stride, nullptr);
    }
    for (uint32_t y = 0; y < height; ++y) Deliver(sink, y, whole.data() + y * stride, alpha, width);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return rowsDelivered > 0;
}

}  // namespace

bool DecodePng(platform::File& file, RasterSink& sink, PictureHeader& header) {
  auto state = std::make_unique<DecodeState>();
  state->file = &file;
  return state->Run(sink, header);
}

}  // namespace volumist
