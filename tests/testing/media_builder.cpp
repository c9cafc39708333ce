#include "testing/media_builder.h"

#include <algorithm>

#include "testing/byte_builder.h"

namespace volumist::testing {

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Syncsafe(uint32_t v) {
  return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F), static_cast<char>((v >> 7) & 0x7F),
          static_cast<char>(v & 0x7F)};
}

Id3Frame Id3Text(const std::string& id, const std::string& text, uint8_t encoding) {
  return {id, std::string(1, static_cast<char>(encoding)) + text};
}

std::string Id3v2Tag(int major, const std::vector<Id3Frame>& frames, size_t padding) {
  std::string body;
  for (const Id3Frame& f : frames) {
    auto size = static_cast<uint32_t>(f.body.size());
    body += f.id + (major == 4 ? Syncsafe(size) : Be32(size)) + std::string(2, '\0') + f.body;
  }
  body += std::string(padding, '\0');
  return std::string("ID3") + static_cast<char>(major) + '\0' + '\0' + Syncsafe(static_cast<uint32_t>(body.size())) + body;
}

std::string Id3v1Tag(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, const std::string& comment, uint8_t genre) {
  auto field = [](std::string s, size_t n) {
    s.resize(n, '\0');
    return s;
  };
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + field(comment, 30) +
         static_cast<char>(genre);
}

std::string Id3v2AppendedTag(const std::vector<Id3Frame>& frames) {
  std::string tag = Id3v2Tag(4, frames);
  tag[5] = 0x10;  // footer present
  return tag + "3DI" + tag.substr(3, 7);
}

std::string ApeTag(const std::string& items, uint32_t count, bool header) {
  auto block = [&](uint32_t flags) {
    return ByteBuilder().Raw("APETAGEX").U32(header ? 2000 : 1000).U32(static_cast<uint32_t>(items.size() + 32)).U32(count)
        .U32(flags).Zeros(8).bytes();
  };
  constexpr uint32_t kHasHeader = 0x80000000, kIsHeader = 0x20000000;
  return (header ? block(kHasHeader | kIsHeader) : std::string()) + items + block(header ? kHasHeader : 0);
}

std::string Lyrics3v2Tag(const std::string& fields) {
  std::string tag = "LYRICSBEGIN" + fields;
  std::string size = std::to_string(tag.size());
  return tag + std::string(6 - size.size(), '0') + size + "LYRICS200";
}

std::string Lyrics3v1Tag(const std::string& lyrics) { return "LYRICSBEGIN" + lyrics + "LYRICSEND"; }

std::string Mp3FrameHeader(int version, int layer, int bitrate, int rate, int mode) {
  uint32_t h = 0xFFE00000u | (uint32_t(version) << 19) | (uint32_t(layer) << 17) | (1u << 16) | (uint32_t(bitrate) << 12) |
               (uint32_t(rate) << 10) | (uint32_t(mode) << 6);
  return Be32(h);
}

std::string Mp3CbrHeader() { return Mp3FrameHeader(3, 1, 9, 0); }

std::string XingHeader(const char* magic, uint32_t flags, uint32_t frames) {
  return std::string(magic, 4) + Be32(flags) + Be32(frames);
}

std::string Mp3Audio(const std::string& header, const std::string& vbr, size_t size, size_t sideInformation) {
  std::string audio = header + std::string(sideInformation, '\0') + vbr;
  audio.resize(std::max(size, audio.size()), '\x55');
  return audio;
}

std::string RiffChunk(const std::string& id, const std::string& body) {
  std::string chunk = ByteBuilder().Raw(id).U32(static_cast<uint32_t>(body.size())).Raw(body).bytes();
  if (body.size() & 1) chunk += '\0';
  return chunk;
}

std::string RiffList(const std::string& type, const std::string& content) {
  return ByteBuilder().Raw("LIST").U32(static_cast<uint32_t>(4 + content.size())).Raw(type).Raw(content).bytes();
}

std::string AviMainHeader(uint32_t frames, uint32_t width, uint32_t height) {
  return ByteBuilder().U32(40000).Zeros(12).U32(frames).Zeros(12).U32(width).U32(height).Zeros(16).bytes();
}

