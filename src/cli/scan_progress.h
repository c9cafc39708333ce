// The line that a terminal shows while volumist-cli scans, redrawn in place: the status, the elapsed
// time and the counters and, when the scan reads files (signatures, archives or media), the bytes
// read so far, the rate and the file being read once its reading has taken more than a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "scan/file_reads.h"
#include "scan/scan_controller.h"

namespace volumist::cli {

using Clock = std::chrono::steady_clock;

// "H:MM:SS".
std::string FormatElapsed(Clock::duration elapsed);

class ScanProgressLine {
 public:
  // `readsFiles`: the line tells of the reading. The bytes are counted from `bytesAtStart` on (the
  // process's count, platform::BytesReadSoFar, when the scan starts).
  ScanProgressLine(bool readsFiles, Clock::time_point start, uint64_t bytesAtStart);

  // The line for this moment, from the controller, the process's byte count and the file read
  // longest (OldestFileRead).
  std::string Next(const ScanController& controller, Clock::time_point now, int width);

  // The line from its parts: `head` (status, time, counters), the bytes the process has read, and
  // the file read longest. A `width` above 0 keeps the line below it, cutting the file's path at its
  // front first.
  std::string Compose(const std::string& head, uint64_t bytesRead, const std::optional<FileRead>& reading,
                      Clock::time_point now, int width);

 private:
  bool readsFiles_;
  Clock::time_point start_;
  uint64_t bytesAtStart_;
  // Recent (time, bytes) samples: the rate is taken over the last two seconds.
  std::deque<std::pair<Clock::time_point, uint64_t>> samples_;
};

}  // namespace volumist::cli
