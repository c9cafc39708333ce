// Buffered, bounds-checked reading of a File at 64-bit positions. Readers of foreign bytes use it
// so that no read can run past the end of the data: a short read reports failure instead.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "platform/file_system.h"

namespace volumist::platform {

class BufferedReader {
 public:
  static constexpr size_t kDefaultCapacity = 64 * 1024;

  // `file` must outlive the reader. The file's size is taken now; see RefreshSize.
  explicit BufferedReader(File& file, size_t capacity = kDefaultCapacity);

  uint64_t Size() const { return size_; }
  void RefreshSize();
  uint64_t Position() const { return bufferStart_ + cursor_; }
  uint64_t Remaining() const { return Position() < size_ ? size_ - Position() : 0; }
  // True once a read of the underlying file failed (as opposed to reaching the end).
  bool HadError() const { return hadError_; }

  // Moves to `position` (may lie past the end; the next read then fails).
  void Seek(uint64_t position) {
    if (position >= bufferStart_ && position <= bufferStart_ + length_) {
      cursor_ = static_cast<size_t>(position - bufferStart_);
    } else {
      // Far from what was buffered: the reader is stepping over data, not streaming.
      jumped_ = position < bufferStart_ || position - (bufferStart_ + length_) > capacity_;
      bufferStart_ = position;
      cursor_ = length_ = 0;
    }
  }

  // The first fill after a seek far away reads at most this many bytes (at least what the read
  // asks for); later fills read the whole capacity. Readers that step over large data between
  // small headers set it low, so that each header does not cost a whole buffer. Default: the
  // capacity.
  void SetJumpReadSize(size_t n) { jumpReadSize_ = n; }

  // Reads exactly out.size() bytes, or returns false (the position is then unspecified).
  bool Read(void* out, size_t n) {
    if (n == 0) return true;  // `out` may be null then, which memcpy does not allow
    if (n <= length_ - cursor_) {
      std::memcpy(out, buffer_.get() + cursor_, n);
      cursor_ += n;
      return true;
    }
    return ReadSlow(static_cast<std::byte*>(out), n);
  }

  bool ReadByte(uint8_t& out) {
    if (cursor_ < length_) {
      out = static_cast<uint8_t>(buffer_[cursor_++]);
      return true;
    }
    return ReadSlow(reinterpret_cast<std::byte*>(&out), 1);
  }

  // Returns a view of the next n bytes and moves past them, or an empty span if fewer remain or n
  // exceeds the buffer. The view stays valid until the next call on the reader.
  std::span<const std::byte> Take(size_t n);

  // A view of up to n bytes from the current position, without moving past them: n bytes, or fewer
  // only at the end of the file (or after a read error). n may not exceed the buffer's capacity.
  // The view stays valid until the next call on the reader.
  std::span<const std::byte> Peek(size_t n) {
    if (n <= length_ - cursor_) return {buffer_.get() + cursor_, n};
    return PeekSlow(n);
  }

  // Everything buffered from the current position on: at least what the last Peek returned. Valid
  // until the next call on the reader.
  std::span<const std::byte> Buffered() const { return {buffer_.get() + cursor_, length_ - cursor_}; }

  // Steps over n bytes; false if that passes the end of the file.
  bool Skip(uint64_t n);

 private:
  bool ReadSlow(std::byte* out, size_t n);
  std::span<const std::byte> PeekSlow(size_t n);
  bool Fill();

  File& file_;
  size_t capacity_;
  std::unique_ptr<std::byte[]> buffer_;
  uint64_t size_ = 0;
  uint64_t bufferStart_ = 0;  // file position of buffer_[0]
  size_t cursor_ = 0;         // next byte in the buffer
  size_t length_ = 0;         // valid bytes in the buffer
  bool hadError_ = false;
  size_t jumpReadSize_ = SIZE_MAX;
  bool jumped_ = false;  // the buffer was given up by a seek far away
};

}  // namespace volumist::platform
