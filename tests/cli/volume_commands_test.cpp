// volumist-cli volumes, rename and delete, --dir, and the configuration read from the XDG folders.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "catalog/messages.h"
#include "catalog/program_settings.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class VolumeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(Vols());
    Volume(Vols() + "/b.vkt", "Beta", 1, 1070633220);   // 05.12.2003 14:07 UTC
    Volume(Vols() + "/a.vkt", "alpha", 3, 1000000000);  // 09.09.2001 01:46
    Volume(Vols() + "/c.vkt", "Beta", 2, 1100000000);   // 09.11.2004 11:33
    WriteFileBytes(Vols() + "/bad.vkt", "NOT-A-VOLUME, only its extension is right");
    WriteFileBytes(Vols() + "/notes.txt", "not a volume either");
  }

  std::string Vols() const { return home_.File("vols"); }
  std::string DefaultVolumes() const { return home_.File("data/zarn-volumist/volumes"); }
  std::string ConfigFile() const { return home_.File("config/zarn-volumist/configuration.cfg"); }

  void Volume(const std::string& path, const std::string& name, int files, int64_t modified) {
    ScanJob job = testing::MakeJob(path, name, {true});
    testing::MemorySource source;
    for (int i = 0; i < files; ++i) source.children.push_back(testing::MemoryNode::File("f" + std::to_string(i), "", 1));
    ASSERT_TRUE(testing::WriteVolume(job, {source}, prompter_));
    std::filesystem::last_write_time(
        path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(modified))));
  }

  testing::CommandResult Cli(const std::vector<std::string>& args, const std::string& input = "") {
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, input,
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"),
                                "XDG_DATA_HOME=" + home_.File("data")});
  }

  // NAME, FILE, SIZE and MODIFIED of each line of `volumes`; CREATED must look like a time, and
  // PRESENCE is absent (the sources' paths do not exist).
  std::vector<std::string> Listed(const std::vector<std::string>& args) {
    auto result = Cli(args);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines;
    for (const std::string& line : Lines(result.out)) {
      std::vector<std::string> f = Fields(line);
      EXPECT_EQ(f.size(), 6u) << line;
      if (f.size() != 6) continue;
      EXPECT_EQ(f[5], "absent");
      EXPECT_TRUE(std::regex_match(f[3], std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d)"))) << f[3];
      EXPECT_EQ(f[2], std::to_string(ReadFileBytes(Vols() + "/" + f[1]).size()));
      lines.push_back(f[0] + " " + f[1] + " " + f[4]);
    }
    return lines;
  }

  // NAME and FILE only: renaming a volume writes its file, which changes its time.
  std::vector<std::string> NamesAndFiles(const std::vector<std::string>& args) {
    std::vector<std::string> lines = Listed(args);
    for (std::string& line : lines) line.resize(line.rfind(' ', line.rfind(' ') - 1));
    return lines;
  }

  testing::TempDir home_;
  testing::RecordingPrompter prompter_;
};

TEST_F(VolumeCommandsTest, VolumesListsTheDirectoryInTheChosenArrangement) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"--dir", Vols(), "volumes"},
       {"alpha a.vkt 09.09.2001 01:46", "Beta b.vkt 05.12.2003 14:07", "Beta c.vkt 09.11.2004 11:33"}},
      {{"--dir=" + Vols(), "volumes", "--arrange", "1"},
       {"Beta b.vkt 05.12.2003 14:07", "Beta c.vkt 09.11.2004 11:33", "alpha a.vkt 09.09.2001 01:46"}},
      {{"--dir", Vols(), "volumes", "--arrange=2"},
       {"Beta b.vkt 05.12.2003 14:07", "Beta c.vkt 09.11.2004 11:33", "alpha a.vkt 09.09.2001 01:46"}},
      {{"--dir", Vols(), "volumes", "--arrange", "3"},
       {"alpha a.vkt 09.09.2001 01:46", "Beta c.vkt 09.11.2004 11:33", "Beta b.vkt 05.12.2003 14:07"}},
      {{"--dir", Vols(), "volumes", "--arrange", "5"},
       {"Beta c.vkt 09.11.2004 11:33", "Beta b.vkt 05.12.2003 14:07", "alpha a.vkt 09.09.2001 01:46"}},
  };
  for (const auto& [args, expected] : cases) {
    SCOPED_TRACE(args.back());
    EXPECT_EQ(Listed(args), expected);
  }
  EXPECT_EQ(Listed({"--dir", Vols(), "volumes", "--arrange", "4"}).size(), 3u);
}

