// How volumist-cli's commands find a volume file and what they do with a damaged one.
#include <gtest/gtest.h>

#include "catalog/coding.h"
#include "catalog/messages.h"
#include "testing/byte_builder.h"
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

// A volume with a description whose index is then damaged, or whose header then says that its tree
// ends before its descriptions begin.
TEST_F(CliVolumeAccessTest, DamagedVolumesAreReportedWhereTheyAreRead) {
  ASSERT_EQ(Cli({"describe", "v.vkt", "Source0/docs", "kept"}).exitStatus, 0);
  const std::string good = testing::ReadFileBytes(dir_.File("v.vkt"));
  const auto* bytes = reinterpret_cast<const uint8_t*>(good.data());
  const uint32_t treeEnd = static_cast<uint32_t>(DecodeFixed(bytes + 14, 4));
  const uint32_t indexStart = static_cast<uint32_t>(DecodeFixed(bytes + 22, 4));
  // A byte between the tree and the descriptions, which the header then counts to neither.
  std::string apart = std::string(good).insert(treeEnd, 1, '\0');
  apart.replace(18, 8, testing::ByteBuilder().U32(treeEnd + 1).U32(indexStart + 1).bytes());
  struct Damage {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const Damage damages[] = {
      {"index", std::string(good).replace(indexStart, 1, "\x01"), messages::kDescriptionIndexDamaged},
      {"header", apart, messages::kVolumeAreasApart},
  };
  struct Command {
    std::vector<std::string> args;
    bool readsIndex;       // reads the descriptions, so a damaged index is its business
    const char* printed;   // what it still prints
  };
  const Command commands[] = {
      {{"info", "v.vkt"}, true, "name: V"},
      {{"dump", "v.vkt"}, true, "name=\"docs\""},
      {{"export", "v.vkt", "-"}, true, "f.bin"},
      {{"search", "--volume", "v.vkt", "f.*"}, false, "f.bin"},
      {{"search", "--volume", "v.vkt", "--descriptions", "f.*"}, true, "f.bin"},
      {{"search", "--all", "--descriptions", "f.*"}, true, "f.bin"},
      {{"ls", "v.vkt", "-R"}, false, "Source0/docs/f.bin"},
      {{"ed2k", "v.vkt", "Source0/docs/f.bin"}, false, "ed2k://|file|f.bin|10|"},
  };
  for (const Damage& damage : damages) {
    testing::WriteFileBytes(dir_.File("v.vkt"), damage.bytes);
    const bool indexDamage = damage.message == messages::kDescriptionIndexDamaged;
    for (const Command& command : commands) {
      SCOPED_TRACE(std::string(damage.what) + ": " + command.args[0] + " " + command.args[1]);
      auto result = Cli(command.args);
      EXPECT_NE(result.out.find(command.printed), std::string::npos) << result.out;
      bool reports = !indexDamage || command.readsIndex;
      EXPECT_EQ(result.exitStatus, reports ? 1 : 0) << result.err;
      EXPECT_EQ(result.err.find(damage.message) != std::string::npos, reports) << result.err;
    }
    // Writers leave a damaged volume alone.
    SCOPED_TRACE(damage.what);
    auto describe = Cli({"describe", "v.vkt", "Source0/docs/f.bin", "new"});
    EXPECT_EQ(describe.exitStatus, 1);
    EXPECT_NE(describe.err.find(damage.message), std::string::npos) << describe.err;
    auto add = Cli({"scan", "--add", "v.vkt", "More=" + elsewhere_.path()});
    EXPECT_EQ(add.exitStatus, 1);
    EXPECT_NE(add.err.find(damage.message), std::string::npos) << add.err;
    EXPECT_EQ(testing::ReadFileBytes(dir_.File("v.vkt")), damage.bytes);
  }
}

}  // namespace
}  // namespace volumist