std::string AviVideoStream(const std::string& handler, uint32_t scale, uint32_t rate) {
  std::string strh = ByteBuilder().Raw("vids").Raw(handler).Zeros(12).U32(scale).U32(rate).Zeros(24).bytes();
  return RiffList("strl", RiffChunk("strh", strh) + RiffChunk("strf", std::string(40, '\0')));
}

std::string AviAudioStream(uint16_t formatTag, uint16_t channels, uint32_t rate, uint32_t bytesPerSecond) {
  std::string strh = ByteBuilder().Raw("auds").Zeros(4).Zeros(12).U32(1).U32(rate).Zeros(24).bytes();
  std::string wave = ByteBuilder().U16(formatTag).U16(channels).U32(rate).U32(bytesPerSecond).U16(4).U16(16).U16(0).bytes();
  return RiffList("strl", RiffChunk("strh", strh) + RiffChunk("strf", wave));
}

std::string AviFile(const std::string& streams, const std::string& main) {
  std::string hdrl = RiffList("hdrl", RiffChunk("avih", main) + streams);
  std::string body = "AVI " + hdrl + RiffList("movi", "");
  return ByteBuilder().Raw("RIFF").U32(static_cast<uint32_t>(body.size())).Raw(body).bytes();
}

std::string Mpeg1Pack(uint64_t clock) {
  ByteBuilder b;
  b.Raw(std::string("\0\0\1\xBA", 4));
  b.U8(static_cast<uint8_t>(0x21 | ((clock >> 29) & 0x0E)));
  b.U8(static_cast<uint8_t>(clock >> 22)).U8(static_cast<uint8_t>(((clock >> 14) & 0xFE) | 1));
  b.U8(static_cast<uint8_t>(clock >> 7)).U8(static_cast<uint8_t>(((clock << 1) & 0xFE) | 1));
  return b.U8(0x80).U8(0x1B).U8(0x83).bytes();  // mux rate
}

std::string Mpeg2Pack(uint64_t clock, int stuffing) {
  ByteBuilder b;
  b.Raw(std::string("\0\0\1\xBA", 4));
  b.U8(static_cast<uint8_t>(0x44 | ((clock >> 27) & 0x38) | ((clock >> 28) & 3)));
  b.U8(static_cast<uint8_t>(clock >> 20));
  b.U8(static_cast<uint8_t>(((clock >> 12) & 0xF8) | 4 | ((clock >> 13) & 3)));
  b.U8(static_cast<uint8_t>(clock >> 5));
  b.U8(static_cast<uint8_t>(((clock << 3) & 0xF8) | 4)).U8(1);
  b.U8(0x01).U8(0x89).U8(0xC3).U8(static_cast<uint8_t>(0xF8 | stuffing));
  for (int i = 0; i < stuffing; ++i) b.U8(0xFF);
  return b.bytes();
}

std::string MpegPacket(uint8_t id, const std::string& payload) {
  return ByteBuilder()
      .Raw(std::string("\0\0\1", 3))
      .U8(id)
      .U8(static_cast<uint8_t>(payload.size() >> 8))
      .U8(static_cast<uint8_t>(payload.size()))
      .Raw(payload)
      .bytes();
}

std::string MpegSequenceHeader(uint32_t width, uint32_t height, uint8_t frameRateCode) {
  uint32_t v = (width << 20) | (height << 8) | 0x30 | frameRateCode;
  return ByteBuilder().Raw(std::string("\0\0\1\xB3", 4)).Raw(Be32(v)).Zeros(4).bytes();
}

std::string MpegAudioFrame(uint32_t word) { return Be32(word) + std::string(20, '\0'); }

std::string MpegPadding(size_t n) { return MpegPacket(0xBE, std::string(n, '\xFF')); }

std::string Mpeg1Stream(uint32_t audioWord, uint64_t lastClock, size_t size) {
  std::string stream = Mpeg1Pack(0) + MpegPacket(0xBB, std::string(12, '\x80'));
  stream += MpegPacket(0xE0, std::string("\xFF\xFF\x60\x00\x21\x00\x01\x00\x01", 9) + MpegSequenceHeader(352, 288, 3));
  stream += MpegPacket(0xC0, std::string("\x0F", 1) + MpegAudioFrame(audioWord));
  while (stream.size() < size) stream += Mpeg1Pack(900) + MpegPadding(2000);
  return stream + Mpeg1Pack(lastClock) + MpegPadding(100) + std::string("\0\0\1\xB9", 4);
}

}  // namespace volumist::testing
