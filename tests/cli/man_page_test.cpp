// The manual pages: made from the programs' own help texts, they render without a warning and name
// every command and option that --help names.
#include "cli/man_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "browse/program_start.h"
#include "cli/help_text.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"

namespace volumist::cli {
namespace {

using volumist::testing::Lines;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool HasLine(const std::string& text, const std::string& line) {
  std::vector<std::string> lines = Lines(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ManPageTest, HelpTextBecomesSectionsAndEscapedRoff) {
  std::ostringstream out;
  WriteManPageOfHelp(out, "tool",
                     "Usage: tool [-x] FILE\n"
                     "Does things to files.\n"
                     "\n"
                     "A path such as C:\\dir keeps its backslash, and -x its minus.\n"
                     ".hidden starts a line.\n"
                     "\n"
                     "Options:\n"
                     "  -x, --extra NAME   be extra\n"
                     "                     for a while\n"
                     "Files:\n"
                     "  ~/.toolrc   the settings\n",
                     "9.9", "other");
  std::string page = out.str();
  struct Expectation {
    const char* line;
    const char* why;
  };
  const Expectation expected[] = {
      {".TH TOOL 1 \"\" \"Zarn Volumist 9.9\" \"User Commands\"", "the title line"},
      {"tool \\- does things to files", "NAME: the summary in lower case without its full stop"},
      {"\\fBtool\\fR [\\-x] FILE", "SYNOPSIS: the usage"},
      {".SH \"OPTIONS\"", "a line ending in a colon heads a section"},
      {".SH \"FILES\"", "a second section"},
      {"A path such as C:\\edir keeps its backslash, and \\-x its minus.", "backslashes and minus signs"},
      {"\\&.hidden starts a line.", "a leading dot is no request"},
      {"\\fB\\-x\\fR, \\fB\\-\\-extra\\fR \\fINAME\\fR", "an option's term"},
      {"for a while", "its description's second line"},
      {"~/.toolrc   the settings", "a literal line keeps its columns"},
      {".BR other (1)", "SEE ALSO"},
  };
  for (const Expectation& e : expected) EXPECT_TRUE(HasLine(page, e.line)) << e.why << "\n" << page;
  EXPECT_LT(page.find(".SH DESCRIPTION"), page.find(".SH \"OPTIONS\""));
}

// The pages as the build made them (build/data/man), rendered by man.
class BuiltManPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (volumist::testing::RunCommand("/bin/sh", {"-c", "command -v man"}).exitStatus != 0) {
      GTEST_SKIP() << "man (man-db) is not installed";
    }
  }

  // The page rendered as plain text; `warnings` gets what man and groff said on stderr.
  std::string Render(const std::string& page, std::string& warnings) {
    volumist::testing::CommandOptions options;
    options.environment = {"MANWIDTH=100", "LC_ALL=C.UTF-8", "MAN_KEEP_FORMATTING="};
    volumist::testing::CommandResult result =
        volumist::testing::RunCommand("/bin/sh", {"-c", "man --warnings=w -l \"$1\" | col -b", "sh", page}, options);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    warnings = result.err;
    return result.out;
  }

  std::string ManFolder() const { return std::string(VOLUMIST_BINARY_DIR) + "/data/man/"; }
};

TEST_F(BuiltManPageTest, CommandLinePageIsTheHelpOfEveryCommand) {
  // The installed page is what the program says now.
  volumist::testing::CommandResult man = volumist::testing::RunCommand(VOLUMIST_CLI_PATH, {"help", "--man"});
  ASSERT_EQ(man.exitStatus, 0) << man.err;
  EXPECT_EQ(ReadFile(ManFolder() + "volumist-cli.1"), man.out);

  std::string warnings;
  std::string text = Render(ManFolder() + "volumist-cli.1", warnings);
  EXPECT_EQ(warnings, "");
  // Every command that --help lists, with every option its help names.
  volumist::testing::CommandResult overview = volumist::testing::RunCommand(VOLUMIST_CLI_PATH, {"--help"});
  ASSERT_EQ(overview.exitStatus, 0);
  std::vector<std::string> lines = Lines(overview.out);
  auto commands = std::find(lines.begin(), lines.end(), "Commands:");
  ASSERT_NE(commands, lines.end());
  int listed = 0;
  for (auto line = commands + 1; line != lines.end() && !line->empty(); ++line) {
    std::string name = line->substr(2, line->find(' ', 2) - 2);
    volumist::testing::CommandResult help = volumist::testing::RunCommand(VOLUMIST_CLI_PATH, {"help", name});
    ASSERT_EQ(help.exitStatus, 0) << name;
    std::string usage = Lines(help.out).front().substr(std::string("usage: volumist-cli ").size());
    EXPECT_NE(text.find(usage), std::string::npos) << name << ": " << usage;
    std::string arguments = usage.substr(std::min(usage.size(), name.size() + 1));
    Command command{"", arguments.c_str(), "", help.out.c_str(), nullptr};
    for (const OptionSpec& option : CommandOptions(command)) {
      if (option.name == "--help") continue;
      EXPECT_NE(text.find(option.name), std::string::npos) << name << " " << option.name;
    }
    ++listed;
  }
  EXPECT_GT(listed, 0);
}

TEST_F(BuiltManPageTest, WindowProgramPageIsItsHelp) {
  std::ostringstream expected;
  WriteManPageOfHelp(expected, "volumist", browse::WindowHelpText(), VOLUMIST_VERSION_OF_BUILD, "volumist-cli");
  EXPECT_EQ(ReadFile(ManFolder() + "volumist.1"), expected.str());
  std::string warnings;
  std::string text = Render(ManFolder() + "volumist.1", warnings);
  EXPECT_EQ(warnings, "");
  for (const char* word : {"NAME", "SYNOPSIS", "OPTIONS", "FILES", "--version", "--help", "FILE.vkt", "volumist-cli(1)"}) {
    EXPECT_NE(text.find(word), std::string::npos) << word << "\n" << text;
  }
}

}  // namespace
}  // namespace volumist::cli
