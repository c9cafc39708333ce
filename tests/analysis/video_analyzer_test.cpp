// The AVI and MPEG analyzers on files built here byte by byte, and the video accessors and text
// forms on what they find.
#include <gtest/gtest.h>

#include "analysis/avi_analyzer.h"
#include "analysis/media_format.h"
#include "analysis/mpeg_analyzer.h"
#include "analysis/video_codecs.h"
#include "analysis/video_info.h"
#include "imaging/memory_file.h"
#include "testing/byte_builder.h"
#include "testing/media_builder.h"

namespace volumist {
namespace {

using testing::ByteBuilder;

MemoryFile FileOf(const std::string& bytes) { return MemoryFile({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}); }

// --- AVI

using testing::AviAudioStream;
using testing::AviFile;
using testing::AviMainHeader;
using testing::AviVideoStream;
using testing::RiffChunk;
using testing::RiffList;

bool AnalyzeAviBytes(const std::string& bytes, AviInfo& info) {
  MemoryFile file = FileOf(bytes);
  return AnalyzeAvi(file, info);
}

TEST(AviAnalyzerTest, VideoAndAudioStreams) {
  AviInfo info;
  ASSERT_TRUE(AnalyzeAviBytes(AviFile(AviVideoStream("XVID", 1001, 30000) + AviAudioStream(0x55, 2, 44100, 16000)), info));
  EXPECT_FALSE(info.isEmpty);
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.frameCount, 1500u);
  EXPECT_EQ(info.videoCodec, 5);
  VideoInfo video(info);
  EXPECT_STREQ(video.VideoCodecName(), "Xvid MPEG-4 Codec");
  EXPECT_EQ(FormatFrameRate(video), "29.970");
  EXPECT_EQ(FormatFrameSize(video), "640 x 480");
  EXPECT_EQ(FormatAspectRatio(video), "4:3");
  EXPECT_EQ(FormatVideoLength(video), "0:50 (1500)");
  EXPECT_STREQ(video.AudioCodecName(), "MPEG Layer-III");
  EXPECT_EQ(FormatAudioKbps(video), "128 kbps");
  EXPECT_EQ(FormatAudioSampleRate(video), "44100");
  EXPECT_EQ(FormatChannels(video), "2 Stereo");

  // Audio first, video second: both are kept.
  ASSERT_TRUE(AnalyzeAviBytes(AviFile(AviAudioStream(1, 1, 22050, 44100) + AviVideoStream("cvid", 1, 25)), info));
  EXPECT_EQ(info.videoCodec, 35);
  EXPECT_FLOAT_EQ(info.framesPerSecond, 25.0f);
  EXPECT_EQ(info.audioCodec, 1);
  EXPECT_EQ(info.audioChannels, 1);
  EXPECT_EQ(info.audioSampleRate, 22050u);
  EXPECT_EQ(info.audioBitrate, 352800u);
  EXPECT_EQ(FormatChannels(VideoInfo(info)), "1 Mono");

