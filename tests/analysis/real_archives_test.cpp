// The readers on archives made by general tools (zip, tar, gzip, xz, bzip2, zstd, arj, gcab, lha)
// from one folder tree, so that they agree with what those tools really write. A test is skipped
// when its tool is missing (scripts/install-deps.sh installs them all).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "analysis/archive_fixture.h"
#include "analysis/external_tool.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using Lines = std::vector<std::string>;

class RealArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every file and folder carries the fixture time, an even second, so that the two-second DOS
    // times of most kinds hold it exactly.
    std::string script =
        "set -e; cd \"$0\"; mkdir -p src/docs/sub src/empty; printf aaa > src/docs/a.txt; printf bb > src/docs/sub/b.c;"
        "printf t > src/top.txt; find src -exec touch -d @" + std::to_string(testing::kFixtureTime) + " {} +";
    ASSERT_EQ(Shell(script).exitStatus, 0);
  }

  testing::CommandResult Shell(const std::string& script) {
    return testing::RunCommand("/bin/sh", {"-c", script, dir_.path()}, "", {"TZ=UTC"});
  }

  // Runs `command` inside src/ to make `archive`, or skips when `tool` is missing.
  bool Make(const std::string& tool, const std::string& command) {
    if (testing::FindProgram(tool).empty()) return false;
    testing::CommandResult made = Shell("cd \"$0/src\" && " + command);
    EXPECT_EQ(made.exitStatus, 0) << made.out << made.err;
    return made.exitStatus == 0;
  }

  testing::ReadResult List(ArchiveKind kind, const std::string& name, const std::atomic<bool>* stop = nullptr) {
    platform::OpenResult opened = platform::FileSystem::Default().OpenForRead(dir_.File(name));
    EXPECT_TRUE(opened);
    testing::ReadResult result;
    if (!opened) return result;
    testing::CountingFile file(std::move(opened.file), result.bytesRead);
    std::unique_ptr<ArchiveReader> reader = MakeArchiveReader(kind, file, options_);
    reader->SetStopFlag(stop);
    result.valid = reader->IsValid();
    result.read = result.valid && reader->ReadContent();
    result.tree = reader->TakeTree();
    return result;
  }

  // The listing, sorted (tools store entries in directory order), and the time of docs/a.txt.
  void ExpectListing(ArchiveKind kind, const std::string& name, Lines expected) {
    SCOPED_TRACE(name);
    testing::ReadResult result = List(kind, name);
    ASSERT_TRUE(result.valid);
    ASSERT_TRUE(result.read);
    EXPECT_EQ(Sorted(testing::Describe(result.tree)), Sorted(expected));
    const ArchiveFile* a = testing::FindFile(result.tree, "docs/a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->entry.time, testing::kFixtureTime);
  }

  static Lines Sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  std::string Bytes(const std::string& name) { return testing::ReadFileBytes(dir_.File(name)); }

  testing::TempDir dir_;
  ScanOptions options_;
};

