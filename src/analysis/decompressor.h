// Decompressor: the streams that compressed TAR archives come in (gzip, xz, bzip2, zstd), decoded
// as they are read, in memory that does not depend on the data: a fixed input buffer and each
// library's state, with the xz and zstd window sizes limited (a stream that asks for more is
// refused as damaged). Nothing is written anywhere.
//
// One Decompressor reads one stream for one thread. Concatenated streams (gzip members, bzip2
// streams, xz streams, zstd frames, as parallel compressors write them) are read as one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/buffered_reader.h"

namespace volumist {

enum class Compression { kNone = 0, kGzip = 1, kXz = 2, kBzip2 = 3, kZstd = 4 };

// The compression that a file's first bytes announce (at least 6 are needed to tell them all).
Compression CompressionOf(std::span<const std::byte> head);

class Decompressor {
 public:
  // The largest dictionary or window a stream may need: enough for the highest presets of xz
  // (64 MiB) and zstd (128 MiB with --ultra or --long).
  static constexpr uint64_t kMaxXzMemory = 96ull << 20;
  static constexpr int kMaxZstdWindowLog = 27;

  virtual ~Decompressor() = default;

  // A decompressor of `compression` (not kNone) reading the compressed bytes from `in`, from its
  // current position on. `in` must outlive it. Nothing when the library cannot start one.
  static std::unique_ptr<Decompressor> Make(Compression compression, platform::BufferedReader& in);

  // Decompresses up to out.size() bytes into `out`: how many came (0 at the end of the stream), or
  // nothing when the stream is damaged, cut short or needs more memory than allowed. After a 0 or
  // a failure every further call gives the same.
  virtual std::optional<size_t> Read(std::span<uint8_t> out) = 0;
};

}  // namespace volumist
