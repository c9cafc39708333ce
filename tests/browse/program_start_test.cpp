// The window program's command line and the folders it looks for its data files in.
#include "browse/program_start.h"

#include <gtest/gtest.h>

namespace volumist::browse {
namespace {

using Action = WindowArguments::Action;

struct ArgumentCase {
  std::vector<std::string> args;
  Action action;
  std::optional<std::string> volumeFile;
  std::string problem;
};

TEST(ProgramStartTest, ReadsTheOneVolumeFileAndTheOptions) {
  const ArgumentCase cases[] = {
      {{}, Action::kRun, std::nullopt, ""},
      {{"music.vkt"}, Action::kRun, "music.vkt", ""},
      {{"/media/Old Disks/a b.vkt"}, Action::kRun, "/media/Old Disks/a b.vkt", ""},
      // A lone "-" is a name, as file managers may pass it.
      {{"-"}, Action::kRun, "-", ""},
      // After "--" a name may start with a dash.
      {{"--", "-odd.vkt"}, Action::kRun, "-odd.vkt", ""},
      {{"--", "--help"}, Action::kRun, "--help", ""},
      {{"--help"}, Action::kHelp, std::nullopt, ""},
      {{"-h"}, Action::kHelp, std::nullopt, ""},
      {{"--version"}, Action::kVersion, std::nullopt, ""},
      // --help wins over everything else on the line, wherever it stands.
      {{"a.vkt", "b.vkt", "--help"}, Action::kHelp, std::nullopt, ""},
      {{"--bogus", "--version"}, Action::kVersion, std::nullopt, ""},
      {{"--bogus"}, Action::kUsageError, std::nullopt, "unknown option --bogus"},
      {{"-x", "-y"}, Action::kUsageError, std::nullopt, "unknown option -x"},
      {{"a.vkt", "b.vkt"}, Action::kUsageError, std::nullopt, "only one volume file can be opened"},
      {{"--", "a.vkt", "-b.vkt"}, Action::kUsageError, std::nullopt, "only one volume file can be opened"},
      {{""}, Action::kUsageError, std::nullopt, "the volume file's name is empty"},
  };
  for (const ArgumentCase& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += "[" + arg + "]";
    WindowArguments parsed = ParseWindowArguments(c.args);
    EXPECT_EQ(parsed.action, c.action) << line;
    EXPECT_EQ(parsed.volumeFile, c.volumeFile) << line;
    EXPECT_EQ(parsed.problem, c.problem) << line;
  }
}

TEST(ProgramStartTest, HelpTextNamesEveryOptionItAccepts) {
  std::string help = WindowHelpText();
  EXPECT_TRUE(help.starts_with("Usage: volumist ")) << help;
  // Every option that the parser takes is described, and the text names the manual's sections.
  for (const char* word : {"--help", "-h,", "--version", "--", "FILE.vkt", "Options:", "Files:", "help.htm"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
  for (const char* option : {"--help", "-h", "--version"}) {
    std::vector<std::string> args{option};
    EXPECT_NE(ParseWindowArguments(args).action, Action::kUsageError) << option;
  }
  EXPECT_EQ(WindowVersionText("1.2.3"), "volumist (Zarn Volumist) 1.2.3\n");
}

TEST(ProgramStartTest, DataFoldersAreTheProgramsFolderThenTheInstalledOne) {
  struct Case {
    std::string programFolder;
    std::string dataFromProgram;
    std::vector<std::string> folders;
  };
  const Case cases[] = {
      // The build folder, and an installed copy under /usr and under /usr/local.
      {"/work/build", "../share/zarn-volumist", {"/work/build", "/work/share/zarn-volumist"}},
      {"/usr/bin", "../share/zarn-volumist", {"/usr/bin", "/usr/share/zarn-volumist"}},
      {"/usr/local/bin/", "../share/zarn-volumist", {"/usr/local/bin", "/usr/local/share/zarn-volumist"}},
      // An install whose data lies elsewhere names it absolutely.
      {"/opt/zv/bin", "/srv/data/zv", {"/opt/zv/bin", "/srv/data/zv"}},
      {"/opt/zv/bin", "", {"/opt/zv/bin"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DataFolders(c.programFolder, c.dataFromProgram), c.folders) << c.programFolder << " " << c.dataFromProgram;
  }
}

}  // namespace
}  // namespace volumist::browse
