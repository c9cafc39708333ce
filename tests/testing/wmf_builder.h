// Windows metafiles for tests, two ways: written by libUEMF (the metafile library that drawing
// programs use to export WMF), so that the decoder is checked against what a real producer writes;
// and assembled record by record here, field by field, for damaged and hostile files that no
// producer would write.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "imaging/rgb_image.h"

namespace volumist::testing {

// --- Written by libUEMF.

// A drawing of 600 x 200 logical units at 100 units per inch (576 x 192 pixels at 96 per inch),
// window origin 0,0 and extent 600 x 200, without an outline pen:
//   left third:   a red rectangle (10,10)-(190,190)
//   middle third: a blue circle in (210,10)-(390,190), on a yellow hatched square (200,0)-(400,200)
//                 drawn before it with a transparent background (gaps stay white)
//   right third:  `dib` stretched onto (410,10)-(590,190) by StretchDIB, stored with `dibBits` bits
//                 a pixel (1, 4 and 8 with a colour table of the picture's first colours; libUEMF
//                 packs the pixels of a 1-bit row in reverse order, so give those uniform rows)
//   along the bottom: a black polyline (0,195)-(600,195), 4 units wide
std::string UemfShapes(const RgbImage& dib, int dibBits);

// A 2 x 2 picture of four colours: red, green on top; blue, white below.
RgbImage FourColours();

// --- Written here.

// One record: the size word, the function, then the parameters as 16-bit words and any further
// bytes (a bitmap, say).
std::string WmfRecord(uint16_t function, std::initializer_list<int> words, const std::string& extra = "");
// A record whose size field says `words` (16-bit words, the 6-byte header included) whatever
// follows.
std::string WmfRecordClaiming(uint32_t words, uint16_t function, const std::string& params);

struct Placeable {
  int left = 0, top = 0, right = 0, bottom = 0;
  int inch = 96;
  bool breakChecksum = false;
};

// The placeable header (when given), the metafile header, the records and an end-of-file record.
std::string WmfFile(const std::vector<std::string>& records, std::optional<Placeable> placeable = std::nullopt,
                    uint16_t objects = 8, bool endRecord = true);

// A packed bitmap (header, no colour table, bottom-up rows) of 24 bits, as metafiles hold them.
std::string PackedDib24(const RgbImage& image);

// A small placeable metafile that uses every record the decoder plays (shapes, arcs, objects and
// palettes, states, clipping, blits with bitmaps and patterns), for fuzzing seeds and smoke tests.
std::string WmfOfEveryRecord();

}  // namespace volumist::testing
