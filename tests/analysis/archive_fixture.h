// Helpers of the archive reader tests: running a reader on bytes held in memory, and the listed
// tree as lines that a test compares whole.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/archive_reader.h"
#include "catalog/value_format.h"
#include "testing/memory_file_system.h"

namespace volumist::testing {

struct ReadResult {
  bool valid = false;  // IsValid
  bool read = false;   // ReadContent
  ArchiveTree tree;
  uint64_t bytesRead = 0;  // read from the file in all
};

// Counts the bytes read through it.
class CountingFile final : public platform::File {
 public:
  CountingFile(std::unique_ptr<platform::File> base, uint64_t& count) : base_(std::move(base)), count_(count) {}
  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    std::optional<size_t> got = base_->ReadAt(offset, out);
    count_ += got.value_or(0);
    return got;
  }
  bool WriteAt(uint64_t offset, std::span<const std::byte> data) override { return base_->WriteAt(offset, data); }
  std::optional<uint64_t> Size() override { return base_->Size(); }
  bool Truncate(uint64_t length) override { return base_->Truncate(length); }
  bool Sync() override { return base_->Sync(); }
  bool Close() override { return base_->Close(); }

 private:
  std::unique_ptr<platform::File> base_;
  uint64_t& count_;
};

inline ReadResult ReadArchiveBytes(ArchiveKind kind, const std::string& bytes, const ScanOptions& options = {}) {
  MemoryFileSystem fileSystem;
  fileSystem.Put("/archive", bytes);
  platform::OpenResult opened = fileSystem.OpenForRead("/archive");
  EXPECT_TRUE(opened);
  ReadResult result;
  CountingFile file(std::move(opened.file), result.bytesRead);
  std::unique_ptr<ArchiveReader> reader = MakeArchiveReader(kind, file, options);
  result.valid = reader->IsValid();
  if (result.valid) {
    result.read = reader->ReadContent();
    result.tree = reader->TakeTree();
  }
  return result;
}

// Folders as "PATH/", files as "PATH SIZE", depth first in writing order (a folder's files, then its
// sub-folders), paths joined with "/" whatever the kind's separator.
inline std::vector<std::string> Describe(const ArchiveTree& tree) {
  std::vector<std::string> lines;
  std::function<void(const ArchiveFolder&, const std::string&)> walk = [&](const ArchiveFolder& folder,
                                                                             const std::string& prefix) {
    for (const ArchiveFile& file : folder.files) {
      lines.push_back(prefix + file.baseName + file.extension + " " + std::to_string(file.entry.size));
    }
    for (const auto& child : folder.folders) {
      lines.push_back(prefix + child->name + "/");
      walk(*child, prefix + child->name + "/");
    }
  };
  walk(tree.Root(), "");
  return lines;
}

// The file at `path` ("a/b.txt"), or null.
inline const ArchiveFile* FindFile(const ArchiveTree& tree, const std::string& path) {
  const ArchiveFolder* folder = &tree.Root();
  std::string rest = path;
  for (size_t cut; (cut = rest.find('/')) != std::string::npos;) {
    std::string component = rest.substr(0, cut);
    rest = rest.substr(cut + 1);
    auto found = folder->byName.find(component);
    if (found == folder->byName.end()) return nullptr;
    folder = found->second;
  }
  for (const ArchiveFile& file : folder->files) {
    if (file.baseName + file.extension == rest) return &file;
  }
  return nullptr;
}

// A DOS date and time (local time; the tests run with TZ=UTC).
inline uint16_t DosDate(int year, int month, int day) { return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day); }
inline uint16_t DosTime(int hour, int minute, int second) {
  return static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
}
// 2003-12-05 14:07:00 UTC, the time the byte-built fixtures give their entries.
inline constexpr int64_t kFixtureTime = 1070633220;
inline const uint16_t kFixtureDate = DosDate(2003, 12, 5);
inline const uint16_t kFixtureClock = DosTime(14, 7, 0);

}  // namespace volumist::testing