const Lines kFilesAndFolders = {"docs/", "docs/a.txt 3", "docs/sub/", "docs/sub/b.c 2", "top.txt 1"};
Lines With(Lines lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

TEST_F(RealArchiveTest, Zip) {
  if (!Make("zip", "zip -qr ../plain.zip . && zip -qr -fz ../forced64.zip .")) GTEST_SKIP() << "zip missing";
  ExpectListing(kArchiveZip, "plain.zip", With(kFilesAndFolders, {"empty/"}));
  ExpectListing(kArchiveZip, "forced64.zip", With(kFilesAndFolders, {"empty/"}));
  EXPECT_NE(testing::FindFile(List(kArchiveZip, "plain.zip").tree, "top.txt")->entry.crc32, 0u);
}

TEST_F(RealArchiveTest, TarInEveryFormatWithLongPaths) {
  if (testing::FindProgram("tar").empty()) GTEST_SKIP() << "tar missing";
  // Paths beyond the 100-byte name field, so each format stores them its own way (ustar's prefix
  // field, GNU long names, pax path records).
  std::string deep = "docs/" + std::string(60, 'x') + "/" + std::string(60, 'y');
  ASSERT_EQ(Shell("cd \"$0/src\" && mkdir -p " + deep + " && printf deep > " + deep + "/deep.txt && touch -d @" +
                  std::to_string(testing::kFixtureTime) + " " + deep + " " + deep + "/deep.txt")
                .exitStatus,
            0);
  Lines expected = With(kFilesAndFolders, {"empty/", "docs/" + std::string(60, 'x') + "/", deep + "/",
                                            deep + "/deep.txt 4"});
  for (std::string format : {"ustar", "gnu", "pax"}) {
    SCOPED_TRACE(format);
    ASSERT_TRUE(Make("tar", "tar cf ../" + format + ".tar --format=" + format + " docs empty top.txt"));
    ExpectListing(kArchiveTar, format + ".tar", expected);
  }
}

// Info-ZIP keeps each file's exact time in its "UT" extra field; with -X it writes only the DOS time,
// which has two-second steps and cannot go before 1980. An exact time of 0 is a time like any other.
TEST_F(RealArchiveTest, ZipTimesFromTheExtraFieldOrDos) {
  const int64_t odd = testing::kFixtureTime + 1;
  if (!Make("zip", "printf e > epoch.txt && printf o > old.txt && printf d > odd.txt && touch -d @0 epoch.txt && "
                   "touch -d '1960-05-01 00:00 UTC' old.txt && touch -d @" + std::to_string(odd) + " odd.txt && "
                   "zip -q ../exact.zip epoch.txt old.txt odd.txt && zip -q -X ../dos.zip epoch.txt old.txt odd.txt")) {
    GTEST_SKIP() << "zip missing";
  }
  constexpr int64_t k1980 = 315532800;  // 1980-01-01 00:00, the earliest DOS time (TZ=UTC)
  struct Case {
    const char* archive;
    int64_t epoch, old, odd;
  };
  const Case cases[] = {
      {"exact.zip", 0, -305164800, odd},
      {"dos.zip", k1980, k1980, odd + 1},  // DOS times are rounded up to even seconds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    testing::ReadResult result = List(kArchiveZip, c.archive);
    ASSERT_TRUE(result.read);
    for (auto [name, time] : {std::pair{"epoch.txt", c.epoch}, {"old.txt", c.old}, {"odd.txt", c.odd}}) {
      SCOPED_TRACE(name);
      const ArchiveFile* file = testing::FindFile(result.tree, name);
      ASSERT_NE(file, nullptr);
      EXPECT_EQ(file->entry.time, time);
    }
  }
}

// What each of GNU tar's formats writes for a symbolic link whose target is longer than 100 bytes
// (a K header in gnu and oldgnu, a linkpath record in pax), a time before 1970 (a negative base-256
// number, a negative pax mtime) and a regular file in v7 (type flag NUL). Every member is listed,
// whatever comes before it.
TEST_F(RealArchiveTest, TarLongLinksOldTimesAndV7Files) {
  if (testing::FindProgram("tar").empty()) GTEST_SKIP() << "tar missing";
  ASSERT_EQ(Shell("cd \"$0/src\" && mkdir links && ln -s " + std::string(150, 't') +
                  " links/long && printf old > old.txt && touch -d '1960-05-01 00:00 UTC' old.txt")
                .exitStatus,
            0);
  constexpr int64_t k1960 = -305164800;
  const Lines everything = With(kFilesAndFolders, {"empty/", "links/", "links/long 0", "old.txt 3"});
  struct Case {
    std::string format;
    std::string members;  // what the format can hold: v7 and ustar store no long targets or old times
    Lines listing;
  };
  const Case cases[] = {
      {"gnu", "links old.txt docs empty top.txt", everything},
      {"oldgnu", "links old.txt docs empty top.txt", everything},
      {"pax", "links old.txt docs empty top.txt", everything},
      {"v7", "docs empty top.txt", With(kFilesAndFolders, {"empty/"})},
      {"ustar", "docs empty top.txt", With(kFilesAndFolders, {"empty/"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    ASSERT_TRUE(Make("tar", "tar cf ../" + c.format + ".tar --format=" + c.format + " " + c.members));
    ExpectListing(kArchiveTar, c.format + ".tar", c.listing);
    if (c.members.find("old.txt") != std::string::npos) {
      testing::ReadResult listed = List(kArchiveTar, c.format + ".tar");
      const ArchiveFile* old = testing::FindFile(listed.tree, "old.txt");
      ASSERT_NE(old, nullptr);
      EXPECT_EQ(old->entry.time, k1960);
    }
  }
  EXPECT_NE(Bytes("gnu.tar").find("././@LongLink"), std::string::npos) << "no K header was written";
  std::string v7 = Bytes("v7.tar");
  size_t top = v7.find(std::string("top.txt\0", 8));
  ASSERT_NE(top, std::string::npos);
  EXPECT_EQ(top % 512, 0u);
  EXPECT_EQ(v7[top + 156], '\0') << "v7 wrote no NUL type flag";
}

// Sparse members under their real names and sizes: GNU's S headers (with extension blocks for many
// holes) and the three pax forms (0.0, 0.1 and 1.0, whose header names GNUSparseFile.N/...).
TEST_F(RealArchiveTest, TarSparseMembers) {
  if (testing::FindProgram("tar").empty()) GTEST_SKIP() << "tar missing";
  ASSERT_EQ(Shell("cd \"$0/src\" && mkdir sparse && truncate -s 3M sparse/one.img && printf end >> sparse/one.img && "
                  "for i in $(seq 0 29); do printf x | dd of=sparse/holes.img bs=1 seek=$((i * 1048576)) conv=notrunc "
                  "2>/dev/null; done")
                .exitStatus,
            0);
  const Lines expected = {"sparse/", "sparse/one.img 3145731", "sparse/holes.img 30408705", "top.txt 1"};
  for (std::string options : {"--format=gnu", "--format=pax", "--format=pax --sparse-version=0.0",
                              "--format=pax --sparse-version=0.1", "--format=pax --sparse-version=1.0"}) {
    SCOPED_TRACE(options);
    ASSERT_TRUE(Make("tar", "tar cf ../sparse.tar --sparse " + options + " sparse top.txt"));
    std::string archive = Bytes("sparse.tar");
    bool sparse = options == "--format=gnu" ? archive[156] == 'S' || archive[512 + 156] == 'S'
                                             : archive.find("GNU.sparse") != std::string::npos;
    if (!sparse) GTEST_SKIP() << "the file system here makes no sparse files, so tar stored them whole";
    testing::ReadResult result = List(kArchiveTar, "sparse.tar");
    ASSERT_TRUE(result.read);
    EXPECT_EQ(Sorted(testing::Describe(result.tree)), Sorted(expected));
  }
}

// Compressed archives as tar's own -z, -J, -j and --zstd write them, and as two streams one after
// the other (what parallel compressors and concatenation give), listed with the GZ kind.
TEST_F(RealArchiveTest, CompressedTar) {
  if (testing::FindProgram("tar").empty()) GTEST_SKIP() << "tar missing";
  // Enough members that the archive is longer than the 10,240 bytes of its first half.
  ASSERT_EQ(Shell("cd \"$0/src\" && mkdir many && for i in $(seq 1 30); do printf $i > many/$i.txt; done && "
                  "find many -exec touch -d @" + std::to_string(testing::kFixtureTime) + " {} +")
                .exitStatus,
            0);
  Lines expected = With(kFilesAndFolders, {"empty/", "many/"});
  for (int i = 1; i <= 30; ++i) expected.push_back("many/" + std::to_string(i) + ".txt " + std::to_string(std::to_string(i).size()));
  struct Case {
    std::string tool;
    std::string tarOption;
    std::string compress;  // the tool's command that writes standard output
  };
  const Case cases[] = {
      {"gzip", "-z", "gzip -c"}, {"xz", "-J", "xz -c"}, {"bzip2", "-j", "bzip2 -c"}, {"zstd", "--zstd", "zstd -q -c"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tool);
    if (testing::FindProgram(c.tool).empty()) {
      ADD_FAILURE() << c.tool << " missing (scripts/install-deps.sh installs it)";
      continue;
    }
    ASSERT_TRUE(Make("tar", "tar cf ../" + c.tool + ".tgz " + c.tarOption + " docs empty many top.txt"));
    ExpectListing(kArchiveGz, c.tool + ".tgz", expected);
    ASSERT_TRUE(Make("tar", "tar cf ../plain.tar docs empty many top.txt && head -c 10240 ../plain.tar | " + c.compress +
                                " > ../two.tgz && tail -c +10241 ../plain.tar | " + c.compress + " >> ../two.tgz"));
    ExpectListing(kArchiveGz, "two.tgz", expected);
    // A compressed file that holds no archive is no archive.
    ASSERT_TRUE(Make(c.tool, c.compress + " docs/a.txt > ../text.gz"));
    EXPECT_FALSE(List(kArchiveGz, "text.gz").read);
  }
}

TEST_F(RealArchiveTest, CompressedTarCutShortOrStoppedOrHoldingNoArchive) {
  if (testing::FindProgram("tar").empty() || testing::FindProgram("gzip").empty()) GTEST_SKIP() << "tar or gzip missing";
  ASSERT_EQ(Shell("cd \"$0/src\" && printf 1 > first.txt && head -c 3000000 /dev/urandom > big.bin && printf 3 > last.txt "
                  "&& tar czf ../whole.tar.gz first.txt big.bin last.txt && head -c 1500000 ../whole.tar.gz > ../cut.tar.gz "
                  "&& head -c 3000000 /dev/urandom | gzip -1 > ../noise.gz")
                .exitStatus,
            0);
  testing::ReadResult whole = List(kArchiveGz, "whole.tar.gz");
  EXPECT_EQ(testing::Describe(whole.tree), (Lines{"first.txt 1", "big.bin 3000000", "last.txt 1"}));
  // Cut inside the large member: what came before the cut stays.
  testing::ReadResult cut = List(kArchiveGz, "cut.tar.gz");
  EXPECT_TRUE(cut.read);
  EXPECT_EQ(testing::Describe(cut.tree), (Lines{"first.txt 1", "big.bin 3000000"}));
  // Not an archive: decided from the first block, without inflating the rest.
  testing::ReadResult noise = List(kArchiveGz, "noise.gz");
  EXPECT_FALSE(noise.read);
  EXPECT_LT(noise.bytesRead, 512u * 1024);
  // A scan being stopped ends the inflating at once.
  std::atomic<bool> stop{true};
  testing::ReadResult stopped = List(kArchiveGz, "whole.tar.gz", &stop);
  EXPECT_LT(stopped.bytesRead, 512u * 1024);
  EXPECT_LT(testing::Describe(stopped.tree).size(), 3u);
}

TEST_F(RealArchiveTest, Arj) {
  if (!Make("arj", "arj a -y -r ../made.arj '*' >/dev/null")) GTEST_SKIP() << "arj missing";
  ExpectListing(kArchiveArj, "made.arj", kFilesAndFolders);
}

TEST_F(RealArchiveTest, Cab) {
  if (!Make("gcab", "gcab -c ../made.cab docs/a.txt docs/sub/b.c top.txt")) GTEST_SKIP() << "gcab missing";
  ExpectListing(kArchiveCab, "made.cab", kFilesAndFolders);
}

TEST_F(RealArchiveTest, Lha) {
  if (!Make("lha", "lha aq ../made.lzh docs empty top.txt")) GTEST_SKIP() << "lha missing";
  ExpectListing(kArchiveLzh, "made.lzh", With(kFilesAndFolders, {"empty/"}));
}

}  // namespace
}  // namespace volumist
