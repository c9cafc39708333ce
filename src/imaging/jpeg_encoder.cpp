// libjpeg reports fatal errors by long-jumping back into EncodeState::Run; the state that changes
// after the jump target lives in the EncodeState, which libjpeg holds, and no C++ object is created
// between the jump target and a libjpeg call.
#include "imaging/jpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

namespace volumist {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void ErrorExit(j_common_ptr info) { longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OutputMessage(j_common_ptr) {}

struct EncodeState {
  jpeg_compress_struct info;
  ErrorManager error;
  unsigned char* buffer = nullptr;  // allocated by libjpeg's memory destination
  unsigned long size = 0;
  bool created = false;

  bool Run(const RgbImage& image, int quality) {
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = ErrorExit;
    error.base.output_message = OutputMessage;
    if (setjmp(error.jump)) {
      if (created) jpeg_destroy_compress(&info);
      return false;
    }
    jpeg_create_compress(&info);
    created = true;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Optimal Huffman tables make small pictures noticeably smaller at almost no cost.
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW rows[1] = {const_cast<JSAMPLE*>(image.Row(info.next_scanline))};
      jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
  }
};

}  // namespace

std::optional<std::vector<uint8_t>> EncodeJpeg(const RgbImage& image, int quality) {
  if (image.empty() || image.width > 65500 || image.height > 65500) return std::nullopt;
  auto state = std::make_unique<EncodeState>();
  bool ok = state->Run(image, std::clamp(quality, 1, 100));
  std::optional<std::vector<uint8_t>> result;
  if (ok && state->buffer != nullptr) result.emplace(state->buffer, state->buffer + state->size);
  std::free(state->buffer);
  return result;
}

}  // namespace volumist
