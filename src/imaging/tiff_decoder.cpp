// TIFF decoding with libtiff's RGBA interface, which understands every photometric interpretation,
// strips and tiles. The picture is read in bands of rows so that it is never held whole. Messages of
// libtiff go to handlers of this handle only, which drop them.
#include <algorithm>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "imaging/picture_decoder.h"

namespace volumist {
namespace {

constexpr tmsize_t kMaxSingleAllocation = 256 * 1024 * 1024;
// Rows per band, so that a band holds about 4 MB of RGBA.
constexpr uint64_t kBandBytes = 4 * 1024 * 1024;

struct Input {
  platform::File* file = nullptr;
  uint64_t offset = 0;
  uint64_t size = 0;
};

tmsize_t ReadProc(thandle_t handle, void* out, tmsize_t length) {
  auto* input = static_cast<Input*>(handle);
  if (length <= 0) return 0;
  auto n = input->file->ReadAt(input->offset,
                               std::span<std::byte>(static_cast<std::byte*>(out), static_cast<size_t>(length)));
  if (!n) return -1;
  input->offset += *n;
  return static_cast<tmsize_t>(*n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* input = static_cast<Input*>(handle);
  switch (whence) {
    case SEEK_SET: input->offset = offset; break;
    case SEEK_CUR: input->offset += offset; break;
    case SEEK_END: input->offset = input->size + offset; break;
    default: return static_cast<toff_t>(-1);
  }
  return input->offset;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<Input*>(handle)->size; }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}
int DropMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

}  // namespace

bool DecodeTiff(platform::File& file, RasterSink& sink, PictureHeader& header) {
  Input input{&file, 0, file.Size().value_or(0)};
  std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) return false;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), DropMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DropMessage, nullptr);
  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", &input, ReadProc, WriteProc, SeekProc,
                                                           CloseProc, SizeProc, MapProc, UnmapProc, options.get()));
  if (!tiff) return false;
  uint32_t width = 0, height = 0;
  uint16_t bitsPerSample = 1, samplesPerPixel = 1;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
  header.width = width;
  header.height = height;
  header.bitsPerPixel = static_cast<uint8_t>(std::min<unsigned>(255, unsigned{bitsPerSample} * samplesPerPixel));
  if (!IsDecodableSize(width, height)) return false;
  char message[1024];
  if (!TIFFRGBAImageOK(tiff.get(), message)) return false;
  TIFFRGBAImage image;
  if (!TIFFRGBAImageBegin(&image, tiff.get(), 0, message)) return false;
  image.req_orientation = ORIENTATION_TOPLEFT;
  bool accepted = sink.Begin(width, height);
  uint32_t band = static_cast<uint32_t>(std::clamp<uint64_t>(kBandBytes / (uint64_t{width} * 4), 1, height));
  std::vector<uint32_t> raster;
  std::vector<uint8_t> rgb;
  uint32_t delivered = 0;
  if (accepted) {
    raster.resize(size_t{width} * band);
    rgb.resize(size_t{width} * 3);
    for (uint32_t y = 0; y < height; y += band) {
      uint32_t rows = std::min(band, height - y);
      image.row_offset = static_cast<int>(y);
      image.col_offset = 0;
      if (!TIFFRGBAImageGet(&image, raster.data(), width, rows)) break;
      for (uint32_t r = 0; r < rows; ++r) {
        const uint32_t* in = raster.data() + size_t{r} * width;
        for (uint32_t x = 0; x < width; ++x) {
          unsigned a = TIFFGetA(in[x]);
          unsigned channel[3] = {TIFFGetR(in[x]), TIFFGetG(in[x]), TIFFGetB(in[x])};
          for (int c = 0; c < 3; ++c) rgb[3 * x + c] = static_cast<uint8_t>((channel[c] * a + 255 * (255 - a) + 127) / 255);
        }
        sink.PutRow(y + r, rgb.data());
        ++delivered;
      }
    }
  }
  TIFFRGBAImageEnd(&image);
  return delivered > 0;
}

}  // namespace volumist
