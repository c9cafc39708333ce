// The RAR, CAB, ACE, ARJ, LZH, ZOO and HA readers on archives built byte by byte: a normal archive
// with nested folders, an empty one, a truncated one, and each kind's own edge cases.
#include <gtest/gtest.h>

#include "analysis/archive_fixture.h"
#include "testing/byte_builder.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using testing::Describe;
using testing::kFixtureClock;
using testing::kFixtureDate;
using testing::kFixtureTime;
using testing::ReadArchiveBytes;
using Lines = std::vector<std::string>;

struct Item {
  Item(std::string name_, uint32_t size_ = 0, bool folder_ = false) : name(std::move(name_)), size(size_), folder(folder_) {}
  std::string name;
  uint32_t size;
  bool folder;
};

// Cuts `bytes` in the middle of the header that starts at the n-th occurrence of `marker`.
std::string CutInside(const std::string& bytes, const std::string& marker, int n) {
  size_t at = 0;
  for (int i = 0; i < n; ++i) at = bytes.find(marker, at + (i ? 1 : 0));
  return bytes.substr(0, at + 5);
}

// ---- RAR ----

std::string RarFile(const Item& item, uint16_t flags = 0, uint8_t host = 2, uint32_t attributes = 0x20,
                    uint32_t highSize = 0) {
  if (item.folder) flags |= 0x00E0;
  bool large = highSize != 0;
  if (large) flags |= 0x0100;
  ByteBuilder b;
  b.U16(0).U8(0x74).U16(flags).U16(static_cast<uint16_t>(32 + (large ? 8 : 0) + item.name.size()));
  b.U32(item.size).U32(item.size).U8(host).U32(0xCAFEF00D).U16(kFixtureClock).U16(kFixtureDate).U8(29).U8(0x30);
  b.U16(static_cast<uint16_t>(item.name.size())).U32(attributes);
  if (large) b.U32(0).U32(highSize);
  b.Raw(item.name).Zeros(item.size);  // packed data as long as the unpacked size
  return b.bytes();
}

std::string RarArchive(const std::string& blocks) {
  return ByteBuilder()
      .Raw(std::string("Rar!\x1A\x07\x00", 7))
      .U16(0).U8(0x73).U16(0).U16(13).Zeros(6)
      .Raw(blocks)
      .U16(0).U8(0x7B).U16(0).U16(7)
      .bytes();
}

TEST(RarReaderTest, NestedFoldersEmptyAndTruncated) {
  std::string blocks = RarFile({"docs", 0, true}) + RarFile({"docs\\a.txt", 3}) + RarFile({"docs\\sub\\b.c", 2}) +
                       RarFile({"top.txt", 1}) + RarFile({"Docs\\c.txt", 4});
  auto result = ReadArchiveBytes(kArchiveRar, RarArchive(blocks));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree),
            (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/b.c 2", "Docs/", "Docs/c.txt 4"}));
  const ArchiveFile* a = testing::FindFile(result.tree, "docs/a.txt");
  EXPECT_EQ(a->entry.time, kFixtureTime);
  EXPECT_EQ(a->entry.crc32, 0xCAFEF00Du);
  EXPECT_TRUE(a->entry.archive);

  auto empty = ReadArchiveBytes(kArchiveRar, RarArchive(""));
  EXPECT_TRUE(empty.read);
  EXPECT_TRUE(empty.tree.IsEmpty());

  std::string two = RarArchive(RarFile({"one.txt", 1}) + RarFile({"two.txt", 2}));
  auto truncated = ReadArchiveBytes(kArchiveRar, two.substr(0, two.find("two.txt") - 3));
  EXPECT_TRUE(truncated.read);
  EXPECT_EQ(Describe(truncated.tree), (Lines{"one.txt 1"}));
  EXPECT_FALSE(ReadArchiveBytes(kArchiveRar, std::string("Rar!\x1A\x07\x00", 7)).read);
  EXPECT_FALSE(ReadArchiveBytes(kArchiveRar, std::string("Rar!\x1A\x07\x01\x00", 8)).valid);  // RAR 5
}

