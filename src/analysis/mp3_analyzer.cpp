#include "analysis/mp3_analyzer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "analysis/id3_text.h"
#include "analysis/mpeg_audio.h"
#include "catalog/utf8.h"

namespace volumist {
namespace {

// Raw bytes read of one text frame: enough for 254 bytes of text in any encoding.
constexpr uint32_t kMaxTextFrameBytes = 1024;
// Frame headers read at most: real tags have dozens; a tag of millions of empty frames is hostile.
constexpr int kMaxFrames = 10000;

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// A syncsafe integer (7 bits a byte); nothing when a byte has its top bit set.
std::optional<uint32_t> Syncsafe(const uint8_t* p) {
  if ((p[0] | p[1] | p[2] | p[3]) & 0x80) return std::nullopt;
  return (uint32_t{p[0]} << 21) | (uint32_t{p[1]} << 14) | (uint32_t{p[2]} << 7) | p[3];
}

bool ReadExact(platform::File& file, uint64_t offset, uint8_t* out, size_t n) {
  auto got = file.ReadAt(offset, std::span<std::byte>(reinterpret_cast<std::byte*>(out), n));
  return got && *got == n;
}

// Removes the 0x00 that unsynchronisation inserts after every 0xFF.
void Resynchronise(std::vector<uint8_t>& bytes) {
  size_t out = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[out++] = bytes[i];
    if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
  }
  bytes.resize(out);
}

struct TagReader {
  platform::File& file;
  Mp3Info& out;
  bool takenTitle = false, takenArtist = false, takenAlbum = false, takenComment = false;

