#include "analysis/media_analysis.h"

namespace volumist {

// No media analyzers are built in yet: the media block records the type only.
void AnalyzeMedia(const std::string&, const ScanOptions&, MediaInfo&) {}

}  // namespace volumist
