// volumist-cli drives, run on this machine: only what holds on any machine is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

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

TEST(CliDrivesTest, RejectsUnknownArguments) {
  testing::CommandResult result = RunCommand(VOLUMIST_CLI_PATH, {"drives", "/"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_NE(result.err.find("usage: volumist-cli drives [--all]"), std::string::npos);
}

}  // namespace
}  // namespace volumist
