// volumist-cli speaks one path language: every path that ls and search print is taken back by ls,
// describe, ed2k, export --folder and search --in, and names the same item, whatever its names hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "analysis/external_tool.h"
#include "analysis/messages.h"
#include "cli/json_lines.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::TempDir;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t begin = 0;
  for (size_t tab; (tab = line.find('\t', begin)) != std::string::npos; begin = tab + 1) {
    fields.push_back(line.substr(begin, tab - begin));
  }
  fields.push_back(line.substr(begin));
  return fields;
}

class CliPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zip_ = testing::FindProgram("zip");
    jq_ = testing::FindProgram("jq");
    if (zip_.empty() || jq_.empty()) GTEST_SKIP() << "zip or jq is not installed (scripts/install-deps.sh installs them)";
    testing::TreeBuilder tree(source_.path());
    tree.Text("a\\b/inner.txt", "1")          // a folder whose name holds a backslash...
        .Text("a/b", "22")                    // ...and the folder a with the file b
        .Text("x y/new\nline.txt", "333")
        .Text("x y/trail.", "4444")
        .Text("x y/esc\x1b[1mbold", "5")
        .Text("x y/bad\xff" "byte", "6")
        .Text("x y/c1\xc2\x9b" "csi", "7")
        .Text("x y/\xc3\xbcml\xc3\xa4ut.txt", "8");
    TempDir packing;
    testing::TreeBuilder(packing.path()).Text("dir/member.txt", "12345").Text("top.txt", "123");
    auto zipped = testing::RunCommand("/bin/sh", {"-c", "cd \"$1\" && \"$0\" -q -r -X \"$2\" dir top.txt", zip_,
                                                  packing.path(), tree.Path("x y/pack.zip")});
    ASSERT_EQ(zipped.exitStatus, 0) << zipped.err;
    // A source named with a slash.
    auto scan = Cli({"scan", "--file", "v.vkt", "--signatures=md4", "--archives=zip", "My/Src=" + source_.path()});
    ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  }

  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", volumes_.path()});
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("c"), "XDG_DATA_HOME=" + home_.File("d")});
  }
  // `filter` applied by jq to `json`, raw: one line per output.
  std::vector<std::string> Jq(const std::string& filter, const std::string& json) {
    auto result = testing::RunCommand(jq_, {"-r", filter}, json);
    EXPECT_EQ(result.exitStatus, 0) << result.err << json;
    return Lines(result.out);
  }

  std::string zip_;
  std::string jq_;
  TempDir source_;
  TempDir volumes_;
  TempDir home_;
};

