// volumist-cli scan end to end, on folders the tests make.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "catalog/program_settings.h"
#include "testing/child_process.h"
#include "testing/deep_tree.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::TempDir;

class CliScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TreeBuilder(source_.path())
        .File("docs/readme.txt", 12, 1262304000)
        .File("docs/.hidden", 1, 1262304000)
        .File("music/song.mp3", 100, 1262304000)
        .Folder("empty");
  }

  testing::CommandResult Cli(std::vector<std::string> args) {
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")});
  }

  TempDir source_;
  TempDir out_;
  TempDir home_;
};

TEST_F(CliScanTest, ScansAndListsTheVolume) {
  auto scan = Cli({"scan", "--name", "My disk", "--file", out_.File("disk.vkt"), "--no-hidden", "--drop-empty",
                   "Stuff=" + source_.path()});
  ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  std::vector<std::string> summary = Lines(scan.out);
  ASSERT_GE(summary.size(), 4u);
  EXPECT_EQ(summary[0], "volume: My disk");
  EXPECT_EQ(summary[1], "file: " + out_.File("disk.vkt"));
  EXPECT_EQ(summary[2], "folders: 3");
  EXPECT_EQ(summary[3], "files: 2");

  auto ls = Cli({"ls", out_.File("disk.vkt"), "-R"});
  ASSERT_EQ(ls.exitStatus, 0) << ls.err;
  std::vector<std::string> lines = Lines(ls.out);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"file\t100\t01.01.2010 00:00\t----\tStuff/music/song.mp3",
                                             "file\t12\t01.01.2010 00:00\t----\tStuff/docs/readme.txt",
                                             "folder\t100\t-\t-\tStuff/music", "folder\t112\t-\t-\tStuff",
                                             "folder\t12\t-\t-\tStuff/docs"}));
  auto info = Cli({"info", out_.File("disk.vkt")});
  EXPECT_NE(info.out.find("  root path: " + source_.path() + "\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("dropEmptyFolders"), std::string::npos);
  EXPECT_EQ(info.out.find("includeHiddenSystem"), std::string::npos);
}

TEST_F(CliScanTest, AnalyserSwitchesTakeListsOfKinds) {
  auto scan = Cli({"scan", "--file", out_.File("v.vkt"), "--signatures=crc32,md5", "--archives=zip,tar", "--images=png",
                   "--audio", source_.path()});
  ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  auto info = Cli({"info", out_.File("v.vkt")});
  std::string options;
  for (const std::string& line : Lines(info.out)) {
    if (line.rfind("options: ", 0) == 0) options = line;
  }
  for (const char* on : {"computeSignatures", "signatureCrc32", "signatureMd5", "analyzeArchives", "archiveKinds=1,9 ",
                         "analyzeImages", "imageTypes=11 ", "analyzeAudio", "audioMp3"}) {
    EXPECT_NE(options.find(on), std::string::npos) << on << " in " << options;
  }
  EXPECT_EQ(options.find("signatureMd4"), std::string::npos) << options;
}

TEST_F(CliScanTest, BadCommandLines) {
  struct Case {
    std::vector<std::string> args;
    const char* problem;
  };
  const Case cases[] = {
      {{"scan"}, "expects at least one SOURCE"},
      {{"scan", "--bogus", "/tmp"}, "unknown option --bogus"},
      {{"scan", "--group", "14", "/tmp"}, "--group takes a number from 0 to 13"},
      {{"scan", "--archives=zip,rpm", "/tmp"}, "unknown archive kind 'rpm'"},
      {{"scan", "--name"}, "--name needs a value"},
  };
  for (const auto& c : cases) {
    auto result = Cli(c.args);
    EXPECT_EQ(result.exitStatus, 2) << c.problem;
    EXPECT_NE(result.err.find(c.problem), std::string::npos) << result.err;
  }
}

TEST_F(CliScanTest, AnExistingVolumeIsRewrittenOnlyWithYes) {
  testing::WriteFileBytes(out_.File("v.vkt"), "keep me");
  auto refused = Cli({"scan", "--file", out_.File("v.vkt"), source_.path()});
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("File of Disk Ledger already exists! Do you want to rewrite it?"), std::string::npos);
  EXPECT_EQ(testing::ReadFileBytes(out_.File("v.vkt")), "keep me");
  auto rewritten = Cli({"scan", "--yes", "--file", out_.File("v.vkt"), source_.path()});
  EXPECT_EQ(rewritten.exitStatus, 0) << rewritten.err;
  EXPECT_NE(testing::ReadFileBytes(out_.File("v.vkt")), "keep me");
}

