// volumist-cli drives, run on this machine: only what holds on any machine is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "cli/json_lines.h"
#include "testing/run_command.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::RunCommand;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

std::vector<std::string> Roots(const std::string& out) {
  std::vector<std::string> roots;
  for (const std::string& line : Lines(out)) roots.push_back(Fields(line).at(0));
  return roots;
}

TEST(CliDrivesTest, ListsDrivesWithTheirFields) {
  testing::CommandResult listed = RunCommand(VOLUMIST_CLI_PATH, {"drives"});
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  const std::set<std::string> kinds = {"Local Disk", "Removable", "CD Drive", "Network", "RAM Disk"};
  for (const std::string& line : Lines(listed.out)) {
    SCOPED_TRACE(line);
    std::vector<std::string> fields = Fields(line);
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[0].front(), '/');
    EXPECT_TRUE(kinds.contains(fields[1]));
    EXPECT_NE(fields[4].find('-'), std::string::npos);  // the serial as "HIGH-LOW"
  }
  std::vector<std::string> roots = Roots(listed.out);
  EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));

  testing::CommandResult all = RunCommand(VOLUMIST_CLI_PATH, {"drives", "--all"});
  ASSERT_EQ(all.exitStatus, 0) << all.err;
  std::vector<std::string> allRoots = Roots(all.out);
  EXPECT_TRUE(std::includes(allRoots.begin(), allRoots.end(), roots.begin(), roots.end()));
}

// The JSON lines describe the same drives as the text, field by field.
TEST(CliDrivesTest, JsonLinesMatchTheText) {
  for (bool all : {false, true}) {
    SCOPED_TRACE(all ? "--all" : "listed kinds");
    std::vector<std::string> args = {"drives", "--json"};
    if (all) args.push_back("--all");
    testing::CommandResult json = RunCommand(VOLUMIST_CLI_PATH, args);
    args.erase(args.begin() + 1);
    testing::CommandResult text = RunCommand(VOLUMIST_CLI_PATH, args);
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    std::vector<testing::OrderedJson> drives = testing::ParseJsonLines(json.out);
    std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(drives.size(), lines.size()) << json.out;
    for (size_t i = 0; i < drives.size(); ++i) {
      SCOPED_TRACE(lines[i]);
      const testing::OrderedJson& drive = drives[i];
      std::vector<std::string> fields = Fields(lines[i]);
      EXPECT_EQ(testing::MemberNames(drive),
                (std::vector<std::string>{"root", "kind", "kindCode", "label", "fileSystem", "serial", "serialNumber",
                                          "uuid", "device", "capacity", "free"}));
      EXPECT_EQ(testing::TextMember(drive, "root"), fields.at(0));
      EXPECT_EQ(drive["kind"], fields.at(1));
      EXPECT_EQ(drive["label"].get<std::string>().empty() ? "-" : testing::TextMember(drive, "label"), fields.at(2));
      EXPECT_EQ(drive["serial"], fields.at(4));
      EXPECT_TRUE(drive["serialNumber"].is_number_unsigned());
      // Space may change between the two runs; its presence may not.
      EXPECT_EQ(drive["capacity"].is_null(), fields.at(5) == "-");
      EXPECT_EQ(drive["free"].is_null(), fields.at(6) == "-");
    }
  }
}

TEST(CliDrivesTest, RejectsUnknownArguments) {
  testing::CommandResult result = RunCommand(VOLUMIST_CLI_PATH, {"drives", "/"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_NE(result.err.find("usage: volumist-cli drives [--all]"), std::string::npos);
}

}  // namespace
}  // namespace volumist
