#include "analysis/mp3_values.h"

#include "analysis/mpeg_audio.h"
#include "analysis/text_compare.h"

namespace volumist {
namespace {

int VersionOf(const Mp3Info& info) { return info.mpegHeaderBits & 3; }
int RateIndexOf(const Mp3Info& info) { return (info.mpegHeaderBits >> 2) & 3; }
int BitrateIndexOf(const Mp3Info& info) { return (info.mpegHeaderBits >> 4) & 15; }
// The stored layer code is the header's layer field minus 1.
int LayerFieldOf(const Mp3Info& info) { return ((info.mpegHeaderBits >> 8) & 3) + 1; }

}  // namespace

Mp3BitrateValue Mp3Bitrate(const Mp3Info& info) {
  if (info.vbrBitrate >= 1) return {static_cast<uint32_t>(info.vbrBitrate), true};
  // The reserved version 1 counts with MPEG-1, as the version's low bit says.
  bool mpeg1 = (VersionOf(info) & 1) != 0;
  return {MpegAudioBitrate(mpeg1, LayerFieldOf(info), BitrateIndexOf(info)), false};
}

uint32_t Mp3SampleRate(const Mp3Info& info) { return MpegAudioSampleRate(VersionOf(info), RateIndexOf(info)); }

int CompareMp3(const Mp3Info* a, const Mp3Info* b, Mp3Field field, int direction) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? 1 : -1);
  int result = 0;
  switch (field) {
    case Mp3Field::kTitle: result = CompareTextNoCase(a->title, b->title); break;
    case Mp3Field::kArtist: result = CompareTextNoCase(a->artist, b->artist); break;
    case Mp3Field::kAlbum: result = CompareTextNoCase(a->album, b->album); break;
    case Mp3Field::kComment: result = CompareTextNoCase(a->comment, b->comment); break;
    case Mp3Field::kYear: result = CompareTextNoCase(a->year, b->year); break;
    case Mp3Field::kLength: result = CompareNumbers(a->lengthSeconds, b->lengthSeconds); break;
    case Mp3Field::kBitrate: result = CompareNumbers(Mp3Bitrate(*a).kbps, Mp3Bitrate(*b).kbps); break;
    case Mp3Field::kSampleRate: result = CompareNumbers(Mp3SampleRate(*a), Mp3SampleRate(*b)); break;
  }
  return result * direction;
}

bool MatchesMp3Bitrate(const Mp3Info* info, Comparison relation, uint32_t kbps) {
  if (info == nullptr) return false;
  uint32_t value = Mp3Bitrate(*info).kbps;
  return Compares(value, relation, kbps);
}

}  // namespace volumist
