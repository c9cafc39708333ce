#include "platform/buffered_reader.h"

#include <algorithm>

namespace volumist::platform {

BufferedReader::BufferedReader(File& file, size_t capacity)
    : file_(file), capacity_(std::max<size_t>(capacity, 16)), buffer_(new std::byte[capacity_]) {
  RefreshSize();
}

void BufferedReader::RefreshSize() {
  auto size = file_.Size();
  if (!size) hadError_ = true;
  size_ = size.value_or(0);
}

bool BufferedReader::Fill() {
  uint64_t position = Position();
  bufferStart_ = position;
  cursor_ = length_ = 0;
  if (position >= size_) return false;
  size_t limit = jumped_ ? std::min(jumpReadSize_, capacity_) : capacity_;
  jumped_ = false;
  size_t want = static_cast<size_t>(std::min<uint64_t>(limit, size_ - position));
  auto got = file_.ReadAt(position, std::span(buffer_.get(), want));
  if (!got) {
    hadError_ = true;
    return false;
  }
  length_ = *got;
  return length_ > 0;
}

bool BufferedReader::ReadSlow(std::byte* out, size_t n) {
  if (n > Remaining()) return false;
  while (n > 0) {
    if (cursor_ == length_) {
      // Large reads bypass the buffer.
      if (n >= capacity_) {
        uint64_t position = Position();
        auto got = file_.ReadAt(position, std::span(out, n));
        if (!got) hadError_ = true;
        if (!got || *got != n) return false;
        bufferStart_ = position + n;
        cursor_ = length_ = 0;
        return true;
      }
      if (!Fill()) return false;
    }
    size_t chunk = std::min(n, length_ - cursor_);
    std::memcpy(out, buffer_.get() + cursor_, chunk);
    cursor_ += chunk;
    out += chunk;
    n -= chunk;
  }
  return true;
}

std::span<const std::byte> BufferedReader::Take(size_t n) {
  if (n > Remaining() || n > capacity_) return {};
  std::span<const std::byte> view = Peek(n);
  if (view.size() < n) return {};
  cursor_ += n;
  return view;
}

std::span<const std::byte> BufferedReader::PeekSlow(size_t n) {
  n = static_cast<size_t>(std::min<uint64_t>({n, capacity_, Remaining()}));
  if (n > length_ - cursor_) {
    // Move what is left to the front and top the buffer up.
    size_t tail = length_ - cursor_;
    std::memmove(buffer_.get(), buffer_.get() + cursor_, tail);
    bufferStart_ += cursor_;
    cursor_ = 0;
    length_ = tail;
    uint64_t position = bufferStart_ + length_;
    size_t want = static_cast<size_t>(std::min<uint64_t>(capacity_ - length_, size_ - position));
    auto got = file_.ReadAt(position, std::span(buffer_.get() + length_, want));
    if (!got) {
      hadError_ = true;
      return {buffer_.get() + cursor_, length_ - cursor_};
    }
    length_ += *got;
    n = std::min(n, length_);
  }
  return {buffer_.get() + cursor_, n};
}

bool BufferedReader::Skip(uint64_t n) {
  if (n > Remaining()) return false;
  Seek(Position() + n);
  return true;
}

}  // namespace volumist::platform
