#include "analysis/video_info.h"

#include "analysis/mpeg_audio.h"
#include "analysis/text_compare.h"
#include "analysis/video_codecs.h"

namespace volumist {

double MpegFrameRate(uint8_t code) {
  static constexpr double kRates[8] = {0, 23.976, 24, 25, 29.97, 30, 50, 59.94};
  return code < 8 ? kRates[code] : 0;
}

uint32_t MpegAudioRate(uint8_t code) {
  static constexpr uint32_t kRates[12] = {44100, 48000, 32000, 0, 22050, 24000, 16000, 0, 11025, 12000, 8000, 0};
  return code < 12 ? kRates[code] : 0;
}

std::optional<VideoInfo> VideoInfo::Of(const MediaInfo& media) {
  if (const AviInfo* avi = media.Avi()) return VideoInfo(*avi);
  if (const MpegInfo* mpeg = media.Mpeg()) return VideoInfo(*mpeg);
  return std::nullopt;
}

uint32_t VideoInfo::FrameWidth() const { return avi_ ? avi_->width : mpeg_->width; }
uint32_t VideoInfo::FrameHeight() const { return avi_ ? avi_->height : mpeg_->height; }

double VideoInfo::FrameRate() const { return avi_ ? double{avi_->framesPerSecond} : MpegFrameRate(mpeg_->frameRateCode); }

bool VideoInfo::HasAudio() const { return avi_ ? AviHasAudio(*avi_) : MpegHasAudio(*mpeg_); }

uint32_t VideoInfo::AudioSampleRate() const {
  if (!HasAudio()) return 0;
  return avi_ ? avi_->audioSampleRate : MpegAudioRate(mpeg_->audioRateCode);
}

uint32_t VideoInfo::AudioKbps() const {
  if (!HasAudio()) return 0;
  if (avi_) return avi_->audioBitrate / 1000;
  return MpegAudioBitrate(mpeg_->audioRateCode < 4, mpeg_->audioLayer, mpeg_->audioBitrateIndex);
}

uint32_t VideoInfo::AudioChannels() const {
  if (avi_) return avi_->audioChannels;
  if (!HasAudio()) return 0;
  return mpeg_->audioChannelMode == 3 ? 1 : 2;
}

double VideoInfo::LengthSeconds() const {
  if (mpeg_) return mpeg_->lengthSeconds;
  return avi_->framesPerSecond > 0 ? avi_->frameCount / double{avi_->framesPerSecond} : 0;
}

uint64_t VideoInfo::FrameCount() const {
  if (avi_) return avi_->frameCount;
  double frames = FrameRate() * double{mpeg_->lengthSeconds};
  // Damaged records hold any float: NaN and negative counts are none, huge ones saturate.
  if (!(frames > 0)) return 0;
  constexpr double kBeyond = 18446744073709551616.0;  // 2^64
  return frames < kBeyond ? static_cast<uint64_t>(frames) : UINT64_MAX;
}

const char* VideoInfo::VideoCodecName() const {
  return avi_ ? VideoCodecNameOf(avi_->videoCodec) : MpegVideoCodecName(*mpeg_);
}

const char* VideoInfo::AudioCodecName() const {
  return avi_ ? AviAudioCodecName(*avi_) : MpegAudioCodecName(*mpeg_);
}

namespace {

// Zero sorts after every other value, in either direction.
template <typename T>
int CompareZeroLast(T a, T b, int direction) {
  if (a == 0 || b == 0) return a == b ? 0 : (a == 0 ? 1 : -1);
  return CompareNumbers(a, b) * direction;
}

}  // namespace

int CompareVideo(const std::optional<VideoInfo>& a, const std::optional<VideoInfo>& b, VideoField field,
                 int direction) {
  if (!a || !b) return a.has_value() == b.has_value() ? 0 : (a ? -1 : 1);
  switch (field) {
    case VideoField::kFrameSize: return CompareNumbers(a->FrameArea(), b->FrameArea()) * direction;
    case VideoField::kFrameRate: return CompareNumbers(a->FrameRate(), b->FrameRate()) * direction;
    case VideoField::kLength: return CompareNumbers(a->LengthSeconds(), b->LengthSeconds()) * direction;
    case VideoField::kFrameCount: return CompareZeroLast(a->FrameCount(), b->FrameCount(), direction);
    case VideoField::kSampleRate: return CompareZeroLast(a->AudioSampleRate(), b->AudioSampleRate(), direction);
    case VideoField::kKbps: return CompareZeroLast(a->AudioKbps(), b->AudioKbps(), direction);
    case VideoField::kChannels: return CompareZeroLast(a->AudioChannels(), b->AudioChannels(), direction);
    case VideoField::kVideoCodec: return CompareTextNoCase(a->VideoCodecName(), b->VideoCodecName()) * direction;
    case VideoField::kAudioCodec: return CompareTextNoCase(a->AudioCodecName(), b->AudioCodecName()) * direction;
  }
  return 0;
}

}  // namespace volumist
