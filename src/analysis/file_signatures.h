// Computing the content digests of a file: CRC-32, the eDonkey hash (MD4 based) and MD5, all from
// one sequential read.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "catalog/signature_block.h"
#include "platform/file_system.h"

namespace volumist {

struct DigestChoice {
  bool crc32 = false;
  bool md4 = false;  // the eDonkey hash, stored in the block's md4 field
  bool md5 = false;
};

// How a digest computation ended.
enum class DigestOutcome {
  kDone,        // the chosen digests of the file's first `size` bytes are stored
  kCannotOpen,  // the file could not be opened
  kReadError,   // a read failed before `size` bytes were read
  kShorter,     // the file ended before `size` bytes: it shrank since its size was taken
  kCancelled,   // the cancel flag was set
};

// Reads the file at `path` once and stores the chosen digests of exactly its first `size` bytes in
// `out`, setting their flags; the attribute flags of `out` are left as they are. `size` is the size
// the caller records for the file (a scan's listing); without it, the size the open file has. Bytes
// added meanwhile are not read, so digests always match the recorded size and a file that keeps
// growing cannot keep the call reading; a file that became shorter gets no digests (kShorter). No
// digest is stored unless the outcome is kDone: digests of part of a file would be wrong.
// Large files are digested on two cores (MD5 on a second thread, which the call starts and joins).
// Safe to call from any thread; `fileSystem` must allow concurrent opens. When `cancel` is given
// and becomes set, the reading stops within one block (a stopped scan does not wait for a whole
// large file).
[[nodiscard]] DigestOutcome ComputeFileSignatures(const std::string& path, DigestChoice want, SignatureBlock& out,
                                                  platform::FileSystem& fileSystem = platform::FileSystem::Default(),
                                                  const std::atomic<bool>* cancel = nullptr,
                                                  std::optional<uint64_t> size = std::nullopt);

// How a digest computation ended, and where a read failed.
struct DigestResult {
  DigestOutcome outcome = DigestOutcome::kDone;
  // kReadError: the offset of the first 4 KiB block of the file that could not be read (the failed
  // read is tried again block by block, so a bad sector is named, not the start of a large read).
  uint64_t failedAt = 0;
};

// What ComputeFileSignatures takes besides the path, for callers that want more of it.
struct DigestSettings {
  platform::FileSystem* fileSystem = nullptr;        // null: platform::FileSystem::Default()
  const std::atomic<bool>* cancel = nullptr;
  std::optional<uint64_t> size;
  std::atomic<uint64_t>* bytesDigested = nullptr;    // when given, raised by every block read (relaxed)
};

// ComputeFileSignatures, telling where a read failed and counting the bytes read as it goes.
[[nodiscard]] DigestResult DigestFile(const std::string& path, DigestChoice want, SignatureBlock& out,
                                      const DigestSettings& settings);

}  // namespace volumist
