// MediaInfo: the media type of a file and, when an analysis succeeded, its body (AVI, MPEG, MP3 or
// picture). The media type follows from the file's extension.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

#include "catalog/avi_info.h"
#include "catalog/coding.h"
#include "catalog/image_info.h"
#include "catalog/mp3_info.h"
#include "catalog/mpeg_info.h"

namespace volumist {

class VolumeWriter;

// Media type codes, as stored.
enum MediaType : uint8_t {
  kMediaNone = 0,
  kMediaAvi = 1,
  kMediaMpeg = 2,
  kMediaMp3 = 3,
  kMediaJpeg = 5,
  kMediaBmp = 6,
  kMediaGif = 7,
  kMediaIco = 8,
  kMediaTga = 9,
  kMediaPcx = 10,
  kMediaPng = 11,
  kMediaWmf = 12,
  kMediaTiff = 13,
  kMediaWbmp = 16,
};

inline bool IsImageMediaType(uint8_t type) { return type >= kMediaJpeg && type <= kMediaWbmp; }

// The media type of an extension given with its dot (".mp3"), compared without regard to case;
// kMediaNone for every other extension.
uint8_t MediaTypeOfExtension(std::string_view extension);

struct MediaInfo {
  uint8_t mediaType = kMediaNone;
  std::variant<std::monostate, AviInfo, MpegInfo, Mp3Info, ImageInfo> body;

  bool HasBody() const { return !std::holds_alternative<std::monostate>(body); }
  const AviInfo* Avi() const { return std::get_if<AviInfo>(&body); }
  const MpegInfo* Mpeg() const { return std::get_if<MpegInfo>(&body); }
  const Mp3Info* Mp3() const { return std::get_if<Mp3Info>(&body); }
  const ImageInfo* Image() const { return std::get_if<ImageInfo>(&body); }
  void Clear() {
    mediaType = kMediaNone;
    body = std::monostate{};
  }

  // Reads the type byte and the body it announces. Types that have no body (0, 4, 17 and above)
  // read as kMediaNone.
  bool Read(FieldReader& in);
  // Writes the type byte and the body; a file without a body (analysis off or failed) is written
  // with type 0.
  void Write(VolumeWriter& out) const;
  static bool Skip(FieldReader& in);
};

}  // namespace volumist
