// ArchiveReader: the base of the directory readers of every archive kind. A reader reads only the
// headers of an archive (it never decompresses), through a bounds-checked buffered reader, and
// builds the ArchiveTree of what the directory lists.
//
// Every reader holds to these rules on any input: no read past the end of the file, memory bounded
// by the tree's limits, and every step of a listing moves strictly forward through the file, so
// that a listing ends. A broken or truncated directory ends the listing at the first header that
// fails its checks; what was listed until then stays.
//
// A reader lives for one archive and one thread: made for a file, IsValid, ReadContent, then the
// tree is taken. The file must outlive the reader.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/archive_kind.h"
#include "analysis/archive_tree.h"
#include "catalog/scan_options.h"
#include "platform/buffered_reader.h"
#include "platform/file_system.h"

namespace volumist {

class ArchiveReader {
 public:
  ArchiveReader(ArchiveKind kind, char separator, platform::File& file, const ScanOptions& options,
                size_t bufferSize = platform::BufferedReader::kDefaultCapacity);
  virtual ~ArchiveReader() = default;
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  ArchiveKind Kind() const { return kind_; }
  // Whether the file starts with this kind's signature.
  virtual bool IsValid() = 0;
  // Reads the directory into the tree. False when the directory cannot be started (the file is
  // then recorded as an ordinary file).
  virtual bool ReadContent() = 0;

  // A flag that, once set, ends a listing early (the scan is being stopped); null for none. The flag
  // must outlive the reader.
  void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

  const ArchiveTree& Tree() const { return tree_; }
  ArchiveTree TakeTree() { return std::move(tree_); }

 protected:
  // Adds an entry split at the reader's separator. False when the listing must end (the tree is full).
  bool AddPath(std::string_view path, bool isFolder, const ArchiveEntry& entry);
  // Reads a name ended by a byte from 0 to 5, at most kMaxNameLength characters. Nothing when the
  // file ends first or no end byte comes within kMaxNameLength + 1 bytes.
  std::optional<std::string> ReadCString();
  // Reads n bytes into a string; nothing when the file ends first.
  std::optional<std::string> ReadString(size_t n);
  // Reads exactly `n` bytes to `out`; false when the file ends first.
  bool ReadBytes(void* out, size_t n) { return in_.Read(out, n); }
  bool StopRequested() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }

  static constexpr size_t kMaxNameLength = 2047;
  // What is read after stepping over data: enough for a header and its name.
  static constexpr size_t kHeaderReadSize = 4096;

  platform::BufferedReader in_;
  char separator_;

 private:
  ArchiveKind kind_;
  const ScanOptions& options_;
  const std::atomic<bool>* stop_ = nullptr;
  ArchiveTree tree_;
};

// Little-endian fields of a header read into memory.
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint64_t GetU64(const uint8_t* p) { return uint64_t{GetU32(p)} | uint64_t{GetU32(p + 4)} << 32; }

// The reader for `kind`; null for kArchiveNone. `file` and `options` must outlive it.
std::unique_ptr<ArchiveReader> MakeArchiveReader(ArchiveKind kind, platform::File& file, const ScanOptions& options);

}  // namespace volumist