TEST(RarReaderTest, NameLengthsSubBlocksHostsAndLargeFiles) {
  // Names of up to 2,047 bytes are listed; a longer one ends the listing.
  std::string longest = "d\\" + std::string(2045, 'n');
  auto lengths = ReadArchiveBytes(
      kArchiveRar, RarArchive(RarFile({longest, 1}) + RarFile({std::string(2048, 'x'), 1}) + RarFile({"after", 1})));
  EXPECT_EQ(Describe(lengths.tree), (Lines{"d/", "d/" + std::string(2045, 'n') + " 1"}));

  // A comment block and a sub-block with data are stepped over.
  std::string comment = ByteBuilder().U16(0).U8(0x75).U16(0).U16(13).Raw("remark").bytes();
  std::string sub = ByteBuilder().U16(0).U8(0x7A).U16(0x8000).U16(15).U32(5).Raw("CMT!").Raw("xxxxx").bytes();
  // A Unix host's mode 0664 has bit 0x10 set: that is group write, not a directory.
  std::string unixFile = RarFile({"script.sh", 1}, 0, 3, 0100664);
  std::string big = RarFile({"big.iso", 0}, 0, 2, 0x20, 1);  // 4 GiB
  auto mixed = ReadArchiveBytes(kArchiveRar, RarArchive(comment + sub + unixFile + big + RarFile({"last.txt", 1})));
  EXPECT_EQ(Describe(mixed.tree), (Lines{"script.sh 1", "big.iso 4294967296", "last.txt 1"}));
  EXPECT_FALSE(testing::FindFile(mixed.tree, "script.sh")->entry.hasAttributes);
}

// ---- CAB ----

std::string CabArchive(const std::vector<Item>& items, uint16_t count) {
  ByteBuilder files;
  for (const Item& item : items) {
    files.U32(item.size).U32(0).U16(0).U16(kFixtureDate).U16(kFixtureClock).U16(0x21).Raw(item.name).U8(0);
  }
  ByteBuilder b;
  b.Raw("MSCF").U32(0).U32(static_cast<uint32_t>(36 + 8 + files.size())).U32(0).U32(36 + 8).U32(0);
  b.U8(3).U8(1).U16(1).U16(count).U16(0).U16(0).U16(0);
  b.U32(0).U16(0).U16(0);  // one folder entry
  return b.Raw(files.bytes()).bytes();
}