TEST_F(CliPathsTest, EveryPrintedPathIsTakenBackAndNamesTheSameItem) {
  // Every item by its path, as ls -R lists it.
  auto all = Cli({"ls", "v.vkt", "-R"});
  ASSERT_EQ(all.exitStatus, 0) << all.err;
  std::map<std::string, std::string> listed;  // path -> its ls line
  for (const std::string& line : Lines(all.out)) {
    std::vector<std::string> fields = Fields(line);
    ASSERT_EQ(fields.size(), 5u) << line;
    EXPECT_TRUE(listed.emplace(fields[4], line).second) << "two items print as " << fields[4];
  }
  // The names are escaped where they must be, and only there.
  for (const char* path : {"My\\/Src", "My\\/Src/a\\\\b", "My\\/Src/a\\\\b/inner.txt", "My\\/Src/a/b",
                           "My\\/Src/x y/new\\x0aline.txt", "My\\/Src/x y/trail.", "My\\/Src/x y/esc\\x1b[1mbold",
                           "My\\/Src/x y/bad\\xffbyte", "My\\/Src/x y/c1\\xc2\\x9bcsi",
                           "My\\/Src/x y/\xc3\xbcml\xc3\xa4ut.txt", "My\\/Src/x y/pack.zip",
                           "My\\/Src/x y/pack.zip/dir/member.txt", "My\\/Src/x y/pack.zip/top.txt"}) {
    EXPECT_TRUE(listed.count(path)) << path << " in\n" << all.out;
  }

  // search prints the same paths, in its text and in its JSON, which parses.
  auto text = Cli({"search", "--volume", "v.vkt", "--folders", "--archives", "*"});
  ASSERT_EQ(text.exitStatus, 0) << text.err;
  std::vector<std::string> found;
  for (const std::string& line : Lines(text.out)) {
    std::vector<std::string> fields = Fields(line);  // VOLUME PATH SIZE TIME
    ASSERT_EQ(fields.size(), 4u) << line;
    found.push_back(fields[1]);
  }
  auto json = Cli({"search", "--volume", "v.vkt", "--folders", "--archives", "--json", "*"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_EQ(Jq(".path", json.out), found);
  // Names that are not plain UTF-8 are flagged and give back their bytes; the others are as they are.
  std::map<std::string, std::pair<std::string, bool>> names;  // by path: name bytes, escaped
  for (const auto& result : testing::ParseJsonLines(json.out)) {
    names[result["path"].get<std::string>()] = {testing::TextMember(result, "name"), result.contains("nameEscaped")};
  }
  const std::pair<std::string, std::pair<std::string, bool>> expectedNames[] = {
      {"My\\/Src/x y/bad\\xffbyte", {"bad\xff" "byte", true}},
      {"My\\/Src/x y/esc\\x1b[1mbold", {"esc\x1b[1mbold", true}},
      {"My\\/Src/x y/c1\\xc2\\x9bcsi", {"c1\xc2\x9b" "csi", true}},
      {"My\\/Src/x y/new\\x0aline.txt", {"new\nline.txt", false}},  // a line end is plain JSON text
      {"My\\/Src/x y/\xC3\xBCml\xC3\xA4ut.txt", {"\xC3\xBCml\xC3\xA4ut.txt", false}},
      {"My\\/Src/a\\\\b", {"a\\b", false}},
  };
  for (const auto& [path, name] : expectedNames) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(names.contains(path));
    EXPECT_EQ(names[path], name);
  }
  std::set<std::string> fromSearch(found.begin(), found.end());
  std::set<std::string> fromLs;
  for (const auto& [path, line] : listed) fromLs.insert(path);
  EXPECT_EQ(fromSearch, fromLs);

  // Every path is taken back by ls, describe and ed2k, and names the item it was printed for.
  std::map<std::string, std::string> given;  // path -> the description it got
  for (const auto& [path, line] : listed) {
    SCOPED_TRACE(path);
    auto itself = Cli({"ls", "v.vkt", path, "-d"});
    EXPECT_EQ(itself.exitStatus, 0) << itself.err;
    EXPECT_EQ(itself.out, line + "\n");
    std::string description = "item " + std::to_string(given.size());
    auto describe = Cli({"describe", "v.vkt", path, description});
    EXPECT_EQ(describe.exitStatus, 0) << describe.err;
    given[path] = description;
    auto link = Cli({"ed2k", "v.vkt", path});
    EXPECT_EQ(link.err.find(messages::kSelectItemFirst), std::string::npos) << link.err;
    std::vector<std::string> fields = Fields(line);  // KIND SIZE TIME ATTRIBUTES PATH
    bool onDisk = path.find(".zip/") == std::string::npos;
    if (fields[0] == "file" && onDisk) {
      EXPECT_EQ(link.exitStatus, 0) << link.err;
      EXPECT_NE(link.out.find("|" + fields[1] + "|"), std::string::npos) << link.out;
    } else if (fields[0] != "archive") {
      EXPECT_NE(link.err.find(messages::kNoMd4ForLink), std::string::npos) << link.err;
    }
  }
  auto described = Cli({"search", "--volume", "v.vkt", "--folders", "--archives", "--descriptions", "--json", "*"});
  ASSERT_EQ(described.exitStatus, 0) << described.err;
  std::map<std::string, std::string> read;
  for (const std::string& pair : Jq(".path + \"\\t\" + .description", described.out)) {
    std::vector<std::string> fields = Fields(pair);
    ASSERT_EQ(fields.size(), 2u) << pair;
    read[fields[0]] = fields[1];
  }
  EXPECT_EQ(read, given);

  // The folder a\b is not a/b, and the file b is no folder.
  auto inside = Cli({"ls", "v.vkt", "My\\/Src/a\\\\b"});
  EXPECT_EQ(Lines(inside.out), std::vector<std::string>{listed["My\\/Src/a\\\\b/inner.txt"]});
  auto scoped = Cli({"search", "--volume", "v.vkt", "--in", "/My\\/Src/x y/pack.zip/", "*"});
  ASSERT_EQ(scoped.exitStatus, 0) << scoped.err;
  EXPECT_EQ(Lines(scoped.out).size(), 2u) << scoped.out;
  auto exported = Cli({"export", "--folder", "My\\/Src/x y/pack.zip", "v.vkt", "-"});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  EXPECT_NE(exported.out.find("member.txt"), std::string::npos);
  EXPECT_EQ(exported.out.find("inner.txt"), std::string::npos);
}

TEST_F(CliPathsTest, MalformedPathsAreWrongUsage) {
  const std::vector<std::string> bad = {"My\\/Src/a\\", "My\\/Src/\\q", "My\\/Src/\\x4", "My\\/Src/\\xzz"};
  for (const std::string& path : bad) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ls", "v.vkt", path}, {"describe", "v.vkt", path, "text"}, {"ed2k", "v.vkt", path},
          {"export", "--folder", path, "v.vkt", "-"}, {"search", "--volume", "v.vkt", "--in", path, "*"}}) {
      SCOPED_TRACE(args[0] + " " + path);
      auto result = Cli(args);
      EXPECT_EQ(result.exitStatus, 2);
      EXPECT_NE(result.err.find("bad path"), std::string::npos) << result.err;
      EXPECT_EQ(result.out, "");
    }
  }
  // A path that names nothing is no usage error.
  auto missing = Cli({"ls", "v.vkt", "My\\/Src/a/b/c"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("no item 'My\\/Src/a/b/c'"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace volumist
