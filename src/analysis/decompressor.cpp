#include "analysis/decompressor.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace volumist {
namespace {

constexpr size_t kInputChunk = 64 * 1024;

bool Starts(std::span<const std::byte> head, std::string_view magic) {
  return head.size() >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

// The compressed bytes, a chunk at a time, from the reader's current position.
class Input {
 public:
  explicit Input(platform::BufferedReader& in) : in_(in), buffer_(kInputChunk) {}

  // Refills when everything was used; false at the end of the file or on a read error.
  bool Fill() {
    if (next_ < length_) return true;
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), in_.Remaining()));
    next_ = length_ = 0;
    if (n == 0 || !in_.Read(buffer_.data(), n)) return false;
    length_ = n;
    return true;
  }
  const uint8_t* Data() const { return buffer_.data() + next_; }
  size_t Available() const { return length_ - next_; }
  void Consume(size_t n) { next_ += n; }
  // Whether more input follows that starts with `magic` (the next concatenated stream).
  bool NextStartsWith(std::string_view magic) {
    if (!Fill() && Available() == 0) return false;
    if (Available() < magic.size()) {
      // Move the few bytes left to the front and top the buffer up.
      std::memmove(buffer_.data(), Data(), Available());
      length_ = Available();
      next_ = 0;
      size_t n = static_cast<size_t>(std::min<uint64_t>(buffer_.size() - length_, in_.Remaining()));
      if (n > 0 && in_.Read(buffer_.data() + length_, n)) length_ += n;
    }
    return Available() >= magic.size() && std::memcmp(Data(), magic.data(), magic.size()) == 0;
  }

 private:
  platform::BufferedReader& in_;
  std::vector<uint8_t> buffer_;
  size_t next_ = 0;
  size_t length_ = 0;
};

// The loop every stream shares: done after the end of the last stream or a failure.
class StreamBase : public Decompressor {
 public:
  explicit StreamBase(platform::BufferedReader& in) : input_(in) {}

  std::optional<size_t> Read(std::span<uint8_t> out) final {
    if (failed_) return std::nullopt;
    if (ended_ || out.empty()) return size_t{0};
    for (;;) {
      bool more = input_.Available() > 0 || input_.Fill();
      std::optional<size_t> produced = Step(out, !more);
      if (!produced) {
        failed_ = true;
        return std::nullopt;
      }
      if (streamEnded_) {
        streamEnded_ = false;
        // Another stream may follow; anything else after the end (tape padding) is ignored.
        if (!NextStream()) ended_ = true;
      }
      if (*produced > 0 || ended_) return produced;
      if (!more) {
        failed_ = true;  // the file ended inside a stream
        return std::nullopt;
      }
    }
  }

 protected:
  // Decodes what input_ holds into `out` and consumes it; `finishing` when the file has no more
  // bytes. Sets streamEnded_ at the end of one stream. Nothing when the data is damaged.
  virtual std::optional<size_t> Step(std::span<uint8_t> out, bool finishing) = 0;
  // Starts the next concatenated stream when one follows; false when none does.
  virtual bool NextStream() { return false; }

  Input input_;
  bool streamEnded_ = false;

 private:
  bool ended_ = false;
  bool failed_ = false;
};

class GzipStream final : public StreamBase {
 public:
  explicit GzipStream(platform::BufferedReader& in) : StreamBase(in) {}
  ~GzipStream() override {
    if (started_) inflateEnd(&z_);
  }
  bool Start() {
    // 16 + window bits: the gzip wrapper, with its header and CRC checked.
    started_ = inflateInit2(&z_, 16 + MAX_WBITS) == Z_OK;
    return started_;
  }

 private:
  std::optional<size_t> Step(std::span<uint8_t> out, bool) override {
    z_.next_in = const_cast<Bytef*>(input_.Data());
    z_.avail_in = static_cast<uInt>(input_.Available());
    z_.next_out = out.data();
    z_.avail_out = static_cast<uInt>(std::min<size_t>(out.size(), UINT32_MAX));
    int status = inflate(&z_, Z_NO_FLUSH);
    input_.Consume(input_.Available() - z_.avail_in);
    if (status == Z_STREAM_END) {
      streamEnded_ = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      return std::nullopt;
    }
    return static_cast<size_t>(z_.next_out - out.data());
  }
  bool NextStream() override { return input_.NextStartsWith("\x1F\x8B") && inflateReset(&z_) == Z_OK; }

  z_stream z_{};
  bool started_ = false;
};

class XzStream final : public StreamBase {
 public:
  explicit XzStream(platform::BufferedReader& in) : StreamBase(in) {}
  ~XzStream() override { lzma_end(&s_); }
  bool Start() {
    // Concatenated streams and the padding between them are decoded as one; the decoder learns
    // of the end from LZMA_FINISH.
    return lzma_stream_decoder(&s_, kMaxXzMemory, LZMA_CONCATENATED) == LZMA_OK;
  }