TEST(CabReaderTest, NestedFoldersEmptyAndTruncated) {
  std::vector<Item> items = {{"top.txt", 1}, {"docs\\a.txt", 3}, {"docs\\sub\\b.c", 2}};
  auto result = ReadArchiveBytes(kArchiveCab, CabArchive(items, 3));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/b.c 2"}));
  const ArchiveFile* a = testing::FindFile(result.tree, "docs/a.txt");
  EXPECT_EQ(a->entry.time, kFixtureTime);
  EXPECT_TRUE(a->entry.readOnly && a->entry.archive);

  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveCab, CabArchive(items, 2)).tree),
            (Lines{"top.txt 1", "docs/", "docs/a.txt 3"}));  // the count ends the list
  auto empty = ReadArchiveBytes(kArchiveCab, CabArchive({}, 0));
  EXPECT_TRUE(empty.read && empty.tree.IsEmpty());
  std::string cab = CabArchive(items, 3);
  auto truncated = ReadArchiveBytes(kArchiveCab, cab.substr(0, cab.size() - 4));  // inside the last name
  EXPECT_EQ(Describe(truncated.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3"}));
  EXPECT_FALSE(ReadArchiveBytes(kArchiveCab, "MSCF").read);
}

// ---- ACE ----

std::string AceFile(const Item& item, const std::string& comment = "") {
  ByteBuilder body;
  body.U8(1).U16(0).U32(item.size).U32(item.size).U16(kFixtureClock).U16(kFixtureDate);
  body.U32(item.folder ? 0x10 : 0x20).U32(0x11223344).U32(0).U16(0).U16(static_cast<uint16_t>(item.name.size()));
  body.Raw(item.name).Raw(comment);
  return ByteBuilder().U16(0).U16(static_cast<uint16_t>(body.size())).Raw(body.bytes()).Zeros(item.size).bytes();
}

std::string AceArchive(const std::string& files) {
  ByteBuilder main;
  main.U8(0).U16(0).Raw("**ACE**").U8(20).U8(20).U8(2).U8(0).U32(0).Zeros(8);
  return ByteBuilder().U16(0).U16(static_cast<uint16_t>(main.size())).Raw(main.bytes()).Raw(files).bytes();
}

TEST(AceReaderTest, NestedFoldersEmptyTruncatedAndLongNames) {
  std::string files = AceFile({"docs", 0, true}) + AceFile({"docs\\a.txt", 3}, "a comment in the header") +
                      AceFile({"docs\\sub\\b.c", 2}) + AceFile({"top.txt", 1});
  auto result = ReadArchiveBytes(kArchiveAce, AceArchive(files));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/b.c 2"}));
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.time, kFixtureTime);
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.crc32, 0x11223344u);

  auto empty = ReadArchiveBytes(kArchiveAce, AceArchive(""));
  EXPECT_TRUE(empty.read && empty.tree.IsEmpty());
  std::string two = AceArchive(AceFile({"one.txt", 1}) + AceFile({"two.txt", 2}));
  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveAce, two.substr(0, two.size() - 8)).tree), (Lines{"one.txt 1"}));
  auto names = ReadArchiveBytes(
      kArchiveAce, AceArchive(AceFile({std::string(2047, 'a'), 1}) + AceFile({std::string(2048, 'b'), 1}) +
                              AceFile({"after", 1})));
  EXPECT_EQ(Describe(names.tree), (Lines{std::string(2047, 'a') + " 1"}));
}

// ---- ARJ ----

std::string ArjHeader(uint8_t type, uint8_t flags, const std::string& name, uint32_t size, uint8_t firstSize = 30,
                      const std::string& extended = "") {
  ByteBuilder basic;
  basic.U8(firstSize).U8(11).U8(1).U8(0).U8(flags).U8(1).U8(type).U8(0);
  basic.U16(kFixtureClock).U16(kFixtureDate).U32(size).U32(size).U32(0).U16(0).U16(0).U8(0).U8(0);
  basic.Zeros(firstSize - 30).Raw(name).U8(0).Raw("comment").U8(0);
  ByteBuilder b;
  b.U8(0x60).U8(0xEA).U16(static_cast<uint16_t>(basic.size())).Raw(basic.bytes()).U32(0);
  if (!extended.empty()) b.U16(static_cast<uint16_t>(extended.size())).Raw(extended).U32(0);
  return b.U16(0).Zeros(type == 2 ? 0 : size).bytes();
}

std::string ArjArchive(uint8_t mainFlags, const std::string& files) {
  return ArjHeader(2, mainFlags, "archive.arj", 0) + files + ByteBuilder().U8(0x60).U8(0xEA).U16(0).bytes();
}

