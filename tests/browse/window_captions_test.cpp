// The window's title, the statistics bar's texts and the shell's rules for folders, names and
// pending description edits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "catalog/messages.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist::browse {
namespace {

using testing::MemoryNode;
using testing::MemorySource;

TEST(WindowCaptionsTest, TitleEndsInOneBlank) { EXPECT_EQ(WindowTitle(), "Zarn Volumist 1.6 Release "); }

TEST(WindowCaptionsTest, ElapsedTime) {
  struct Case {
    int64_t seconds;
    const char* expected;
  } cases[] = {
      {0, "Scanning... (00:00)"},
      {59, "Scanning... (00:59)"},
      {60, "Scanning... (01:00)"},
      {3599, "Scanning... (59:59)"},
      {6000, "Scanning... (100:00)"},
      {-5, "Scanning... (00:00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(FormatElapsed("Scanning...", c.seconds), c.expected);
  }
}

TEST(WindowCaptionsTest, ActivityIndicatorWrapsAfter53Steps) {
  int step = 0;
  for (int i = 0; i < kActivitySteps - 1; ++i) step = NextActivityStep(step);
  EXPECT_EQ(step, 52);
  EXPECT_EQ(NextActivityStep(step), 0);
  EXPECT_EQ(NextActivityStep(-1), 0);
}

TEST(WindowCaptionsTest, StatisticsTexts) {
  StatisticsFigures idle;
  idle.status = "Idle.";
  StatisticsTexts expected;
  expected.status = "Idle.";
  EXPECT_EQ(MakeStatisticsTexts(idle), expected);

  StatisticsFigures busy;
  busy.status = "Scanning...";
  busy.busy = true;
  busy.elapsedSeconds = 75;
  busy.counters = Counters{3, 20, 1, 5, 40};
  StatisticsTexts texts = MakeStatisticsTexts(busy);
  EXPECT_EQ(texts.status, "Scanning... (01:15)");
  EXPECT_EQ(texts.folders, "3");
  EXPECT_EQ(texts.files, "20");
  EXPECT_EQ(texts.archives, "1");
  EXPECT_EQ(texts.fileSize, "");

  StatisticsFigures loaded = idle;
  loaded.counters = Counters{};
  loaded.fileSize = 2048;
  loaded.totalSize = 999;
  texts = MakeStatisticsTexts(loaded);
  EXPECT_EQ(texts.folders, "0");
  EXPECT_EQ(texts.fileSize, "2.00 KB");
  EXPECT_EQ(texts.total, "999 B");
}

TEST(ShellRulesTest, VolumeDirectoryIsRefusedWhenUnusable) {
  testing::TempDir dir;
  platform::FileSystem& fs = platform::FileSystem::Default();
  testing::WriteFileBytes(dir.File("plain"), "x");
  // Nested folders whose path is exactly 499 and 500 bytes long.
  std::string fits = dir.path();
  while (fits.size() + 101 < 499) {
    fits += "/" + std::string(100, 'a');
  }
  fits += "/" + std::string(499 - fits.size() - 1, 'b');
  ASSERT_EQ(fits.size(), 499u);
  std::string tooLong = fits.substr(0, fits.size() - 1) + "cc";
  ASSERT_EQ(tooLong.size(), 500u);
  std::filesystem::create_directories(fits);
  std::filesystem::create_directories(tooLong);

  struct Case {
    const char* name;
    std::string path;
    bool usable;
  } cases[] = {
      {"a folder", dir.path(), true},
      {"499 bytes", fits, true},
      {"500 bytes", tooLong, false},
      {"a plain file", dir.File("plain"), false},
      {"missing", dir.File("missing"), false},
      {"empty", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto refused = RefuseVolumeDirectory(fs, c.path);
    EXPECT_EQ(!refused.has_value(), c.usable);
    if (refused) {
      EXPECT_EQ(*refused, text::kDirectoryNotUsable);
    }
  }
}

TEST(ShellRulesTest, UnreadableVolumeDirectoryIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  testing::TempDir dir;
  std::string locked = dir.File("locked");
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  EXPECT_TRUE(RefuseVolumeDirectory(platform::FileSystem::Default(), locked).has_value());
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST(ShellRulesTest, VolumeNamesLongerThan255BytesAreRefused) {
  std::string umlauts;
  for (int i = 0; i < 128; ++i) umlauts += "\xC3\xA4";  // 128 characters, 256 bytes
  struct Case {
    std::string name;
    bool fits;
  } cases[] = {{"", true}, {std::string(255, 'n'), true}, {std::string(256, 'n'), false}, {umlauts, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    auto refused = RefuseVolumeName(c.name);
    EXPECT_EQ(!refused.has_value(), c.fits);
    if (refused) {
      EXPECT_EQ(*refused, messages::kVolumeNameTooLong);
    }
  }
}

class OfferToSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("v.vkt");
    MemorySource source;
    source.children.push_back(MemoryNode::File("a", ".txt", 10));
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(path_, "V", {true}), {source}, prompter_));
    volume_ = std::make_unique<VolumeCatalog>(faults_, prompter_);
    ASSERT_TRUE(volume_->OpenVolume(path_));
    ASSERT_TRUE(volume_->SetDescription(0, "about the volume"));
  }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
  testing::FaultFileSystem faults_;
  std::string path_;
  std::unique_ptr<VolumeCatalog> volume_;
};

TEST_F(OfferToSaveTest, WithoutEditsNothingIsAsked) {
  volume_->DiscardDescriptions();
  EXPECT_TRUE(OfferToSaveDescriptions(volume_.get(), prompter_));
  EXPECT_TRUE(OfferToSaveDescriptions(nullptr, prompter_));
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(OfferToSaveTest, NoLetsTheVolumeGoWithoutSaving) {
  std::string before = testing::ReadFileBytes(path_);
  prompter_.answers = {false};
  EXPECT_TRUE(OfferToSaveDescriptions(volume_.get(), prompter_));
  volume_->CloseVolume(false);  // as the caller does once the volume may go
  EXPECT_EQ(testing::ReadFileBytes(path_), before);
  ASSERT_EQ(prompter_.entries.size(), 1u);
  EXPECT_EQ(prompter_.entries[0].text, messages::kSaveDescriptionsQuestion);
}

TEST_F(OfferToSaveTest, YesSavesTheEdits) {
  prompter_.answers = {true};
  EXPECT_TRUE(OfferToSaveDescriptions(volume_.get(), prompter_));
  EXPECT_FALSE(volume_->HasPendingDescriptions());
  EXPECT_EQ(volume_->GetDescription(0), "about the volume");
  EXPECT_TRUE(prompter_.Errors().empty());
}

TEST_F(OfferToSaveTest, AFailedSaveKeepsTheVolumeAndItsEdits) {
  faults_.failRename = true;
  prompter_.answers = {true};
  EXPECT_FALSE(OfferToSaveDescriptions(volume_.get(), prompter_));
  EXPECT_TRUE(volume_->IsLoaded());
  EXPECT_TRUE(volume_->HasPendingDescriptions());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
  // Once the disk is good again the same edits can still be saved.
  faults_.failRename = false;
  prompter_.answers = {true};
  EXPECT_TRUE(OfferToSaveDescriptions(volume_.get(), prompter_));
  EXPECT_EQ(volume_->GetDescription(0), "about the volume");
}

}  // namespace
}  // namespace volumist::browse
