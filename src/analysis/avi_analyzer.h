// AnalyzeAvi: frame size, frame count, frame rate, video codec and the audio stream of an AVI file,
// read from its header list only.
#pragma once

#include <string>

#include "catalog/avi_info.h"
#include "platform/file_system.h"

namespace volumist {

// Fills `out` and returns true when the file has a RIFF AVI header list with a main header of at
// least 40 bytes and a first stream list of a video or audio stream; otherwise `out` is reset and
// false is returned. Safe to call from several threads at once.
bool AnalyzeAvi(const std::string& path, AviInfo& out, platform::FileSystem& fileSystem = platform::FileSystem::Default());
bool AnalyzeAvi(platform::File& file, AviInfo& out);

}  // namespace volumist