TEST(ArjReaderTest, NestedFoldersSeparatorsEmptyAndTruncated) {
  std::string files = ArjHeader(3, 0, "docs", 0) + ArjHeader(0, 0, "docs\\a.txt", 3, 30, "extended data") +
                      ArjHeader(0, 0, "docs\\sub\\b.c", 2, 46) + ArjHeader(1, 0, "top.txt", 1);
  auto result = ReadArchiveBytes(kArchiveArj, ArjArchive(0, files));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/b.c 2"}));
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.time, kFixtureTime);
  EXPECT_FALSE(testing::FindFile(result.tree, "docs/a.txt")->entry.hasAttributes);

  // With the path-symbol flag of the main header paths use "/".
  auto slashes = ReadArchiveBytes(kArchiveArj, ArjArchive(0x10, ArjHeader(0, 0, "x/y.txt", 1)));
  EXPECT_EQ(Describe(slashes.tree), (Lines{"x/", "x/y.txt 1"}));

  auto empty = ReadArchiveBytes(kArchiveArj, ArjArchive(0, ""));
  EXPECT_TRUE(empty.read && empty.tree.IsEmpty());
  std::string two = ArjArchive(0, ArjHeader(0, 0, "one.txt", 1) + ArjHeader(0, 0, "two.txt", 2));
  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveArj, CutInside(two, "\x60\xEA", 3)).tree), (Lines{"one.txt 1"}));
}

// ---- LZH ----

std::string LzhLevel0(const Item& item, const char* method = "-lh5-") {
  ByteBuilder h;
  h.U8(static_cast<uint8_t>(22 + item.name.size())).U8(0).Raw(method).U32(item.size).U32(item.size);
  h.U16(kFixtureClock).U16(kFixtureDate).U8(0x20).U8(0).U8(static_cast<uint8_t>(item.name.size())).Raw(item.name);
  return h.U16(0).Zeros(item.size).bytes();
}

// Chains extended headers (type, data, size of the next one); returns the first one's size and the
// chain.
std::pair<uint16_t, std::string> LzhChain(const std::vector<std::pair<uint8_t, std::string>>& headers) {
  std::string chain;
  std::vector<uint16_t> sizes;
  for (const auto& [type, data] : headers) sizes.push_back(static_cast<uint16_t>(data.size() + 3));
  for (size_t i = 0; i < headers.size(); ++i) {
    uint16_t next = i + 1 < headers.size() ? sizes[i + 1] : 0;
    chain += ByteBuilder().U8(headers[i].first).Raw(headers[i].second).U16(next).bytes();
  }
  return {headers.empty() ? uint16_t{0} : sizes[0], chain};
}

std::string LzhLevel1(const std::string& name, const std::string& directory, uint32_t size) {
  auto [first, chain] = LzhChain({{0x02, directory}});
  ByteBuilder h;
  h.U8(static_cast<uint8_t>(25 + name.size())).U8(0).Raw("-lh5-").U32(static_cast<uint32_t>(size + chain.size()));
  h.U32(size).U16(kFixtureClock).U16(kFixtureDate).U8(0x20).U8(1).U8(static_cast<uint8_t>(name.size())).Raw(name);
  return h.U16(0).U8('U').U16(first).Raw(chain).Zeros(size).bytes();
}

std::string LzhLevel2(const std::string& name, const std::string& directory, uint32_t size, uint64_t bigSize = 0,
                      const char* method = "-lh5-") {
  std::vector<std::pair<uint8_t, std::string>> headers = {{0x00, std::string(2, '\0')}};
  if (!name.empty()) headers.push_back({0x01, name});
  if (!directory.empty()) headers.push_back({0x02, directory});
  if (bigSize) headers.push_back({0x42, ByteBuilder().U64(size).U64(bigSize).bytes()});
  auto [first, chain] = LzhChain(headers);
  ByteBuilder h;
  h.U16(static_cast<uint16_t>(26 + chain.size())).Raw(method).U32(size).U32(size).U32(kFixtureTime);
  h.U8(0x20).U8(2).U16(0).U8('U').U16(first).Raw(chain);
  return h.Zeros(size).bytes();
}

