#include "testing/wmf_builder.h"

#include <uwmf.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "testing/byte_builder.h"

namespace volumist::testing {
namespace {

// Appends a record made by one of libUEMF's *_set functions (which may fail and give null).
void Append(char* record, WMFTRACK* track) {
  if (record == nullptr || wmf_append(reinterpret_cast<U_METARECORD*>(record), track, 1) != 0) {
    throw std::runtime_error("libUEMF could not make a record");
  }
}

U_POINT16 Point(int x, int y) { return point16_set(static_cast<int16_t>(x), static_cast<int16_t>(y)); }
U_RECT16 Rect(int left, int top, int right, int bottom) { return U_RECT16_set(Point(left, top), Point(right, bottom)); }

}  // namespace

RgbImage FourColours() {
  RgbImage image;
  image.width = image.height = 2;
  image.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  return image;
}

std::string UemfShapes(const RgbImage& dib, int dibBits) {
  char path[] = "/tmp/volumist-wmf-XXXXXX";
  int descriptor = mkstemp(path);
  if (descriptor < 0) throw std::runtime_error("no temporary file");
  close(descriptor);
  WMFTRACK* track = nullptr;
  WMFHANDLES* handles = nullptr;
  if (wmf_start(path, 1 << 16, 1 << 16, &track) != 0 || wmf_htable_create(16, 16, &handles) != 0) {
    throw std::runtime_error("libUEMF could not start a metafile");
  }
  U_PAIRF* inches = U_PAIRF_set(6.0f, 2.0f);
  char* header = U_WMRHEADER_set(inches, 100);
  std::free(inches);
  if (header == nullptr || wmf_header_append(reinterpret_cast<U_METARECORD*>(header), track, 1) != 0) {
    throw std::runtime_error("libUEMF could not make the header");
  }
  Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC), track);
  Append(U_WMRSETWINDOWORG_set(Point(0, 0)), track);
  Append(U_WMRSETWINDOWEXT_set(Point(600, 200)), track);
  uint32_t pen = 0, red = 0, yellowHatch = 0, blue = 0, black = 0;
  Append(wcreatepenindirect_set(&pen, handles, U_PEN_set(U_PS_NULL, 0, U_RGB(0, 0, 0))), track);
  Append(wselectobject_set(pen, handles), track);
  Append(wcreatebrushindirect_set(&red, handles, U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(255, 0, 0), 0)), track);
  Append(wselectobject_set(red, handles), track);
  Append(U_WMRRECTANGLE_set(Rect(10, 10, 190, 190)), track);
  Append(wcreatebrushindirect_set(&yellowHatch, handles, U_WLOGBRUSH_set(U_BS_HATCHED, U_RGB(255, 255, 0), U_HS_CROSS)),
         track);
  Append(wselectobject_set(yellowHatch, handles), track);
  Append(U_WMRSETBKMODE_set(U_TRANSPARENT), track);
  Append(U_WMRRECTANGLE_set(Rect(200, 0, 400, 200)), track);
  Append(wcreatebrushindirect_set(&blue, handles, U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 0, 255), 0)), track);
  Append(wselectobject_set(blue, handles), track);
  Append(U_WMRELLIPSE_set(Rect(210, 10, 390, 190)), track);
  Append(wdeleteobject_set(&red, handles), track);

  // The bitmap: libUEMF turns top-down RGBA pixels into a DIB with bottom-up rows.
  std::vector<char> rgba;
  for (size_t i = 0; i < dib.pixels.size(); i += 3) {
    rgba.insert(rgba.end(), {char(dib.pixels[i]), char(dib.pixels[i + 1]), char(dib.pixels[i + 2]), char(255)});
  }
  char* pixels = nullptr;
  uint32_t pixelBytes = 0;
  U_RGBQUAD* table = nullptr;
  int tableEntries = 0;
  if (RGBA_to_DIB(&pixels, &pixelBytes, &table, &tableEntries, rgba.data(), int(dib.width), int(dib.height),
                  int(dib.width * 4), uint32_t(dibBits), dibBits <= 8 ? U_CT_BGRA : U_CT_NO, U_ROW_ORDER_INVERT) != 0) {
    throw std::runtime_error("libUEMF could not make the bitmap");
  }
  U_BITMAPINFOHEADER info = bitmapinfoheader_set(int32_t(dib.width), int32_t(dib.height), 1, uint16_t(dibBits), U_BI_RGB,
                                                 pixelBytes, 3780, 3780, uint32_t(tableEntries), 0);
  U_BITMAPINFO* bitmap = bitmapinfo_set(info, table);
  Append(U_WMRSTRETCHDIB_set(Point(410, 10), Point(180, 180), Point(0, 0), Point(int(dib.width), int(dib.height)),
                             U_DIB_RGB_COLORS, U_SRCCOPY, bitmap, pixelBytes, pixels),
         track);
  std::free(bitmap);
  std::free(pixels);
  std::free(table);

  Append(wcreatepenindirect_set(&black, handles, U_PEN_set(U_PS_SOLID, 4, U_RGB(0, 0, 0))), track);
  Append(wselectobject_set(black, handles), track);
  U_POINT16 line[] = {Point(0, 195), Point(600, 195)};
  Append(U_WMRPOLYLINE_set(2, line), track);
  Append(U_WMREOF_set(), track);
  if (wmf_finish(track) != 0) throw std::runtime_error("libUEMF could not write the metafile");
  wmf_free(&track);
  wmf_htable_free(&handles);
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::remove(path);
  return bytes.str();
}

