// The rules of scan jobs and the run controller.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <condition_variable>
#include <functional>
#include <mutex>

#include "catalog/messages.h"
#include "scan/messages.h"
#include "scan/scan_controller.h"
#include "scan/scan_job_rules.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist {
namespace {

using testing::RecordingPrompter;
using testing::TempDir;

TEST(ScanJobRulesTest, VolumeFileNames) {
  EXPECT_EQ(MakeVolumeFileName("a:b/c?", true), "a b c .vkt");
  EXPECT_EQ(MakeVolumeFileName("<x>*\"\\", false), " x    ");
  EXPECT_EQ(MakeVolumeFileName("  Photos 2003.  ", true), "  Photos 2003.  .vkt");
  ScanJob job;
  EXPECT_EQ(DefaultVolumeName(job), "Volume1");
  job.volumeCounter = 42;
  EXPECT_EQ(DefaultVolumeName(job), "Volume42");
}

TEST(ScanJobRulesTest, ValidationStopsAtTheFirstProblemWithItsMessage) {
  TempDir dir;
  testing::TreeBuilder(dir.path()).File("plain", 1).Folder("folder.vkt");
  ASSERT_EQ(::mkfifo(dir.File("pipe.vkt").c_str(), 0644), 0);
  const std::string there = dir.path();
  const std::string missing = dir.File("missing");
  struct Case {
    const char* what;
    ScanPage page;
    SingleSource single;
    std::function<void(ScanJob&)> edit;
    std::string message;
  };
  const Case cases[] = {
      {"no volume name", ScanPage::kSingleSource, {"", ""}, [](ScanJob& j) { j.volumeName.clear(); }, messages::kVolumeNameNotDefined},
      {"a name too long for its field", ScanPage::kSingleSource, {"S", there},
       [](ScanJob& j) { j.volumeName = std::string(256, 'n'); }, messages::kVolumeNameTooLong},
      {"no source name", ScanPage::kSingleSource, {"", there}, [](ScanJob&) {}, messages::kFolderNameNotDefined},
      {"no path", ScanPage::kSingleSource, {"Name", ""}, [](ScanJob&) {}, messages::kScanPathNotDefined},
      {"no sources", ScanPage::kMultipleSources, {}, [](ScanJob& j) { j.sources.clear(); }, messages::kNoSource},
      {"a mistyped path", ScanPage::kSingleSource, {"Name", missing}, [](ScanJob&) {},
       messages::kScanPathNotFound + missing},
      {"a file as the source", ScanPage::kSingleSource, {"Name", dir.File("plain")}, [](ScanJob&) {},
       messages::kScanPathNotFound + dir.File("plain")},
      {"one missing source of several", ScanPage::kMultipleSources, {},
       [&](ScanJob& j) { j.sources = {{-1, "a", there, true}, {-1, "b", missing, true}}; },
       messages::kScanPathNotFound + missing},
      {"no file name", ScanPage::kSingleSource, {"Name", there}, [](ScanJob& j) { j.volumeFileName.clear(); },
       messages::kVolumeFileNameNotDefined},
      {"a folder as the volume file", ScanPage::kSingleSource, {"Name", there},
       [](ScanJob& j) { j.volumeFileName = "folder.vkt"; }, messages::kVolumeFileNameNotRegular},
      {"a pipe as the volume file", ScanPage::kSingleSource, {"Name", there},
       [](ScanJob& j) { j.volumeFileName = "pipe.vkt"; }, messages::kVolumeFileNameNotRegular},
      // Names no file can have are refused before the scan, not at its final rename.
      {"a file name of 256 bytes", ScanPage::kSingleSource, {"Name", there},
       [](ScanJob& j) { j.volumeFileName = std::string(252, 'f') + ".vkt"; }, messages::kVolumeFileNameUnusable},
      {"a file name of 256 bytes in two-byte characters", ScanPage::kSingleSource, {"Name", there},
       [](ScanJob& j) {
         j.volumeFileName.clear();
         for (int i = 0; i < 128; ++i) j.volumeFileName += "\xc3\xa9";
       },
       messages::kVolumeFileNameUnusable},
      {"the file name ..", ScanPage::kSingleSource, {"Name", there}, [](ScanJob& j) { j.volumeFileName = ".."; },
       messages::kVolumeFileNameUnusable},
      {"the file name .", ScanPage::kMultipleSources, {},
       [&](ScanJob& j) {
         j.sources = {{-1, "a", there, true}};
         j.volumeFileName = ".";
       },
       messages::kVolumeFileNameUnusable},
      {".. at the end of a path", ScanPage::kSingleSource, {"Name", there},
       [&](ScanJob& j) { j.volumeFileName = there + "/.."; }, messages::kVolumeFileNameUnusable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScanJob job;
    job.volumeName = "V";
    job.volumeFileName = "V.vkt";
    c.edit(job);
    RecordingPrompter prompter;
    EXPECT_FALSE(ValidateJob(job, c.page, c.single, dir.path(), platform::FileSystem::Default(), prompter));
    EXPECT_EQ(prompter.Errors(), std::vector<std::string>{c.message});
    EXPECT_EQ(job.volumeCounter, 1u);
  }
  // The longest names that fit are taken: a volume name and a file name of 255 bytes each.
  ScanJob job;
  job.volumeName = std::string(255, 'n');
  job.volumeFileName = std::string(251, 'f') + ".vkt";
  RecordingPrompter prompter;
  EXPECT_TRUE(ValidateJob(job, ScanPage::kSingleSource, {"S", there}, dir.path(), platform::FileSystem::Default(), prompter));
  EXPECT_TRUE(prompter.entries.empty());
  // Adding writes into the loaded volume's own file, whatever its name.
  ScanJob adding;
  adding.mode = ScanMode::kAddToVolume;
  adding.volumeName = "V";
  adding.volumeFileName = dir.File("loaded.vkt");
  EXPECT_TRUE(ValidateJob(adding, ScanPage::kSingleSource, {"S", there}, dir.path(), platform::FileSystem::Default(),
                          prompter));
}

TEST(ScanJobRulesTest, UsableFileNames) {
  struct Case {
    std::string name;
    bool usable;
  } cases[] = {
      {"", false}, {".", false}, {"..", false}, {"...", true}, {".vkt", true},
      {std::string(255, 'a'), true}, {std::string(256, 'a'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    EXPECT_EQ(IsUsableFileName(c.name), c.usable);
  }
}

TEST(ScanJobRulesTest, SingleSourceBecomesTheOnlySource) {
  TempDir dir;
  ScanJob job;
  job.volumeName = "V";
  job.volumeFileName = "V.vkt";
  job.sources = {{-1, "old", "/old", false}};
  RecordingPrompter prompter;
  ASSERT_TRUE(ValidateJob(job, ScanPage::kSingleSource, {"Disc", dir.path()}, dir.path(),
                          platform::FileSystem::Default(), prompter));
  ASSERT_EQ(job.sources.size(), 1u);
  EXPECT_EQ(job.sources[0], (ScanSource{-1, "Disc", dir.path(), true}));
  EXPECT_FALSE(job.multipleSources);
  EXPECT_EQ(job.drivePath, dir.path());
  EXPECT_TRUE(job.usedSingleSource);
  EXPECT_EQ(job.volumeCounter, 2u);
  EXPECT_TRUE(prompter.entries.empty());
}

TEST(ScanJobRulesTest, MultipleSourcesAreFolderSourcesExceptInModeThree) {
  TempDir dir;
  for (ScanMode mode : {ScanMode::kNewVolume, ScanMode::kAddToVolume, ScanMode::kNewFromVolumeSources}) {
    ScanJob job;
    job.mode = mode;
    job.volumeName = "V";
    job.volumeFileName = "V.vkt";
    job.sources = {{-1, "a", dir.path(), false}};
    // Left from a single-source scan of a CD: no tray of it moves for a list of sources.
    job.drivePath = "/media/cdrom";
    RecordingPrompter prompter;
    ASSERT_TRUE(ValidateJob(job, ScanPage::kMultipleSources, {}, dir.path(), platform::FileSystem::Default(), prompter));
    EXPECT_TRUE(job.multipleSources);
    EXPECT_EQ(job.drivePath, "");
    EXPECT_TRUE(job.usedMultipleSources);
    EXPECT_EQ(job.sources[0].isFolderSource, mode != ScanMode::kNewFromVolumeSources);
    // Adding never asks about the file and keeps the counter.
    EXPECT_EQ(job.volumeCounter, mode == ScanMode::kAddToVolume ? 1u : 2u);
  }
}

TEST(ScanJobRulesTest, AnExistingFileIsRewrittenOnlyAfterYes) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("V.vkt"), "x");
  for (bool answer : {false, true}) {
    ScanJob job;
    job.volumeName = "V";
    job.volumeFileName = "V.vkt";
    job.existingFile = ExistingVolumeFile::kAsk;
    RecordingPrompter prompter;
    prompter.answers.push_back(answer);
    EXPECT_EQ(ValidateJob(job, ScanPage::kSingleSource, {"S", dir.path()}, dir.path(), platform::FileSystem::Default(),
                          prompter),
              answer);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, messages::kVolumeFileExists);
    EXPECT_EQ(job.volumeCounter, answer ? 2u : 1u);
    // Agreed once, the file is replaced at the end without a second question.
    if (answer) {
      EXPECT_EQ(job.existingFile, ExistingVolumeFile::kReplace);
    }
  }
}

// What the writer does with a file that takes the job's name during the scan: a default name moves
// on to the next free one, another name is asked about again.
TEST(ScanJobRulesTest, ANameTakenDuringTheScanIsDecidedByItsKind) {
  TempDir dir;
  struct Case {
    const char* name;
    const char* file;
    uint32_t counter;
    ExistingVolumeFile expected;
  } cases[] = {
      {"Volume7", "Volume7.vkt", 7, ExistingVolumeFile::kNextDefaultName},
      {"Volume7", "mine.vkt", 7, ExistingVolumeFile::kAsk},
      {"Photos", "Photos.vkt", 7, ExistingVolumeFile::kAsk},
      {"Volume6", "Volume6.vkt", 7, ExistingVolumeFile::kAsk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ScanJob job;
    job.volumeName = c.name;
    job.volumeFileName = c.file;
    job.volumeCounter = c.counter;
    RecordingPrompter prompter;
    ASSERT_TRUE(ValidateJob(job, ScanPage::kSingleSource, {"S", dir.path()}, dir.path(), platform::FileSystem::Default(),
                            prompter));
    EXPECT_EQ(job.existingFile, c.expected);
  }
}

// A volume with one source on a medium that the fake drives call present or absent.
class ScanControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TreeBuilder(source_.path()).File("a", 1).File("b/c", 2);
    drives_.isCdDrive = [this](const std::string& path) { return path == cdPath_; };
    drives_.setDoor = [this](bool open, const std::string& path) { doorCalls_.push_back((open ? "open " : "close ") + path); };
    drives_.isMediumPresent = [this](const SourceEntry& entry) { return entry.rootPath.Text() != absentPath_; };
  }

