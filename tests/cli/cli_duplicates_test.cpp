// volumist-cli duplicates and unique end to end, over three volumes with known copies
// (testing/duplicate_volumes.h); the JSON Lines are read back with a JSON parser.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "search/duplicates.h"
#include "testing/duplicate_volumes.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using testing::Lines;
using json = nlohmann::ordered_json;

// The MD5 the fixture gives the content `label`, in hexadecimal.
std::string DigestText(const std::string& label) { return DigestHex(testing::ContentOf(label).md5); }

class CliDuplicatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RecordingPrompter prompter;
    ASSERT_EQ(testing::WriteDuplicateVolumes(dir_.path(), prompter).size(), 3u);
  }

  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("c"), "XDG_DATA_HOME=" + home_.File("d")});
  }

  // Every line of `out` parsed on its own.
  static std::vector<json> JsonLines(const std::string& out) {
    std::vector<json> objects;
    for (const std::string& line : Lines(out)) objects.push_back(json::parse(line));
    return objects;
  }

  testing::TempDir dir_;
  testing::TempDir home_;
};

TEST_F(CliDuplicatesTest, TextGroupsOverAllVolumes) {
  auto result = Cli({"duplicates", "--all", "--min-size", "3000"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 10u) << result.out;
  EXPECT_EQ(lines[0], "Same content (md5 " + DigestText("report") + "), 5000 bytes, 2 files:");
  EXPECT_EQ(lines[1], "  Alpha\tSource0/Docs/report.pdf\t5000\t01.01.2010 00:00");
  EXPECT_EQ(lines[2], "  Beta\tbackup/rep-copy.pdf\t5000\t01.01.2010 00:00");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Same content (md5 " + DigestText("photo") + "), 3000 bytes, 3 files:");
  EXPECT_EQ(lines[5], "  Alpha\tSource0/Photos/img1.jpg\t3000\t01.01.2010 00:00");
  EXPECT_EQ(lines[6], "  Beta\tphoto.jpg\t3000\t01.01.2010 00:00");
  EXPECT_EQ(lines[7], "  Gamma\timg-copy.jpg\t3000\t01.01.2010 00:00");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9], "2 groups, 5 files, 11000 bytes in extra copies");
}

TEST_F(CliDuplicatesTest, JsonLinesOneGroupPerLine) {
  auto result = Cli({"duplicates", "alpha.vkt", "beta.vkt", "gamma.vkt", "--json"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::vector<json> groups = JsonLines(result.out);
  // The sizes, rules and member paths of every group, in order.
  struct Expected {
    const char* rule;
    uint64_t size;
    std::vector<std::string> paths;
  };
  const Expected expected[] = {
      {"content", 5000, {"Source0/Docs/report.pdf", "backup/rep-copy.pdf"}},
      {"content", 3000, {"Source0/Photos/img1.jpg", "photo.jpg", "img-copy.jpg"}},
      {"content", 600, {"twice1.dat", "sub/twice2.dat"}},
      {"content", 450, {"Source0/caf\\xe9.txt", "sub/latin.txt"}},
      {"name-size", 100, {"Source0/notes.txt", "notes.txt"}},
      {"content", 40, {"Source0/pack.zip/inner.txt", "inner-copy.txt"}},
  };
  ASSERT_EQ(groups.size(), std::size(expected)) << result.out;
  for (size_t i = 0; i < groups.size(); ++i) {
    SCOPED_TRACE(i);
    const json& group = groups[i];
    EXPECT_EQ(group["rule"], expected[i].rule);
    EXPECT_EQ(group["size"], expected[i].size);
    EXPECT_EQ(group["count"], expected[i].paths.size());
    EXPECT_EQ(group.contains("digest"), std::string(expected[i].rule) == "content");
    std::vector<std::string> paths;
    for (const json& member : group["members"]) {
      paths.push_back(member["path"]);
      EXPECT_EQ(member["size"], expected[i].size);
    }
    EXPECT_EQ(paths, expected[i].paths);
  }
  EXPECT_EQ(groups[0]["digestKind"], "md5");
  EXPECT_EQ(groups[0]["digest"], DigestText("report"));
  // The members' order of members, with the flags of a name that is not UTF-8.
  const json& latin = groups[3]["members"][0];
  std::vector<std::string> keys;
  for (auto& [key, value] : latin.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"volume", "volumeFile", "path", "name", "nameEscaped", "size", "time",
                                            "timeIso", "archive", "archiveMember"}));
  EXPECT_EQ(latin["volume"], "Alpha");
  EXPECT_EQ(latin["name"], "caf\\xe9.txt");
  EXPECT_EQ(latin["nameEscaped"], true);
  EXPECT_EQ(latin["time"], 1262304000);
  EXPECT_EQ(groups[5]["members"][0]["archiveMember"], true);
  EXPECT_EQ(groups[5]["members"][1]["archiveMember"], false);
}