TEST_F(VolumeCommandsTest, WithoutDirTheConfiguredDirectoryIsUsedAndTheConfigurationNeverWritten) {
  // No configuration: the default volume folder, made on first use.
  auto first = Cli({"volumes"});
  EXPECT_EQ(first.exitStatus, 0) << first.err;
  EXPECT_EQ(first.out, "");
  EXPECT_TRUE(std::filesystem::is_directory(DefaultVolumes()));
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
  std::filesystem::copy_file(Vols() + "/a.vkt", DefaultVolumes() + "/copy.vkt");
  auto again = Cli({"volumes"});
  EXPECT_EQ(Lines(again.out).size(), 1u);
  EXPECT_TRUE(again.out.starts_with("alpha\tcopy.vkt\t")) << again.out;

  // A configuration that names the directory.
  ProgramSettings settings(platform::FileSystem::Default(),
                           {home_.File("config/zarn-volumist"), DefaultVolumes()});
  ASSERT_TRUE(settings.SetVolumeDirectory(Vols()));
  ASSERT_TRUE(settings.Save());
  const std::string stored = ReadFileBytes(ConfigFile());
  EXPECT_EQ(Listed({"volumes"}).size(), 3u);
  // Names are looked up there too, and changing volumes leaves the configuration as it was.
  EXPECT_EQ(Cli({"rename", "a.vkt", "Renamed"}).exitStatus, 0);
  EXPECT_EQ(Cli({"info", "a.vkt"}).exitStatus, 0);
  EXPECT_EQ(Cli({"delete", "c.vkt", "--yes"}).exitStatus, 0);
  EXPECT_EQ(NamesAndFiles({"volumes"}), (std::vector<std::string>{"Beta b.vkt", "Renamed a.vkt"}));
  EXPECT_EQ(ReadFileBytes(ConfigFile()), stored);
  EXPECT_EQ(testing::ListNames(home_.File("config/zarn-volumist")),
            (std::vector<std::string>{"configuration.cfg", "volume-counter"}));

  // A configured directory that is gone: the default one again.
  std::filesystem::rename(Vols(), home_.File("moved"));
  auto fallback = Cli({"volumes"});
  EXPECT_EQ(fallback.exitStatus, 0) << fallback.err;
  EXPECT_TRUE(fallback.out.starts_with("alpha\tcopy.vkt\t")) << fallback.out;
}

TEST_F(VolumeCommandsTest, InfoLsAndDumpFindNamesInTheVolumeDirectory) {
  for (const char* command : {"info", "ls", "dump"}) {
    SCOPED_TRACE(command);
    auto byName = Cli({"--dir", Vols(), command, "a.vkt"});
    EXPECT_EQ(byName.exitStatus, 0) << byName.err;
    auto byPath = Cli({command, Vols() + "/a.vkt"});
    EXPECT_EQ(byName.out, byPath.out);
  }
}

