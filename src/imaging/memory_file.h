// A read-only platform::File over bytes in memory, so that the decoders read pictures embedded in
// other data (PNG and bitmaps inside icons, thumbnails stored in volume files) the way they read
// files on disk.
#pragma once

#include <cstdint>
#include <span>

#include "platform/file_system.h"

namespace volumist {

// Borrows `bytes`, which must outlive the file. Writes, truncation and sync fail.
class MemoryFile final : public platform::File {
 public:
  explicit MemoryFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override;
  bool WriteAt(uint64_t, std::span<const std::byte>) override { return false; }
  std::optional<uint64_t> Size() override { return bytes_.size(); }
  bool Truncate(uint64_t) override { return false; }
  bool Sync() override { return false; }
  bool Close() override { return true; }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace volumist
