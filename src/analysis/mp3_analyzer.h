// AnalyzeMp3: the tag texts (ID3v2.2/v2.3/v2.4 at the start, or ID3v1 at the end), the first MPEG audio
// frame header, the bitrate (constant, or the average of a Xing or VBRI header) and the play time
// of an MP3 file. Reads headers only, never the audio data.
#pragma once

#include <string>

#include "catalog/mp3_info.h"
#include "platform/file_system.h"

namespace volumist {

// How far past the tag the first frame header is looked for: positions 0 to this many bytes on.
inline constexpr uint64_t kMp3SyncSearchLength = 20480;

// Fills `out` and returns true when a valid frame header was found; otherwise `out` is reset
// (isEmpty) and false is returned. Damaged tags end the tag reading without failing the analysis.
// Safe to call from several threads at once.
bool AnalyzeMp3(const std::string& path, Mp3Info& out,
                platform::FileSystem& fileSystem = platform::FileSystem::Default());
bool AnalyzeMp3(platform::File& file, Mp3Info& out);

}  // namespace volumist
