#include "cli/scan_progress.h"

#include <cstdio>
#include <sstream>

#include "catalog/value_format.h"
#include "cli/output_text.h"
#include "platform/file_system.h"

namespace volumist::cli {
namespace {

constexpr auto kRateWindow = std::chrono::seconds(2);
constexpr auto kNameAfter = std::chrono::seconds(1);

// Columns a text takes, counting each UTF-8 character as one.
size_t Columns(const std::string& text) {
  size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return columns;
}

// The last `columns` characters of `text`.
std::string LastColumns(const std::string& text, size_t columns) {
  size_t seen = 0;
  size_t i = text.size();
  while (i > 0 && seen < columns) {
    --i;
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++seen;
  }
  return text.substr(i);
}

// The first `columns` characters of `text`.
std::string FirstColumns(const std::string& text, size_t columns) {
  size_t seen = 0;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == columns) break;
  }
  return text.substr(0, i);
}

}  // namespace

std::string FormatElapsed(Clock::duration elapsed) {
  long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

ScanProgressLine::ScanProgressLine(bool readsFiles, Clock::time_point start, uint64_t bytesAtStart)
    : readsFiles_(readsFiles), start_(start), bytesAtStart_(bytesAtStart) {}

std::string ScanProgressLine::Next(const ScanController& controller, Clock::time_point now, int width) {
  std::ostringstream head;
  head << controller.StatusText() << ' ' << FormatElapsed(now - start_);
  if (const ScanStatistics* statistics = controller.Statistics()) {
    Counters c = statistics->Snapshot();
    head << "  folders " << c.folderCount << "  files " << c.fileCount << "  archives " << c.archiveCount
         << "  in total " << c.totalFolderCount << " folders, " << c.totalFileCount << " files";
  }
  if (!readsFiles_) return Compose(head.str(), 0, std::nullopt, now, width);
  return Compose(head.str(), platform::BytesReadSoFar(), OldestFileRead(), now, width);
}

std::string ScanProgressLine::Compose(const std::string& head, uint64_t bytesRead,
                                      const std::optional<FileRead>& reading, Clock::time_point now,
                                      int width) {
  std::string line = head;
  std::string file;
  if (readsFiles_) {
    uint64_t bytes = bytesRead >= bytesAtStart_ ? bytesRead - bytesAtStart_ : 0;
    samples_.emplace_back(now, bytes);
    while (samples_.size() > 2 && now - samples_[1].first >= kRateWindow) samples_.pop_front();
    auto [since, before] = samples_.front();
    if (samples_.size() == 1) std::tie(since, before) = std::pair(start_, uint64_t{0});
    double seconds = std::chrono::duration<double>(now - since).count();
    double rate = seconds > 0 ? static_cast<double>(bytes - before) / seconds / 1048576.0 : 0.0;
    char text[64];
    std::snprintf(text, sizeof text, " at %.1f MB/s", rate);
    line += "  read " + FormatSizeShort(bytes) + text;
    if (reading && now - reading->start > kNameAfter) file = OnOneLine(reading->path);
  }
  const size_t limit = width > 1 ? static_cast<size_t>(width - 1) : 0;
  if (!file.empty()) {
    const std::string label = "  reading ";
    size_t used = Columns(line) + Columns(label);
    if (limit == 0 || used + Columns(file) <= limit) {
      line += label + file;
    } else if (used + 4 <= limit) {
      line += label + "..." + LastColumns(file, limit - used - 3);
    }
  }
  if (limit > 0 && Columns(line) > limit) line = FirstColumns(line, limit);
  return line;
}

}  // namespace volumist::cli
