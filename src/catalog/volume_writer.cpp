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
      buffer_(new std::byte[capacity_]) {}

VolumeWriter::~VolumeWriter() {
  if (file_) file_->Close();
  if (!temporaryPath_.empty()) fileSystem_.Remove(temporaryPath_);
}

bool VolumeWriter::OpenTemporary(const std::string& directory) {
  auto temporary = platform::CreateTemporaryFile(fileSystem_, directory);
  if (!temporary) {
    prompter_.ShowError(messages::kCantCreateTemporaryFile);
    return false;
  }
  file_ = std::move(temporary->file);
  temporaryPath_ = std::move(temporary->path);
  length_ = 0;
  bufferStart_ = 0;
  keyBase_ = 0;
  ok_ = true;
  return true;
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
  if (!Flush()) return false;
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

VolumeWriter::FinishResult VolumeWriter::FinishAs(const std::string& targetPath) {
  if (!file_) return FinishResult::kWriteFailed;
  Flush();
  if (ok_ && !file_->Sync()) ok_ = false;
  bool closed = file_->Close();
  file_.reset();
  if (!ok_ || !closed) {
    ok_ = false;
    return FinishResult::kWriteFailed;  // the destructor deletes the temporary file
  }
  std::string temporary = std::move(temporaryPath_);
  temporaryPath_.clear();
  if (!fileSystem_.Rename(temporary, targetPath)) return FinishResult::kRenameFailed;
  fileSystem_.SyncDirectory(platform::DirectoryOf(targetPath));
  return FinishResult::kDone;
}

}  // namespace volumist
