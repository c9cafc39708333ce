// Completion of volumist-cli's command lines: what `volumist-cli __complete` answers for a line, read
// from the command table, and the bash script that hands the shell's line over and adds files.
#include "cli/completion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist::cli {
namespace {

using volumist::testing::Lines;

// A command that no build has: completion must follow the table, whatever it holds.
const Command kFrobCommand = {
    "frob", "[options] FILE.vkt SOURCE...", "frobnicate sources into a volume",
    "Prose that names no option.\n"
    "  --alpha             the first option\n"
    "  --mode fast|slow    how to frobnicate\n"
    "  --out OUT           where the result goes\n"
    "  --level[=low,high]  a value only after \"=\"\n"
    "  -q                  keeps it silent\n"
    "The long form of -q (--quiet) works as well.\n",
    nullptr};

const Command* const kTable[] = {&kScanCommand, &kLsCommand, &kExportCommand, &kSearchCommand, &kFrobCommand};

class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [file, name] : {std::pair{"music.vkt", "Music 2003"}, std::pair{"photos.vkt", "Photos"}}) {
      ASSERT_TRUE(volumist::testing::WriteVolume(volumist::testing::MakeJob(volumes_.File(file), name, {true}),
                                                 {volumist::testing::MemorySource{}}, prompter_));
    }
  }

  // The lines printed for `words` (the last is the word being typed).
  std::vector<std::string> Complete(std::vector<std::string> words) {
    std::ostringstream out;
    EXPECT_EQ(cli::Complete(out, kTable, std::move(words), [&] {
                ++configuredAsked_;
                return volumes_.path();
              }),
              kExitOk);
    return Lines(out.str());
  }

  volumist::testing::TempDir volumes_;
  volumist::testing::RecordingPrompter prompter_;
  int configuredAsked_ = 0;
};

TEST_F(CompletionTest, CommandsComeFromTheTable) {
  std::vector<std::string> expected{"-"};
  for (const Command* command : kTable) expected.push_back(std::string(command->name) + '\t' + command->summary);
  expected.push_back("help\tdescribe a command");
  EXPECT_EQ(Complete({""}), expected);
  EXPECT_EQ(Complete({"fr"}), (std::vector<std::string>{"-", "frob\tfrobnicate sources into a volume"}));
  EXPECT_EQ(Complete({"--dir", "/somewhere", "s"}),
            (std::vector<std::string>{"-", std::string("scan\t") + kScanCommand.summary,
                                      std::string("search\t") + kSearchCommand.summary}));
  EXPECT_EQ(Complete({"help", "f"}), (std::vector<std::string>{"-", "frob\tfrobnicate sources into a volume"}));
  EXPECT_EQ(Complete({"help", "--"}), (std::vector<std::string>{"-", "--man\tprint the manual page"}));
  EXPECT_EQ(Complete({"nosuch", ""}), std::vector<std::string>{"-"});
  EXPECT_EQ(configuredAsked_, 0);
}

TEST_F(CompletionTest, OptionsAndTheirValues) {
  struct Case {
    std::vector<std::string> words;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{"--"}, {"-", "--dir\tthe volume directory", "--help\tprint the overview", "--version\tprint the version"}},
      {{"--dir", ""}, {"directories"}},
      {{"frob", "-"},
       {"-", "--alpha\tthe first option", "--mode\thow to frobnicate", "--out\twhere the result goes",
        "--level\ta value only after \"=\"", "-q\tkeeps it silent", "--quiet\tkeeps it silent", "--help\tdescribe the command"}},
      {{"frob", "--q"}, {"-", "--quiet\tkeeps it silent"}},
      {{"frob", "--mode", ""}, {"-", "fast\t", "slow\t"}},
      {{"frob", "--mode", "s"}, {"-", "slow\t"}},
      // bash splits "--mode=s" into "--mode", "=", "s".
      {{"frob", "--mode", "=", "s"}, {"-", "slow\t"}},
      {{"frob", "--mode", "="}, {"-"}},
      // zsh and fish keep it one word.
      {{"frob", "--mode=f"}, {"-", "--mode=fast\t"}},
      {{"frob", "--out", ""}, {"files"}},
      // A value after "=" only: the next word is an operand again.
      {{"frob", "--level", "x.vkt", ""}, {"directories"}},
      {{"frob", "--mode", "fast", "x.vkt", "/a", ""}, {"directories"}},
      {{"export", "--fo"}, {"-", "--format\tthe kind of list: xml, md5, sfv, ed2k, csv or json", "--folder\texport the contents of this folder or archive of the volume",
                            "--form\tvalues as attributes of the item's start tag,"}},
      {{"export", "--form", ""}, {"-", "attributes\t", "elements\t"}},
      {{"export", "--no-vo"}, {"-", "--no-volume-info\tthe volume's details in the VOLUME element",
                               "--no-volume-element\tthe ROOT, VOLUME and CONTENT wrappers"}},
      {{"export", "x.vkt", ""}, {"files"}},
      {{"scan", "--name", "N", ""}, {"directories"}},
      {{"ls", "x.vkt", ""}, {"-"}},
      {{"search", "--to", "--t"}, {"-"}},
      {{"search", "--from", "2020-01-01", "--t"}, {"-", "--to\tchanged in that time, YYYY-MM-DD or \"YYYY-MM-DD HH:MM\" (both ends included)", "--title\tMP3 tags contain TEXT"}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += "[" + word + "]";
    EXPECT_EQ(Complete(c.words), c.lines) << line;
  }
  EXPECT_EQ(configuredAsked_, 0);
}

