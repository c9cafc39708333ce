// VolumeWriter: the buffered writer of volume files and of every other file the program writes.
//
// A writer writes one of three things: the new version of a target file (OpenReplacing: a
// temporary file beside the target that Finish puts in its place, with every rule of
// platform/file_replacement.h), a scratch file (OpenTemporary: a temporary file that is removed
// with the writer), or a stream such as standard output (OpenStream). Bytes go through a buffer
// (64 KiB for volume files) and are passed to the file when the buffer would overflow, on Flush,
// and before any operation that must see the file. Records are addressed by their logical position
// (everything written so far, buffered bytes included); while a tree is written the key base makes
// CurrentKey() a RecordKey.
//
// Failures are sticky: after the first failed write ok() is false, later writes are dropped, and
// Finish refuses to put the file in place. Destroying a writer whose file was not finished
// removes the temporary file, so an abandoned write leaves nothing behind.
//
// Volume files address their records with 32-bit offsets, so by default a writer refuses to grow
// its file past 4 GiB (the write that would fails like a full disk); writers of other files lift
// the limit.
//
// Used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "catalog/coding.h"
#include "catalog/prompter.h"
#include "catalog/record_key.h"
#include "catalog/volume_format.h"
#include "platform/file_replacement.h"
#include "platform/file_system.h"
#include "platform/temporary_file.h"

namespace volumist {

class VolumeWriter {
 public:
  // The largest file a volume writer makes: keys and header offsets are 32-bit.
  static constexpr uint64_t kVolumeSizeLimit = 0xFFFFFFFFu;
  static constexpr uint64_t kNoSizeLimit = UINT64_MAX;

  // `fileSystem` and `prompter` must outlive the writer. Writes that would end past `sizeLimit`
  // bytes fail.
  VolumeWriter(platform::FileSystem& fileSystem, Prompter& prompter,
               size_t capacity = format::kVolumeBufferSize, uint64_t sizeLimit = kVolumeSizeLimit);
  ~VolumeWriter();
  VolumeWriter(const VolumeWriter&) = delete;
  VolumeWriter& operator=(const VolumeWriter&) = delete;

  // Creates a new scratch file in `directory` and starts writing at its offset 0; the file is
  // removed with the writer. On failure shows "Can't create temporary file..." and returns false.
  [[nodiscard]] bool OpenTemporary(const std::string& directory = ".");
  // Starts the new version of `target` (FileReplacement::Begin: links followed, anything but a
  // regular file refused, the target locked first with options.lockTarget, stale temporary files
  // swept) and writes from offset 0 of its temporary file. Shows nothing: the caller reports the
  // failure (kOther and the errors of creating a file: the temporary file could not be made).
  [[nodiscard]] platform::FileError OpenReplacing(const std::string& target, const platform::ReplaceOptions& options = {});
  // Writes to `stream` in order, from its current end (standard output); Finish only flushes.
  void OpenStream(std::unique_ptr<platform::File> stream);

  void Write(const void* data, size_t n) {
    if (length_ + n + format::kWriteMargin <= capacity_) {
      std::memcpy(buffer_.get() + length_, data, n);
      length_ += n;
      return;
    }
    WriteSlow(data, n);
  }
  void Write(std::span<const std::byte> data) { Write(data.data(), data.size()); }
  void WriteU8(uint8_t value) { Write(&value, 1); }
  void WriteFixed(uint64_t value, int width) {
    uint8_t bytes[8];
    EncodeFixed(bytes, value, width);
    Write(bytes, static_cast<size_t>(width));
  }
  void WriteU16(uint16_t value) { WriteFixed(value, 2); }
  void WriteU24(uint32_t value) { WriteFixed(value, 3); }
  void WriteU32(uint32_t value) { WriteFixed(value, 4); }
  void WriteU64(uint64_t value) { WriteFixed(value, 8); }
  void WriteF32(float value) { WriteFixed(FloatBits(value), 4); }

  // Passes the buffered bytes to the file.
  bool Flush();

  uint64_t LogicalPosition() const { return bufferStart_ + length_; }
  uint64_t FlushedPosition() const { return bufferStart_; }
  // The logical position as a key: counted from the key base (the tree start while a tree is written).
  RecordKey CurrentKey() const { return static_cast<RecordKey>(LogicalPosition() - keyBase_); }
  void SetKeyBase(uint64_t base) { keyBase_ = base; }
  uint64_t KeyBase() const { return keyBase_; }

  // Overwrites n bytes written earlier at file offset `offset`: in the buffer while they are still
  // there, otherwise in the file. The logical position does not move.
  void PatchAt(uint64_t offset, const void* data, size_t n);
  // Drops everything written from `offset` on; writing continues there. Bytes already in the file
  // past that point are overwritten by later writes or cut off by TruncateAtEnd.
  void RewindTo(uint64_t offset);
  // Flushes and cuts the file at the logical position.
  bool TruncateAtEnd();
  // Appends bytes [from, to) of `source`. A read error stops the copy with "Error when copy!".
  bool CopyFrom(platform::File& source, uint64_t from, uint64_t to);

  enum class FinishResult {
    kDone,
    kWriteFailed,   // a write, the flush or the sync failed; the target is untouched
    kRenameFailed,  // the rename failed; the target is untouched
    kExists,        // with kKeep: a file has the target's name; the writer stays open
    kBusy,          // another writer kept the target's lock past the wait
  };
  // Completes a replacement: flushes and commits (FileReplacement::Commit), so the target holds
  // either its old content or the complete new one. On every failure but kExists the temporary
  // file is removed. A stream is flushed. Reports nothing itself.
  FinishResult Finish(platform::ExistingTarget existing = platform::ExistingTarget::kReplace);
  // Names another target in the same folder for the next Finish (after kExists): kExists when that
  // name is taken too.
  [[nodiscard]] platform::FileError Retarget(const std::string& target) { return replacement_.Retarget(target); }

  bool ok() const { return ok_; }
  platform::File* File() const { return file_; }
  // The temporary file's path; empty for a stream.
  const std::string& TemporaryPath() const;
  // The replacement being written (its target, and the locked old version with lockTarget).
  const platform::FileReplacement& Replacement() const { return replacement_; }

 private:
  // Starts writing `file` (null: nothing is open) at offset 0.
  void Restart(platform::File* file);
  void WriteSlow(const void* data, size_t n);
  void WriteThrough(uint64_t offset, const void* data, size_t n);

  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  size_t capacity_;
  uint64_t sizeLimit_;
  std::unique_ptr<std::byte[]> buffer_;
  size_t length_ = 0;          // bytes in the buffer
  uint64_t bufferStart_ = 0;   // file offset of the buffer's first byte
  uint64_t keyBase_ = 0;
  platform::File* file_ = nullptr;  // one of the three below
  platform::FileReplacement replacement_;
  std::optional<platform::TemporaryFile> scratch_;
  std::unique_ptr<platform::File> stream_;
  bool ok_ = true;
};

}  // namespace volumist
