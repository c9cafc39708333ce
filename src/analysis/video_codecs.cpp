#include "analysis/video_codecs.h"



namespace volumist {
namespace {

struct CodecEntry {
  std::string_view fourcc;  // four bytes; or three for the lower-case raw formats
  uint8_t id;
  const char* name;
};

constexpr std::string_view kZeroFourcc("\0\0\0\0", 4);

// In the order in which FourCCs are compared.
constexpr CodecEntry kCodecs[] = {
    {kZeroFourcc, 100, "Uncompressed or unknown"},
    {"div3", 2, "DivX Codec 3.x"},
    {"div4", 3, "DivX Codec 4.x"},
    {"divx", 4, "DivX Codec 5.x"},
    {"xvid", 5, "Xvid MPEG-4 Codec"},
    {"mpg4", 10, "Microsoft MPEG-4"},
    {"mp42", 11, "MS-HSpeed MPEG-4 V2"},
    {"mp43", 12, "MS-HSpeed MPEG-4 V3"},
    {"iv31", 15, "Intel Indeo(r) R3.1"},
    {"iv32", 16, "Intel Indeo(r) R3.2"},
    {"iv41", 17, "Intel Indeo(r) 4.x"},
    {"iv50", 18, "Intel Indeo(r) 5.0"},
    {"msvc", 30, "Microsoft Video 1"},
    {"cram", 31, "Microsoft Video 1"},
    {"wham", 32, "Microsoft Video 1"},
    {"rle8", 33, "Run length encoded"},
    {"jpeg", 34, "JPEG encoded"},
    {"cvid", 35, "Radius Cinepak"},
    {"yuv9", 36, "Intel RAW YUV9"},
    {"cyuv", 37, "Creative CYUV"},
    {"mjpg", 38, "Motion JPEG"},
    {"ulti", 39, "IBM Ultimotion"},
    {"h261", 50, "H.261 video codec"},
    {"m261", 51, "Microsoft H.261 video codec"},
    {"vivo", 52, "Vivo H.263 video codec"},
    {"m263", 53, "Microsoft H.263 video codec"},
    {"i263", 54, "Intel H.263 video codec"},
    {"x263", 55, "Xirlink H.263 video codec"},
    {"rgb", 100, "Uncompressed or unknown"},
    {"dib", 100, "Uncompressed or unknown"},
    {"raw", 100, "Uncompressed or unknown"},
    {"mrle", 56, "Microsoft Run Length Encoding"},
    {"mwv1", 57, "Aware Motion Wavelets Video Codec"},
    {"vdow", 58, "VDONet VDOWave Video Codec"},
    {"ucod", 59, "ClearVideo (Iterated Systems)"},
    {"sfmc", 60, "Surface Fitting Method"},
    {"qpeg", 61, "Q-Team Dr.Vaskel 's QPEG video compressor"},
    {"dmb1", 62, "Matrox Rainbow Runner Motion JPEG"},
    {"bw10", 63, "Broadway I-Frame MPEG"},
    {"bt20", 64, "Brooktree - MediaStream codec"},
    {"btcv", 65, "Brooktree - Composite Video codec"},
    {"cc12", 66, "Intel - YUV12 codec"},
    {"dxtc", 67, "DirectX Texture Compression"},
    {"vcr1", 68, "ATI - VCR 1.0"},
    {"sdcc", 69, "Sun Communications - Digital Camera Codec"},
    {"", 1, "Unknown"},
    {"", 0, "Uncompressed"},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool MatchesNoCase(std::string_view fourcc, std::string_view entry) {
  for (size_t i = 0; i < 4; ++i) {
    if (Lower(fourcc[i]) != entry[i]) return false;
  }
  return true;
}

}  // namespace

uint8_t VideoCodecIdOf(std::string_view fourcc) {
  if (fourcc.size() != 4) return kVideoCodecUnknown;
  for (const CodecEntry& entry : kCodecs) {
    if (entry.fourcc.size() == 3) {
      if (fourcc.substr(0, 3) == entry.fourcc) return entry.id;  // lower case only
    } else if (entry.fourcc.size() == 4 && MatchesNoCase(fourcc, entry.fourcc)) {
      return entry.id;
    }
  }
  return kVideoCodecUnknown;
}

const char* VideoCodecNameOf(uint8_t id) {
  for (const CodecEntry& entry : kCodecs) {
    if (entry.id == id) return entry.name;
  }
  return "Unknown";
}

bool AviHasAudio(const AviInfo& info) { return info.audioBitrate != 0 || info.audioChannels != 0; }

const char* AviAudioCodecName(const AviInfo& info) {
  if (!AviHasAudio(info)) return "- No audio -";
  switch (info.audioCodec) {
    case 1: return "PCM";
    case 2: return "Microsoft ADPCM";
    case 16: case 17: case 19: case 20: return "Different ADPCM";
    case 48: return "Dolby Digital AC2";
    case 49: return "GSM 6.10";
    case 80: return "MPEG Codec";
    case 85: return "MPEG Layer-III";
    case 97: return "DivX WMA Audio V2";
    default: return info.audioChannels == 5 ? "AC3-Digital" : "Unknown";
  }
}

bool MpegHasAudio(const MpegInfo& info) {
  return info.audioLayer != 0 || info.audioBitrateIndex != 0 || info.audioRateCode != 0;
}

const char* MpegVideoCodecName(const MpegInfo& info) { return info.audioRateCode < 4 ? "MPEG-1" : "MPEG-2"; }

const char* MpegAudioCodecName(const MpegInfo& info) {
  if (!MpegHasAudio(info)) return "- No audio -";
  switch (info.audioLayer) {
    case 1: return "MPEG Layer-III";
    case 2: return "MPEG Layer-II";
    case 3: return "MPEG Layer-I";
    default: return "Unknown";
  }
}

}  // namespace volumist
