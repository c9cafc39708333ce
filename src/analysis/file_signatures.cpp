#include "analysis/file_signatures.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <memory>
#include <semaphore>
#include <thread>

#include "analysis/ed2k_hash.h"
#include "analysis/md5.h"

namespace volumist {
namespace {

// Reads of 256 KiB keep the calls few while the data still sits in the cache when the digests
// read it.
constexpr size_t kReadSize = 256 * 1024;
// From this size on MD5, the slowest of the three, runs on a second thread; below it, starting a
// thread costs more than it saves.
constexpr uint64_t kTwoThreadSize = 1024 * 1024;
// Buffers in flight between the reading thread and the MD5 thread.
constexpr size_t kSlotCount = 4;

// CRC-32 and the eDonkey hash, the digests the reading thread computes itself.
class ReaderDigests {
 public:
  explicit ReaderDigests(DigestChoice want) : want_(want) {}
  void Update(std::span<const std::byte> data) {
    if (want_.crc32) {
      crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(data.data()), data.size());
    }
    if (want_.md4) ed2k_.Update(data);
  }
  void Store(SignatureBlock& out) {
    if (want_.crc32) {
      out.crc32 = static_cast<uint32_t>(crc_);
      out.hasCrc32 = true;
    }
    if (want_.md4) {
      out.md4 = ed2k_.Finish();
      out.hasMd4 = true;
    }
  }

 private:
  DigestChoice want_;
  uLong crc_ = crc32_z(0, nullptr, 0);
  Ed2kHash ed2k_;
};

void StoreMd5(Md5& md5, SignatureBlock& out) {
  out.md5 = md5.Finish();
  out.hasMd5 = true;
}

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

// Where the reading of one file stands, shared by its reading loops.
struct Reading {
  platform::File& file;
  const std::atomic<bool>* cancel;
  std::atomic<uint64_t>* bytesDigested;
  uint64_t failedAt = 0;
};

// The size of the blocks a failed read is tried again in, to find the first one that fails.
constexpr size_t kProbeSize = 4096;

// After a failed read of `buffer` at `offset`: the offset of its first block that cannot be read.
uint64_t FirstFailingBlock(platform::File& file, uint64_t offset, std::span<std::byte> buffer) {
  for (size_t done = 0; done < buffer.size(); done += kProbeSize) {
    std::span<std::byte> block = buffer.subspan(done, std::min(kProbeSize, buffer.size() - done));
    std::optional<size_t> got = file.ReadAt(offset + done, block);
    if (!got || *got < block.size()) return offset + done;
  }
  return offset;  // every block read on the second try: the first read's failure stands for all of it
}

// Fills `buffer` from `offset` on; kDone only when every byte came.
DigestOutcome ReadPiece(Reading& reading, uint64_t offset, std::span<std::byte> buffer) {
  if (Cancelled(reading.cancel)) return DigestOutcome::kCancelled;
  std::optional<size_t> got = reading.file.ReadAt(offset, buffer);
  if (!got) {
    reading.failedAt = FirstFailingBlock(reading.file, offset, buffer);
    return DigestOutcome::kReadError;
  }
  if (reading.bytesDigested != nullptr) reading.bytesDigested->fetch_add(*got, std::memory_order_relaxed);
  return *got < buffer.size() ? DigestOutcome::kShorter : DigestOutcome::kDone;
}

// One pass on the calling thread. A small file gets a buffer of its own size and is read in one
// call.
DigestOutcome DigestOnOneThread(Reading& reading, uint64_t size, DigestChoice want, SignatureBlock& out) {
  const size_t bufferSize = static_cast<size_t>(std::clamp<uint64_t>(size, 1, kReadSize));
  auto buffer = std::make_unique_for_overwrite<std::byte[]>(bufferSize);
  ReaderDigests digests(want);
  Md5 md5;
  for (uint64_t offset = 0; offset < size;) {
    std::span<std::byte> piece(buffer.get(), static_cast<size_t>(std::min<uint64_t>(bufferSize, size - offset)));
    if (DigestOutcome read = ReadPiece(reading, offset, piece); read != DigestOutcome::kDone) return read;
    digests.Update(piece);
    if (want.md5) md5.Update(piece);
    offset += piece.size();
  }
  digests.Store(out);
  if (want.md5) StoreMd5(md5, out);
  return DigestOutcome::kDone;
}

// The reading thread fills slots in turn and digests CRC-32 and MD4 from each; the MD5 thread takes
// the same slots in the same order. A slot is refilled only after the MD5 thread released it.
DigestOutcome DigestOnTwoThreads(Reading& reading, uint64_t size, DigestChoice want, SignatureBlock& out) {
  struct Slot {
    std::unique_ptr<std::byte[]> data = std::make_unique_for_overwrite<std::byte[]>(kReadSize);
    size_t length = 0;
    bool last = false;
  };
  std::array<Slot, kSlotCount> slots;
  std::counting_semaphore<kSlotCount> filled(0);
  std::counting_semaphore<kSlotCount> free(kSlotCount);
  Md5 md5;
  std::jthread md5Thread([&] {
    for (size_t i = 0;; ++i) {
      filled.acquire();
      Slot& slot = slots[i % kSlotCount];
      md5.Update(slot.data.get(), slot.length);
      bool last = slot.last;
      free.release();
      if (last) return;
    }
  });

  ReaderDigests digests(want);
  DigestOutcome outcome = DigestOutcome::kDone;
  uint64_t offset = 0;
  for (size_t i = 0;; ++i) {
    free.acquire();
    Slot& slot = slots[i % kSlotCount];
    std::span<std::byte> piece(slot.data.get(), static_cast<size_t>(std::min<uint64_t>(kReadSize, size - offset)));
    outcome = ReadPiece(reading, offset, piece);
    // A failed read ends the reading; the MD5 thread still gets its last slot.
    slot.length = outcome == DigestOutcome::kDone ? piece.size() : 0;
    offset += slot.length;
    slot.last = outcome != DigestOutcome::kDone || offset == size;
    const bool last = slot.last;
    std::span<const std::byte> data(slot.data.get(), slot.length);
    filled.release();
    digests.Update(data);
    if (last) break;
  }
  md5Thread.join();
  if (outcome != DigestOutcome::kDone) return outcome;
  digests.Store(out);
  StoreMd5(md5, out);
  return DigestOutcome::kDone;
}

}  // namespace

