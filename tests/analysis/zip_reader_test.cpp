// ZipReader on archives built byte by byte: the central directory, the end record search, ZIP64,
// and damaged directories.
#include <gtest/gtest.h>

#include "analysis/archive_fixture.h"
#include "analysis/zip_reader.h"
#include "testing/byte_builder.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using testing::Describe;
using testing::ReadArchiveBytes;

struct ZipItem {
  ZipItem(std::string name_, uint32_t size_ = 0, uint32_t crc_ = 0, uint8_t attributes_ = 0x20,
          std::string extra_ = {}, uint32_t sizeField_ = 0)
      : name(std::move(name_)), size(size_), crc(crc_), attributes(attributes_), extra(std::move(extra_)),
        sizeField(sizeField_) {}
  std::string name;
  uint32_t size;
  uint32_t crc;
  uint8_t attributes;
  std::string extra;
  uint32_t sizeField;  // when not 0, written instead of size (0xFFFFFFFF for ZIP64)
};

struct ZipLayout {
  explicit ZipLayout(std::string comment_ = {}, bool zip64End_ = false)
      : comment(std::move(comment_)), zip64End(zip64End_) {}
  std::string comment;
  bool zip64End;  // counts and offset in a ZIP64 end record, 0xFFFF... in the old one
};

std::string BuildZip(const std::vector<ZipItem>& items, const ZipLayout& layout = ZipLayout()) {
  ByteBuilder out;
  std::vector<uint32_t> offsets;
  for (const ZipItem& item : items) {
    offsets.push_back(static_cast<uint32_t>(out.size()));
    out.Raw("PK\x03\x04").U16(20).U16(0).U16(0).U16(testing::kFixtureClock).U16(testing::kFixtureDate);
    out.U32(item.crc).U32(0).U32(item.sizeField ? item.sizeField : item.size);
    out.U16(static_cast<uint16_t>(item.name.size())).U16(0).Raw(item.name);
  }
  uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const ZipItem& item = items[i];
    out.Raw("PK\x01\x02").U16(0x031E).U16(20).U16(0).U16(0).U16(testing::kFixtureClock).U16(testing::kFixtureDate);
    out.U32(item.crc).U32(0).U32(item.sizeField ? item.sizeField : item.size);
    out.U16(static_cast<uint16_t>(item.name.size())).U16(static_cast<uint16_t>(item.extra.size())).U16(0);
    out.U16(0).U16(0).U32(item.attributes).U32(offsets[i]).Raw(item.name).Raw(item.extra);
  }
  uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryOffset;
  if (layout.zip64End) {
    uint64_t end64 = out.size();
    out.Raw("PK\x06\x06").U64(44).U16(45).U16(45).U32(0).U32(0).U64(items.size()).U64(items.size());
    out.U64(directorySize).U64(directoryOffset);
    out.Raw("PK\x06\x07").U32(0).U64(end64).U32(1);
    out.Raw("PK\x05\x06").U16(0).U16(0).U16(0xFFFF).U16(0xFFFF).U32(0xFFFFFFFF).U32(0xFFFFFFFF);
  } else {
    out.Raw("PK\x05\x06").U16(0).U16(0).U16(static_cast<uint16_t>(items.size()));
    out.U16(static_cast<uint16_t>(items.size())).U32(directorySize).U32(directoryOffset);
  }
  out.U16(static_cast<uint16_t>(layout.comment.size())).Raw(layout.comment);
  return out.bytes();
}

TEST(ZipReaderTest, ListsNestedFoldersAndReusesFoldersByExactName) {
  std::string zip = BuildZip({{"docs/"},
                              {"top.txt", 3},
                              {"docs/a.txt", 1, 0x0A1B2C3D, 0x21},
                              {"docs/sub/b.c", 2},
                              {"Docs/c.txt", 4},
                              {"empty/"}});
  auto result = ReadArchiveBytes(kArchiveZip, zip);
  ASSERT_TRUE(result.valid);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"top.txt 3", "docs/", "docs/a.txt 1", "docs/sub/",
                                                             "docs/sub/b.c 2", "Docs/", "Docs/c.txt 4", "empty/"}));
  const ArchiveFile* a = testing::FindFile(result.tree, "docs/a.txt");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->entry.time, testing::kFixtureTime);
  EXPECT_EQ(a->entry.crc32, 0x0A1B2C3Du);
  EXPECT_TRUE(a->entry.readOnly && a->entry.archive && !a->entry.hidden && !a->entry.system);
}

