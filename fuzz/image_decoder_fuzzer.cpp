// Feeds arbitrary bytes to the picture decoders through the image analysis (decoding, resampling,
// thumbnail encoding). The first byte chooses the format; the rest is the file. No decoder may
// crash, read out of bounds, or allocate by the size a header claims.
#include <cstddef>
#include <cstdint>

#include "analysis/image_analyzer.h"
#include "imaging/memory_file.h"

using namespace volumist;

// The image media types with a decoder, in the order of the first byte (modulo their count).
constexpr uint8_t kTypes[] = {kMediaJpeg, kMediaBmp,  kMediaGif,  kMediaIco, kMediaTga,
                              kMediaPcx,  kMediaPng,  kMediaTiff, kMediaWbmp, kMediaWmf};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint8_t type = kTypes[data[0] % sizeof kTypes];
  MemoryFile file({data + 1, size - 1});
  ImageInfo info;
  if (AnalyzeImage(file, type, info) && (info.thumbnail.empty() || info.thumbnail.size() != info.thumbnailLength)) {
    __builtin_trap();
  }
  return 0;
}
