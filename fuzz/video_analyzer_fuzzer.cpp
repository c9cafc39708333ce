// Feeds arbitrary bytes to the AVI and MPEG analyzers: RIFF header lists, pack and packet headers,
// the resynchronisation and the clock search near the end.
#include <cstddef>
#include <cstdint>

#include "analysis/avi_analyzer.h"
#include "analysis/media_format.h"
#include "analysis/mpeg_analyzer.h"
#include "imaging/memory_file.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFile file({data, size});
  AviInfo avi;
  if (AnalyzeAvi(file, avi)) {
    VideoInfo video(avi);
    (void)FormatVideoLength(video), (void)FormatAspectRatio(video), (void)FormatFrameRate(video);
  }
  MpegInfo mpeg;
  if (AnalyzeMpeg(file, mpeg)) {
    VideoInfo video(mpeg);
    (void)FormatVideoLength(video), (void)FormatAudioKbps(video), (void)FormatChannels(video);
  }
  return 0;
}
