// The on-disk constants of Windows metafiles (WMF): the optional placeable header, the metafile
// header, and the record functions and parameter values that the metafile decoder plays. All
// numbers are little-endian in the file; coordinates are signed 16-bit logical units.
#pragma once

#include <cstddef>
#include <cstdint>

namespace volumist::wmf {

// The placeable header that many metafiles start with (22 bytes): key, a handle (0), the bounding
// box (left, top, right, bottom as signed 16-bit logical units), the logical units per inch, 4
// reserved bytes and a checksum: the XOR of the ten 16-bit words before it.
inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr size_t kPlaceableHeaderSize = 22;
inline constexpr size_t kPlaceableChecksumWords = 10;

// The metafile header (18 bytes): type (1 in memory, 2 on disk), header size in 16-bit words (9),
// version (0x0100 or 0x0300), file size in words (32 bits), the size of the object table, the
// largest record in words (32 bits), and an unused word.
inline constexpr size_t kHeaderSize = 18;
inline constexpr uint16_t kHeaderWords = 9;

// Each record: its size in 16-bit words (32 bits, the 6 header bytes included), its function, then
// the parameters, most of them in the reverse order of the drawing call's arguments.
inline constexpr size_t kRecordHeaderSize = 6;

enum Function : uint16_t {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kRealizePalette = 0x0035,
  kCreatePalette = 0x00F7,
  kCreateBrush = 0x00F8,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetRop2 = 0x0104,
  kSetPolyFillMode = 0x0106,
  kRestoreDc = 0x0127,
  kSelectClipRegion = 0x012C,
  kSelectObject = 0x012D,
  kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9,
  kSetBkColor = 0x0201,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kOffsetWindowOrg = 0x020F,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kSelectPalette = 0x0234,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kCreateBitmapIndirect = 0x02FD,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kScaleWindowExt = 0x0410,
  kExcludeClipRect = 0x0415,
  kIntersectClipRect = 0x0416,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kSetPixel = 0x041F,
  kPolyPolygon = 0x0538,
  kRoundRect = 0x061C,
  kPatBlt = 0x061D,
  kCreateBitmap = 0x06FE,
  kCreateRegion = 0x06FF,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kDibBitBlt = 0x0940,
  kExtTextOut = 0x0A32,
  kDibStretchBlt = 0x0B41,
  kSetDibToDev = 0x0D33,
  kStretchDib = 0x0F43,
};

// A COLORREF: red, green, blue and a flag byte; flag 1 makes the low 16 bits an index into the
// selected palette.
inline constexpr uint8_t kPaletteIndexFlag = 1;

// Pen styles (the low bits; the rest are end-cap and join flags).
inline constexpr uint16_t kPenStyleMask = 0x000F;
inline constexpr uint16_t kPenNull = 5;

// Brush styles.
inline constexpr uint16_t kBrushSolid = 0;
inline constexpr uint16_t kBrushNull = 1;
inline constexpr uint16_t kBrushHatched = 2;
inline constexpr uint16_t kBrushPattern = 3;  // a 16-bit device-dependent bitmap follows

// Hatch styles: horizontal, vertical, \ diagonal, / diagonal, cross, diagonal cross.
inline constexpr uint16_t kHatchLast = 5;

// Background modes, polygon fill modes, map modes.
inline constexpr uint16_t kBkTransparent = 1;
inline constexpr uint16_t kFillAlternate = 1;
inline constexpr uint16_t kFillWinding = 2;
inline constexpr uint16_t kMapIsotropic = 7;

// DIB colour tables: RGB quads, or 16-bit indexes into the selected palette.
inline constexpr uint16_t kDibRgbColors = 0;

// Raster operations of the blits that the decoder knows; others copy the source.
inline constexpr uint32_t kRopSrcCopy = 0x00CC0020;
inline constexpr uint32_t kRopSrcPaint = 0x00EE0086;
inline constexpr uint32_t kRopSrcAnd = 0x008800C6;
inline constexpr uint32_t kRopSrcInvert = 0x00660046;
inline constexpr uint32_t kRopNotSrcCopy = 0x00330008;
inline constexpr uint32_t kRopPatCopy = 0x00F00021;
inline constexpr uint32_t kRopBlackness = 0x00000042;
inline constexpr uint32_t kRopWhiteness = 0x00FF0062;

// ExtTextOut options that give the record a rectangle; ETO_OPAQUE fills it with the background.
inline constexpr uint16_t kTextOpaque = 0x0002;
inline constexpr uint16_t kTextClipped = 0x0004;

}  // namespace volumist::wmf
