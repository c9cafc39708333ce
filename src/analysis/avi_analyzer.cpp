#include "analysis/avi_analyzer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "analysis/video_codecs.h"

namespace volumist {
namespace {

// The bytes of a stream list that are read: its stream header and format chunk lie at its start.
constexpr uint32_t kStreamListBytes = 4096;

uint32_t Le16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

bool ReadExact(platform::File& file, uint64_t offset, uint8_t* out, size_t n) {
  auto got = file.ReadAt(offset, std::span<std::byte>(reinterpret_cast<std::byte*>(out), n));
  return got && *got == n;
}

template <typename T>
T Clamp24(T value) {
  return std::min<T>(value, 0xFFFFFF);
}

// Reads the stream list at `offset` into `out`; moves `offset` past it. False when there is no
// stream list of a video or audio stream there.
bool ReadStreamList(platform::File& file, uint64_t& offset, AviInfo& out) {
  uint8_t head[8];
  if (!ReadExact(file, offset, head, sizeof head) || std::memcmp(head, "LIST", 4) != 0) return false;
  uint32_t size = Le32(head + 4);
  uint64_t start = offset + 8;
  offset = start + size + (size & 1);  // chunks are padded to even sizes
  std::vector<uint8_t> list(std::min(size, kStreamListBytes));
  auto got = file.ReadAt(start, std::span<std::byte>(reinterpret_cast<std::byte*>(list.data()), list.size()));
  if (!got) return false;
  list.resize(*got);
  if (list.size() < 12 + 32 || std::memcmp(list.data(), "strlstrh", 8) != 0) return false;
  const uint8_t* type = list.data() + 12;
  if (std::memcmp(type, "vids", 4) == 0) {
    out.videoCodec = VideoCodecIdOf(std::string_view(reinterpret_cast<const char*>(list.data() + 16), 4));
    uint32_t scale = Le32(list.data() + 32);
    uint32_t rate = Le32(list.data() + 36);
    // A stream without a scale has no defined rate: it is recorded as 0 frames per second.
    out.framesPerSecond = scale == 0 ? 0.0f : static_cast<float>(static_cast<double>(rate) / scale);
    return true;
  }
  if (std::memcmp(type, "auds", 4) == 0) {
    uint64_t format = 12 + uint64_t{Le32(list.data() + 8)};
    if (format + 8 + 16 <= list.size() && std::memcmp(list.data() + format, "strf", 4) == 0 &&
        Le32(list.data() + format + 4) > 0) {
      const uint8_t* wave = list.data() + format + 8;
      out.audioCodec = static_cast<uint8_t>(wave[0]);
      out.audioChannels = static_cast<uint8_t>(wave[2]);
      out.audioSampleRate = Clamp24(Le32(wave + 4));
      out.audioBitrate = static_cast<uint32_t>(Clamp24(uint64_t{Le32(wave + 8)} * 8));
    }
    return true;
  }
  return false;
}

}  // namespace

bool AnalyzeAvi(platform::File& file, AviInfo& out) {
  out = AviInfo{};
  uint8_t riff[12 + 12 + 4 + 4];
  if (!ReadExact(file, 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "AVI", 3) != 0 || std::memcmp(riff + 12, "LIST", 4) != 0 ||
      std::memcmp(riff + 20, "hdrl", 4) != 0 || std::memcmp(riff + 24, "avih", 4) != 0) {
    return false;
  }
  uint32_t mainSize = Le32(riff + 28);
  uint8_t main[40];
  if (mainSize < 40 || !ReadExact(file, sizeof riff, main, sizeof main)) return false;
  AviInfo info;
  info.frameCount = Clamp24(Le32(main + 16));
  info.width = static_cast<uint16_t>(std::min<uint32_t>(Le32(main + 32), 0xFFFF));
  info.height = static_cast<uint16_t>(std::min<uint32_t>(Le32(main + 36), 0xFFFF));
  uint64_t offset = sizeof riff + uint64_t{mainSize} + (mainSize & 1);
  if (!ReadStreamList(file, offset, info)) return false;
  (void)ReadStreamList(file, offset, info);  // a second stream is optional
  info.isEmpty = false;
  out = info;
  return true;
}

bool AnalyzeAvi(const std::string& path, AviInfo& out, platform::FileSystem& fileSystem) {
  out = AviInfo{};
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return false;
  return AnalyzeAvi(*opened.file, out);
}

}  // namespace volumist
