// JPEG decoding with libjpeg-turbo. libjpeg reports fatal errors through a callback that must not
// return; it long-jumps back into DecodeState::Run. Everything that changes after the jump target
// is set lives in the DecodeState, whose address libjpeg holds, so its values are in memory when
// the jump arrives, and no C++ object is created between the jump target and a libjpeg call.
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/fit_into.h"
#include "imaging/picture_decoder.h"

namespace volumist {
namespace {

constexpr size_t kInputBufferSize = 64 * 1024;
// Progressive pictures keep all coefficients in memory; larger ones are refused.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;
// A progressive picture may have any number of scans; more than this is a hostile file.
constexpr int kMaxScans = 500;

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void ErrorExit(j_common_ptr info) { longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OutputMessage(j_common_ptr) {}

struct Source {
  jpeg_source_mgr base;
  platform::File* file = nullptr;
  uint64_t offset = 0;
  std::unique_ptr<JOCTET[]> buffer;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  auto* source = reinterpret_cast<Source*>(info->src);
  auto read = source->file->ReadAt(
      source->offset, std::span<std::byte>(reinterpret_cast<std::byte*>(source->buffer.get()), kInputBufferSize));
  size_t n = read.value_or(0);
  if (n == 0) {
    // The data ended early: an end marker lets libjpeg finish the picture with what it has.
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    source->base.next_input_byte = kEndOfImage;
    source->base.bytes_in_buffer = 2;
    WARNMS(info, JWRN_JPEG_EOF);
    return TRUE;
  }
  source->offset += n;
  source->base.next_input_byte = source->buffer.get();
  source->base.bytes_in_buffer = n;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<Source*>(info->src);
  if (count <= 0) return;
  if (static_cast<size_t>(count) <= source->base.bytes_in_buffer) {
    source->base.next_input_byte += count;
    source->base.bytes_in_buffer -= static_cast<size_t>(count);
    return;
  }
  source->offset += static_cast<uint64_t>(count) - source->base.bytes_in_buffer;
  source->base.bytes_in_buffer = 0;
}

struct Progress {
  jpeg_progress_mgr base;
};

void CheckScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->progressive_mode && decompress->input_scan_number > kMaxScans) {
    info->err->msg_code = JERR_NOT_COMPILED;  // any fatal code: the picture is refused
    info->err->error_exit(info);
  }
}

// The smallest scale M/8 that keeps the picture at least twice its thumbnail's size.
int ScaleNumerator(uint32_t width, uint32_t height, uint32_t box) {
  if (box == 0) return 8;
  FitResult thumb = FitInto(width, height, box, box);
  for (int m = 1; m < 8; ++m) {
    uint64_t w = (uint64_t{width} * m + 7) / 8;
    uint64_t h = (uint64_t{height} * m + 7) / 8;
    if (w >= 2 * uint64_t{thumb.width} && h >= 2 * uint64_t{thumb.height}) return m;
  }
  return 8;
}

struct DecodeState {
  jpeg_decompress_struct info;
  ErrorManager error;
  Source source;
  Progress progress;
  std::vector<JSAMPLE> row;
  std::vector<uint8_t> rgb;
  uint32_t rowsDelivered = 0;
  bool created = false;

  bool Run(uint32_t box, RasterSink& sink, PictureHeader& header);
  void DeliverRow(RasterSink& sink, uint32_t y);
};

void DecodeState::DeliverRow(RasterSink& sink, uint32_t y) {
  const JSAMPLE* in = row.data();
  uint8_t* out = rgb.data();
  uint32_t width = info.output_width;
  switch (info.out_color_space) {
    case JCS_GRAYSCALE:
      for (uint32_t x = 0; x < width; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
      break;
    case JCS_CMYK:
      // Adobe writes CMYK inverted, and so do nearly all producers: the values are 255 - ink.
      for (uint32_t x = 0; x < width; ++x) {
        unsigned k = in[4 * x + 3];
        for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<uint8_t>((in[4 * x + c] * k + 127) / 255);
      }
      break;
    default:
      sink.PutRow(y, in);
      ++rowsDelivered;
      return;
  }
  sink.PutRow(y, out);
  ++rowsDelivered;
}

bool DecodeState::Run(uint32_t box, RasterSink& sink, PictureHeader& header) {
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = ErrorExit;
  error.base.output_message = OutputMessage;
  if (setjmp(error.jump)) {
    if (created) jpeg_destroy_decompress(&info);
    return rowsDelivered > 0;
  }
  jpeg_create_decompress(&info);
  created = true;
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  info.src = &source.base;
  source.base.init_source = InitSource;
  source.base.fill_input_buffer = FillInputBuffer;
  source.base.skip_input_data = SkipInputData;
  source.base.resync_to_restart = jpeg_resync_to_restart;
  source.base.term_source = TermSource;
  source.base.bytes_in_buffer = 0;
  source.base.next_input_byte = nullptr;
  progress.base.progress_monitor = CheckScans;
  info.progress = &progress.base;

  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  header.width = info.image_width;
  header.height = info.image_height;
  header.bitsPerPixel = static_cast<uint8_t>(info.num_components * 8);
  if (!IsDecodableSize(info.image_width, info.image_height)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE: info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: info.out_color_space = JCS_CMYK; break;
    default: info.out_color_space = JCS_RGB; break;
  }
  info.scale_num = static_cast<unsigned>(ScaleNumerator(info.image_width, info.image_height, box));
  info.scale_denom = 8;
  info.dct_method = JDCT_ISLOW;
  // Thumbnails gain nothing from smooth chroma upsampling, and it costs time.
  info.do_fancy_upsampling = box != 0 ? FALSE : TRUE;
  jpeg_calc_output_dimensions(&info);
  if (!sink.Begin(info.output_width, info.output_height)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  row.resize(size_t{info.output_width} * static_cast<size_t>(info.output_components));
  rgb.resize(size_t{info.output_width} * 3);
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    uint32_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    DeliverRow(sink, y);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return rowsDelivered > 0;
}

}  // namespace

bool DecodeJpeg(platform::File& file, uint32_t thumbnailBox, RasterSink& sink, PictureHeader& header) {
  auto state = std::make_unique<DecodeState>();
  state->source.file = &file;
  state->source.buffer = std::make_unique<JOCTET[]>(kInputBufferSize);
  return state->Run(thumbnailBox, sink, header);
}

}  // namespace volumist