TEST(LzhReaderTest, LevelsZeroOneAndTwoWithFoldersAndExtendedNames) {
  std::string archive = LzhLevel0({"top.txt", 1}) + LzhLevel0({"docs\\a.txt", 3}) +
                        LzhLevel1("b.c", "docs\xFFsub\xFF", 2) + LzhLevel2("", "docs\xFF" "empty\xFF", 0, 0, "-lhd-") +
                        LzhLevel2("big.iso", "docs\xFF", 4, 6'000'000'000ULL) + std::string(1, '\0');
  auto result = ReadArchiveBytes(kArchiveLzh, archive);
  ASSERT_TRUE(result.valid);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/big.iso 6000000000",
                                          "docs/sub/", "docs/sub/b.c 2", "docs/empty/"}));
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.time, kFixtureTime);
  EXPECT_EQ(testing::FindFile(result.tree, "docs/big.iso")->entry.time, kFixtureTime);  // level 2: Unix time
}

TEST(LzhReaderTest, EmptyTruncatedAndLongNames) {
  // An archive without entries is only its end byte: nothing marks it as LZH, so it stays a file.
  EXPECT_FALSE(ReadArchiveBytes(kArchiveLzh, std::string(1, '\0')).valid);
  std::string two = LzhLevel0({"one.txt", 1}) + LzhLevel2("two.txt", "", 2);
  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveLzh, two.substr(0, two.size() - 10)).tree), (Lines{"one.txt 1"}));
  auto names = ReadArchiveBytes(kArchiveLzh, LzhLevel2(std::string(2047, 'a'), "", 1) +
                                                 LzhLevel2(std::string(2048, 'b'), "", 1) + LzhLevel0({"after", 1}));
  EXPECT_EQ(Describe(names.tree), (Lines{std::string(2047, 'a') + " 1"}));
}

// ---- ZOO ----

struct ZooItem {
  ZooItem(std::string name_, std::string directory_ = {}, uint32_t size_ = 0, bool deleted_ = false)
      : name(std::move(name_)), directory(std::move(directory_)), size(size_), deleted(deleted_) {}
  std::string name;
  std::string directory;
  uint32_t size;
  bool deleted;
};

// Type-2 entries chained in order, ended by a terminal entry; `pointBack` makes the last entry point
// back to the first.
std::string ZooArchive(const std::vector<ZooItem>& items, bool pointBack = false) {
  const std::string tag("\xDC\xA7\xC4\xFD", 4);
  std::string out = ByteBuilder().Padded("ZOO 2.10 Archive.\x1A", 20).Raw(tag).U32(34).U32(0).U8(2).U8(0).bytes();
  for (size_t i = 0; i <= items.size(); ++i) {
    bool terminal = i == items.size();
    ByteBuilder e;
    std::string shortName = terminal ? "" : items[i].name.substr(0, 12);
    ByteBuilder variable;
    if (!terminal) {
      variable.U8(static_cast<uint8_t>(items[i].name.size() + 1)).U8(static_cast<uint8_t>(items[i].directory.size() + 1));
      variable.Raw(items[i].name).U8(0).Raw(items[i].directory).U8(0).U16(0).U24(0).U8(0).U16(0);
    }
    size_t entrySize = 38 + 13 + 5 + variable.size() + (terminal ? 0 : items[i].size);
    uint32_t next = terminal ? 0 : static_cast<uint32_t>(out.size() + entrySize);
    if (pointBack && i + 1 == items.size()) next = 34;
    e.Raw(tag).U8(2).U8(0).U32(next).U32(0).U16(kFixtureDate).U16(kFixtureClock).U16(0);
    e.U32(terminal ? 0 : items[i].size).U32(0).U8(2).U8(0).U8(!terminal && items[i].deleted).U8(0).U32(0).U16(0);
    e.Padded(shortName, 13).U16(static_cast<uint16_t>(variable.size())).U8(0).U16(0).Raw(variable.bytes());
    if (!terminal) e.Zeros(items[i].size);
    out += e.bytes();
  }
  return out;
}

