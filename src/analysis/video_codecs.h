// The codec tables of video records: the video codec ids stored for AVI FourCCs with their names,
// and the names of audio codecs. The ids are stored in volume files and never renumbered.
#pragma once

#include <cstdint>
#include <string_view>

#include "catalog/avi_info.h"
#include "catalog/mpeg_info.h"

namespace volumist {

inline constexpr uint8_t kVideoCodecNone = 0;      // a record without a video stream
inline constexpr uint8_t kVideoCodecUnknown = 1;
inline constexpr uint8_t kVideoCodecUncompressed = 100;

// The id of a stream handler FourCC: compared without regard to case with the table in its order,
// except that "rgb", "dib" and "raw" in their first three bytes match in lower case only. Four zero
// bytes are "Uncompressed or unknown" (100); a FourCC in no entry is "Unknown" (1).
uint8_t VideoCodecIdOf(std::string_view fourcc);
// "Uncompressed" for id 0, the table's name for its ids, "Unknown" for any other.
const char* VideoCodecNameOf(uint8_t id);

// True when an AVI record has an audio stream (bitrate or channel count not 0).
bool AviHasAudio(const AviInfo& info);
// "- No audio -" without audio; else by the low byte of the format tag ("PCM", "MPEG Layer-III",
// ...); an unlisted tag with 5 channels is "AC3-Digital", any other "Unknown".
const char* AviAudioCodecName(const AviInfo& info);

// True when an MPEG record has audio (layer, bitrate index or rate code not 0).
bool MpegHasAudio(const MpegInfo& info);
// "MPEG-1" when the audio rate code is an MPEG-1 one (below 4), else "MPEG-2".
const char* MpegVideoCodecName(const MpegInfo& info);
// "- No audio -", or "MPEG Layer-III", "MPEG Layer-II", "MPEG Layer-I" by the layer, else "Unknown".
const char* MpegAudioCodecName(const MpegInfo& info);

}  // namespace volumist