  // Reads the frames of an ID3v2 tag of `major` version 2, 3 or 4 between `begin` and `end`.
  void ReadFrames(int major, bool tagUnsynchronised, uint64_t begin, uint64_t end);
};

// The version 2.3 name of a version 2.2 frame that is read; empty for the others.
std::string_view Id3v22Frame(std::string_view id) {
  static constexpr std::string_view kNames[][2] = {{"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TP1", "TPE1"}, {"TAL", "TALB"},
                                                   {"TOA", "TOAL"}, {"COM", "COMM"}, {"TYE", "TYER"}};
  for (const auto& name : kNames) {
    if (id == name[0]) return name[1];
  }
  return {};
}

void TagReader::ReadFrames(int major, bool tagUnsynchronised, uint64_t position, uint64_t end) {
  // Version 2.2 frames have a 6-byte header: a 3-character identifier and a 24-bit size.
  const uint64_t headerSize = major == 2 ? 6 : 10;
  for (int frames = 0; position + headerSize <= end && frames < kMaxFrames; ++frames) {
    uint8_t frame[10] = {};
    if (!ReadExact(file, position, frame, headerSize)) return;
    std::optional<uint32_t> size;
    std::string_view id;
    if (major == 2) {
      if (frame[0] == 0) return;  // padding
      size = (uint32_t{frame[3]} << 16) | (uint32_t{frame[4]} << 8) | frame[5];
      id = Id3v22Frame(std::string_view(reinterpret_cast<const char*>(frame), 3));
    } else {
      if (frame[0] == 0 || (frame[1] == 0 && frame[2] == 0) || frame[3] == 0) return;  // padding
      // Version 2.4 gives frame sizes as syncsafe integers, version 2.3 as plain 32-bit numbers.
      size = major >= 4 ? Syncsafe(frame + 4) : std::optional<uint32_t>(Be32(frame + 4));
      id = std::string_view(reinterpret_cast<const char*>(frame), 4);
    }
    if (!size || *size > end - position - headerSize) return;
    uint64_t body = position + headerSize;
    position = body + *size;

    std::string* field = nullptr;
    bool* taken = nullptr;
    bool isComment = false;
    bool isYear = false;
    if ((id == "TIT1" || id == "TIT2") && !takenTitle) {
      field = &out.title, taken = &takenTitle;
    } else if (id == "TPE1" && !takenArtist) {
      field = &out.artist, taken = &takenArtist;
    } else if ((id == "TALB" || id == "TOAL") && !takenAlbum) {
      field = &out.album, taken = &takenAlbum;
    } else if (id == "COMM" && !takenComment) {
      field = &out.comment, taken = &takenComment, isComment = true;
    } else if (id == "TYER" || id == "TDRC") {
      isYear = true;
    } else {
      continue;
    }

    // Frame flags: compressed or encrypted bodies cannot be read; a grouping byte or a data length
    // stands before the body.
    uint8_t format = frame[9];
    bool unsynchronised = tagUnsynchronised;
    uint64_t skip = 0;
    if (major >= 4) {
      if (format & 0x0C) continue;
      if (format & 0x02) unsynchronised = true;
      if (format & 0x40) skip += 1;
      if (format & 0x01) skip += 4;
    } else {
      if (format & 0xC0) continue;
      if (format & 0x20) skip += 1;
    }
    if (*size <= skip + 1) continue;  // an empty text leaves the field free
    std::vector<uint8_t> bytes(std::min<uint64_t>(*size - skip, kMaxTextFrameBytes));
    if (!ReadExact(file, body + skip, bytes.data(), bytes.size())) return;
    if (unsynchronised) Resynchronise(bytes);
    if (bytes.size() < 2) continue;
    uint8_t encoding = bytes[0];
    std::span<const uint8_t> text(bytes.data() + 1, bytes.size() - 1);
    if (isComment) {
      // Language (3 bytes), then a short description ending at its terminator, then the text.
      if (text.size() < 3) continue;
      text = text.subspan(3);
      bool wide = encoding == 1 || encoding == 2;
      size_t i = 0;
      if (wide) {
        while (i + 1 < text.size() && (text[i] != 0 || text[i + 1] != 0)) i += 2;
        i = std::min(i + 2, text.size());
      } else {
        while (i < text.size() && text[i] != 0) ++i;
        i = std::min(i + 1, text.size());
      }
      text = text.subspan(i);
    }
    std::string value = TidyTagText(DecodeId3Text(encoding, text));
    if (isYear) {
      out.year = value.substr(0, Utf8CutLength(value, 4));
    } else if (!value.empty()) {
      *field = std::move(value);
      *taken = true;
    }
  }
}

// The size of the ID3v2 tag at the start, header (and footer) included; 0 when there is none or
// its size is invalid. Reads the tag's frames into `out`.
uint64_t ReadId3v2(platform::File& file, Mp3Info& out) {
  uint8_t header[10];
  if (!ReadExact(file, 0, header, sizeof header) || std::memcmp(header, "ID3", 3) != 0) return 0;
  std::optional<uint32_t> size = Syncsafe(header + 6);
  if (!size || *size == 0) return 0;
  int major = header[3];
  uint8_t flags = header[5];
  uint64_t end = 10 + uint64_t{*size};
  uint64_t tagLength = end + ((major >= 4 && (flags & 0x10)) ? 10 : 0);
  if (major < 2 || major > 4) return tagLength;
  // A version 2.2 tag with its compression flag cannot be read.
  if (major == 2 && (flags & 0x40)) return tagLength;
  uint64_t position = 10;
  if (major >= 3 && (flags & 0x40)) {
    // An extended header: its size counts itself in version 2.4 (syncsafe), not in version 2.3.
    uint8_t extended[4];
    if (!ReadExact(file, 10, extended, sizeof extended)) return tagLength;
    std::optional<uint32_t> extendedSize = major >= 4 ? Syncsafe(extended) : std::optional<uint32_t>(Be32(extended) + 4);
    if (!extendedSize) return tagLength;
    position += *extendedSize;
  }
  TagReader reader{file, out};
  reader.ReadFrames(major, major <= 3 && (flags & 0x80), position, end);
  return tagLength;
}

// A 30-byte ID3v1 text: up to its first NUL, trailing blanks removed, ISO-8859-1 unless it is
// valid UTF-8.
std::string Id3v1Text(const uint8_t* bytes, size_t n) {
  std::string_view raw(reinterpret_cast<const char*>(bytes), n);
  raw = raw.substr(0, raw.find('\0'));
  std::string text = IsValidUtf8(raw) ? std::string(raw) : Latin1ToUtf8(raw);
  return TidyTagText(std::move(text));
}

void ReadId3v1(platform::File& file, uint64_t fileSize, Mp3Info& out) {
  uint8_t tag[128];
  if (fileSize < 128 || !ReadExact(file, fileSize - 128, tag, sizeof tag) || std::memcmp(tag, "TAG", 3) != 0) return;
  out.title = Id3v1Text(tag + 3, 30);
  out.artist = Id3v1Text(tag + 33, 30);
  out.album = Id3v1Text(tag + 63, 30);
  out.year.clear();
  for (int i = 93; i < 97 && tag[i] != 0; ++i) {
    if (tag[i] < 0x80) out.year += static_cast<char>(tag[i]);
  }
  out.comment = Id3v1Text(tag + 97, 30);
  out.genre = tag[127];
}

uint32_t Le32(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24); }