TEST_F(CliScanTest, AddingToAVolume) {
  ASSERT_EQ(Cli({"scan", "--file", out_.File("v.vkt"), "A=" + source_.path() + "/docs"}).exitStatus, 0);
  auto added = Cli({"scan", "--add", out_.File("v.vkt"), "B=" + source_.path() + "/music"});
  ASSERT_EQ(added.exitStatus, 0) << added.err;
  auto ls = Cli({"ls", out_.File("v.vkt")});
  EXPECT_EQ(Lines(ls.out), (std::vector<std::string>{"folder\t13\t-\t-\tA", "folder\t100\t-\t-\tB"}));
}

}  // namespace
}  // namespace volumist

namespace volumist {
namespace {

TEST_F(CliScanTest, DefaultNamesCountUpFromRunToRunInTheVolumeDirectory) {
  for (const char* expected : {"Volume1", "Volume2"}) {
    auto scan = Cli({"--dir", out_.path(), "scan", source_.path()});
    ASSERT_EQ(scan.exitStatus, 0) << scan.err;
    EXPECT_EQ(Lines(scan.out)[0], std::string("volume: ") + expected);
    EXPECT_EQ(Lines(scan.out)[1], "file: " + out_.File(std::string(expected) + ".vkt"));
  }
  // The stored options are not changed by a scan's command line.
  EXPECT_FALSE(std::filesystem::exists(home_.File("config/zarn-volumist/configuration.cfg")));
  auto listed = Cli({"--dir", out_.path(), "volumes"});
  EXPECT_EQ(Lines(listed.out).size(), 2u);
}

}  // namespace
}  // namespace volumist

namespace volumist {
namespace {

TEST_F(CliScanTest, AnInterruptStopsTheScanAndChangesNothing) {
  // Large sparse files make the digests take seconds, so the interrupt comes during the scan.
  testing::TempDir big;
  for (int i = 0; i < 40; ++i) {
    std::filesystem::path file = big.File("part" + std::to_string(i) + ".bin");
    { std::ofstream(file).put('x'); }
    std::filesystem::resize_file(file, uint64_t{256} << 20);
  }
  testing::WriteFileBytes(out_.File("v.vkt"), "keep me");
  auto result = testing::RunCommandInterrupted(
      VOLUMIST_CLI_PATH, {"scan", "--yes", "--signatures", "--file", out_.File("v.vkt"), big.path()}, 700,
      {"XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")});
  EXPECT_EQ(result.exitStatus, 130) << result.err;
  EXPECT_NE(result.err.find("interrupted; no volume file was written or changed"), std::string::npos) << result.err;
  EXPECT_EQ(testing::ReadFileBytes(out_.File("v.vkt")), "keep me");
  EXPECT_EQ(testing::ListNames(out_.path()), std::vector<std::string>{"v.vkt"});
}

}  // namespace
}  // namespace volumist