TEST(ZipReaderTest, EmptyAndDamagedArchives) {
  std::string normal = BuildZip({{"a/one.txt", 1}, {"a/two.txt", 2}});
  size_t directoryStart = normal.find("PK\x01\x02");
  size_t secondHeader = normal.find("PK\x01\x02", directoryStart + 4);

  std::string badSecondHeader = normal;
  badSecondHeader[secondHeader + 2] = 9;
  std::string beyondEnd = normal;
  beyondEnd.replace(normal.size() - 6, 4, ByteBuilder().U32(1u << 30).bytes());

  struct Case {
    const char* what;
    std::string bytes;
    bool valid, read;
    std::vector<std::string> listing;
  };
  const Case cases[] = {
      // An end record alone is an empty archive; it has no local header to be recognised by.
      {"no entries", BuildZip({}), false, false, {}},
      {"truncated in the directory", normal.substr(0, secondHeader + 10), true, false, {}},
      {"truncated before the directory", normal.substr(0, directoryStart), true, false, {}},
      {"second header damaged", badSecondHeader, true, true, {"a/", "a/one.txt 1"}},
      {"directory offset beyond the file", beyondEnd, true, false, {}},
      {"shorter than an end record", "PK\x03\x04", true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto result = ReadArchiveBytes(kArchiveZip, c.bytes);
    EXPECT_EQ(result.valid, c.valid);
    EXPECT_EQ(result.read, c.read);
    EXPECT_EQ(Describe(result.tree), c.listing);
  }
}

TEST(ZipReaderTest, FindsTheEndRecordBehindLongComments) {
  for (size_t length : {size_t{0}, size_t{100}, size_t{10000}, size_t{65535}}) {
    SCOPED_TRACE(length);
    // Signatures inside the comment must not mislead the search.
    std::string comment(length, 'c');
    if (length >= 100) comment.replace(length - 40, 30, std::string("PK\x01\x02PK\x05\x06", 8) + std::string(22, 'x'));
    auto result = ReadArchiveBytes(kArchiveZip, BuildZip({{"f.txt", 5}}, ZipLayout(comment)));
    EXPECT_TRUE(result.read);
    EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"f.txt 5"}));
  }
}

TEST(ZipReaderTest, Zip64SizesAndDirectory) {
  // The entry's real size lives in the ZIP64 extra field, the directory's offset in the ZIP64 end
  // record; the 32-bit fields hold 0xFFFFFFFF.
  uint64_t size = 5'000'000'000ULL;
  std::string extra = ByteBuilder().U16(0x0001).U16(16).U64(size).U64(size / 2).bytes();
  ZipItem big{"video/big.iso", 0, 0x12345678, 0x20, extra, 0xFFFFFFFF};
  auto result = ReadArchiveBytes(kArchiveZip, BuildZip({big, {"small.txt", 7}}, ZipLayout("", true)));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"small.txt 7", "video/", "video/big.iso 5000000000"}));
}

// The "UT" field (seconds since 1970) and the NTFS field (100 ns steps since 1601) give exact times,
// 0 and times before 1970 included; without either the DOS time counts.
TEST(ZipReaderTest, ExactTimesFromExtraFields) {
  auto ut = [](uint8_t flags, int32_t time) { return ByteBuilder().U16(0x5455).U16(5).U8(flags).U32(static_cast<uint32_t>(time)).bytes(); };
  auto ntfs = [](uint64_t fileTime, uint16_t tag = 1, uint16_t tagSize = 24) {
    return ByteBuilder().U16(0x000A).U16(32).U32(0).U16(tag).U16(tagSize).U64(fileTime).U64(0).U64(0).bytes();
  };
  auto fileTime = [](int64_t unix) { return static_cast<uint64_t>((unix + 11644473600) * 10000000 + 4321); };
  struct Case {
    const char* what;
    std::string extra;
    int64_t time;
  };
  const Case cases[] = {
      {"UT", ut(1, 1700000001), 1700000001},
      {"UT at 0", ut(1, 0), 0},
      {"UT before 1970", ut(1, -305164800), -305164800},
      {"UT without its time bit", ut(4, 1700000001), testing::kFixtureTime},
      {"NTFS", ntfs(fileTime(1700000001)), 1700000001},
      {"NTFS at 1970", ntfs(fileTime(0)), 0},
      {"NTFS before 1901", ntfs(0), INT32_MIN},
      {"NTFS with another tag", ntfs(fileTime(5), 2), testing::kFixtureTime},
      {"NTFS time cut short", ntfs(fileTime(5), 1, 4), testing::kFixtureTime},
      {"other field, then UT", ByteBuilder().U16(0x7875).U16(3).U8(1).U8(0).U8(0).bytes() + ut(1, 12345), 12345},
      {"none", "", testing::kFixtureTime},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto result = ReadArchiveBytes(kArchiveZip, BuildZip({{"t.txt", 1, 0, 0x20, c.extra}}));
    ASSERT_TRUE(result.read);
    EXPECT_EQ(testing::FindFile(result.tree, "t.txt")->entry.time, c.time);
  }
}

TEST(ZipReaderTest, FilteredExtensionsKeepTheirFoldersAndDotNamesKeepTheirName) {
  ScanOptions music;
  music.fileTypeGroup = 10;  // "- Music files"
  auto result =
      ReadArchiveBytes(kArchiveZip, BuildZip({{"docs/readme.txt", 1}, {"album/song.mp3", 2}, {"album/.hidden", 3}}), music);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"docs/", "album/", "album/song.mp3 2"}));

  auto all = ReadArchiveBytes(kArchiveZip, BuildZip({{"home/.profile", 3}, {"./a/../b//c.txt", 4}}));
  ASSERT_TRUE(all.read);
  EXPECT_EQ(Describe(all.tree), (std::vector<std::string>{"home/", "home/.profile 3", "a/", "a/b/", "a/b/c.txt 4"}));
  const ArchiveFile* profile = testing::FindFile(all.tree, "home/.profile");
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->baseName, ".profile");
  EXPECT_EQ(profile->extension, "");
}

}  // namespace
}  // namespace volumist