// The tags that writers append after the audio, each found from its end. Each returns the tag's
// length when the `available` bytes before `end` finish with one, else 0.
uint64_t Id3v1Length(platform::File& file, uint64_t end, uint64_t available) {
  uint8_t tag[3];
  return available >= 128 && ReadExact(file, end - 128, tag, 3) && std::memcmp(tag, "TAG", 3) == 0 ? 128 : 0;
}

// APE version 1 and 2: a 32-byte footer "APETAGEX" whose size counts the items and the footer;
// version 2 tags may also start with a header of the same form.
uint64_t ApeLength(platform::File& file, uint64_t end, uint64_t available) {
  uint8_t footer[32];
  if (available < 32 || !ReadExact(file, end - 32, footer, sizeof footer) || std::memcmp(footer, "APETAGEX", 8) != 0) {
    return 0;
  }
  uint64_t length = Le32(footer + 12) + ((Le32(footer + 20) & 0x80000000u) ? 32 : 0);
  return length >= 32 && length <= available ? length : 0;
}

// Lyrics3 version 2: "LYRICSBEGIN", fields, the size of both in six digits, "LYRICS200".
uint64_t Lyrics3v2Length(platform::File& file, uint64_t end, uint64_t available) {
  uint8_t footer[15];
  if (available < 15 + 11 || !ReadExact(file, end - 15, footer, sizeof footer) ||
      std::memcmp(footer + 6, "LYRICS200", 9) != 0) {
    return 0;
  }
  uint64_t size = 0;
  for (int i = 0; i < 6; ++i) {
    if (footer[i] < '0' || footer[i] > '9') return 0;
    size = size * 10 + (footer[i] - '0');
  }
  uint8_t begin[11];
  if (size < 11 || size + 15 > available || !ReadExact(file, end - 15 - size, begin, 11) ||
      std::memcmp(begin, "LYRICSBEGIN", 11) != 0) {
    return 0;
  }
  return size + 15;
}

// Lyrics3 version 1: "LYRICSBEGIN", at most 5,100 bytes of lyrics, "LYRICSEND".
uint64_t Lyrics3v1Length(platform::File& file, uint64_t end, uint64_t available) {
  constexpr size_t kMaxLyrics = 5100;
  uint8_t last[9];
  if (available < 9 + 11 || !ReadExact(file, end - 9, last, 9) || std::memcmp(last, "LYRICSEND", 9) != 0) return 0;
  size_t window = static_cast<size_t>(std::min<uint64_t>(available - 9, kMaxLyrics + 11));
  std::vector<uint8_t> bytes(window);
  if (!ReadExact(file, end - 9 - window, bytes.data(), window)) return 0;
  static constexpr std::string_view kBegin = "LYRICSBEGIN";
  for (size_t i = window - kBegin.size() + 1; i-- > 0;) {
    if (std::memcmp(bytes.data() + i, kBegin.data(), kBegin.size()) == 0) return window - i + 9;
  }
  return 0;
}

// An ID3v2.4 tag appended at the end: its footer "3DI" gives the size of the frames; header and
// footer add 10 bytes each.
uint64_t AppendedId3v2Length(platform::File& file, uint64_t end, uint64_t available) {
  uint8_t footer[10];
  if (available < 20 || !ReadExact(file, end - 10, footer, sizeof footer) || std::memcmp(footer, "3DI", 3) != 0) {
    return 0;
  }
  std::optional<uint32_t> size = Syncsafe(footer + 6);
  if (!size || uint64_t{*size} + 20 > available) return 0;
  uint8_t header[3];
  if (!ReadExact(file, end - 20 - *size, header, 3) || std::memcmp(header, "ID3", 3) != 0) return 0;
  return uint64_t{*size} + 20;
}

// Where the audio that starts at `start` ends: before the tags appended after it, in any order.
uint64_t AudioEnd(platform::File& file, uint64_t start, uint64_t end) {
  // Each kind at most twice: a file does not carry more, and a loop of forged footers must end.
  for (int round = 0; round < 10 && end > start; ++round) {
    uint64_t available = end - start;
    uint64_t length = Id3v1Length(file, end, available);
    if (length == 0) length = ApeLength(file, end, available);
    if (length == 0) length = Lyrics3v2Length(file, end, available);
    if (length == 0) length = Lyrics3v1Length(file, end, available);
    if (length == 0) length = AppendedId3v2Length(file, end, available);
    if (length == 0) break;
    end -= length;
  }
  return end;
}

bool IsFrameHeader(uint32_t h) {
  return (h >> 21) == 0x7FF && ((h >> 19) & 3) != 1 && ((h >> 17) & 3) != 0 && ((h >> 12) & 15) != 0 &&
         ((h >> 12) & 15) != 15 && ((h >> 10) & 3) != 3 && (h & 3) != 2;
}

}  // namespace

