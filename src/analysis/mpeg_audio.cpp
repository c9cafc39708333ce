#include "analysis/mpeg_audio.h"

namespace volumist {

uint32_t MpegAudioBitrate(bool mpeg1, int layerField, int index) {
  static constexpr uint16_t kMpeg1[3][16] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},       // Layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},      // Layer II
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}};  // Layer I
  static constexpr uint16_t kMpeg2[3][16] = {
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}};
  if (layerField < 1 || layerField > 3 || index < 0 || index > 15) return 0;
  return mpeg1 ? kMpeg1[layerField - 1][index] : kMpeg2[layerField - 1][index];
}

uint32_t MpegAudioSampleRate(int versionField, int index) {
  static constexpr uint32_t kRates[4][3] = {
      {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  if (versionField < 0 || versionField > 3 || index < 0 || index > 2) return 0;
  return kRates[versionField][index];
}

}  // namespace volumist
