// volumist-cli end to end: the commands run as a user runs them, on volumes the test writes.
#include <gtest/gtest.h>

#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::MemoryNode;
using testing::MemorySource;
using testing::RunCommand;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScanJob job = testing::MakeJob(dir_.File("v.vkt"), "Test volume", {true, false});
    MemorySource first;
    first.volumeLabel = "DATA";
    first.fileSystemName = "ext4";
    first.serialNumber = 0xABCD0012;
    first.totalBytes = 1000;
    first.freeBytes = 400;
    MemoryNode attributes = MemoryNode::File("ro", ".txt", 1234567, 1070633220);
    attributes.hasSignatures = true;
    attributes.signatures.attrReadOnly = attributes.signatures.attrArchive = true;
    first.children = {MemoryNode::Folder("docs", {attributes, MemoryNode::Folder("deep", {MemoryNode::File("x", "", 5)})}),
                      MemoryNode::Archive("pack", ".zip", 300, 1, {MemoryNode::File("in", ".c", 7, 0)})};
    MemorySource second;
    second.driveType = 5;
    second.children = {MemoryNode::File("autorun", ".inf", 40, 0)};
    ASSERT_TRUE(testing::WriteVolume(job, {first, second}, prompter_));
  }

  testing::CommandResult Cli(const std::vector<std::string>& args) {
    // The user's own configuration and volumes stay out of the tests.
    return RunCommand(VOLUMIST_CLI_PATH, args, "",
                      {"TZ=UTC", "XDG_CONFIG_HOME=" + dir_.File("config"), "XDG_DATA_HOME=" + dir_.File("data")});
  }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
};

TEST_F(CliTest, InfoShowsHeaderCountersAndSources) {
  auto result = Cli({"info", dir_.File("v.vkt")});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::vector<std::string> lines = Lines(result.out);
  auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("name: Test volume"));
  EXPECT_TRUE(has("content size: 1234912 (1.18 MB)"));
  EXPECT_TRUE(has("folders: 3"));
  EXPECT_TRUE(has("files: 4"));
  EXPECT_TRUE(has("archives: 1"));
  EXPECT_TRUE(has("files in total: 5"));
  EXPECT_TRUE(has("sources: 2"));
  EXPECT_TRUE(has("source 0"));
  EXPECT_TRUE(has("  kind: folder"));
  EXPECT_TRUE(has("  serial: ABCD-12"));
  EXPECT_TRUE(has("  drive type: 3 (Fixed drive (HDD))"));
  EXPECT_TRUE(has("  drive type: 5 (CD-ROM drive)"));
  EXPECT_TRUE(has("  kind: drive"));
}

TEST_F(CliTest, LsListsOneLevelOrEverything) {
  auto top = Cli({"ls", dir_.File("v.vkt")});
  ASSERT_EQ(top.exitStatus, 0) << top.err;
  EXPECT_EQ(Lines(top.out), (std::vector<std::string>{"folder\t1234872\t-\t-\tSource0",
                                                      "file\t40\t01.01.1970 00:00\t-\tautorun.inf"}));
  auto all = Cli({"ls", dir_.File("v.vkt"), "-R"});
  ASSERT_EQ(all.exitStatus, 0) << all.err;
  EXPECT_EQ(Lines(all.out), (std::vector<std::string>{
                                "folder\t1234872\t-\t-\tSource0",
                                "folder\t1234572\t-\t-\tSource0/docs",
                                "file\t1234567\t05.12.2003 14:07\tra--\tSource0/docs/ro.txt",
                                "folder\t5\t-\t-\tSource0/docs/deep",
                                "file\t5\t01.01.1970 00:00\t-\tSource0/docs/deep/x",
                                "archive\t300\t01.01.1970 00:00\t-\tSource0/pack.zip",
                                "file\t7\t01.01.1970 00:00\t-\tSource0/pack.zip/in.c",
                                "file\t40\t01.01.1970 00:00\t-\tautorun.inf",
                            }));
  auto inside = Cli({"ls", dir_.File("v.vkt"), "Source0/docs"});
  ASSERT_EQ(inside.exitStatus, 0) << inside.err;
  EXPECT_EQ(Lines(inside.out), (std::vector<std::string>{"file\t1234567\t05.12.2003 14:07\tra--\tSource0/docs/ro.txt",
                                                         "folder\t5\t-\t-\tSource0/docs/deep"}));
  auto archive = Cli({"ls", dir_.File("v.vkt"), "/Source0/pack.zip/", "-R"});
  EXPECT_EQ(Lines(archive.out), std::vector<std::string>{"file\t7\t01.01.1970 00:00\t-\tSource0/pack.zip/in.c"});
}

TEST_F(CliTest, DumpShowsEveryRecordWithItsKey) {
  auto result = Cli({"dump", dir_.File("v.vkt")});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::vector<std::string> lines = Lines(result.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[1].find("key 0: mark 0"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("key 3: folder (source root) name=\"Source0\""), std::string::npos) << lines[2];
  EXPECT_NE(result.out.find("archive E6 kind=1 name=\"pack\" ext=\".zip\""), std::string::npos);
  EXPECT_NE(result.out.find("end (has sub-folders)"), std::string::npos);
}

TEST_F(CliTest, ErrorsAndUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string errContains;
  };
  testing::WriteFileBytes(dir_.File("bad.vkt"), "not a volume at all");
  const Case cases[] = {
      {{}, 2, "usage: volumist-cli [--dir DIR] COMMAND"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"info"}, 2, "usage: volumist-cli info FILE.vkt"},
      {{"ls", dir_.File("v.vkt"), "--bogus"}, 2, "unknown option --bogus"},
      {{"info", dir_.File("bad.vkt")}, 1, "Could not open volume file for read. Access denied or read error."},
      {{"info", dir_.File("missing.vkt")}, 1, "Could not open volume file for read. Access denied or read error."},
      {{"ls", dir_.File("v.vkt"), "Source0/nope"}, 1, "no item 'Source0/nope'"},
  };
  for (const Case& c : cases) {
    auto result = Cli(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << result.err;
    EXPECT_NE(result.err.find(c.errContains), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  auto help = Cli({"help", "ls"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("KIND  SIZE  TIME  ATTRIBUTES  PATH"), std::string::npos);
}

}  // namespace
}  // namespace volumist
