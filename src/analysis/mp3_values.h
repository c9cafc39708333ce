// The values of an MP3 record that the views, the search and the export show, and the comparison
// of two records for sorting.
#pragma once

#include <cstdint>

#include "catalog/mp3_info.h"
#include "catalog/search_criteria.h"

namespace volumist {

struct Mp3BitrateValue {
  uint32_t kbps = 0;
  bool isVbr = false;  // the average of a variable-bitrate file
};

// The average bitrate of a variable-bitrate file, else the bitrate of the first frame header.
Mp3BitrateValue Mp3Bitrate(const Mp3Info& info);
// The sample rate in Hz of the first frame header (0 for a reserved version).
uint32_t Mp3SampleRate(const Mp3Info& info);

// The fields an MP3 list can be sorted by.
enum class Mp3Field { kTitle, kArtist, kAlbum, kComment, kYear, kLength, kBitrate, kSampleRate };

// -1, 0 or 1 times `direction` (1 ascending, -1 descending). Texts compare as bytes without regard
// to ASCII case, the rest as numbers. A file without audio information (null) sorts after every
// file that has it, in either direction.
int CompareMp3(const Mp3Info* a, const Mp3Info* b, Mp3Field field, int direction);

// Whether the file's bitrate stands in `relation` to `kbps`; a file without audio information
// (null) never matches.
bool MatchesMp3Bitrate(const Mp3Info* info, Comparison relation, uint32_t kbps);

}  // namespace volumist