std::string WmfRecord(uint16_t function, std::initializer_list<int> words, const std::string& extra) {
  ByteBuilder params;
  for (int word : words) params.U16(static_cast<uint16_t>(word));
  std::string body = params.bytes() + extra;
  if (body.size() % 2 != 0) body.push_back('\0');
  return WmfRecordClaiming(static_cast<uint32_t>(3 + body.size() / 2), function, body);
}

std::string WmfRecordClaiming(uint32_t words, uint16_t function, const std::string& params) {
  return ByteBuilder().U32(words).U16(function).Raw(params).bytes();
}

std::string WmfFile(const std::vector<std::string>& records, std::optional<Placeable> placeable, uint16_t objects,
                    bool endRecord) {
  std::string body;
  size_t largest = 3;
  for (const std::string& record : records) {
    body += record;
    largest = std::max(largest, record.size() / 2);
  }
  if (endRecord) body += WmfRecord(0x0000, {});
  ByteBuilder out;
  if (placeable) {
    ByteBuilder head;
    head.U32(0x9AC6CDD7).U16(0);
    for (int v : {placeable->left, placeable->top, placeable->right, placeable->bottom, placeable->inch}) {
      head.U16(static_cast<uint16_t>(v));
    }
    head.U32(0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) {
      checksum ^= static_cast<uint16_t>(uint8_t(head.bytes()[i]) | uint8_t(head.bytes()[i + 1]) << 8);
    }
    out.Raw(head.bytes()).U16(placeable->breakChecksum ? static_cast<uint16_t>(checksum ^ 0x0101) : checksum);
  }
  out.U16(1).U16(9).U16(0x0300).U32(static_cast<uint32_t>((18 + body.size()) / 2)).U16(objects)
      .U32(static_cast<uint32_t>(largest)).U16(0);
  return out.Raw(body).bytes();
}

std::string PackedDib24(const RgbImage& image) {
  ByteBuilder dib;
  uint32_t stride = (image.width * 3 + 3) / 4 * 4;
  dib.U32(40).U32(image.width).U32(image.height).U16(1).U16(24).U32(0).U32(stride * image.height).U32(0).U32(0).U32(0).U32(0);
  for (uint32_t y = image.height; y-- > 0;) {
    const uint8_t* row = image.Row(y);
    for (uint32_t x = 0; x < image.width; ++x) dib.U8(row[3 * x + 2]).U8(row[3 * x + 1]).U8(row[3 * x]);
    dib.Zeros(stride - image.width * 3);
  }
  return dib.bytes();
}

