// The decompressors of compressed TAR archives: every format read back in small and large pieces,
// concatenated streams, streams cut short, and windows beyond the memory limit.
#include <gtest/gtest.h>

#include "analysis/decompressor.h"
#include "testing/byte_builder.h"
#include "testing/compressed_bytes.h"
#include "testing/memory_file_system.h"

namespace volumist {
namespace {

struct Decoded {
  bool ok = false;  // the stream ended cleanly
  std::string bytes;
};

Decoded Decode(const std::string& compressed, size_t piece) {
  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/f", compressed);
  platform::OpenResult opened = fileSystem.OpenForRead("/f");
  platform::BufferedReader in(*opened.file);
  Decoded result;
  std::unique_ptr<Decompressor> stream =
      Decompressor::Make(CompressionOf(std::as_bytes(std::span(compressed.data(), compressed.size()))), in);
  if (!stream) return result;
  std::vector<uint8_t> buffer(piece);
  for (;;) {
    std::optional<size_t> got = stream->Read(buffer);
    if (!got) return result;
    if (*got == 0) break;
    result.bytes.append(reinterpret_cast<const char*>(buffer.data()), *got);
  }
  result.ok = true;
  return result;
}

// Text with some repetition and some noise, so that every format has real work to do.
std::string Sample(size_t size) {
  std::string text;
  uint32_t state = 12345;
  while (text.size() < size) {
    state = state * 1103515245 + 12345;
    text += "line " + std::to_string(state % 1000) + (state % 7 == 0 ? std::string(1, static_cast<char>(state >> 24)) : "") + "\n";
  }
  text.resize(size);
  return text;
}

const Compression kAll[] = {Compression::kGzip, Compression::kXz, Compression::kBzip2, Compression::kZstd};

TEST(DecompressorTest, EveryFormatWholeAndConcatenatedInAnyPieceSize) {
  std::string first = Sample(300000), second = Sample(70000);
  for (Compression compression : kAll) {
    SCOPED_TRACE(static_cast<int>(compression));
    std::string one = testing::CompressedBytes(first, compression);
    std::string two = one + testing::CompressedBytes(second, compression);
    ASSERT_NE(one, first);
    EXPECT_EQ(CompressionOf(std::as_bytes(std::span(one.data(), one.size()))), compression);
    for (size_t piece : {size_t{1}, size_t{511}, size_t{65536}, size_t{1} << 20}) {
      SCOPED_TRACE(piece);
      Decoded whole = Decode(one, piece);
      EXPECT_TRUE(whole.ok);
      EXPECT_EQ(whole.bytes, first);
      if (piece == 1) continue;  // byte by byte once is enough
      Decoded both = Decode(two, piece);
      EXPECT_TRUE(both.ok);
      EXPECT_EQ(both.bytes, first + second);
    }
  }
}

TEST(DecompressorTest, CutShortOrDamagedStreamsFailAfterWhatTheyHeld) {
  std::string text = Sample(200000);
  for (Compression compression : kAll) {
    SCOPED_TRACE(static_cast<int>(compression));
    std::string whole = testing::CompressedBytes(text, compression);
    Decoded cut = Decode(whole.substr(0, whole.size() / 2), 4096);
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.bytes, text.substr(0, cut.bytes.size()));
    std::string damaged = whole;
    for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i) damaged[i] = static_cast<char>(~damaged[i]);
    EXPECT_FALSE(Decode(damaged, 4096).ok);
  }
  // Zeros after a gzip member (tape padding) are no further member: the stream ends there.
  std::string padded = testing::CompressedBytes(text, Compression::kGzip) + std::string(10000, '\0');
  Decoded tail = Decode(padded, 4096);
  EXPECT_TRUE(tail.ok);
  EXPECT_EQ(tail.bytes, text);
}

// A zstd frame of raw blocks whose header asks for a window of 2^windowLog bytes.
std::string ZstdFrame(int windowLog, const std::string& content) {
  testing::ByteBuilder frame;
  frame.U32(0xFD2FB528).U8(0x00).U8(static_cast<uint8_t>((windowLog - 10) << 3));
  frame.U24(static_cast<uint32_t>(1 | content.size() << 3)).Raw(content);  // last block, raw
  return frame.bytes();
}

TEST(DecompressorTest, WindowsBeyondTheLimitAreRefused) {
  Decoded small = Decode(ZstdFrame(20, "hello"), 4096);
  EXPECT_TRUE(small.ok);
  EXPECT_EQ(small.bytes, "hello");
  EXPECT_TRUE(Decode(ZstdFrame(Decompressor::kMaxZstdWindowLog, "hello"), 4096).ok);
  EXPECT_FALSE(Decode(ZstdFrame(Decompressor::kMaxZstdWindowLog + 1, "hello"), 4096).ok);
}

TEST(DecompressorTest, CompressionBySignature) {
  struct Case {
    std::string head;
    Compression compression;
  };
  const Case cases[] = {
      {"\x1F\x8B\x08", Compression::kGzip},
      {std::string("\xFD" "7zXZ\0", 6), Compression::kXz},
      {std::string("\xFD" "7zXZ", 5), Compression::kNone},
      {"BZh9", Compression::kBzip2},
      {"BZh0", Compression::kNone},
      {"BZh", Compression::kNone},
      {"\x28\xB5\x2F\xFD", Compression::kZstd},
      {"ustar", Compression::kNone},
      {"", Compression::kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.head);
    EXPECT_EQ(CompressionOf(std::as_bytes(std::span(c.head.data(), c.head.size()))), c.compression);
  }
}

}  // namespace
}  // namespace volumist
