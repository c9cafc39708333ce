// The tables of MPEG audio frame headers, shared by the MP3 analyzer and the audio of MPEG videos.
#pragma once

#include <cstdint>

namespace volumist {

// The 2-bit fields of a frame header.
inline constexpr int kMpegVersion25 = 0;  // version field values
inline constexpr int kMpegVersion2 = 2;
inline constexpr int kMpegVersion1 = 3;
inline constexpr int kLayer3 = 1;  // layer field values
inline constexpr int kLayer2 = 2;
inline constexpr int kLayer1 = 3;

// The bitrate in kbit/s of a bitrate index (0..15) for a layer field (1..3), from the MPEG-1 rows
// when `mpeg1` and from the MPEG-2 and 2.5 rows otherwise. 0 for indexes 0 and 15 and layer 0.
uint32_t MpegAudioBitrate(bool mpeg1, int layerField, int index);
// The sample rate in Hz of a sample-rate index (0..2) for a version field: MPEG-1 44100, 48000,
// 32000; MPEG-2 22050, 24000, 16000; MPEG 2.5 11025, 12000, 8000; 0 for the reserved version 1
// and index 3.
uint32_t MpegAudioSampleRate(int versionField, int index);

}  // namespace volumist