  ScanJob NewJob(const std::string& file) {
    ScanJob job;
    job.volumeFileName = volumes_.File(file);
    job.volumeName = "V";
    job.sources = {{-1, "S", source_.path(), true}};
    job.drivePath = source_.path();
    return job;
  }

  // Runs a started scan to its end the way a front end does.
  ScanController::Outcome RunToEnd(ScanController& controller, const ScanJob& job, VolumeCatalog* loaded) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    controller.Start(job, loaded, [&] {
      std::lock_guard lock(mutex);
      done = true;
      ended.notify_all();
    });
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return done; });
    lock.unlock();
    return controller.Finish();
  }

  TempDir source_;
  TempDir volumes_;
  RecordingPrompter prompter_;
  DriveControl drives_;
  std::string cdPath_;
  std::string absentPath_;
  std::vector<std::string> doorCalls_;
};

TEST_F(ScanControllerTest, ModesThatNeedALoadedVolume) {
  ScanController controller(platform::FileSystem::Default(), prompter_, drives_);
  ScanJob job;
  EXPECT_FALSE(controller.PrepareJob(job, ScanMode::kAddToVolume, true, nullptr));
  EXPECT_FALSE(controller.PrepareJob(job, ScanMode::kNewFromVolumeSources, true, nullptr));
  EXPECT_FALSE(controller.PrepareJob(job, ScanMode::kUpdate, true, nullptr));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>(3, messages::kLoadVolumeFirst));
  EXPECT_TRUE(controller.PrepareJob(job, ScanMode::kNewVolume, false, nullptr));
}

