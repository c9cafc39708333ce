// MP3, AVI and MPEG files built field by field for tests, fuzzer seeds and benchmark corpora:
// ID3 tags, MPEG audio frame headers with Xing/Info/VBRI headers, RIFF AVI header lists, and MPEG-1
// and MPEG-2 program streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace volumist::testing {

// --- MP3

std::string Be32(uint32_t value);
std::string Syncsafe(uint32_t value);

struct Id3Frame {
  std::string id;
  std::string body;  // text frames: the encoding byte, then the text
};
// A text frame in `encoding` (0 ISO-8859-1, 1 UTF-16 with mark, 2 UTF-16BE, 3 UTF-8).
Id3Frame Id3Text(const std::string& id, const std::string& text, uint8_t encoding = 0);
// An ID3v2 tag of version 2.`major`: frame sizes plain in 2.3, syncsafe in 2.4.
std::string Id3v2Tag(int major, const std::vector<Id3Frame>& frames, size_t padding = 0);
std::string Id3v1Tag(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, const std::string& comment, uint8_t genre);
// An ID3v2.4 tag with a footer, as a writer appends it at the end of a file.
std::string Id3v2AppendedTag(const std::vector<Id3Frame>& frames);
// An APE tag (version 2000 with its header when `header`, or version 1000, which has none) holding
// `items` (raw item bytes) as `count` items.
std::string ApeTag(const std::string& items, uint32_t count, bool header);
// Lyrics3 version 2 (fields, their size in 6 digits, "LYRICS200") and version 1 (up to "LYRICSEND").
std::string Lyrics3v2Tag(const std::string& fields);
std::string Lyrics3v1Tag(const std::string& lyrics);
// A frame header of the version field, layer field, bitrate index, sample-rate index, channel mode.
std::string Mp3FrameHeader(int version, int layer, int bitrate, int rate, int mode = 0);
// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, stereo.
std::string Mp3CbrHeader();
// "Xing" or "Info" with its flags and frame count.
std::string XingHeader(const char* magic, uint32_t flags, uint32_t frames);
// A frame header, `sideInformation` zero bytes, an optional VBR header, then filler up to `size`
// bytes in all.
std::string Mp3Audio(const std::string& header, const std::string& vbr, size_t size, size_t sideInformation = 32);

// --- AVI

std::string RiffChunk(const std::string& id, const std::string& body);
std::string RiffList(const std::string& type, const std::string& content);
std::string AviMainHeader(uint32_t frames, uint32_t width, uint32_t height);
std::string AviVideoStream(const std::string& handler, uint32_t scale, uint32_t rate);
std::string AviAudioStream(uint16_t formatTag, uint16_t channels, uint32_t rate, uint32_t bytesPerSecond);
// RIFF AVI with the header list of `main` and `streams`, and an empty movie list.
std::string AviFile(const std::string& streams, const std::string& main = AviMainHeader(1500, 640, 480));

// --- MPEG

std::string Mpeg1Pack(uint64_t clock);
std::string Mpeg2Pack(uint64_t clock, int stuffing);
std::string MpegPacket(uint8_t id, const std::string& payload);
std::string MpegSequenceHeader(uint32_t width, uint32_t height, uint8_t frameRateCode);
// An audio frame header word and 20 bytes of silence.
std::string MpegAudioFrame(uint32_t word);
std::string MpegPadding(size_t n);
// MPEG-1 Layer II, 224 kbit/s, 44100 Hz, stereo; MPEG-2 Layer III, 64 kbit/s, 22050 Hz, mono.
inline constexpr uint32_t kLayer2AudioWord = 0xFFFDB004;
inline constexpr uint32_t kMpeg2AudioWord = 0xFFF380C4;
// An MPEG-1 system stream of a video CD: pack and system header, a 352 x 288 25 fps video packet and
// an audio packet with MPEG-1 packet headers, padding packs up to about `size` bytes whose clock is
// 900, and a last pack at `lastClock`.
std::string Mpeg1Stream(uint32_t audioWord, uint64_t lastClock, size_t size = 20000);

}  // namespace volumist::testing
