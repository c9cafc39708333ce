// The text forms of media values: video, MP3 and picture records. Like the forms of
// catalog/value_format.h they are pure, print "." as the decimal point in every locale, and give
// the empty string for an absent value.
#pragma once

#include <string>

#include "analysis/video_info.h"
#include "catalog/image_info.h"
#include "catalog/mp3_info.h"

namespace volumist {

// "%d:%02d (%ld)": minutes, seconds and the frame count; empty when the frame count is 0.
std::string FormatVideoLength(const VideoInfo& video);
// "%d x %d" of width and height.
std::string FormatFrameSize(const VideoInfo& video);
std::string FormatFrameSize(const ImageInfo& image);
// "%.03f" frames per second.
std::string FormatFrameRate(const VideoInfo& video);
// "16:9" for width / height within 0.2 of 16:9, else "4:3" within 0.1 of 4:3, else "%0.2f:1";
// empty for a frame height of 0.
std::string FormatAspectRatio(const VideoInfo& video);
// "%ld kbps" and "%ld" (Hz) of the audio stream; empty when the value is below 1.
std::string FormatAudioKbps(const VideoInfo& video);
std::string FormatAudioSampleRate(const VideoInfo& video);
// "1 Mono", "2 Stereo", "3 Stereo", "5 Surround"; empty for other counts.
std::string FormatChannels(const VideoInfo& video);

// "%d%s": the bitrate in kbit/s, with " VBR" after the average of a variable-bitrate file when
// `markVbr` is set.
std::string FormatMp3Bitrate(const Mp3Info& info, bool markVbr);
// "%d": the sample rate in Hz.
std::string FormatMp3SampleRate(const Mp3Info& info);

// "2 Colors", "16 Colors", "256 Colors", "16 Million Colors" for 1, 4, 8 and 24 bits per pixel;
// empty for other depths.
std::string FormatColors(const ImageInfo& image);
// "%d bits".
std::string FormatBits(const ImageInfo& image);

}  // namespace volumist