TEST_F(CliDuplicatesTest, OptionsChooseTheRuleAndScope) {
  struct Case {
    std::vector<std::string> args;
    std::vector<uint64_t> sizes;  // of the groups, in order
  };
  const Case cases[] = {
      {{"--by", "content"}, {5000, 3000, 600, 450, 40}},
      {{"--by=name-size"}, {300, 200, 100}},
      {{"--min-size", "0"}, {5000, 3000, 600, 450, 100, 40, 0}},
      {{"--min-size", "1K"}, {5000, 3000}},
      {{"--within"}, {600}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"duplicates", "--all", "--json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(args[3]);
    auto result = Cli(args);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<uint64_t> sizes;
    for (const json& group : JsonLines(result.out)) sizes.push_back(group["size"]);
    EXPECT_EQ(sizes, c.sizes);
  }
}

TEST_F(CliDuplicatesTest, WrongUsageAndUnreadableVolumes) {
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"duplicates"}, 2},
      {{"duplicates", "--all", "alpha.vkt"}, 2},
      {{"duplicates", "--all", "--by", "size"}, 2},
      {{"duplicates", "--all", "--min-size", "ten"}, 2},
      {{"unique"}, 2},
      {{"unique", "alpha.vkt", "--all", "beta.vkt"}, 2},
      {{"duplicates", "alpha.vkt", "missing.vkt"}, 1},
      {{"unique", "alpha.vkt", "missing.vkt"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    auto result = Cli(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << result.out << result.err;
    EXPECT_FALSE(result.err.empty());
  }
  // The groups of the volumes that read are printed all the same.
  auto partial = Cli({"duplicates", "gamma.vkt", "missing.vkt"});
  EXPECT_NE(partial.out.find("twice1.dat"), std::string::npos);
  EXPECT_NE(partial.err.find("missing.vkt"), std::string::npos);
}

TEST_F(CliDuplicatesTest, UniqueListsTheFilesWithoutCopy) {
  auto text = Cli({"unique", "alpha.vkt"});
  ASSERT_EQ(text.exitStatus, 0) << text.err;
  EXPECT_EQ(Lines(text.out), (std::vector<std::string>{"Alpha\tSource0/pack.zip\t800\t01.01.2010 00:00\tarchive",
                                                       "Alpha\tSource0/alone.bin\t700\t01.01.2010 00:00",
                                                       "Alpha\tSource0/readme.txt\t200\t01.01.2010 00:00",
                                                       "3 files, 1700 bytes without a copy on 2 other volumes"}));
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> paths;
  };
  const Case cases[] = {
      {{"unique", "beta.vkt", "--json"}, {"readme.txt", "b-only.dat"}},
      // Against Gamma alone, Beta's copies on Alpha do not count; photo.jpg's does.
      {{"unique", "beta.vkt", "gamma.vkt", "--json"},
       {"backup/rep-copy.pdf", "readme.txt", "notes.txt", "inner-copy.txt", "b-only.dat", "old.doc"}},
      {{"unique", "gamma.vkt", "--all", "--json", "--min-size", "0"}, {"twice1.dat", "sub/twice2.dat", "notes.txt", "c-empty"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    auto result = Cli(c.args);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> paths;
    for (const json& file : JsonLines(result.out)) {
      paths.push_back(file["path"]);
      EXPECT_EQ(file["volumeFile"].get<std::string>().rfind(dir_.path(), 0), 0u);
    }
    EXPECT_EQ(paths, c.paths);
  }
}

}  // namespace
}  // namespace volumist
