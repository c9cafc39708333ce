// volumist-cli search end to end.
#include <map>

#include <gtest/gtest.h>

#include "cli/json_lines.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::MemoryNode;
using testing::MemorySource;

class CliSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemorySource photos;
    photos.children = {MemoryNode::Folder("2003", {MemoryNode::File("beach", ".jpg", 2000000, 1070633220),
                                                   MemoryNode::File("notes", ".txt", 100, 1070633220)}),
                       MemoryNode::Archive("old", ".zip", 500, 1, {MemoryNode::File("scan", ".jpg", 300000, 0)})};
    MemorySource music;
    music.children = {MemoryNode::File("beach boys", ".mp3", 5000000, 1070633220)};
    testing::RecordingPrompter prompter;
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("a.vkt"), "Photos", {true}), {photos}, prompter));
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("b.vkt"), "Music", {false}), {music}, prompter));
  }

  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("c"), "XDG_DATA_HOME=" + home_.File("d")});
  }

  testing::TempDir dir_;
  testing::TempDir home_;
};

TEST_F(CliSearchTest, OneOrAllVolumes) {
  auto all = Cli({"search", "--all", "beach*"});
  ASSERT_EQ(all.exitStatus, 0) << all.err;
  // Volumes in the order of the list: arranged by name, Music before Photos.
  EXPECT_EQ(Lines(all.out), (std::vector<std::string>{"Music\tbeach boys.mp3\t5000000\t05.12.2003 14:07",
                                                      "Photos\tSource0/2003/beach.jpg\t2000000\t05.12.2003 14:07"}));
  auto inArchives = Cli({"search", "--volume", "a.vkt", "--archives", "--size", ">=100K", "*.jpg"});
  ASSERT_EQ(inArchives.exitStatus, 0) << inArchives.err;
  EXPECT_EQ(Lines(inArchives.out), (std::vector<std::string>{"Photos\tSource0/2003/beach.jpg\t2000000\t05.12.2003 14:07",
                                                             "Photos\tSource0/old.zip/scan.jpg\t300000\t01.01.1970 00:00"}));
  auto scoped = Cli({"search", "--volume", "a.vkt", "--in", "Source0/2003", "--folders", "*"});
  EXPECT_EQ(Lines(scoped.out).size(), 2u);
}

TEST_F(CliSearchTest, JsonLinesOneResultPerLine) {
  using testing::MemberNames;
  using testing::ParseJsonLines;
  auto json = Cli({"search", "--all", "--json", "*.mp3"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  auto results = ParseJsonLines(json.out);
  ASSERT_EQ(results.size(), 1u) << json.out;
  EXPECT_EQ(MemberNames(results[0]), (std::vector<std::string>{"volume", "volumeFile", "kind", "path", "folder", "name",
                                                               "size", "time", "timeIso"}));
  EXPECT_EQ(results[0]["volume"], "Music");
  EXPECT_EQ(results[0]["volumeFile"], dir_.File("b.vkt"));
  EXPECT_EQ(results[0]["kind"], "file");
  EXPECT_EQ(results[0]["path"], "beach boys.mp3");
  EXPECT_EQ(results[0]["size"], 5000000);
  EXPECT_EQ(results[0]["time"], 1070633220);
  EXPECT_EQ(results[0]["timeIso"], "2003-12-05T14:07:00Z");

  // "path" is what every command takes; "folder" keeps the window's form. Folders have no time.
  auto member = ParseJsonLines(Cli({"search", "--volume", "a.vkt", "--archives", "--folders", "--json", "*"}).out);
  std::map<std::string, testing::OrderedJson> byPath;
  for (const auto& result : member) byPath[result["path"].get<std::string>()] = result;
  ASSERT_TRUE(byPath.contains("Source0/old.zip/scan.jpg"));
  EXPECT_EQ(byPath["Source0/old.zip/scan.jpg"]["folder"], "Source0\\old.zip/");
  EXPECT_EQ(byPath["Source0/old.zip/scan.jpg"]["name"], "scan.jpg");
  EXPECT_EQ(byPath["Source0/old.zip/scan.jpg"]["kind"], "file");
  ASSERT_TRUE(byPath.contains("Source0/2003"));
  EXPECT_EQ(byPath["Source0/2003"]["kind"], "folder");
  EXPECT_FALSE(byPath["Source0/2003"].contains("time"));
  EXPECT_EQ(byPath["Source0/old.zip"]["kind"], "archive");

  // No result: no output at all, not an empty array.
  auto none = Cli({"search", "--all", "--json", "*.none"});
  EXPECT_EQ(none.exitStatus, 0);
  EXPECT_EQ(none.out, "");
}

TEST_F(CliSearchTest, BadCommandLines) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"search", "*"}, "needs either --all or --volume FILE"},
      {{"search", "--all"}, "expects a MASK"},
      {{"search", "--all", "--size", "10M", "*"}, "--size takes a relation"},
      {{"search", "--all", "--bitrate", ">=100", "*"}, "--bitrate takes a relation"},
      {{"search", "--all", "--crc32", "xyz", "*"}, "--crc32 takes 8 hexadecimal digits"},
      {{"search", "--all", "--max", "5", "*"}, "--max takes a number from 10 to 100000"},
      {{"search", "--all", "--from", "yesterday", "*"}, "--from takes a date"},
  };
  for (const auto& [args, problem] : cases) {
    auto result = Cli(args);
    EXPECT_EQ(result.exitStatus, 2) << problem;
    EXPECT_NE(result.err.find(problem), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace volumist