TEST(ZooReaderTest, NestedFoldersDeletedEntriesAndChains) {
  auto result = ReadArchiveBytes(kArchiveZoo, ZooArchive({{"top.txt", "", 1},
                                                          {"a.txt", "docs", 3},
                                                          {"gone.txt", "docs", 5, true},
                                                          {"long-name.source", "docs/sub", 2}}));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/long-name.source 2"}));
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.time, kFixtureTime);

  auto empty = ReadArchiveBytes(kArchiveZoo, ZooArchive({}));
  EXPECT_TRUE(empty.read && empty.tree.IsEmpty());
  // A chain that points back ends instead of looping.
  auto loop = ReadArchiveBytes(kArchiveZoo, ZooArchive({{"one.txt"}, {"two.txt"}}, true));
  EXPECT_EQ(Describe(loop.tree), (Lines{"one.txt 0"}));
  std::string two = ZooArchive({{"one.txt", "", 1}, {"two.txt", "", 2}});
  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveZoo, CutInside(two, "\xDC\xA7\xC4\xFD", 3)).tree), (Lines{"one.txt 1"}));
}

// Stepping over large data reads only the headers behind it, not a buffer's worth each time.
TEST(ArchiveReadingTest, LargeEntriesCostOnlyTheirHeaders) {
  std::string rar;
  std::string lzh;
  for (int i = 0; i < 20; ++i) {
    std::string name = "f" + std::to_string(i) + ".bin";
    rar += RarFile({name, 1 << 20});
    lzh += LzhLevel0({name, 1 << 20});
  }
  for (auto [kind, bytes] : {std::pair{kArchiveRar, RarArchive(rar)}, std::pair{kArchiveLzh, lzh + std::string(1, '\0')}}) {
    SCOPED_TRACE(kind);
    auto result = ReadArchiveBytes(kind, bytes);
    EXPECT_EQ(Describe(result.tree).size(), 20u);
    EXPECT_LT(result.bytesRead, 200'000u) << "of " << bytes.size();
  }
}

// ---- HA ----

std::string HaEntry(uint8_t type, const std::string& path, const std::string& name, uint32_t size,
                    const std::string& machine = std::string("\x01\x21", 2)) {
  ByteBuilder b;
  b.U8(type).U32(size).U32(size).U32(0x55667788).U32(static_cast<uint32_t>(kFixtureTime));
  b.Raw(path).U8(0).Raw(name).U8(0).U8(static_cast<uint8_t>(machine.size())).Raw(machine);
  return b.Zeros(size).bytes();
}

TEST(HaReaderTest, SeparatorByteFoldersEmptyAndTruncated) {
  std::string archive = std::string("HA\x04\x00", 4) + HaEntry(0, "", "top.txt", 1) + HaEntry(2, "dir\xFF", "f.txt", 3) +
                        HaEntry(14, "dir\xFF", "empty", 0) +
                        HaEntry(1, "dir\xFFsub\xFF", "b.c", 2, std::string("\x01\x20\x07\x07", 4));
  auto result = ReadArchiveBytes(kArchiveHa, archive);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (Lines{"top.txt 1", "dir/", "dir/f.txt 3", "dir/empty/", "dir/sub/", "dir/sub/b.c 2"}));
  const ArchiveFile* f = testing::FindFile(result.tree, "dir/f.txt");
  EXPECT_EQ(f->entry.time, kFixtureTime);
  EXPECT_EQ(f->entry.crc32, 0x55667788u);
  EXPECT_TRUE(f->entry.readOnly && f->entry.archive);

  auto empty = ReadArchiveBytes(kArchiveHa, std::string("HA\0\0", 4));
  EXPECT_TRUE(empty.read && empty.tree.IsEmpty());
  std::string two = std::string("HA\x02\x00", 4) + HaEntry(0, "", "one.txt", 1) + HaEntry(0, "", "two.txt", 2);
  EXPECT_EQ(Describe(ReadArchiveBytes(kArchiveHa, two.substr(0, two.find("two.txt") + 3)).tree), (Lines{"one.txt 1"}));
}

}  // namespace
}  // namespace volumist
