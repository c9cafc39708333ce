// The picture decoders. Each reads one format from a File, reports the picture's size and colour
// depth as the file declares them, and delivers its pixels as RGB rows to a RasterSink (alpha is
// laid over white). Every size a file declares is checked (IsDecodableSize, and against what the
// sink accepts) before anything is allocated for it, and every read is bounds-checked; errors of
// the third-party libraries are caught inside the decoder. Decoders keep no state between calls
// and may run on several threads at once.
#pragma once

#include <cstdint>

#include "imaging/picture_format.h"
#include "imaging/raster_sink.h"
#include "platform/file_system.h"

namespace volumist {

struct PictureHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitsPerPixel = 0;  // as the file declares it: 8 for a 256-colour palette, 24 for RGB...
};

// Each returns true when the header was valid and at least one row reached the sink; a picture
// whose data ends early keeps the rows that were decoded (the rest stay white).
bool DecodeBmp(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodeGif(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodeIco(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodePcx(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodePng(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodeTga(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodeTiff(platform::File& file, RasterSink& sink, PictureHeader& header);
bool DecodeWbmp(platform::File& file, RasterSink& sink, PictureHeader& header);
// JPEG pictures larger than twice their thumbnail in `thumbnailBox` (0: none) are decoded at a
// reduced scale (1/8 to 7/8) straight from the compressed data, the smallest scale that stays at
// least twice the thumbnail's size.
bool DecodeJpeg(platform::File& file, uint32_t thumbnailBox, RasterSink& sink, PictureHeader& header);

// Windows metafiles: drawn onto a canvas of at most twice the thumbnail's size in `thumbnailBox`
// (without a box: the picture's size, at most 1024 pixels on the longer side), so the rows reaching
// the sink may be fewer than the picture's declared size.
bool DecodeWmf(platform::File& file, uint32_t thumbnailBox, RasterSink& sink, PictureHeader& header);

// Chooses the decoder of `format`.
bool DecodePicture(PictureFormat format, platform::File& file, uint32_t thumbnailBox, RasterSink& sink,
                   PictureHeader& header);

// A bitmap without its file header (a DIB), as icons hold them: `icon` halves the declared height
// and applies the AND mask (or the alpha channel) as transparency. Used by DecodeIco.
bool DecodeDib(platform::File& file, bool icon, RasterSink& sink, PictureHeader& header);

}  // namespace volumist