DigestOutcome ComputeFileSignatures(const std::string& path, DigestChoice want, SignatureBlock& out,
                                    platform::FileSystem& fileSystem, const std::atomic<bool>* cancel,
                                    std::optional<uint64_t> size) {
  return DigestFile(path, want, out, DigestSettings{&fileSystem, cancel, size, nullptr}).outcome;
}

DigestResult DigestFile(const std::string& path, DigestChoice want, SignatureBlock& out,
                        const DigestSettings& settings) {
  platform::FileSystem& fileSystem =
      settings.fileSystem != nullptr ? *settings.fileSystem : platform::FileSystem::Default();
  platform::OpenResult opened = fileSystem.OpenForRead(path);
  if (!opened) return {DigestOutcome::kCannotOpen};
  platform::File& file = *opened.file;
  if (!want.crc32 && !want.md4 && !want.md5) return {DigestOutcome::kDone};
  std::optional<uint64_t> size = settings.size;
  if (!size) size = file.Size();
  if (!size) return {DigestOutcome::kReadError};
  Reading reading{file, settings.cancel, settings.bytesDigested};
  bool twoThreads = want.md5 && (want.crc32 || want.md4) && *size >= kTwoThreadSize;
  SignatureBlock digests;
  DigestOutcome outcome = twoThreads ? DigestOnTwoThreads(reading, *size, want, digests)
                                     : DigestOnOneThread(reading, *size, want, digests);
  if (outcome != DigestOutcome::kDone) return {outcome, outcome == DigestOutcome::kReadError ? reading.failedAt : 0};
  out.crc32 = digests.crc32;
  out.hasCrc32 = digests.hasCrc32;
  out.md4 = digests.md4;
  out.hasMd4 = digests.hasMd4;
  out.md5 = digests.md5;
  out.hasMd5 = digests.hasMd5;
  return {DigestOutcome::kDone};
}

}  // namespace volumist