bool AnalyzeMp3(platform::File& file, Mp3Info& out) {
  out = Mp3Info{};
  auto size = file.Size();
  if (!size) return false;
  uint64_t fileSize = *size;
  uint64_t tagLength = ReadId3v2(file, out);
  if (out.title.empty()) ReadId3v1(file, fileSize, out);

  // The first frame header within the search length after the tag.
  std::vector<uint8_t> window(kMp3SyncSearchLength + 4);
  auto got = file.ReadAt(tagLength, std::span<std::byte>(reinterpret_cast<std::byte*>(window.data()), window.size()));
  if (!got || *got < 4) {
    out = Mp3Info{};
    return false;
  }
  std::optional<size_t> found;
  for (size_t i = 0; i + 4 <= *got; ++i) {
    if (window[i] == 0xFF && IsFrameHeader(Be32(window.data() + i))) {
      found = i;
      break;
    }
  }
  if (!found) {
    out = Mp3Info{};
    return false;
  }
  uint64_t frameStart = tagLength + *found;
  uint32_t h = Be32(window.data() + *found);
  int version = (h >> 19) & 3;
  int layer = (h >> 17) & 3;
  int bitrateIndex = (h >> 12) & 15;
  int rateIndex = (h >> 10) & 3;
  bool mono = ((h >> 6) & 3) == 3;
  bool mpeg1 = version == kMpegVersion1;
  uint32_t sampleRate = MpegAudioSampleRate(version, rateIndex);
  uint32_t bitrate = MpegAudioBitrate(mpeg1, layer, bitrateIndex);

  // A Xing header behind the side information marks a variable bitrate ("Info" is the same header
  // of a constant-bitrate file); a VBRI header stands 32 bytes after the frame header.
  uint64_t sideInformation = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  uint8_t xing[12] = {};
  uint32_t frames = 0;
  if (ReadExact(file, frameStart + 4 + sideInformation, xing, sizeof xing) && std::memcmp(xing, "Xing", 4) == 0 &&
      (xing[7] & 0x01)) {
    frames = Be32(xing + 8);
  }
  uint8_t vbri[18] = {};
  if (frames == 0 && ReadExact(file, frameStart + 4 + 32, vbri, sizeof vbri) && std::memcmp(vbri, "VBRI", 4) == 0) {
    frames = Be32(vbri + 14);
  }
  // The audio: from the first frame to the tags appended at the end. Tags are not audio: a large
  // cover picture or padding would otherwise lengthen the play time and raise the bitrate.
  uint64_t audioBytes = AudioEnd(file, frameStart + 4, fileSize) - frameStart;
  // Samples per frame: 384 for Layer I, 576 for Layer III of MPEG-2 and 2.5, 1152 otherwise; the
  // bytes per frame are samples / 8 * bitrate / sample rate.
  uint32_t samples = layer == kLayer1 ? 384 : (layer == kLayer3 && !mpeg1) ? 576 : 1152;
  bool variable = false;
  if (frames > 0) {
    double k = samples / 8.0;
    auto averageFrame = static_cast<float>(static_cast<double>(audioBytes) / frames);
    auto vbr = static_cast<uint32_t>(std::min(sampleRate * static_cast<double>(averageFrame) / (1000.0 * k), 4e9));
    // A count that makes the bitrate 0 is not believed: the first header's bitrate stands.
    if (vbr > 0) {
      bitrate = vbr;
      variable = true;
      out.vbrBitrate = static_cast<int32_t>(std::min<uint32_t>(vbr, INT32_MAX));
    }
  }
  if (variable) {
    // The frame count gives the play time exactly; the whole part of an average bitrate would not.
    out.lengthSeconds = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{frames} * samples / sampleRate, UINT32_MAX));
  } else {
    // (S * 8 / 1000) / B, where S * 8 / 1000 truncated is S / 125: no overflow for any size.
    out.lengthSeconds = static_cast<uint32_t>(std::min<uint64_t>(audioBytes / 125 / bitrate, UINT32_MAX));
  }
  out.mpegHeaderBits = static_cast<uint16_t>(version | (rateIndex << 2) | (bitrateIndex << 4) | ((layer - 1) << 8));
  out.isEmpty = false;
  return true;
}

bool AnalyzeMp3(const std::string& path, Mp3Info& out, platform::FileSystem& fileSystem) {
  out = Mp3Info{};
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return false;
  return AnalyzeMp3(*opened.file, out);
}

}  // namespace volumist
