// TarReader on archives built block by block: ustar names and prefixes, blank-padded numbers, GNU
// long names, pax records, and the headers that end a listing.
#include <gtest/gtest.h>

#include "analysis/archive_fixture.h"
#include "analysis/tar_reader.h"

namespace volumist {
namespace {

using testing::Describe;
using testing::ReadArchiveBytes;

struct Member {
  Member(std::string name_, char type_ = '0', std::string data_ = {}) : name(std::move(name_)), type(type_), data(std::move(data_)) {}
  std::string name;
  char type;
  std::string data;
  std::string prefix;
  std::string sizeField;  // written as it is when set; otherwise the size in octal, NUL-ended
  std::string timeField;  // likewise for the time
  int64_t time = testing::kFixtureTime;
  bool ustar = true;       // POSIX magic "ustar\0" "00"; GNU's "ustar  \0" otherwise
  bool badChecksum = false;
  bool signedChecksum = false;  // summed as signed bytes, as some old programs did
};

std::string Octal(uint64_t value, size_t digits) {
  std::string text(digits, '0');
  for (size_t i = digits; i-- > 0; value >>= 3) text[i] = static_cast<char>('0' + (value & 7));
  return text;
}

std::string Header(const Member& m) {
  std::string h(512, '\0');
  h.replace(0, std::min<size_t>(m.name.size(), 100), m.name.substr(0, 100));
  h.replace(100, 8, std::string("0000644\0", 8));
  std::string size = m.sizeField.empty() ? Octal(m.data.size(), 11) : m.sizeField;
  h.replace(124, size.size(), size);
  std::string time = m.timeField.empty() ? Octal(static_cast<uint64_t>(m.time), 11) : m.timeField;
  h.replace(136, time.size(), time);
  h[156] = m.type;
  if (m.ustar) {
    h.replace(257, 8, std::string("ustar\0" "00", 8));
  } else {
    h.replace(257, 8, std::string("ustar  \0", 8));
  }
  h.replace(345, m.prefix.size(), m.prefix);
  uint32_t sum = 0;
  h.replace(148, 8, "        ");
  for (char c : h) sum += m.signedChecksum ? static_cast<uint32_t>(static_cast<int8_t>(c)) : static_cast<uint8_t>(c);
  if (m.badChecksum) ++sum;
  h.replace(148, 8, Octal(sum, 6) + std::string("\0 ", 2));
  return h;
}

std::string BuildTar(const std::vector<Member>& members, size_t endBlocks = 2) {
  std::string out;
  for (const Member& m : members) {
    out += Header(m);
    out += m.data;
    out.append((512 - m.data.size() % 512) % 512, '\0');
  }
  out.append(512 * endBlocks, '\0');
  return out;
}

TEST(TarReaderTest, ListsNestedFoldersWithSizesAndTimes) {
  std::string tar = BuildTar({{"docs/", '5'},
                              {"docs/a.txt", '0', "a"},
                              {"docs/sub/b.c", '0', std::string(700, 'b')},
                              {"top.txt", '0', "top"},
                              {"link", '2'}});
  auto result = ReadArchiveBytes(kArchiveTar, tar);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"top.txt 3", "link 0", "docs/", "docs/a.txt 1",
                                                             "docs/sub/", "docs/sub/b.c 700"}));
  EXPECT_EQ(testing::FindFile(result.tree, "docs/a.txt")->entry.time, testing::kFixtureTime);
}

TEST(TarReaderTest, ChecksumsOfUnsignedOrSignedBytes) {
  // Names with bytes above 127, whose sums differ between the two ways of summing: both are
  // accepted; a header whose sum is neither ends the listing.
  Member plain("caf\xC3\xA9.txt", '0', "a");
  Member signedSum("na\xC3\xAFve.txt", '0', "bb");
  signedSum.signedChecksum = true;
  Member damaged("\xC3\xA9t\xC3\xA9.txt", '0', "c");
  damaged.signedChecksum = true;
  damaged.badChecksum = true;
  auto result = ReadArchiveBytes(kArchiveTar, BuildTar({plain, signedSum, damaged, {"after.txt", '0', "d"}}));
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"caf\xC3\xA9.txt 1", "na\xC3\xAFve.txt 2"}));
}