namespace volumist {
namespace {

// 300 folders deep, past the path limit: the scan reaches the bottom without a warning and ls lists
// the file there with its whole path.
TEST_F(CliScanTest, ATreeDeeperThanThePathLimitIsScannedAndListed) {
  testing::DeepTree deep(source_.path() + "/music", 300);
  deep.WriteFile("bottom.txt", "at the bottom");
  auto scan = Cli({"scan", "--file", out_.File("deep.vkt"), "--signatures", "Stuff=" + source_.path()});
  ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  EXPECT_EQ(scan.err, "");
  EXPECT_NE(scan.out.find("files: 4\n"), std::string::npos) << scan.out;
  auto ls = Cli({"ls", out_.File("deep.vkt"), "-R"});
  ASSERT_EQ(ls.exitStatus, 0) << ls.err;
  const std::string bottom = "\tStuff/music/" + deep.RelativePath(300) + "/bottom.txt";
  std::vector<std::string> found;
  for (const std::string& line : Lines(ls.out)) {
    if (line.ends_with(bottom)) found.push_back(line);
  }
  ASSERT_EQ(found.size(), 1u) << ls.out.substr(0, 2000);
  EXPECT_TRUE(found[0].starts_with("file\t13\t")) << found[0];
}

// A folder that can be listed but not entered is reported like one that cannot be listed. As root
// the scan runs as "nobody", for whom the permissions apply.
TEST_F(CliScanTest, AFolderThatCannotBeEnteredIsReported) {
  testing::TreeBuilder(source_.path()).File("closed/inside.txt", 3).Mode("closed", 0444);
  for (const testing::TempDir* dir : {&source_, &out_, &home_}) {
    ASSERT_EQ(::chmod(dir->path().c_str(), dir == &source_ ? 0755 : 0777), 0);
  }
  testing::CommandOptions options;
  options.environment = {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")};
  if (::geteuid() == 0) options.user = 65534;
  auto scan = testing::RunCommand(VOLUMIST_CLI_PATH, {"scan", "--file", out_.File("v.vkt"), "Stuff=" + source_.path()},
                                  options);
  ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  EXPECT_EQ(scan.err, "volumist-cli scan: 1 folder(s) could not be read; they are recorded as empty\n");
  auto ls = Cli({"ls", out_.File("v.vkt"), "Stuff/closed"});
  EXPECT_EQ(ls.exitStatus, 0) << ls.err;
  EXPECT_EQ(ls.out, "");
}

// A tmpfs mounted below the source, in a mount namespace of the test's own: named in the report and
// recorded empty, or entered with --cross-mounts.
TEST_F(CliScanTest, MountPointsAreNamedInTheReportAndEnteredOnRequest) {
  testing::TreeBuilder(source_.path()).Folder("mnt");
  const std::string mountPoint = source_.path() + "/mnt";
  testing::ChildResult child = testing::RunInChild([&] {
    testing::EnterPrivateMountNamespace();
    if (::mount("scan-test", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0) {
      testing::SkipChild(std::string("cannot mount a tmpfs: ") + std::strerror(errno));
    }
    testing::TreeBuilder(mountPoint).File("on-tmpfs.txt", 7);
    std::string out;
    for (bool cross : {false, true}) {
      const std::string volume = out_.File(cross ? "crossing.vkt" : "plain.vkt");
      std::vector<std::string> args = {"scan", "--file", volume};
      if (cross) args.push_back("--cross-mounts");
      args.push_back("Stuff=" + source_.path());
      auto scan = Cli(args);
      auto ls = Cli({"ls", volume, "Stuff/mnt"});
      out += "exit " + std::to_string(scan.exitStatus) + "\n" + scan.err;
      for (const std::string& line : Lines(scan.out)) {
        if (line.starts_with("not entered")) out += line + "\n";
      }
      out += "ls:\n" + ls.out + (cross ? "" : "--\n");
    }
    return out;
  });
  ASSERT_TRUE(child.ended);
  if (!child.skipped.empty()) GTEST_SKIP() << child.skipped;
  size_t split = child.output.find("--\n");
  ASSERT_NE(split, std::string::npos) << child.output;
  EXPECT_EQ(child.output.substr(0, split), "exit 0\nnot entered: other file system: " + mountPoint + "\nls:\n");
  std::string crossing = child.output.substr(split + 3);
  EXPECT_TRUE(crossing.starts_with("exit 0\nls:\nfile\t7\t")) << crossing;
  EXPECT_TRUE(crossing.ends_with("\tStuff/mnt/on-tmpfs.txt\n")) << crossing;
  EXPECT_EQ(Lines(crossing).size(), 3u) << crossing;
}

// The command line never asks for a description after a scan nor starts the next one: its sources
// say so, whatever the window's settings hold and whatever the volume it adds to says.
TEST_F(CliScanTest, SourcesOfTheCommandLineAskNothingAfterTheScan) {
  SettingsLocations locations{home_.File("config") + "/" + kUserFolderName, out_.path()};
  ASSERT_TRUE(platform::CreateDirectories(platform::FileSystem::Default(), locations.programDirectory));
  {
    ProgramSettings settings(platform::FileSystem::Default(), locations);
    settings.scanJob.descriptionPrompt = true;
    settings.scanJob.scanAgain = true;
    ASSERT_TRUE(settings.Save());
  }
  ScanJob windowJob = testing::MakeJob(out_.File("window.vkt"), "Window", {true});
  windowJob.descriptionPrompt = true;
  windowJob.scanAgain = true;
  testing::RecordingPrompter prompter;
  ASSERT_TRUE(testing::WriteVolume(windowJob, {testing::MemorySource{}}, prompter));

  ASSERT_EQ(Cli({"scan", "--file", out_.File("new.vkt"), source_.path()}).exitStatus, 0);
  ASSERT_EQ(Cli({"scan", "--add", out_.File("window.vkt"), source_.path()}).exitStatus, 0);
  struct Expected {
    std::string file;
    std::vector<bool> asks;  // per source: scan again and the description prompt stored on
  };
  for (const Expected& expected : {Expected{"new.vkt", {false}}, Expected{"window.vkt", {true, false}}}) {
    SCOPED_TRACE(expected.file);
    auto info = Cli({"info", out_.File(expected.file)});
    ASSERT_EQ(info.exitStatus, 0) << info.err;
    std::vector<bool> scanAgain, prompt;
    bool header = true;
    for (const std::string& line : Lines(info.out)) {
      if (line.rfind("  scan again: ", 0) == 0) scanAgain.push_back(line == "  scan again: yes");
      if (line.rfind("  options: ", 0) == 0) prompt.push_back(line.find("descriptionPrompt") != std::string::npos);
      // The header's summary is the options of the last scan that wrote the volume.
      if (line.rfind("options: ", 0) == 0) header = line.find("descriptionPrompt") != std::string::npos;
    }
    EXPECT_EQ(scanAgain, expected.asks);
    EXPECT_EQ(prompt, expected.asks);
    EXPECT_FALSE(header);
  }
}

}  // namespace
}  // namespace volumist
