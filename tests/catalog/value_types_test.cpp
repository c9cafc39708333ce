// The value types and codecs of the volume file, byte by byte.
#include <gtest/gtest.h>

#include "catalog/catalog_time.h"
#include "catalog/record_tag.h"
#include "catalog/short_string.h"
#include "catalog/size_value.h"
#include "catalog/utf8.h"
#include "catalog/volume_writer.h"
#include "platform/buffered_reader.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using testing::ReadFileBytes;
using testing::RecordingPrompter;
using testing::TempDir;

// Writes what `write` produces through a VolumeWriter and returns the bytes.
template <typename Write>
std::string Encode(Write write) {
  TempDir dir;
  RecordingPrompter prompter;
  VolumeWriter writer(platform::FileSystem::Default(), prompter);
  EXPECT_EQ(writer.OpenReplacing(dir.File("out")), platform::FileError::kNone);
  write(writer);
  EXPECT_EQ(writer.Finish(), VolumeWriter::FinishResult::kDone);
  return ReadFileBytes(dir.File("out"));
}

// Reads from a file holding `bytes` with `read`.
template <typename Read>
void Decode(const std::string& bytes, Read read) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("in"), bytes);
  auto file = platform::FileSystem::Default().OpenForRead(dir.File("in"));
  ASSERT_TRUE(file);
  platform::BufferedReader reader(*file.file);
  FieldReader fields(reader);
  read(fields);
}

TEST(ShortStringTest, KeepsTheWholeTextButStoresAtMost255Bytes) {
  ShortString text(std::string(300, 'x'));
  EXPECT_EQ(text.Text().size(), 300u);
  EXPECT_EQ(text.Length(), 255u);
  std::string bytes = Encode([&](VolumeWriter& out) { text.WriteTo(out); });
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 255);
}