TEST(TarReaderTest, EmptyTruncatedAndForeignFiles) {
  std::string normal = BuildTar({{"one.txt", '0', "1"}, {"two.txt", '0', "22"}});
  struct Case {
    const char* what;
    std::string bytes;
    bool read;
    std::vector<std::string> listing;
  };
  const Case cases[] = {
      {"empty archive", std::string(1024, '\0'), true, {}},
      {"no end blocks", BuildTar({{"one.txt", '0', "1"}}, 0), true, {"one.txt 1"}},
      {"truncated in the second header", normal.substr(0, 1024 + 100), true, {"one.txt 1"}},
      {"gzip data", std::string("\x1F\x8B\x08\x00", 4) + std::string(2000, '\0'), false, {}},
      {"not a tar at all", std::string(2000, 'x'), false, {}},
      {"shorter than a header", "abc", false, {}},
      {"empty file", "", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto result = ReadArchiveBytes(kArchiveTar, c.bytes);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.read, c.read);
    EXPECT_EQ(Describe(result.tree), c.listing);
  }
}

TEST(TarReaderTest, NumericFieldsEndAtBlankOrNul) {
  struct Case {
    std::string field;
    uint64_t value;
  };
  const Case cases[] = {
      {"00000000012", 10}, {"00000000012 ", 10}, {"     12 ", 10},         {std::string("12\0 99", 6), 10},
      {"777", 511},        {"", 0},              {"12x4", 10},             {std::string("\x80\0\0\0\0\0\0\x01\0\0\0\0", 12), 1ULL << 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    std::string field = c.field;
    field.resize(12, '\0');
    EXPECT_EQ(ParseTarNumber(reinterpret_cast<const uint8_t*>(field.data()), 12), c.value);
  }
  // Blank-padded fields, as most tar programs write them, give true sizes and the next header.
  Member padded("padded.bin", '0', std::string(1000, 'p'));
  padded.sizeField = "     1750 ";
  auto result = ReadArchiveBytes(kArchiveTar, BuildTar({padded, {"after.txt", '0', "x"}}));
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"padded.bin 1000", "after.txt 1"}));
}

TEST(TarReaderTest, LongNamesFromPrefixGnuAndPaxHeaders) {
  std::string deep = "very/" + std::string(120, 'd') + "/folder";
  Member prefixed("file.txt", '0', "p");
  prefixed.prefix = deep;
  Member gnuPrefix("plain.txt", '0', "g");
  gnuPrefix.prefix = "ignored";  // GNU's format keeps other fields there
  gnuPrefix.ustar = false;
  std::string longPath = "long/" + std::string(250, 'n') + ".txt";
  std::string records = "28 path=pax/dir/renamed.txt\n17 size=99999999\n";
  Member paxData("pax.bin", '0');
  paxData.sizeField = Octal(0, 11);  // the pax size wins over the header's
  // The pax member's data would run past the end: it is listed, and the listing ends after it.
  std::string tar = BuildTar({prefixed, gnuPrefix, {"././@LongLink", 'L', longPath + std::string(1, '\0')},
                              {"cut-name", '0', "L"}, {"PaxHeaders/x", 'x', records}},
                             0) +
                    Header(paxData);
  auto result = ReadArchiveBytes(kArchiveTar, tar);
  ASSERT_TRUE(result.read);
  EXPECT_EQ(Describe(result.tree),
            (std::vector<std::string>{"plain.txt 1", "very/", "very/" + std::string(120, 'd') + "/",
                                      "very/" + std::string(120, 'd') + "/folder/",
                                      "very/" + std::string(120, 'd') + "/folder/file.txt 1", "long/",
                                      "long/" + std::string(250, 'n') + ".txt 1", "pax/", "pax/dir/",
                                      "pax/dir/renamed.txt 99999999"}));
}

