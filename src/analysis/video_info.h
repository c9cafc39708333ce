// VideoInfo: the values of a video record, AVI or MPEG, under one set of accessors, so that views,
// formats and the export need not know which kind of record a file has. A VideoInfo borrows its
// record, which must outlive it.
#pragma once

#include <cstdint>
#include <optional>

#include "catalog/avi_info.h"
#include "catalog/media_info.h"
#include "catalog/mpeg_info.h"

namespace volumist {

class VideoInfo {
 public:
  explicit VideoInfo(const AviInfo& avi) : avi_(&avi) {}
  explicit VideoInfo(const MpegInfo& mpeg) : mpeg_(&mpeg) {}

  // The video record of a media block (the AVI body is asked first); nothing without one.
  static std::optional<VideoInfo> Of(const MediaInfo& media);

  bool IsAvi() const { return avi_ != nullptr; }
  uint32_t FrameWidth() const;
  uint32_t FrameHeight() const;
  uint64_t FrameArea() const { return uint64_t{FrameWidth()} * FrameHeight(); }
  // AVI: the stream's rate / scale; MPEG: 23.976 to 59.94 by the frame-rate code, 0 for others.
  double FrameRate() const;
  bool HasAudio() const;
  // Hz, 0 without audio.
  uint32_t AudioSampleRate() const;
  // kbit/s, 0 without audio.
  uint32_t AudioKbps() const;
  // AVI: the stream's channel count; MPEG: 1 for mono, else 2; 0 without audio.
  uint32_t AudioChannels() const;
  // AVI: frames / frame rate (0 when the rate is 0); MPEG: the length found from clock references.
  double LengthSeconds() const;
  // AVI: the main header's frame count; MPEG: the whole part of frame rate x length (0 when that is
  // not a positive number, the largest count when it is beyond the range).
  uint64_t FrameCount() const;
  const char* VideoCodecName() const;
  const char* AudioCodecName() const;

 private:
  const AviInfo* avi_ = nullptr;
  const MpegInfo* mpeg_ = nullptr;
};

// The frame rate of an MPEG frame-rate code (1..7), 0 for any other code.
double MpegFrameRate(uint8_t code);
// The sample rate of an MPEG audio rate code (0..11), 0 for any other code.
uint32_t MpegAudioRate(uint8_t code);

// The video fields a list can be sorted by.
enum class VideoField { kFrameSize, kFrameRate, kLength, kFrameCount, kSampleRate, kKbps, kChannels,
                        kVideoCodec, kAudioCodec };

// -1, 0 or 1 times `direction` (1 ascending, -1 descending). The frame size compares by area;
// codec names as text without regard to case; for frame count, sample rate, kbit/s and channels a
// zero sorts after every other value in either direction. A file without video information (no
// value) sorts after every file that has it, in either direction.
int CompareVideo(const std::optional<VideoInfo>& a, const std::optional<VideoInfo>& b, VideoField field,
                 int direction);

}  // namespace volumist
