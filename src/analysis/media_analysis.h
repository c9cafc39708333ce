// Media analysis for the scan: the analyzer that the options choose for a file's media type fills
// the body of its media block.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/media_info.h"
#include "catalog/scan_options.h"

namespace volumist {

// `media.mediaType` is already set from the extension. Runs the analyzer chosen for that type when
// the options switch it on, and stores its body on success; leaves the body empty otherwise. Safe
// to call from any thread.
void AnalyzeMedia(const std::string& path, const ScanOptions& options, MediaInfo& media);

}  // namespace volumist