TEST_F(CompletionTest, VolumeFilesByTheirNamesInTheVolumeDirectory) {
  const std::vector<std::string> volumes{"volume-files", "music.vkt\tMusic 2003", "photos.vkt\tPhotos"};
  EXPECT_EQ(Complete({"ls", ""}), volumes);
  EXPECT_EQ(configuredAsked_, 1);
  EXPECT_EQ(Complete({"frob", "--alpha", "m"}), (std::vector<std::string>{"volume-files", "music.vkt\tMusic 2003"}));
  EXPECT_EQ(Complete({"search", "--volume", "p"}), (std::vector<std::string>{"volume-files", "photos.vkt\tPhotos"}));
  EXPECT_EQ(Complete({"scan", "--add", ""}), volumes);
  // --dir on the line wins over the configured directory.
  volumist::testing::TempDir empty;
  EXPECT_EQ(Complete({"--dir", empty.path(), "ls", ""}), std::vector<std::string>{"volume-files"});
  EXPECT_EQ(Complete({"--dir=" + volumes_.path(), "ls", ""}), volumes);
  int asked = configuredAsked_;
  // A path being typed names a file itself: the shell completes it.
  EXPECT_EQ(Complete({"ls", "./m"}), std::vector<std::string>{"volume-files"});
  EXPECT_EQ(configuredAsked_, asked);
}

// The bash script run by bash on the built program: what Tab offers for a line.
class BashCompletionTest : public ::testing::Test {
 protected:
  // `words` are the line's words from the program's name on; the last is the word being typed.
  std::vector<std::string> Tab(const std::vector<std::string>& words, const std::string& directory) {
    std::string script =
        "source \"$1\" || exit 3\n"
        "shift\n"
        "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1))\n"
        "_volumist_cli\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\" | sort\n";
    std::vector<std::string> args{"--norc", "--noprofile", "-c", script, "bash",
                                  std::string(VOLUMIST_SOURCE_DIR) + "/data/completions/volumist-cli"};
    args.insert(args.end(), words.begin(), words.end());
    volumist::testing::CommandOptions options;
    options.workingDirectory = directory;
    options.environment = {"XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")};
    volumist::testing::CommandResult result = volumist::testing::RunCommand("/bin/bash", args, options);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return Lines(result.out);
  }

  volumist::testing::TempDir home_;
  volumist::testing::RecordingPrompter prompter_;
};

TEST_F(BashCompletionTest, CompletesCommandsOptionsVolumesAndFiles) {
  volumist::testing::TempDir work;
  std::filesystem::create_directory(work.File("sub"));
  std::ofstream(work.File("old.vkt")) << "x";
  std::ofstream(work.File("notes.txt")) << "x";
  volumist::testing::TempDir volumes;
  ASSERT_TRUE(volumist::testing::WriteVolume(volumist::testing::MakeJob(volumes.File("music.vkt"), "Music", {true}),
                                             {volumist::testing::MemorySource{}}, prompter_));
  struct Case {
    std::vector<std::string> words;
    std::vector<std::string> offered;
  };
  const Case cases[] = {
      {{"sc"}, {"scan"}},
      {{"he"}, {"help"}},
      {{"export", "--fo"}, {"--folder", "--form", "--format"}},
      {{"export", "--form", "=", "e"}, {"elements"}},
      {{"export", "--form", "="}, {}},
      // The volume directory's names, the folders here and the volume files here; not other files.
      {{"--dir", volumes.path(), "ls", ""}, {"music.vkt", "old.vkt", "sub"}},
      {{"--dir", volumes.path(), "info", "m"}, {"music.vkt"}},
      {{"export", "x.vkt", "n"}, {"notes.txt"}},
      {{"scan", "--name", "N", "s"}, {"sub"}},
      {{"ls", "x.vkt", ""}, {}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += "[" + word + "]";
    std::vector<std::string> words{VOLUMIST_CLI_PATH};
    words.insert(words.end(), c.words.begin(), c.words.end());
    std::vector<std::string> offered = Tab(words, work.path());
    std::erase(offered, std::string());
    EXPECT_EQ(offered, c.offered) << line;
  }
}

TEST_F(BashCompletionTest, TheScriptRegistersTheFunction) {
  volumist::testing::CommandResult result = volumist::testing::RunCommand(
      "/bin/bash", {"--norc", "--noprofile", "-c", "source \"$1\" && complete -p volumist-cli", "bash",
                    std::string(VOLUMIST_SOURCE_DIR) + "/data/completions/volumist-cli"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, "complete -F _volumist_cli volumist-cli\n");
}

// The fish script, on the same program: fish asks with one word for an option and its value.
TEST_F(BashCompletionTest, FishCompletesThroughTheSameProgram) {
  if (volumist::testing::RunCommand("/bin/sh", {"-c", "command -v fish"}).exitStatus != 0) {
    GTEST_SKIP() << "fish is not installed";
  }
  struct Case {
    std::string line;
    std::vector<std::string> offered;
  };
  const std::string program = VOLUMIST_CLI_PATH;
  const Case cases[] = {
      {program + " sc", {std::string("scan\t") + kScanCommand.summary}},
      {program + " export --form=", {"--form=attributes", "--form=elements"}},
      {program + " export --form e", {"elements"}},
  };
  for (const Case& c : cases) {
    volumist::testing::CommandOptions options;
    options.environment = {"XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")};
    volumist::testing::CommandResult result = volumist::testing::RunCommand(
        "/bin/sh",
        {"-c",
         "exec fish --no-config -c 'source $argv[1]; complete -c $argv[2] -f -a \"(__volumist_cli_complete)\"; "
         "complete -C $argv[3]' \"$1\" \"$2\" \"$3\"",
         "sh", std::string(VOLUMIST_SOURCE_DIR) + "/data/completions/volumist-cli.fish", program, c.line},
        options);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Lines(result.out), c.offered) << c.line;
  }
}

}  // namespace
}  // namespace volumist::cli
