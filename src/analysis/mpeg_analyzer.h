// AnalyzeMpeg: frame size, frame rate, audio and play length of an MPEG-1 or MPEG-2 program stream
// (packs of either kind) or of a video elementary stream, read from its first packets and from the
// pack headers near its end.
#pragma once

#include <string>

#include "catalog/mpeg_info.h"
#include "platform/file_system.h"

namespace volumist {

// Packets read at most before giving up on finding video and audio.
inline constexpr int kMpegPacketBudget = 48;
// Bytes stepped over at most, in all, while looking for the next start code after unexpected data.
inline constexpr uint64_t kMpegResyncBudget = 1024 * 1024;

// Fills `out` and returns true when a video sequence header was found (in a video packet among the
// first packets, or at the top of an elementary stream); otherwise `out` is reset and false is
// returned. Safe to call from several threads at once.
bool AnalyzeMpeg(const std::string& path, MpegInfo& out,
                 platform::FileSystem& fileSystem = platform::FileSystem::Default());
bool AnalyzeMpeg(platform::File& file, MpegInfo& out);

// The system clock reference (in 90 kHz units) of a pack header whose start code is followed by
// `bytes` (at least 5): the MPEG-2 layout when the first byte begins with the bits 01, else MPEG-1.
uint64_t PackClockReference(const uint8_t* bytes);

}  // namespace volumist