TEST_F(VolumeCommandsTest, RenameWritesTheNameAndRefusesWhatItCannotDo) {
  auto renamed = Cli({"--dir", Vols(), "rename", "b.vkt", "Tab\there"});
  EXPECT_EQ(renamed.exitStatus, 0) << renamed.err;
  auto byPath = Cli({"rename", Vols() + "/c.vkt", "Gamma"});
  EXPECT_EQ(byPath.exitStatus, 0) << byPath.err;
  // The tab inside the name is shown as a blank, so the line keeps its five fields.
  EXPECT_EQ(NamesAndFiles({"--dir", Vols(), "volumes"}),
            (std::vector<std::string>{"alpha a.vkt", "Gamma c.vkt", "Tab here b.vkt"}));

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"bad.vkt", "X"}, 1, messages::kBadVolumeCannotRename},
      {{"notes.txt", "X"}, 1, messages::kBadVolumeCannotRename},
      {{"missing.vkt", "X"}, 1, "no file 'missing.vkt'"},
      {{"a.vkt", std::string(256, 'x')}, 1, messages::kVolumeNameTooLong},
      {{"a.vkt"}, 2, "usage: volumist-cli rename FILE NEWNAME"},
      {{"a.vkt", "X", "--force"}, 2, "unknown option --force"},
  };
  const std::string before = ReadFileBytes(Vols() + "/a.vkt");
  const std::string bad = ReadFileBytes(Vols() + "/bad.vkt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    std::vector<std::string> args = {"--dir", Vols(), "rename"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto result = Cli(args);
    EXPECT_EQ(result.exitStatus, c.status);
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadFileBytes(Vols() + "/a.vkt"), before);
  EXPECT_EQ(ReadFileBytes(Vols() + "/bad.vkt"), bad);
}

TEST_F(VolumeCommandsTest, DeleteAsksAndDeletesOnlyVolumeFiles) {
  // No terminal and no --yes: the question is answered No.
  auto declined = Cli({"--dir", Vols(), "delete", "a.vkt"}, "y\n");
  EXPECT_EQ(declined.exitStatus, 1);
  EXPECT_TRUE(Contains(declined.err, std::string(messages::kAskDeleteVolume) + " [y/N] no")) << declined.err;
  EXPECT_TRUE(std::filesystem::exists(Vols() + "/a.vkt"));

  auto deleted = Cli({"--dir", Vols(), "delete", "--yes", "a.vkt"});
  EXPECT_EQ(deleted.exitStatus, 0) << deleted.err;
  EXPECT_TRUE(Contains(deleted.err, std::string(messages::kAskDeleteVolume) + " [y/N] yes")) << deleted.err;
  EXPECT_FALSE(std::filesystem::exists(Vols() + "/a.vkt"));

  for (const char* name : {"bad.vkt", "notes.txt"}) {
    SCOPED_TRACE(name);
    auto refused = Cli({"--dir", Vols(), "delete", name, "--yes"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(Contains(refused.err, "is not a volume file; nothing was deleted")) << refused.err;
    EXPECT_TRUE(std::filesystem::exists(Vols() + "/" + name));
  }
  auto missing = Cli({"--dir", Vols(), "delete", "a.vkt", "--yes"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_TRUE(Contains(missing.err, "no file 'a.vkt'")) << missing.err;
}

TEST_F(VolumeCommandsTest, UsageAndDirectoryErrors) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  WriteFileBytes(home_.File("plain"), "x");
  const Case cases[] = {
      {{"--dir", home_.File("missing"), "volumes"}, 1, "--dir " + home_.File("missing") + ": not a directory"},
      {{"--dir", home_.File("plain"), "volumes"}, 1, "not a directory"},
      {{"--dir"}, 2, "--dir needs a directory"},
      {{"--dir", Vols(), "volumes", "--arrange", "6"}, 2, "--arrange needs a number from 0 to 5, not '6'"},
      {{"--dir", Vols(), "volumes", "--arrange", "x"}, 2, "not 'x'"},
      {{"--dir", Vols(), "volumes", "--arrange"}, 2, "--arrange needs a number"},
      {{"--dir", Vols(), "volumes", "extra"}, 2, "takes no operands"},
      {{"--dir", Vols(), "delete"}, 2, "usage: volumist-cli delete FILE [--yes]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    auto result = Cli(c.args);
    EXPECT_EQ(result.exitStatus, c.status);
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    EXPECT_EQ(result.out, "");
  }
  auto help = Cli({"help", "volumes"});
  EXPECT_TRUE(Contains(help.out, "NAME  FILE  SIZE  CREATED  MODIFIED"));
}

}  // namespace
}  // namespace volumist
