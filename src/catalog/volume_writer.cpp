#include "catalog/volume_writer.h"

#include <algorithm>
#include <vector>

#include "catalog/messages.h"
#include "platform/temporary_file.h"

namespace volumist {

VolumeWriter::VolumeWriter(platform::FileSystem& fileSystem, Prompter& prompter, size_t capacity, uint64_t sizeLimit)
    : fileSystem_(fileSystem),
      prompter_(prompter),
      capacity_(std::max(capacity, format::kWriteMargin * 2)),
      sizeLimit_(sizeLimit),
      buffer_(new std::byte[capacity_]),
      replacement_(fileSystem) {}

// The members remove the temporary file of an unfinished write.
VolumeWriter::~VolumeWriter() = default;

void VolumeWriter::Restart(platform::File* file) {
  file_ = file;
  length_ = 0;
  bufferStart_ = 0;
  keyBase_ = 0;
  ok_ = file != nullptr;
}

bool VolumeWriter::OpenTemporary(const std::string& directory) {
  replacement_.Abandon();
  stream_.reset();
  scratch_ = platform::TemporaryFile::Create(fileSystem_, directory);
  if (!scratch_) {
    prompter_.ShowError(messages::kCantCreateTemporaryFile);
    Restart(nullptr);
    return false;
  }
  Restart(&scratch_->file());
  return true;
}

platform::FileError VolumeWriter::OpenReplacing(const std::string& target, const platform::ReplaceOptions& options) {
  scratch_.reset();
  stream_.reset();
  platform::FileError error = replacement_.Begin(target, options);
  Restart(error == platform::FileError::kNone ? &replacement_.Temporary() : nullptr);
  return error;
}

void VolumeWriter::OpenStream(std::unique_ptr<platform::File> stream) {
  replacement_.Abandon();
  scratch_.reset();
  stream_ = std::move(stream);
  Restart(stream_.get());
}

const std::string& VolumeWriter::TemporaryPath() const {
  static const std::string kNone;
  if (scratch_) return scratch_->path();
  if (replacement_.IsOpen()) return replacement_.TemporaryPath();
  return kNone;
}

void VolumeWriter::WriteThrough(uint64_t offset, const void* data, size_t n) {
  if (!ok_) return;
  if (!file_ || offset > sizeLimit_ || n > sizeLimit_ - offset ||
      !file_->WriteAt(offset, std::span(static_cast<const std::byte*>(data), n))) {
    ok_ = false;
  }
}

void VolumeWriter::WriteSlow(const void* data, size_t n) {
  Flush();
  if (n + format::kWriteMargin <= capacity_) {
    std::memcpy(buffer_.get(), data, n);
    length_ = n;
    return;
  }
  // Too large for the buffer (a thumbnail, a copied block): straight to the file.
  WriteThrough(bufferStart_, data, n);
  bufferStart_ += n;
}

bool VolumeWriter::Flush() {
  if (length_ > 0) {
    WriteThrough(bufferStart_, buffer_.get(), length_);
    bufferStart_ += length_;
    length_ = 0;
  }
  return ok_;
}

void VolumeWriter::PatchAt(uint64_t offset, const void* data, size_t n) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint64_t end = offset + n;
  if (end > LogicalPosition()) {
    ok_ = false;  // a patch never extends the file
    return;
  }
  // The part that lies before the buffer goes to the file, the rest into the buffer.
  if (offset < bufferStart_) {
    size_t inFile = static_cast<size_t>(std::min(end, bufferStart_) - offset);
    WriteThrough(offset, bytes, inFile);
    bytes += inFile;
    offset += inFile;
    n -= inFile;
  }
  if (n > 0) std::memcpy(buffer_.get() + (offset - bufferStart_), bytes, n);
}

void VolumeWriter::RewindTo(uint64_t offset) {
  if (offset >= bufferStart_) {
    length_ = static_cast<size_t>(std::min<uint64_t>(offset - bufferStart_, length_));
  } else {
    length_ = 0;
    bufferStart_ = offset;
  }
}

bool VolumeWriter::TruncateAtEnd() {
  if (!Flush() || file_ == nullptr) return false;
  if (!file_->Truncate(bufferStart_)) ok_ = false;
  return ok_;
}

bool VolumeWriter::CopyFrom(platform::File& source, uint64_t from, uint64_t to) {
  std::vector<std::byte> block(capacity_);
  while (from < to) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), to - from));
    auto got = source.ReadAt(from, std::span(block.data(), want));
    if (!got || *got == 0) {
      prompter_.ShowError(messages::kErrorWhenCopy);
      return false;
    }
    Write(block.data(), *got);
    from += *got;
  }
  return ok_;
}

VolumeWriter::FinishResult VolumeWriter::Finish(platform::ExistingTarget existing) {
  if (file_ == nullptr) return FinishResult::kWriteFailed;
  Flush();
  if (stream_) return ok_ ? FinishResult::kDone : FinishResult::kWriteFailed;
  if (!ok_ || !replacement_.IsOpen()) {
    replacement_.Abandon();
    file_ = nullptr;
    return FinishResult::kWriteFailed;
  }
  platform::FileError error = replacement_.Commit(existing);
  if (error == platform::FileError::kExists) return FinishResult::kExists;
  file_ = nullptr;
  switch (error) {
    case platform::FileError::kNone: return FinishResult::kDone;
    case platform::FileError::kBusy: return FinishResult::kBusy;
    case platform::FileError::kIoError: ok_ = false; return FinishResult::kWriteFailed;
    default: return FinishResult::kRenameFailed;
  }
}

}  // namespace volumist
