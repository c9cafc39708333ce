// volumist-cli ed2k end to end: the link of a file with an eDonkey hash, and the messages for items
// without one and for paths that name nothing.
#include <gtest/gtest.h>

#include "analysis/messages.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;

class Ed2kCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScanJob job = testing::MakeJob(dir_.File("v.vkt"), "Links", {true});
    MemoryNode movie = MemoryNode::File("Big Movie", ".avi", 5'000'000'000ULL);
    movie.hasSignatures = true;
    movie.signatures.hasMd4 = true;
    for (int i = 0; i < 16; ++i) movie.signatures.md4[i] = static_cast<uint8_t>(0x10 * (i % 16) + i);
    MemoryNode crcOnly = MemoryNode::File("notes", ".txt", 12);
    crcOnly.hasSignatures = true;
    crcOnly.signatures.hasCrc32 = true;
    testing::MemorySource source;
    source.children = {MemoryNode::Folder("films", {movie, crcOnly}),
                       MemoryNode::Archive("pack", ".zip", 300, 1, {MemoryNode::File("in", ".c", 7)})};
    testing::RecordingPrompter prompter;
    ASSERT_TRUE(testing::WriteVolume(job, {source}, prompter));
  }

  testing::CommandResult Ed2k(const std::string& item) {
    return testing::RunCommand(VOLUMIST_CLI_PATH, {"ed2k", dir_.File("v.vkt"), item});
  }

  testing::TempDir dir_;
};

TEST_F(Ed2kCommandTest, PrintsTheLinkOfAFileWithAHash) {
  testing::CommandResult result = Ed2k("Source0/films/Big Movie.avi");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, "ed2k://|file|Big Movie.avi|5000000000|00112233445566778899AABBCCDDEEFF|/\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(Ed2kCommandTest, ItemsWithoutHashAndMissingItemsFail) {
  struct Case {
    const char* item;
    const char* message;
  };
  const Case cases[] = {
      {"Source0/films/notes.txt", messages::kNoMd4ForLink},
      {"Source0/films", messages::kNoMd4ForLink},
      {"Source0/pack.zip/in.c", messages::kNoMd4ForLink},
      {"Source0/films/nothing.avi", messages::kSelectItemFirst},
      {"", messages::kSelectItemFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    testing::CommandResult result = Ed2k(c.item);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_EQ(testing::RunCommand(VOLUMIST_CLI_PATH, {"ed2k", dir_.File("v.vkt")}).exitStatus, 2);
}

}  // namespace
}  // namespace volumist
