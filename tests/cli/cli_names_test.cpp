// volumist-cli on names that are easy to get wrong: names ending in dots, scanned from disk and from
// an archive that zip made, read back by every command that shows names.
#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/external_tool.h"
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

class CliNamesTest : public ::testing::Test {
 protected:
  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", volumes_.path()});
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")});
  }

  TempDir source_;
  TempDir volumes_;
  TempDir home_;
};

TEST_F(CliNamesTest, NamesEndingInDotsReadBackEverywhere) {
  std::string zip = testing::FindProgram("zip");
  if (zip.empty()) GTEST_SKIP() << "zip is not installed (scripts/install-deps.sh installs it)";
  testing::TreeBuilder tree(source_.path());
  tree.Text("keep/trail.", "abc", 1262304000).Text("keep/dots...", "abcd", 1262304000).Text("keep/plain", "x", 1262304000);
  TempDir packing;
  testing::TreeBuilder(packing.path()).Text("member.", "12345");
  auto zipped = testing::RunCommand("/bin/sh", {"-c", "cd \"$1\" && \"$0\" -q -X \"$2\" member.", zip, packing.path(),
                                                tree.Path("keep/pack.zip")});
  ASSERT_EQ(zipped.exitStatus, 0) << zipped.err;

  auto scan = Cli({"scan", "--file", "v.vkt", "--signatures=md4", "--archives=zip", "Src=" + source_.path()});
  ASSERT_EQ(scan.exitStatus, 0) << scan.err;

  auto ls = Cli({"ls", "v.vkt", "-R"});
  ASSERT_EQ(ls.exitStatus, 0) << ls.err;
  std::vector<std::string> listed = Lines(ls.out);
  for (const char* name : {"trail.", "dots...", "plain", "pack.zip", "pack.zip/member."}) {
    bool found = std::any_of(listed.begin(), listed.end(), [&](const std::string& line) {
      return line.size() > std::string(name).size() && line.ends_with(std::string("\tSrc/keep/") + name);
    });
    EXPECT_TRUE(found) << name << " in\n" << ls.out;
  }

  auto search = Cli({"search", "--volume", "v.vkt", "--archives", "*"});
  ASSERT_EQ(search.exitStatus, 0) << search.err;
  std::vector<std::string> paths;
  for (const std::string& line : Lines(search.out)) {
    std::vector<std::string> fields = Fields(line);  // VOLUME PATH SIZE TIME
    ASSERT_EQ(fields.size(), 4u) << line;
    paths.push_back(fields[1]);
  }
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"Src/keep/dots...", "Src/keep/pack.zip", "Src/keep/pack.zip/member.",
                                             "Src/keep/plain", "Src/keep/trail."}))
      << search.out;
  auto exact = Cli({"search", "--volume", "v.vkt", "dots..."});
  EXPECT_EQ(Lines(exact.out).size(), 1u) << exact.out;

  auto exported = Cli({"export", "--form", "attributes", "--archive-content", "v.vkt", "-"});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  for (const char* name : {"NAME=\"trail.\"", "NAME=\"dots...\"", "NAME=\"member.\"", "NAME=\"plain\""}) {
    EXPECT_NE(exported.out.find(name), std::string::npos) << name << " in\n" << exported.out;
  }

  // The name in an ed2k link is the name on the medium.
  auto link = Cli({"ed2k", volumes_.File("v.vkt"), "Src/keep/dots..."});
  ASSERT_EQ(link.exitStatus, 0) << link.err;
  EXPECT_EQ(link.out.rfind("ed2k://|file|dots...|4|", 0), 0u) << link.out;
}

// A catalogued name must not reach the terminal as control bytes: an escape sequence would drive
// it, and a tab or a line end would break the line of fields. Paths escape them, and read back.
TEST_F(CliNamesTest, ControlCharactersInNamesNeverReachTheTerminal) {
  testing::TreeBuilder(source_.path())
      .Text("in\x1b]0;title\x07side/esc\x1b[31mred", "1")
      .Text("in\x1b]0;title\x07side/tab\there", "2")
      .Text("in\x1b]0;title\x07side/new\nline", "3");
  ASSERT_EQ(Cli({"scan", "--file", "v.vkt", "Src=" + source_.path()}).exitStatus, 0);
  const std::string folder = "Src/in\\x1b]0;title\\x07side";
  const std::vector<std::string> expected = {"Src", folder, folder + "/esc\\x1b[31mred", folder + "/new\\x0aline",
                                             folder + "/tab\\x09here"};
  struct Listing {
    std::vector<std::string> args;
    size_t fields;
    size_t pathField;
  };
  for (const Listing& listing : {Listing{{"ls", "v.vkt", "-R"}, 5, 4},
                                 Listing{{"search", "--volume", "v.vkt", "--folders", "*"}, 4, 1}}) {
    SCOPED_TRACE(listing.args[0]);
    auto result = Cli(listing.args);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> paths;
    for (const std::string& line : Lines(result.out)) {
      std::vector<std::string> fields = Fields(line);
      ASSERT_EQ(fields.size(), listing.fields) << line;
      paths.push_back(fields[listing.pathField]);
      for (char c : line) EXPECT_TRUE(c == '\t' || static_cast<unsigned char>(c) >= 0x20) << line;
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, expected);
  }
  auto one = Cli({"ls", "v.vkt", folder + "/new\\x0aline"});
  ASSERT_EQ(one.exitStatus, 0) << one.err;
  EXPECT_EQ(Lines(one.out).size(), 1u) << one.out;
}

}  // namespace
}  // namespace volumist
