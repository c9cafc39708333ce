#include "catalog/media_info.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "catalog/volume_writer.h"

namespace volumist {
namespace {

enum class BodyKind { kNone, kAvi, kMpeg, kMp3, kImage };

BodyKind BodyKindOf(uint8_t type) {
  switch (type) {
    case kMediaAvi: return BodyKind::kAvi;
    case kMediaMpeg: return BodyKind::kMpeg;
    case kMediaMp3: return BodyKind::kMp3;
    default: return IsImageMediaType(type) ? BodyKind::kImage : BodyKind::kNone;
  }
}

}  // namespace

uint8_t MediaTypeOfExtension(std::string_view extension) {
  struct Entry {
    std::string_view extension;
    uint8_t type;
  };
  static constexpr std::array<Entry, 16> kTable = {{
      {".avi", kMediaAvi}, {".mpg", kMediaMpeg}, {".mpeg", kMediaMpeg}, {".mp2", kMediaMpeg},
      {".mp3", kMediaMp3}, {".jpg", kMediaJpeg}, {".jpeg", kMediaJpeg}, {".bmp", kMediaBmp},
      {".gif", kMediaGif}, {".ico", kMediaIco}, {".tga", kMediaTga}, {".pcx", kMediaPcx},
      {".png", kMediaPng}, {".wmf", kMediaWmf}, {".tiff", kMediaTiff}, {".wbmp", kMediaWbmp},
  }};
  auto equal = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == y;
           });
  };
  for (const Entry& entry : kTable) {
    if (equal(extension, entry.extension)) return entry.type;
  }
  return kMediaNone;
}

bool MediaInfo::Read(FieldReader& in) {
  mediaType = in.U8();
  switch (BodyKindOf(mediaType)) {
    case BodyKind::kAvi: body.emplace<AviInfo>().Read(in); break;
    case BodyKind::kMpeg: body.emplace<MpegInfo>().Read(in); break;
    case BodyKind::kMp3: body.emplace<Mp3Info>().Read(in); break;
    case BodyKind::kImage: body.emplace<ImageInfo>().Read(in); break;
    case BodyKind::kNone:
      mediaType = kMediaNone;
      body = std::monostate{};
      break;
  }
  return in.ok();
}

void MediaInfo::Write(VolumeWriter& out) const {
  if (!HasBody()) {
    out.WriteU8(kMediaNone);
    return;
  }
  out.WriteU8(mediaType);
  std::visit(
      [&out](const auto& value) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(value)>, std::monostate>) value.Write(out);
      },
      body);
}

bool MediaInfo::Skip(FieldReader& in) {
  switch (BodyKindOf(in.U8())) {
    case BodyKind::kAvi: return AviInfo::Skip(in);
    case BodyKind::kMpeg: return MpegInfo::Skip(in);
    case BodyKind::kMp3: return Mp3Info::Skip(in);
    case BodyKind::kImage: return ImageInfo::Skip(in);
    case BodyKind::kNone: break;
  }
  return in.ok();
}

}  // namespace volumist
