#include "analysis/mpeg_analyzer.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/buffered_reader.h"

namespace volumist {
namespace {

// The length is taken from the last pack header in the last of these windows that holds one.
constexpr uint64_t kTailWindow = 3000;
constexpr int kTailWindows = 100;

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool IsMpeg2Pack(uint8_t first) { return (first >> 6) == 1; }

void TakeSequence(const uint8_t* fields, MpegInfo& out) {
  uint32_t v = Be32(fields);
  out.width = static_cast<uint16_t>(v >> 20);
  out.height = static_cast<uint16_t>((v >> 8) & 0xFFF);
  out.frameRateCode = static_cast<uint8_t>(v & 0x0F);
}

// Where the data of a packet begins behind its header: MPEG-1 packets have stuffing, an optional
// buffer size and time stamps; MPEG-2 packets a header of announced length.
size_t PayloadStart(const std::vector<uint8_t>& packet) {
  size_t i = 0;
  while (i < packet.size() && packet[i] == 0xFF) ++i;
  if (i >= packet.size()) return i;
  if ((packet[i] & 0xC0) == 0x80) return i + 2 < packet.size() ? i + 3 + packet[i + 2] : packet.size();
  if ((packet[i] & 0xC0) == 0x40) i += 2;
  if (i >= packet.size()) return i;
  if ((packet[i] & 0xF0) == 0x20) return i + 5;
  if ((packet[i] & 0xF0) == 0x30) return i + 10;
  if (packet[i] == 0x0F) return i + 1;
  return i;
}

// Reads a packet of stream `id`; tells whether it gave video or audio fields.
struct PacketResult {
  bool video = false;
  bool audio = false;
};

PacketResult ReadPacket(platform::BufferedReader& in, uint8_t id, MpegInfo& out, bool& ok) {
  PacketResult result;
  uint8_t length[2];
  if (!in.Read(length, 2)) {
    ok = false;
    return result;
  }
  size_t size = (size_t{length[0]} << 8) | length[1];
  if (id >= 0xBD && id <= 0xBF) {
    ok = in.Skip(size);
    return result;
  }
  std::vector<uint8_t> packet(size);
  if (!in.Read(packet.data(), size)) {
    ok = false;
    return result;
  }
  size_t start = std::min(PayloadStart(packet), packet.size());
  if (id == 0xE0 && size > 4) {
    for (size_t i = start; i + 8 <= packet.size(); ++i) {
      if (packet[i] == 0 && packet[i + 1] == 0 && packet[i + 2] == 1 && packet[i + 3] == 0xB3) {
        TakeSequence(packet.data() + i + 4, out);
        result.video = true;
        break;
      }
    }
  } else if (id == 0xC0 && size >= 5) {
    for (size_t i = start; i + 4 <= packet.size(); ++i) {
      uint32_t w = Be32(packet.data() + i);
      // An audio frame header: 12 sync bits, a layer, a bitrate index and a sample-rate index that
      // are not reserved.
      if ((w >> 20) != 0xFFF || ((w >> 17) & 3) == 0 || ((w >> 12) & 15) == 15 || ((w >> 10) & 3) == 3) continue;
      out.audioLayer = static_cast<uint8_t>((w >> 17) & 3);
      out.audioBitrateIndex = static_cast<uint8_t>((w >> 12) & 15);
      uint8_t rate = static_cast<uint8_t>((w >> 10) & 3);
      out.audioRateCode = (w >> 19) & 1 ? rate : static_cast<uint8_t>(rate + 4);
      out.audioChannelMode = static_cast<uint8_t>((w >> 6) & 3);
      result.audio = true;
      break;
    }
  }
  return result;
}

// Moves on byte by byte until `word` begins with a start code prefix 00 00 01.
bool Resynchronise(platform::BufferedReader& in, uint8_t word[4], uint64_t& budget) {
  while (!(word[0] == 0 && word[1] == 0 && word[2] == 1)) {
    if (budget == 0) return false;
    --budget;
    word[0] = word[1], word[1] = word[2], word[2] = word[3];
    if (!in.ReadByte(word[3])) return false;
  }
  return true;
}

// The clock reference of the last pack header near the end of the file.
std::optional<uint64_t> LastClockReference(platform::File& file, uint64_t size) {
  std::vector<uint8_t> window(kTailWindow + 10);
  for (int k = 1; k <= kTailWindows; ++k) {
    if (kTailWindow * k > size) break;
    uint64_t start = size - kTailWindow * k;
    auto got = file.ReadAt(start, std::span<std::byte>(reinterpret_cast<std::byte*>(window.data()), window.size()));
    if (!got) return std::nullopt;
    // From the window's end backwards, so that the clock found is the last one in the file.
    for (size_t i = std::min<size_t>(kTailWindow, *got >= 10 ? *got - 10 + 1 : 0); i-- > 0;) {
      if (window[i] == 0 && window[i + 1] == 0 && window[i + 2] == 1 && window[i + 3] == 0xBA) {
        return PackClockReference(window.data() + i + 4);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

uint64_t PackClockReference(const uint8_t* b) {
  if (IsMpeg2Pack(b[0])) {
    return (uint64_t{(b[0] >> 3) & 7u} << 30) | (uint64_t{b[0] & 3u} << 28) | (uint64_t{b[1]} << 20) |
           (uint64_t{(b[2] >> 3) & 0x1Fu} << 15) | (uint64_t{b[2] & 3u} << 13) | (uint64_t{b[3]} << 5) |
           ((b[4] >> 3) & 0x1Fu);
  }
  return (uint64_t{(b[0] >> 1) & 7u} << 30) | (uint64_t{b[1]} << 22) | (uint64_t{b[2]} >> 1 << 15) |
         (uint64_t{b[3]} << 7) | (b[4] >> 1);
}

bool AnalyzeMpeg(platform::File& file, MpegInfo& out) {
  out = MpegInfo{};
  platform::BufferedReader in(file);
  MpegInfo info;
  int budget = kMpegPacketBudget;
  uint64_t resyncBudget = kMpegResyncBudget;
  bool video = false;
  bool audio = false;
  std::optional<uint64_t> firstClock;
  uint8_t word[4];
  while (in.Read(word, 4)) {
    if (word[0] == 'R' && word[1] == 'I' && word[2] == 'F') {
      // A RIFF-wrapped stream (CDXA): the MPEG data starts after the RIFF headers.
      if (!in.Skip(40) || !in.Read(word, 4) || !Resynchronise(in, word, resyncBudget)) return false;
    }
    if (!Resynchronise(in, word, resyncBudget)) break;
    uint8_t code = word[3];
    if (code == 0xBA) {
      // MPEG-1 packs have 8 bytes behind the start code; MPEG-2 packs 10 and up to 7 stuffing bytes.
      uint8_t pack[10];
      if (!in.Read(pack, 1)) break;
      size_t rest = IsMpeg2Pack(pack[0]) ? 9 : 7;
      if (!in.Read(pack + 1, rest)) break;
      if (IsMpeg2Pack(pack[0]) && !in.Skip(pack[9] & 7)) break;
      if (!firstClock) firstClock = PackClockReference(pack);
    } else if (code == 0xBB) {
      uint8_t length[2];
      if (!in.Read(length, 2) || !in.Skip((uint64_t{length[0]} << 8) | length[1])) break;
    } else if (code == 0xB3) {
      // A video elementary stream: its sequence header is all there is to read.
      uint8_t fields[4];
      if (!in.Read(fields, 4)) break;
      TakeSequence(fields, info);
      info.isEmpty = false;
      out = info;
      return true;
    } else if (code >= 0xBC && code <= 0xF0) {
      if (budget == 0) break;
      --budget;
      bool ok = true;
      PacketResult result = ReadPacket(in, code, info, ok);
      if (!ok) break;
      video = video || result.video;
      audio = audio || result.audio;
      if (video && audio) break;
    }
  }
  if (!video) return false;
  std::optional<uint64_t> lastClock = LastClockReference(file, in.Size());
  if (lastClock) {
    // Streams cut from a longer one start at a later clock; their length counts from their start.
    uint64_t first = firstClock.value_or(0) <= *lastClock ? firstClock.value_or(0) : 0;
    info.lengthSeconds = static_cast<float>(static_cast<double>(*lastClock - first) / 90000.0);
  }
  info.isEmpty = false;
  out = info;
  return true;
}

bool AnalyzeMpeg(const std::string& path, MpegInfo& out, platform::FileSystem& fileSystem) {
  out = MpegInfo{};
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return false;
  return AnalyzeMpeg(*opened.file, out);
}

}  // namespace volumist