TEST(ShortStringTest, CutsAtTheLastWholeUtf8Character) {
  // 254 ASCII bytes then a two-byte "é": the character does not fit in 255 bytes and is left out.
  std::string text = std::string(254, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(ShortString(text).Length(), 254u);
  // Three-byte "€" straddling the limit at 253..255.
  EXPECT_EQ(ShortString(std::string(253, 'a') + "\xE2\x82\xAC").Length(), 253u);
  // Bytes that are not UTF-8 are cut at 255 like any byte.
  EXPECT_EQ(ShortString(std::string(254, 'a') + "\xFF\xFF").Length(), 255u);
  // A stray continuation byte is a character of its own.
  EXPECT_EQ(Utf8CutLength(std::string(300, '\x80'), 255), 255u);
}

TEST(Utf8Test, CharacterLengthTakesOnlyWellFormedSequences) {
  const std::pair<std::string, size_t> cases[] = {
      {"a", 1},           {"\xC3\xA9", 2},      {"\xE2\x82\xAC", 3}, {"\xF0\x9F\x98\x80", 4},
      {"\xC2\x9B", 2},    // a C1 control is well-formed
      {"", 0},            {"\x80", 0},          // a stray continuation byte
      {"\xC3", 0},        {"\xE2\x82", 0},      // cut short
      {"\xC3" "a", 0},    {"\xC0\xAF", 0},      // no continuation; overlong "/"
      {"\xE0\x80\xAF", 0}, {"\xF0\x80\x80\xAF", 0},  // overlong
      {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0},  // a surrogate; past U+10FFFF
      {"\xFF", 0},        {"\xED\x9F\xBF", 3}, {"\xF4\x8F\xBF\xBF", 4},  // last before each gap
  };
  for (const auto& [text, length] : cases) {
    SCOPED_TRACE(::testing::PrintToString(text));
    EXPECT_EQ(Utf8CharacterLength(text), length);
  }
}

TEST(ShortStringTest, EmptyTextIsOneZeroByteOrNothing) {
  ShortString empty;
  EXPECT_EQ(Encode([&](VolumeWriter& out) { empty.WriteTo(out, true); }), std::string(1, '\0'));
  EXPECT_EQ(Encode([&](VolumeWriter& out) { empty.WriteTo(out, false); }), "");
}

TEST(ShortStringTest, ReadsWithAPrefixOnlyWhenNotEmpty) {
  Decode(std::string("\x03txt\x00", 5), [](FieldReader& in) {
    ShortString extension;
    ASSERT_TRUE(extension.ReadFrom(in, '.'));
    EXPECT_EQ(extension.Text(), ".txt");
    ASSERT_TRUE(extension.ReadFrom(in, '.'));
    EXPECT_EQ(extension.Text(), "");
  });
}

TEST(ShortStringTest, TruncatedInputFailsWithoutReadingPastTheEnd) {
  Decode("\x05" "ab", [](FieldReader& in) {
    ShortString text;
    EXPECT_FALSE(text.ReadFrom(in));
    EXPECT_EQ(text.Text(), "");
  });
}

TEST(SizeValueTest, ChoosesTheWidthByValue) {
  struct Case {
    uint64_t value;
    int width;
    uint8_t code;
  };
  const Case cases[] = {
      {0, 2, 6},          {65535, 2, 6},       {65536, 3, 4},         {16777215, 3, 4},
      {16777216, 4, 2},   {2147483646, 4, 2},  {2147483647, 5, 0},    {4294967296ull, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    SizeValue size(c.value);
    EXPECT_EQ(size.ChooseWidth(), c.code);
    EXPECT_EQ(size.Width(), c.width);
    EXPECT_EQ(SizeValue::WidthOfCode(c.code), c.width);
    std::string bytes = Encode([&](VolumeWriter& out) { size.WriteTo(out); });
    ASSERT_EQ(bytes.size(), static_cast<size_t>(c.width));
    Decode(bytes, [&](FieldReader& in) {
      SizeValue read;
      read.SetWidthFromCode(c.code);
      ASSERT_TRUE(read.ReadFrom(in));
      EXPECT_EQ(read.Value(), c.value);
    });
  }
}

TEST(SizeValueTest, NewValueIsZeroWithWidthFive) {
  SizeValue size;
  EXPECT_EQ(size.Value(), 0u);
  EXPECT_EQ(size.Width(), 5);
}

TEST(SizeValueTest, ValuesBeyondFiveBytesAreStoredAsTheLargestFiveByteValue) {
  SizeValue size(uint64_t{3} << 40);  // 3 TiB
  size.ChooseWidth();
  std::string bytes = Encode([&](VolumeWriter& out) { size.WriteTo(out); });
  EXPECT_EQ(bytes, std::string(5, '\xFF'));
}

TEST(CatalogTimeTest, IsStoredInFourBytesAndSignExtended) {
  Decode(std::string("\xFF\xFF\xFF\xFF\x04\x03\x02\x01", 8), [](FieldReader& in) {
    CatalogTime time;
    ASSERT_TRUE(time.ReadFrom(in));
    EXPECT_EQ(time.Value(), -1);
    ASSERT_TRUE(time.ReadFrom(in));
    EXPECT_EQ(time.Value(), 0x01020304);
  });
  EXPECT_EQ(Encode([](VolumeWriter& out) { CatalogTime(0x01020304).WriteTo(out); }), "\x04\x03\x02\x01");
}

TEST(RecordTagTest, DecodesInTheFormatsOrder) {
  struct Case {
    uint8_t byte;
    RecordKind kind;
  };
  const Case cases[] = {
      {0x00, RecordKind::kNone},      {0x20, RecordKind::kSourceMark},     {0x80, RecordKind::kFolder},
      {0x82, RecordKind::kFolder},    {0xC0, RecordKind::kFile},           {0xCF, RecordKind::kFile},
      {0xE0, RecordKind::kArchive},   {0xEF, RecordKind::kArchive},        {0x0F, RecordKind::kFolderEnd},
      {0x1F, RecordKind::kFolderEnd}, {0xA0, RecordKind::kDescriptionIndex}, {0xA5, RecordKind::kDescriptionIndex},
      {0x27, RecordKind::kSourceMark}, {0x60, RecordKind::kSourceMark},    {0x28, RecordKind::kUnknown},
      {0x30, RecordKind::kUnknown},   {0x0E, RecordKind::kUnknown},        {0x10, RecordKind::kUnknown},
      {0x2F, RecordKind::kUnknown},   {0xF0, RecordKind::kUnknown},        {0x40, RecordKind::kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(RecordTag::Decode(c.byte).kind, c.kind);
  }
}

TEST(RecordTagTest, FlagsOfFilesArchivesFoldersAndEnds) {
  RecordTag file = RecordTag::Decode(0xCD);
  EXPECT_TRUE(file.hasMediaInfo);
  EXPECT_TRUE(file.hasSignatures);
  EXPECT_EQ(file.sizeWidthCode, 4);
  RecordTag archive = RecordTag::Decode(0xE9);
  EXPECT_FALSE(archive.hasMediaInfo);  // archives never carry media blocks
  EXPECT_TRUE(archive.hasSignatures);
  EXPECT_TRUE(RecordTag::Decode(0x82).isSourceRoot);
  EXPECT_FALSE(RecordTag::Decode(0x80).isSourceRoot);
  EXPECT_TRUE(RecordTag::Decode(0x1F).hasSubfolders);
  EXPECT_FALSE(RecordTag::Decode(0x0F).hasSubfolders);
}

TEST(RecordTagTest, EncodeReproducesEveryTagTheWriterUses) {
  for (int byte = 0; byte < 256; ++byte) {
    RecordTag tag = RecordTag::Decode(static_cast<uint8_t>(byte));
    bool written = byte == 0x00 || byte == 0x20 || byte == 0x80 || byte == 0x82 || (byte >= 0xC0 && byte <= 0xCF) ||
                   (byte >= 0xE0 && byte <= 0xEF && !(byte & 1)) || byte == 0x0F || byte == 0x1F || byte == 0xA0;
    if (written) {
      EXPECT_EQ(tag.Encode(), byte) << byte;
    }
  }
}

}  // namespace
}  // namespace volumist