TEST_F(ScanControllerTest, ANewVolumeIsHandedOverAndTheTrayHandled) {
  cdPath_ = source_.path();
  ScanController controller(platform::FileSystem::Default(), prompter_, drives_);
  ScanJob job = NewJob("new.vkt");
  job.ejectAfterScan = true;
  job.scanAgain = true;
  ASSERT_TRUE(controller.PrepareJob(job, ScanMode::kNewVolume, false, nullptr));
  ScanController::Outcome outcome = RunToEnd(controller, job, nullptr);
  ASSERT_TRUE(outcome.succeeded);
  ASSERT_TRUE(outcome.volume);
  EXPECT_TRUE(outcome.volume->IsLoaded());
  EXPECT_EQ(outcome.volume->Header().counters.Snapshot().fileCount, 2u);
  EXPECT_TRUE(outcome.scanAgain);
  EXPECT_EQ(doorCalls_, (std::vector<std::string>{"close " + cdPath_, "open " + cdPath_}));
  EXPECT_EQ(controller.StatusText(), messages::kStatusIdle);
  EXPECT_EQ(controller.Statistics(), nullptr);
}

TEST_F(ScanControllerTest, AddingRewritesTheLoadedVolumeAndModeThreeTakesPresentSources) {
  ScanController controller(platform::FileSystem::Default(), prompter_, drives_);
  ScanController::Outcome first = RunToEnd(controller, NewJob("grow.vkt"), nullptr);
  ASSERT_TRUE(first.succeeded);
  std::unique_ptr<VolumeCatalog> loaded = std::move(first.volume);

  ScanJob add;
  ASSERT_TRUE(controller.PrepareJob(add, ScanMode::kAddToVolume, true, loaded.get()));
  EXPECT_EQ(add.volumeFileName, volumes_.File("grow.vkt"));
  EXPECT_EQ(add.volumeName, "V");
  add.sources = {{-1, "T", source_.path() + "/b", true}};
  ScanController::Outcome second = RunToEnd(controller, add, loaded.get());
  ASSERT_TRUE(second.succeeded);
  EXPECT_EQ(second.volume->Sources().size(), 2u);
  EXPECT_TRUE(doorCalls_.empty());  // not a CD

  ScanJob again;
  absentPath_ = source_.path() + "/b";
  ASSERT_TRUE(controller.PrepareJob(again, ScanMode::kNewFromVolumeSources, true, second.volume.get()));
  ASSERT_EQ(again.sources.size(), 1u);
  EXPECT_EQ(again.sources[0].path, source_.path());

  // Updating lists every source, also the one whose medium is missing (the rescan asks about it),
  // and starts from the volume's own options rather than the last scan's.
  ScanJob update;
  update.computeSignatures = !second.volume->Header().scanOptions.computeSignatures;
  ASSERT_TRUE(controller.PrepareJob(update, ScanMode::kUpdate, true, second.volume.get()));
  EXPECT_EQ(update.volumeFileName, volumes_.File("grow.vkt"));
  EXPECT_EQ(update.volumeName, "V");
  EXPECT_EQ(update.Options(), second.volume->Header().scanOptions);
  ASSERT_EQ(update.sources.size(), 2u);
  EXPECT_EQ(update.sources[1].path, absentPath_);
  EXPECT_TRUE(prompter_.Errors().empty());
}

