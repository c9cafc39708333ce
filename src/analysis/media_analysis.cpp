#include "analysis/media_analysis.h"

#include "analysis/avi_analyzer.h"
#include "analysis/image_analyzer.h"
#include "analysis/mp3_analyzer.h"
#include "analysis/mpeg_analyzer.h"

namespace volumist {

bool MediaAnalysisChosen(uint8_t mediaType, const ScanOptions& options) {
  switch (mediaType) {
    case kMediaAvi: return options.analyzeVideo && options.videoAvi;
    case kMediaMpeg: return options.analyzeVideo && options.videoMpeg;
    case kMediaMp3: return options.analyzeAudio && options.audioMp3;
    default: return IsImageMediaType(mediaType) && options.analyzeImages && options.ImageTypeEnabled(mediaType);
  }
}

void AnalyzeMedia(const std::string& path, const ScanOptions& options, MediaInfo& media,
                  platform::FileSystem& fileSystem) {
  media.body = std::monostate{};
  if (!MediaAnalysisChosen(media.mediaType, options)) return;
  switch (media.mediaType) {
    case kMediaAvi: {
      AviInfo info;
      if (AnalyzeAvi(path, info, fileSystem)) media.body = std::move(info);
      return;
    }
    case kMediaMpeg: {
      MpegInfo info;
      if (AnalyzeMpeg(path, info, fileSystem)) media.body = std::move(info);
      return;
    }
    case kMediaMp3: {
      Mp3Info info;
      if (AnalyzeMp3(path, info, fileSystem)) media.body = std::move(info);
      return;
    }
    default: {
      ImageInfo info;
      if (AnalyzeImage(path, media.mediaType, info, fileSystem)) media.body = std::move(info);
      return;
    }
  }
}

}  // namespace volumist
