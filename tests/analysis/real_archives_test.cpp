// The readers on archives made by general tools (zip, tar, arj, gcab, lha) from one folder tree, so
// that they agree with what those tools really write. A test is skipped when its tool is missing
// (scripts/install-deps.sh installs them all).
#include <gtest/gtest.h>

#include <algorithm>

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

  testing::ReadResult List(ArchiveKind kind, const std::string& name) {
    platform::OpenResult opened = platform::FileSystem::Default().OpenForRead(dir_.File(name));
    EXPECT_TRUE(opened);
    testing::ReadResult result;
    if (!opened) return result;
    std::unique_ptr<ArchiveReader> reader = MakeArchiveReader(kind, *opened.file, options_);
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
    Lines listing = testing::Describe(result.tree);
    std::sort(listing.begin(), listing.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing, expected);
    const ArchiveFile* a = testing::FindFile(result.tree, "docs/a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->entry.time, testing::kFixtureTime);
  }

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