 private:
  std::optional<size_t> Step(std::span<uint8_t> out, bool finishing) override {
    s_.next_in = input_.Data();
    s_.avail_in = input_.Available();
    s_.next_out = out.data();
    s_.avail_out = out.size();
    lzma_ret status = lzma_code(&s_, finishing ? LZMA_FINISH : LZMA_RUN);
    input_.Consume(input_.Available() - s_.avail_in);
    if (status == LZMA_STREAM_END) {
      streamEnded_ = true;
    } else if (status != LZMA_OK && status != LZMA_BUF_ERROR) {
      return std::nullopt;  // damaged, or a dictionary beyond the memory limit
    }
    return out.size() - s_.avail_out;
  }

  lzma_stream s_ = LZMA_STREAM_INIT;
};

class Bzip2Stream final : public StreamBase {
 public:
  explicit Bzip2Stream(platform::BufferedReader& in) : StreamBase(in) {}
  ~Bzip2Stream() override {
    if (started_) BZ2_bzDecompressEnd(&s_);
  }
  bool Start() {
    started_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK;
    return started_;
  }

 private:
  std::optional<size_t> Step(std::span<uint8_t> out, bool) override {
    s_.next_in = const_cast<char*>(reinterpret_cast<const char*>(input_.Data()));
    s_.avail_in = static_cast<unsigned>(input_.Available());
    s_.next_out = reinterpret_cast<char*>(out.data());
    s_.avail_out = static_cast<unsigned>(std::min<size_t>(out.size(), UINT32_MAX));
    int status = BZ2_bzDecompress(&s_);
    input_.Consume(input_.Available() - s_.avail_in);
    if (status == BZ_STREAM_END) {
      streamEnded_ = true;
    } else if (status != BZ_OK) {
      return std::nullopt;
    }
    return static_cast<size_t>(s_.next_out - reinterpret_cast<char*>(out.data()));
  }
  bool NextStream() override {
    if (!input_.NextStartsWith("BZh")) return false;
    BZ2_bzDecompressEnd(&s_);
    s_ = bz_stream{};
    started_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK;
    return started_;
  }

  bz_stream s_{};
  bool started_ = false;
};

class ZstdStream final : public StreamBase {
 public:
  explicit ZstdStream(platform::BufferedReader& in) : StreamBase(in) {}
  ~ZstdStream() override { ZSTD_freeDStream(s_); }
  bool Start() {
    s_ = ZSTD_createDStream();
    return s_ != nullptr && !ZSTD_isError(ZSTD_DCtx_setParameter(s_, ZSTD_d_windowLogMax, kMaxZstdWindowLog));
  }

 private:
  std::optional<size_t> Step(std::span<uint8_t> out, bool finishing) override {
    ZSTD_inBuffer in{input_.Data(), input_.Available(), 0};
    ZSTD_outBuffer to{out.data(), out.size(), 0};
    size_t status = ZSTD_decompressStream(s_, &to, &in);
    input_.Consume(in.pos);
    if (ZSTD_isError(status)) return std::nullopt;
    // 0: a frame is complete and flushed; more bytes, if any, start another frame. A call that
    // moved nothing tells nothing (at a frame's end it asks for the next frame's header).
    if (in.pos > 0 || to.pos > 0) frameComplete_ = status == 0;
    if (finishing && to.pos == 0 && frameComplete_) streamEnded_ = true;
    return to.pos;
  }

  ZSTD_DStream* s_ = nullptr;
  bool frameComplete_ = false;
};

}  // namespace

Compression CompressionOf(std::span<const std::byte> head) {
  using namespace std::string_view_literals;
  if (Starts(head, "\x1F\x8B"sv)) return Compression::kGzip;
  if (Starts(head, "\xFD" "7zXZ\x00"sv)) return Compression::kXz;
  // "BZh" and the block size digit 1 to 9.
  if (Starts(head, "BZh"sv) && head.size() > 3 && head[3] >= std::byte{'1'} && head[3] <= std::byte{'9'}) {
    return Compression::kBzip2;
  }
  if (Starts(head, "\x28\xB5\x2F\xFD"sv)) return Compression::kZstd;
  return Compression::kNone;
}

std::unique_ptr<Decompressor> Decompressor::Make(Compression compression, platform::BufferedReader& in) {
  switch (compression) {
    case Compression::kGzip: {
      auto stream = std::make_unique<GzipStream>(in);
      if (stream->Start()) return stream;
      break;
    }
    case Compression::kXz: {
      auto stream = std::make_unique<XzStream>(in);
      if (stream->Start()) return stream;
      break;
    }
    case Compression::kBzip2: {
      auto stream = std::make_unique<Bzip2Stream>(in);
      if (stream->Start()) return stream;
      break;
    }
    case Compression::kZstd: {
      auto stream = std::make_unique<ZstdStream>(in);
      if (stream->Start()) return stream;
      break;
    }
    case Compression::kNone: break;
  }
  return nullptr;
}

}  // namespace volumist
