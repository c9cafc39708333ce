// The files a scan is reading at this moment, so that a progress display can name one whose reading
// takes long. Preparing a file (PrepareFile) marks it for as long as it reads it. The record is
// process-wide, because files are prepared on the scan pipeline's helper threads as well as on the
// walk's; marks and queries are safe from any thread. A mark costs one short lock and no memory:
// the marks form a list through themselves, and a path is only made when asked for.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "catalog/scan_entry.h"

namespace volumist {

struct FileRead {
  std::string path;
  std::chrono::steady_clock::time_point start;
};

class FileReadMark {
 public:
  // Marks the file of `entry` as being read from now until the mark is destroyed. `entry` must
  // outlive the mark.
  explicit FileReadMark(const ScanEntry& entry);
  ~FileReadMark();
  FileReadMark(const FileReadMark&) = delete;
  FileReadMark& operator=(const FileReadMark&) = delete;

 private:
  friend struct FileReads;
  friend std::optional<FileRead> OldestFileRead();
  const ScanEntry& entry_;
  std::chrono::steady_clock::time_point start_;
  FileReadMark* previous_ = nullptr;  // the list of marks, oldest first, under the record's lock
  FileReadMark* next_ = nullptr;
};

// The file whose reading, still under way, started first, and when it started; nothing when no file
// is being read.
std::optional<FileRead> OldestFileRead();

}  // namespace volumist
