// How volumist-cli's commands find a volume file.
#include <gtest/gtest.h>

#include "catalog/messages.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;

class CliVolumeAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemoryNode file = MemoryNode::File("f", ".bin", 10, 1262304000);
    file.hasSignatures = true;
    file.signatures.hasMd4 = true;
    MemorySource source;
    source.children = {MemoryNode::Folder("docs", {file})};
    testing::RecordingPrompter prompter;
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("v.vkt"), "V", {true}), {source}, prompter));
  }

  // Runs in a folder of its own, so that a bare volume name is found only in the volume directory.
  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    testing::CommandOptions options;
    options.environment = {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("c"), "XDG_DATA_HOME=" + home_.File("d")};
    options.workingDirectory = elsewhere_.path();
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, options);
  }

  testing::TempDir dir_;
  testing::TempDir home_;
  testing::TempDir elsewhere_;
};

TEST_F(CliVolumeAccessTest, EveryCommandFindsABareVolumeNameInTheVolumeDirectory) {
  const std::vector<std::vector<std::string>> commands = {
      {"info", "v.vkt"},
      {"ls", "v.vkt"},
      {"dump", "v.vkt"},
      {"ed2k", "v.vkt", "Source0/docs/f.bin"},
      {"export", "v.vkt", "-"},
      {"search", "--volume", "v.vkt", "*"},
      {"describe", "v.vkt", "Source0/docs", "text"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    auto result = Cli(args);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err.find(messages::kCouldNotOpenForRead), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace volumist
