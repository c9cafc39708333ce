#include "testing/picture_builder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "imaging/jpeg_encoder.h"
#include "testing/temp_dir.h"

namespace volumist::testing {

RgbImage PatternImage(uint32_t width, uint32_t height) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t{width} * height * 3)};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = image.Row(y) + 3 * size_t{x};
      p[0] = static_cast<uint8_t>(x * 255 / std::max<uint32_t>(width - 1, 1));
      p[1] = static_cast<uint8_t>(y * 255 / std::max<uint32_t>(height - 1, 1));
      p[2] = ((x / 8 + y / 8) & 1) ? 200 : 40;
    }
  }
  return image;
}

RgbImage SolidImage(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t{width} * height * 3)};
  for (size_t i = 0; i < image.pixels.size(); i += 3) {
    image.pixels[i] = r;
    image.pixels[i + 1] = g;
    image.pixels[i + 2] = b;
  }
  return image;
}

namespace {

void PngWrite(png_structp png, png_bytep data, size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void PngFlush(png_structp) {}

}  // namespace

std::string EncodePng(const RgbImage& image, const PngOptions& options) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encoding failed");
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  int colorType = PNG_COLOR_TYPE_RGB;
  size_t channels = 3;
  switch (options.kind) {
    case PngOptions::Kind::kRgb: break;
    case PngOptions::Kind::kRgba: colorType = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4; break;
    case PngOptions::Kind::kGray: colorType = PNG_COLOR_TYPE_GRAY, channels = 1; break;
    case PngOptions::Kind::kPalette: colorType = PNG_COLOR_TYPE_PALETTE, channels = 1; break;
  }
  int depth = options.kind == PngOptions::Kind::kRgb ? options.bitDepth : 8;
  png_set_IHDR(png, info, image.width, image.height, depth, colorType,
               options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::map<uint32_t, uint8_t> indexOf;
  std::vector<png_color> palette;
  if (options.kind == PngOptions::Kind::kPalette) {
    for (size_t i = 0; i < image.pixels.size() && palette.size() < 256; i += 3) {
      uint32_t key = (uint32_t{image.pixels[i]} << 16) | (uint32_t{image.pixels[i + 1]} << 8) | image.pixels[i + 2];
      if (indexOf.emplace(key, static_cast<uint8_t>(palette.size())).second) {
        palette.push_back({image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]});
      }
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  png_write_info(png, info);
  size_t sampleBytes = depth == 16 ? 2 : 1;
  std::vector<uint8_t> rows(size_t{image.width} * channels * sampleBytes * image.height);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = image.Row(y);
    uint8_t* row = rows.data() + size_t{y} * image.width * channels * sampleBytes;
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = in + 3 * size_t{x};
      switch (options.kind) {
        case PngOptions::Kind::kRgb:
          for (int c = 0; c < 3; ++c) {
            if (sampleBytes == 2) {
              row[6 * x + 2 * c] = p[c];
              row[6 * x + 2 * c + 1] = p[c];
            } else {
              row[3 * x + c] = p[c];
            }
          }
          break;
        case PngOptions::Kind::kRgba:
          std::memcpy(row + 4 * x, p, 3);
          row[4 * x + 3] = options.alpha;
          break;
        case PngOptions::Kind::kGray: row[x] = p[0]; break;
        case PngOptions::Kind::kPalette: {
          uint32_t key = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
          auto found = indexOf.find(key);
          row[x] = found == indexOf.end() ? 0 : found->second;
          break;
        }
      }
    }
  }
  std::vector<png_bytep> pointers(image.height);
  for (uint32_t y = 0; y < image.height; ++y) {
    pointers[y] = rows.data() + size_t{y} * image.width * channels * sampleBytes;
  }
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string EncodeJpegFile(const RgbImage& image, int quality, bool grayscale, bool progressive) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = image.width;
  info.image_height = image.height;
  info.input_components = grayscale ? 1 : 3;
  info.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> gray(image.width);
  while (info.next_scanline < info.image_height) {
    const uint8_t* row = image.Row(info.next_scanline);
    JSAMPROW rows[1];
    if (grayscale) {
      for (uint32_t x = 0; x < image.width; ++x) gray[x] = row[3 * x];
      rows[0] = gray.data();
    } else {
      rows[0] = const_cast<uint8_t*>(row);
    }
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
  return length;
}

}  // namespace

std::string EncodeGif(uint32_t width, uint32_t height, const std::vector<uint8_t>& indexes, const GifOptions& options) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  int count = static_cast<int>(options.palette.size() / 3);
  ColorMapObject* map = GifMakeMapObject(count, nullptr);
  for (int i = 0; i < count; ++i) {
    map->Colors[i] = {options.palette[3 * i], options.palette[3 * i + 1], options.palette[3 * i + 2]};
  }
  EGifSetGifVersion(gif, true);
  uint32_t screenWidth = options.screenWidth ? options.screenWidth : width;
  uint32_t screenHeight = options.screenHeight ? options.screenHeight : height;
  EGifPutScreenDesc(gif, static_cast<int>(screenWidth), static_cast<int>(screenHeight), map->BitsPerPixel, 0, map);
  if (options.transparentIndex >= 0) {
    GifByteType control[4] = {0x01, 0, 0, static_cast<GifByteType>(options.transparentIndex)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
  }
  EGifPutImageDesc(gif, static_cast<int>(options.left), static_cast<int>(options.top), static_cast<int>(width),
                   static_cast<int>(height), options.interlaced, nullptr);
  std::vector<GifPixelType> line(width);
  auto putRow = [&](uint32_t y) {
    std::memcpy(line.data(), indexes.data() + size_t{y} * width, width);
    EGifPutLine(gif, line.data(), static_cast<int>(width));
  };
  if (options.interlaced) {
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (uint32_t y = kStart[pass]; y < height; y += kStep[pass]) putRow(y);
    }
  } else {
    for (uint32_t y = 0; y < height; ++y) putRow(y);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

std::string EncodeTiff(const RgbImage& image) {
  TempDir dir;
  std::string path = dir.File("picture.tiff");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  for (uint32_t y = 0; y < image.height; ++y) TIFFWriteScanline(tiff, const_cast<uint8_t*>(image.Row(y)), y, 0);
  TIFFClose(tiff);
  return ReadFileBytes(path);
}

}  // namespace volumist::testing
