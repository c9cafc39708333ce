// The text forms of media values, in every locale.
#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "analysis/media_format.h"
#include "analysis/mp3_values.h"

namespace volumist {
namespace {

AviInfo Video(uint16_t width, uint16_t height, uint32_t frames, float fps) {
  AviInfo info;
  info.width = width, info.height = height, info.frameCount = frames, info.framesPerSecond = fps;
  return info;
}

TEST(MediaFormatTest, VideoForms) {
  AviInfo movie = Video(720, 480, 132710, 24.0f);
  VideoInfo video(movie);
  EXPECT_EQ(FormatVideoLength(video), "92:09 (132710)");
  EXPECT_EQ(FormatFrameSize(video), "720 x 480");
  EXPECT_EQ(FormatFrameRate(video), "24.000");
  EXPECT_EQ(FormatAspectRatio(video), "1.50:1");
  AviInfo empty = Video(640, 480, 0, 25.0f);
  EXPECT_EQ(FormatVideoLength(VideoInfo(empty)), "");

  // Values out of any real range (from damaged headers or volume files) saturate instead of wrapping.
  MpegInfo endless;
  endless.frameRateCode = 3;
  endless.lengthSeconds = 3e38f;
  MpegInfo unknown = endless;
  unknown.lengthSeconds = std::numeric_limits<float>::quiet_NaN();
  MpegInfo negative = endless;
  negative.lengthSeconds = -5;
  const AviInfo slow = Video(1, 1, 100, 1e-30f);
  const AviInfo fast = Video(1, 1, 100, std::numeric_limits<float>::infinity());
  struct Length {
    const char* what;
    VideoInfo video;
    uint64_t frames;
    const char* text;
  };
  const Length lengths[] = {
      {"AVI at 1e-30 fps", VideoInfo(slow), 100, "71582788:15 (100)"},
      {"AVI at an infinite rate", VideoInfo(fast), 100, "0:00 (100)"},
      {"MPEG of 3e38 seconds", VideoInfo(endless), UINT64_MAX, "71582788:15 (18446744073709551615)"},
      {"MPEG of unknown length", VideoInfo(unknown), 0, ""},
      {"MPEG of negative length", VideoInfo(negative), 0, ""},
  };
  for (const Length& c : lengths) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.video.FrameCount(), c.frames);
    EXPECT_EQ(FormatVideoLength(c.video), c.text);
  }

  struct Channels {
    uint8_t count;
    const char* avi;
  };
  for (Channels c : {Channels{1, "1 Mono"}, {2, "2 Stereo"}, {3, "3 Stereo"}, {5, "5 Surround"}, {4, ""}, {6, ""}}) {
    AviInfo info = Video(1, 1, 1, 1);
    info.audioChannels = c.count;
    info.audioBitrate = 1000;
    EXPECT_EQ(FormatChannels(VideoInfo(info)), c.avi) << int(c.count);
  }
  MpegInfo mono;
  mono.audioLayer = 2, mono.audioBitrateIndex = 3, mono.audioChannelMode = 3;
  EXPECT_EQ(FormatChannels(VideoInfo(mono)), "1 Mono");
}

TEST(MediaFormatTest, Mp3AndPictureForms) {
  Mp3Info vbr;
  vbr.vbrBitrate = 187;
  vbr.mpegHeaderBits = 3 | (1 << 2) | (9 << 4);
  EXPECT_EQ(FormatMp3Bitrate(vbr, true), "187 VBR");
  EXPECT_EQ(FormatMp3Bitrate(vbr, false), "187");
  EXPECT_EQ(FormatMp3SampleRate(vbr), "48000");
  Mp3Info layer2;
  layer2.mpegHeaderBits = 3 | (14 << 4) | (1 << 8);  // MPEG-1 Layer II, index 14
  EXPECT_EQ(FormatMp3Bitrate(layer2, true), "384");

  struct Depth {
    uint8_t bits;
    const char* colors;
  };
  for (Depth d : {Depth{1, "2 Colors"}, {4, "16 Colors"}, {8, "256 Colors"}, {24, "16 Million Colors"}, {16, ""}, {32, ""}}) {
    ImageInfo image;
    image.bitsPerPixel = d.bits;
    image.width = 1024, image.height = 768;
    EXPECT_EQ(FormatColors(image), d.colors);
    EXPECT_EQ(FormatBits(image), std::to_string(d.bits) + " bits");
    EXPECT_EQ(FormatFrameSize(image), "1024 x 768");
  }
}

TEST(MediaFormatTest, DecimalPointInEveryLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  AviInfo info = Video(1000, 900, 100, 29.97f);
  EXPECT_EQ(FormatFrameRate(VideoInfo(info)), "29.970");
  EXPECT_EQ(FormatAspectRatio(VideoInfo(info)), "1.11:1");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace volumist