TEST(TarReaderTest, HeadersThatEndTheListing) {
  std::string hundred(100, 'h');  // a name that fills its field, without NUL
  Member bad("bad.txt", '0', "b");
  bad.badChecksum = true;
  struct Case {
    const char* what;
    Member stop;
    std::vector<std::string> listing;
  };
  const Case cases[] = {
      {"unknown type flag", {"volume", 'V'}, {"first.txt 1"}},
      {"long link target", {"././@LongLink", 'K', std::string(300, 't') + '\0'}, {"first.txt 1", "last.txt 1"}},
      {"bad checksum", bad, {"first.txt 1"}},
      {"global pax header is skipped", {"global", 'g', "18 comment=global\n"}, {"first.txt 1", "last.txt 1"}},
      {"a name filling its field is kept", {hundred, '0', "h"}, {"first.txt 1", hundred + " 1", "last.txt 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto result = ReadArchiveBytes(kArchiveTar, BuildTar({{"first.txt", '0', "1"}, c.stop, {"last.txt", '0', "l"}}));
    EXPECT_TRUE(result.read);
    EXPECT_EQ(Describe(result.tree), c.listing);
  }
}

// Links, devices, FIFOs and folders carry no data whatever their size field says (some writers put
// the size of the file linked to there): the next header follows at once.
TEST(TarReaderTest, MembersWithoutDataAreNotSteppedOver) {
  for (char type : {'1', '2', '3', '4', '5', '6'}) {
    SCOPED_TRACE(type);
    Member member(type == '5' ? "folder/" : "special", type);
    member.sizeField = Octal(4000, 11);
    auto result = ReadArchiveBytes(kArchiveTar, BuildTar({member, {"after.txt", '0', "after"}}));
    ASSERT_TRUE(result.read);
    const ArchiveFile* after = testing::FindFile(result.tree, "after.txt");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->entry.size, 5u);
  }
  // Old archives mark regular files with a NUL type flag: they have data like type 0.
  auto result = ReadArchiveBytes(kArchiveTar, BuildTar({{"v7.txt", '\0', "seven"}, {"after.txt", '0', "after"}}));
  EXPECT_EQ(Describe(result.tree), (std::vector<std::string>{"v7.txt 5", "after.txt 5"}));
}

// Times from octal and GNU base-256 fields (two's complement: negative before 1970) and from pax
// mtime records (decimal, signed, with a fraction), held to the 32-bit range of catalog times.
TEST(TarReaderTest, TimesBefore1970AndBeyondTheCatalogRange) {
  auto base256 = [](int64_t value) {
    std::string field(12, value < 0 ? '\xFF' : '\0');
    for (int i = 0; i < 8; ++i) field[11 - i] = static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
    field[0] = static_cast<char>(field[0] | 0x80);
    return field;
  };
  auto pax = [](const std::string& value) {
    std::string record = " mtime=" + value + "\n";
    size_t length = record.size() + 1;  // the length counts its own digits
    while (std::to_string(length).size() + record.size() != length) ++length;
    return Member("PaxHeaders/t", 'x', std::to_string(length) + record);
  };
  struct Case {
    const char* what;
    std::vector<Member> before;  // headers before the member
    std::string timeField;       // the member's own field when set
    int64_t time;
  };
  const Case cases[] = {
      {"octal", {}, Octal(1234567, 11), 1234567},
      {"base-256 before 1970", {}, base256(-305164800), -305164800},
      {"base-256 -1", {}, base256(-1), -1},
      {"base-256 after 2038", {}, base256(int64_t{1} << 40), INT32_MAX},
      {"base-256 long before 1901", {}, base256(-(int64_t{1} << 40)), INT32_MIN},
      {"pax before 1970", {pax("-305164800")}, Octal(0, 11), -305164800},
      {"pax fraction", {pax("1234.75")}, Octal(0, 11), 1234},
      {"pax negative fraction", {pax("-1.5")}, Octal(0, 11), -2},
      {"pax beyond the range", {pax("99999999999999999999999")}, Octal(0, 11), INT32_MAX},
      {"pax not a number", {pax("soon")}, Octal(777, 11), 777},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Member> members = c.before;
    Member timed("timed.txt", '0', "t");
    timed.timeField = c.timeField;
    members.push_back(timed);
    auto result = ReadArchiveBytes(kArchiveTar, BuildTar(members));
    const ArchiveFile* file = testing::FindFile(result.tree, "timed.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->entry.time, c.time);
  }
}

TEST(TarReaderTest, ReadsHeadersNotData) {
  // Large members are stepped over: a few kilobytes per header, not a buffer's worth.
  std::vector<Member> large;
  for (int i = 0; i < 20; ++i) large.push_back({"big" + std::to_string(i), '0', std::string(1 << 20, 'd')});
  std::string tar = BuildTar(large);
  auto result = ReadArchiveBytes(kArchiveTar, tar);
  EXPECT_EQ(Describe(result.tree).size(), 20u);
  EXPECT_LT(result.bytesRead, 512u * 1024) << "of " << tar.size();  // the first buffer, then headers
}

TEST(TarReaderTest, GzKindListsPlainTarAndRefusesDamagedGzip) {
  auto plain = ReadArchiveBytes(kArchiveGz, BuildTar({{"in.txt", '0', "abc"}}));
  EXPECT_TRUE(plain.read);
  EXPECT_EQ(Describe(plain.tree), (std::vector<std::string>{"in.txt 3"}));
  EXPECT_FALSE(ReadArchiveBytes(kArchiveGz, std::string("\x1F\x8B\x08\x00\0\0\0\0", 8) + std::string(600, 'q')).read);
}

}  // namespace
}  // namespace volumist
