// Media analysis for the scan: the analyzer that the options choose for a file's media type fills
// the body of its media block.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/media_info.h"
#include "catalog/scan_options.h"
#include "platform/file_system.h"

namespace volumist {

// Whether the options ask for the analysis of a media type: AVI when analyzeVideo and videoAvi,
// MPEG when analyzeVideo and videoMpeg, MP3 when analyzeAudio and audioMp3, pictures (5 to 16) when
// analyzeImages and the type's switch in imageTypes are on.
bool MediaAnalysisChosen(uint8_t mediaType, const ScanOptions& options);

// `media.mediaType` is already set from the extension. Runs the analyzer chosen for that type when
// the options switch it on, and stores its body on success; leaves the body empty otherwise (the
// type stays, so that the block records "no information"). Keeps no state between calls: safe to
// call from any thread, also from several at once.
void AnalyzeMedia(const std::string& path, const ScanOptions& options, MediaInfo& media,
                  platform::FileSystem& fileSystem = platform::FileSystem::Default());

}  // namespace volumist
