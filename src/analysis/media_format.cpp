#include "analysis/media_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "analysis/mp3_values.h"

namespace volumist {
namespace {

template <typename Integer>
std::string Decimal(Integer value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

// Fixed-point text with "." whatever the locale.
std::string Fixed(double value, int precision) {
  char digits[64];
  auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
  if (result.ec != std::errc()) return {};
  return std::string(digits, result.ptr);
}

std::string Size(uint32_t width, uint32_t height) { return Decimal(width) + " x " + Decimal(height); }

}  // namespace

std::string FormatVideoLength(const VideoInfo& video) {
  uint64_t frames = video.FrameCount();
  if (frames == 0) return {};
  double length = video.LengthSeconds();
  // No real video is longer than 2^32 - 1 seconds; a damaged header's length is shown as that.
  constexpr double kLongest = 4294967295.0;
  if (!(length >= 0)) length = 0;
  auto whole = static_cast<uint64_t>(std::min(length, kLongest));
  char text[16];
  std::snprintf(text, sizeof text, "%02d", static_cast<int>(whole % 60));
  return Decimal(whole / 60) + ":" + text + " (" + Decimal(frames) + ")";
}

std::string FormatFrameSize(const VideoInfo& video) { return Size(video.FrameWidth(), video.FrameHeight()); }
std::string FormatFrameSize(const ImageInfo& image) { return Size(image.width, image.height); }

std::string FormatFrameRate(const VideoInfo& video) { return Fixed(video.FrameRate(), 3); }

std::string FormatAspectRatio(const VideoInfo& video) {
  if (video.FrameHeight() == 0) return {};
  double ratio = static_cast<double>(video.FrameWidth()) / video.FrameHeight();
  if (ratio >= 1.777777777 - 0.2 && ratio <= 1.777777777 + 0.2) return "16:9";
  if (ratio >= 1.333333333 - 0.1 && ratio <= 1.333333333 + 0.1) return "4:3";
  return Fixed(ratio, 2) + ":1";
}

std::string FormatAudioKbps(const VideoInfo& video) {
  uint32_t kbps = video.AudioKbps();
  return kbps < 1 ? std::string() : Decimal(kbps) + " kbps";
}

std::string FormatAudioSampleRate(const VideoInfo& video) {
  uint32_t rate = video.AudioSampleRate();
  return rate < 1 ? std::string() : Decimal(rate);
}

std::string FormatChannels(const VideoInfo& video) {
  switch (video.AudioChannels()) {
    case 1: return "1 Mono";
    case 2: return "2 Stereo";
    case 3: return video.IsAvi() ? "3 Stereo" : std::string();
    case 5: return video.IsAvi() ? "5 Surround" : std::string();
    default: return {};
  }
}

std::string FormatMp3Bitrate(const Mp3Info& info, bool markVbr) {
  Mp3BitrateValue bitrate = Mp3Bitrate(info);
  return Decimal(bitrate.kbps) + (bitrate.isVbr && markVbr ? " VBR" : "");
}

std::string FormatMp3SampleRate(const Mp3Info& info) { return Decimal(Mp3SampleRate(info)); }

std::string FormatColors(const ImageInfo& image) {
  switch (image.bitsPerPixel) {
    case 1: return "2 Colors";
    case 4: return "16 Colors";
    case 8: return "256 Colors";
    case 24: return "16 Million Colors";
    default: return {};
  }
}

std::string FormatBits(const ImageInfo& image) { return Decimal(image.bitsPerPixel) + " bits"; }

}  // namespace volumist