TEST(ScanJobRulesTest, AnUpdateLeavesItsSourcesToTheRescanButNeedsOne) {
  TempDir dir;
  RecordingPrompter prompter;
  ScanJob job;
  job.mode = ScanMode::kUpdate;
  job.volumeName = "V";
  job.volumeFileName = dir.File("v.vkt");
  // A volume source whose disk is not there now: the rescan asks whether to keep or drop it.
  job.sources = {{-1, "Gone", dir.File("gone"), true}, {-1, "Here", dir.path(), false}};
  EXPECT_TRUE(ValidateJob(job, ScanPage::kMultipleSources, {}, dir.path(), platform::FileSystem::Default(), prompter));
  EXPECT_FALSE(job.sources[1].isFolderSource);  // a drive source stays one
  EXPECT_TRUE(prompter.Errors().empty());
  job.sources.clear();
  EXPECT_FALSE(ValidateJob(job, ScanPage::kMultipleSources, {}, dir.path(), platform::FileSystem::Default(), prompter));
  EXPECT_EQ(prompter.Errors(), std::vector<std::string>{messages::kNoSource});
}

TEST_F(ScanControllerTest, AFailedScanReopensTheLoadedVolumeAndDoesNotEject) {
  cdPath_ = source_.path();
  ScanController controller(platform::FileSystem::Default(), prompter_, drives_);
  ScanController::Outcome first = RunToEnd(controller, NewJob("kept.vkt"), nullptr);
  ASSERT_TRUE(first.succeeded);
  std::unique_ptr<VolumeCatalog> loaded = std::move(first.volume);
  doorCalls_.clear();

  ScanJob job = NewJob("new.vkt");
  job.ejectAfterScan = true;
  job.volumeFileName = volumes_.File("missing-folder/new.vkt");  // the temporary file cannot be made
  ScanController::Outcome outcome = RunToEnd(controller, job, loaded.get());
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_FALSE(outcome.volume);
  EXPECT_TRUE(loaded->IsLoaded());
  EXPECT_EQ(loaded->VolumeFilePath(), volumes_.File("kept.vkt"));
  EXPECT_EQ(doorCalls_, std::vector<std::string>{"close " + cdPath_});
  EXPECT_EQ(prompter_.Errors(), (std::vector<std::string>{messages::kCantCreateTemporaryFile, messages::kCouldNotWriteVolume}));
}

}  // namespace
}  // namespace volumist