  // Video only: no audio texts.
  ASSERT_TRUE(AnalyzeAviBytes(AviFile(AviVideoStream("DIVX", 1, 25)), info));
  VideoInfo silent(info);
  EXPECT_FALSE(silent.HasAudio());
  EXPECT_STREQ(silent.AudioCodecName(), "- No audio -");
  EXPECT_EQ(FormatAudioKbps(silent), "");
  EXPECT_EQ(FormatAudioSampleRate(silent), "");
  EXPECT_EQ(FormatChannels(silent), "");
}

TEST(AviAnalyzerTest, CodecTables) {
  struct Case {
    std::string fourcc;
    uint8_t id;
    const char* name;
  };
  const Case cases[] = {
      {"XVID", 5, "Xvid MPEG-4 Codec"},  {"DiV3", 2, "DivX Codec 3.x"},   {"DIB ", 1, "Unknown"},
      {"dib ", 100, "Uncompressed or unknown"}, {"raw ", 100, "Uncompressed or unknown"},
      {std::string(4, '\0'), 100, "Uncompressed or unknown"}, {"MJPG", 38, "Motion JPEG"},
      {"sdcc", 69, "Sun Communications - Digital Camera Codec"}, {"H264", 1, "Unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fourcc);
    EXPECT_EQ(VideoCodecIdOf(c.fourcc), c.id);
    EXPECT_STREQ(VideoCodecNameOf(VideoCodecIdOf(c.fourcc)), c.name);
  }
  EXPECT_STREQ(VideoCodecNameOf(0), "Uncompressed");
  EXPECT_STREQ(VideoCodecNameOf(250), "Unknown");

  struct Audio {
    uint16_t tag;
    uint16_t channels;
    const char* name;
  };
  const Audio audios[] = {{0x0161, 2, "DivX WMA Audio V2"}, {0x2000, 5, "AC3-Digital"}, {0x2000, 2, "Unknown"},
                          {0x11, 1, "Different ADPCM"},     {0x50, 2, "MPEG Codec"}};
  for (const Audio& a : audios) {
    SCOPED_TRACE(a.name);
    AviInfo info;
    ASSERT_TRUE(AnalyzeAviBytes(AviFile(AviVideoStream("cvid", 1, 25) + AviAudioStream(a.tag, a.channels, 48000, 24000)), info));
    EXPECT_STREQ(AviAudioCodecName(info), a.name);
  }
}

TEST(AviAnalyzerTest, ScaleZeroAndRejectedFiles) {
  AviInfo info;
  ASSERT_TRUE(AnalyzeAviBytes(AviFile(AviVideoStream("cvid", 0, 25)), info));
  EXPECT_EQ(info.framesPerSecond, 0.0f);
  EXPECT_EQ(VideoInfo(info).LengthSeconds(), 0.0);
  EXPECT_EQ(FormatFrameRate(VideoInfo(info)), "0.000");

  std::string good = AviFile(AviVideoStream("cvid", 1, 25));
  std::string notAvi = good;
  notAvi[8] = 'W';
  std::string shortMain = AviFile(AviVideoStream("cvid", 1, 25), std::string(36, '\0'));
  std::string textStream = AviFile(RiffList("strl", RiffChunk("strh", ByteBuilder().Raw("txts").Zeros(52).bytes())));
  std::string noStream = AviFile("");
  const std::string rejected[] = {notAvi, shortMain, textStream, noStream, good.substr(0, 40), "", "RIFF"};
  for (const std::string& bytes : rejected) {
    EXPECT_FALSE(AnalyzeAviBytes(bytes, info));
    EXPECT_TRUE(info.isEmpty);
  }
}

// --- MPEG

using testing::kLayer2AudioWord;
using testing::kMpeg2AudioWord;
using testing::Mpeg1Pack;
using testing::Mpeg1Stream;
using testing::Mpeg2Pack;
using testing::MpegAudioFrame;
using testing::MpegPacket;
using testing::MpegPadding;
using testing::MpegSequenceHeader;

bool AnalyzeMpegBytes(const std::string& bytes, MpegInfo& info) {
  MemoryFile file = FileOf(bytes);
  return AnalyzeMpeg(file, info);
}

TEST(MpegAnalyzerTest, Mpeg1SystemStreamOfAVideoCd) {
  MpegInfo info;
  ASSERT_TRUE(AnalyzeMpegBytes(Mpeg1Stream(kLayer2AudioWord, 65 * 90000), info));
  EXPECT_FALSE(info.isEmpty);
  EXPECT_EQ(info.width, 352);
  EXPECT_EQ(info.height, 288);
  EXPECT_EQ(info.frameRateCode, 3);
  EXPECT_EQ(info.audioLayer, 2);
  EXPECT_EQ(info.audioBitrateIndex, 11);
  EXPECT_EQ(info.audioRateCode, 0);
  EXPECT_EQ(info.audioChannelMode, 0);
  EXPECT_FLOAT_EQ(info.lengthSeconds, 65.0f);
  VideoInfo video(info);
  EXPECT_STREQ(video.VideoCodecName(), "MPEG-1");
  EXPECT_STREQ(video.AudioCodecName(), "MPEG Layer-II");
  EXPECT_EQ(FormatAudioKbps(video), "224 kbps");
  EXPECT_EQ(FormatAudioSampleRate(video), "44100");
  EXPECT_EQ(FormatChannels(video), "2 Stereo");
  EXPECT_EQ(FormatFrameRate(video), "25.000");
  EXPECT_EQ(FormatVideoLength(video), "1:05 (1625)");
  EXPECT_EQ(FormatAspectRatio(video), "1.22:1");
}

TEST(MpegAnalyzerTest, Mpeg2AudioRatesAndMissingLength) {
  MpegInfo info;
  ASSERT_TRUE(AnalyzeMpegBytes(Mpeg1Stream(kMpeg2AudioWord, 10 * 90000), info));
  EXPECT_EQ(info.audioRateCode, 4);
  VideoInfo video(info);
  EXPECT_STREQ(video.VideoCodecName(), "MPEG-2");
  EXPECT_STREQ(video.AudioCodecName(), "MPEG Layer-III");
  EXPECT_EQ(FormatAudioSampleRate(video), "22050");
  EXPECT_EQ(FormatAudioKbps(video), "64 kbps");
  EXPECT_EQ(FormatChannels(video), "1 Mono");

  // The last pack lies more than 300,000 bytes before the end: no length, no length text.
  std::string stream = Mpeg1Stream(kLayer2AudioWord, 65 * 90000);
  for (int i = 0; i < 160; ++i) stream += MpegPadding(2000);
  ASSERT_TRUE(AnalyzeMpegBytes(stream, info));
  EXPECT_EQ(info.lengthSeconds, 0.0f);
  EXPECT_EQ(VideoInfo(info).FrameCount(), 0u);
  EXPECT_EQ(FormatVideoLength(VideoInfo(info)), "");
}

TEST(MpegAnalyzerTest, Mpeg2ProgramStreamWithLongPacks) {
  // DVD-style: 14-byte packs with stuffing, MPEG-2 packet headers, a private AC-3 stream, and
  // clock references that start after 0.
  std::string pes = std::string("\x81\x80\x05\x21\x00\x01\x00\x01", 8);
  std::string stream = Mpeg2Pack(90000 * 100, 3) + MpegPacket(0xBB, std::string(12, '\x80'));
  stream += MpegPacket(0xBD, std::string(500, '\x0B'));
  stream += MpegPacket(0xE0, pes + MpegSequenceHeader(720, 576, 3));
  stream += Mpeg2Pack(90000 * 100 + 3600, 0) + MpegPacket(0xC0, pes + MpegAudioFrame(kLayer2AudioWord));
  while (stream.size() < 50000) stream += Mpeg2Pack(90000 * 101, 2) + MpegPadding(2030);
  stream += Mpeg2Pack(90000 * 100 + 90000 * 125 + 45000, 1) + MpegPadding(200);
  MpegInfo info;
  ASSERT_TRUE(AnalyzeMpegBytes(stream, info));
  EXPECT_EQ(info.width, 720);
  EXPECT_EQ(info.height, 576);
  EXPECT_EQ(info.audioLayer, 2);
  EXPECT_FLOAT_EQ(info.lengthSeconds, 125.5f);
  EXPECT_EQ(FormatAspectRatio(VideoInfo(info)), "4:3");  // 1.25 lies in the 4:3 band
  uint8_t two[5] = {0x44, 0x00, 0x04, 0x00, 0x04};  // clock 0 in the MPEG-2 layout
  EXPECT_EQ(PackClockReference(two), 0u);
}

TEST(MpegAnalyzerTest, ElementaryStreamsGarbageAndFailures) {
  MpegInfo info;
  // A video elementary stream: its sequence header, no audio, no length.
  ASSERT_TRUE(AnalyzeMpegBytes(MpegSequenceHeader(720, 480, 4) + std::string(1000, '\x22'), info));
  EXPECT_EQ(info.width, 720);
  EXPECT_EQ(FormatFrameRate(VideoInfo(info)), "29.970");
  EXPECT_EQ(FormatAspectRatio(VideoInfo(info)), "1.50:1");
  EXPECT_STREQ(VideoInfo(info).AudioCodecName(), "- No audio -");

  // Stray bytes before the first pack and between packets: the reading finds the next start code.
  std::string stream = Mpeg1Stream(kLayer2AudioWord, 90000);
  ASSERT_TRUE(AnalyzeMpegBytes(std::string(7, '\x42') + stream.substr(0, 40) + "xyz" + stream.substr(40), info));
  EXPECT_EQ(info.width, 352);

  // A RIFF-wrapped stream (as video CDs store them).
  std::string riff = "RIFF" + std::string(4, '\x10') + "CDXAfmt " + std::string(28, '\0') + "data" + std::string(4, '\0');
  ASSERT_TRUE(AnalyzeMpegBytes(riff + stream, info));
  EXPECT_EQ(info.height, 288);

  // Audio only, video beyond the 48th packet, and no stream at all fail.
  std::string audioOnly = Mpeg1Pack(0) + MpegPacket(0xC0, std::string("\x0F", 1) + MpegAudioFrame(kLayer2AudioWord)) + MpegPadding(100);
  std::string late = Mpeg1Pack(0);
  for (int i = 0; i < 48; ++i) late += MpegPacket(0xC0, std::string("\x0F", 1) + std::string(30, '\x11'));
  late += MpegPacket(0xE0, std::string("\x0F", 1) + MpegSequenceHeader(352, 288, 3));
  // A packet of length 0 reads nothing.
  const std::string failing[] = {audioOnly, late, std::string(5000, '\0'), "", "RIF", std::string("\0\0\x01\xE0\0\0", 6)};
  for (const std::string& bytes : failing) {
    EXPECT_FALSE(AnalyzeMpegBytes(bytes, info));
    EXPECT_TRUE(info.isEmpty);
  }
}

TEST(VideoInfoTest, AspectRatiosAndComparators) {
  struct Case {
    uint16_t width, height;
    const char* text;
  };
  const Case cases[] = {{1600, 1000, "16:9"}, {1200, 1000, "1.20:1"}, {3700, 3000, "4:3"}, {1232, 1000, "1.23:1"}, {640, 480, "4:3"},
                        {720, 480, "1.50:1"}, {1920, 1080, "16:9"}, {640, 0, ""}};
  for (const Case& c : cases) {
    AviInfo info;
    info.width = c.width, info.height = c.height;
    EXPECT_EQ(FormatAspectRatio(VideoInfo(info)), c.text) << c.width << "x" << c.height;
  }
  AviInfo small, big, silent;
  small.width = 320, small.height = 240, small.audioBitrate = 64000, small.audioChannels = 2, small.audioSampleRate = 22050;
  big.width = 640, big.height = 480, big.audioBitrate = 128000, big.audioChannels = 2, big.audioSampleRate = 44100;
  silent.width = 1920, silent.height = 1080;
  std::optional<VideoInfo> a(small), b(big), quiet(silent), none;
  for (int direction : {1, -1}) {
    SCOPED_TRACE(direction);
    EXPECT_EQ(CompareVideo(a, b, VideoField::kFrameSize, direction), -direction);
    EXPECT_EQ(CompareVideo(a, b, VideoField::kKbps, direction), -direction);
    // Zero sample rates and missing video information sort last either way.
    EXPECT_EQ(CompareVideo(quiet, a, VideoField::kSampleRate, direction), 1);
    EXPECT_EQ(CompareVideo(a, quiet, VideoField::kSampleRate, direction), -1);
    EXPECT_EQ(CompareVideo(none, a, VideoField::kFrameSize, direction), 1);
    EXPECT_EQ(CompareVideo(a, none, VideoField::kFrameSize, direction), -1);
    EXPECT_EQ(CompareVideo(a, a, VideoField::kAudioCodec, direction), 0);
  }
}

}  // namespace
}  // namespace volumist