std::string WmfOfEveryRecord() {
  std::string dib = PackedDib24(FourColours());
  std::string pattern = ByteBuilder().U32(40).U32(2).U32(2).U16(1).U16(1).U32(0).U32(8).Zeros(16)
                            .U32(0x000000).U32(0xFFFFFF).U32(0x40000000).U32(0x80000000).bytes();
  std::vector<std::string> records = {
      WmfRecord(0x0103, {8}),                                  // SetMapMode anisotropic
      WmfRecord(0x020B, {0, 0}), WmfRecord(0x020C, {100, 100}),  // window
      WmfRecord(0x020F, {1, 1}), WmfRecord(0x0410, {1, 1, 1, 1}),
      WmfRecord(0x0201, {0x00FF, 0x0000}), WmfRecord(0x0102, {2}), WmfRecord(0x0106, {2}),
      WmfRecord(0x00F7, {0x0300, 2, 0x0000, 0x00FF, 0xFF00, 0x0000}),  // a palette of two entries
      WmfRecord(0x0234, {0}),
      WmfRecord(0x02FA, {0, 3, 0, 0x0001, 0x0100}),            // pen in palette entry 1
      WmfRecord(0x02FC, {2, 0x00FF, 0, 5}),                    // hatched brush
      WmfRecord(0x012D, {1}), WmfRecord(0x012D, {2}),
      WmfRecord(0x001E, {}),
      WmfRecord(0x0416, {90, 90, 5, 5}), WmfRecord(0x0415, {20, 20, 10, 10}),
      WmfRecord(0x0214, {5, 5}), WmfRecord(0x0213, {95, 50}),
      WmfRecord(0x0325, {3, 0, 0, 50, 20, 100, 0}),
      WmfRecord(0x0324, {4, 10, 10, 40, 10, 40, 40, 10, 40}),
      WmfRecord(0x0538, {2, 3, 3, 0, 0, 30, 0, 0, 30, 60, 60, 90, 60, 60, 90}),
      WmfRecord(0x041B, {50, 50, 20, 20}), WmfRecord(0x061C, {10, 10, 80, 80, 60, 60}),
      WmfRecord(0x0418, {70, 90, 50, 70}),
      WmfRecord(0x0817, {0, 50, 50, 100, 100, 100, 0, 0}), WmfRecord(0x081A, {50, 0, 0, 50, 60, 60, 0, 0}),
      WmfRecord(0x0830, {100, 50, 50, 0, 100, 100, 40, 40}),
      WmfRecord(0x0127, {-1}),
      WmfRecord(0x0142, {5, 0}, pattern), WmfRecord(0x012D, {3}),
      WmfRecord(0x061D, {0x0021, 0x00F0, 20, 20, 70, 70}),
      WmfRecord(0x041F, {0x0000, 0x00FF, 3, 3}),
      WmfRecord(0x0A32, {10, 10, 2, 2, 0, 0, 30, 8}, "ab"),
      WmfRecord(0x0940, {0x0020, 0x00CC, 0, 0, 2, 2, 0, 80}, dib),
      WmfRecord(0x0B41, {0x00C6, 0x0088, 2, 2, 0, 0, 20, 20, 80, 0}, dib),
      WmfRecord(0x0F43, {0x0086, 0x00EE, 0, 2, 2, 0, 0, -20, 20, 60, 20}, dib),
      WmfRecord(0x0D33, {0, 2, 0, 0, 0, 2, 2, 40, 40}, dib),
      WmfRecord(0x0940, {0x0042, 0x0000, 0, 0, 0, 5, 5, 0, 0}),  // blackness without a bitmap
      WmfRecord(0x012C, {0}),
      WmfRecord(0x01F0, {1}), WmfRecord(0x01F0, {2}), WmfRecord(0x01F0, {3}),
  };
  return WmfFile(records, Placeable{0, 0, 100, 100, 96}, 4);
}

}  // namespace volumist::testing
