// Writers of one volume file next to each other: every change survives, or a writer fails with a
// clear message; never is one silently dropped. Each catalog opens the file itself, so these writers
// exclude each other as two processes would.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_format.h"
#include "platform/file_replacement.h"
#include "platform/temporary_file.h"
#include "testing/memory_tree.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using namespace std::chrono_literals;
using testing::MemoryNode;
using testing::MemorySource;
using testing::MemoryTreeWriter;
using testing::ReadFileBytes;
using testing::RecordingPrompter;
using testing::TempDir;

// Runs `action` when the contents are about to be written, then writes them: another writer acts
// while this one is in the middle of its write.
class ActingTreeWriter final : public ContentWriter {
 public:
  ActingTreeWriter(std::vector<MemorySource> sources, std::function<void()> action)
      : base_(std::move(sources)), action_(std::move(action)) {}
  void DescribeSource(const ScanSource& source, SourceEntry& entry) override { base_.DescribeSource(source, entry); }
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override {
    action_();
    return base_.WriteSources(out, job, sources, firstIndex, counters, totalSize);
  }

 private:
  MemoryTreeWriter base_;
  std::function<void()> action_;
};

MemorySource Files(const std::string& prefix, int count) {
  MemorySource source;
  for (int i = 0; i < count; ++i) source.children.push_back(MemoryNode::File(prefix + std::to_string(i), ".txt", 10));
  return source;
}

std::vector<std::string> TopNames(VolumeCatalog& volume) {
  std::vector<std::string> names;
  (void)ReadTopLevel(volume, [&](const ContentItem& item) {
    names.push_back(item.Record().name.Text());
    return true;
  });
  return names;
}

class ConcurrentWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Path(), "Shared", {false}), {Files("a", 2)}, prompter_));
  }

  std::string Path() const { return dir_.File("v.vkt"); }
  std::vector<std::string> TemporaryFiles() const {
    std::vector<std::string> names;
    for (const std::string& name : testing::ListNames(dir_.path())) {
      if (platform::IsTemporaryFileName(name)) names.push_back(name);
    }
    return names;
  }
  // Adds a drive source of `count` files named `prefix`N.
  bool Add(const std::string& prefix, int count, std::function<void()> during = [] {}) {
    VolumeCatalog adder(platform::FileSystem::Default(), prompter_);
    adder.SetStaysClosed(true);
    ScanJob job = testing::MakeJob(Path(), "Shared", {false});
    ActingTreeWriter contents({Files(prefix, count)}, std::move(during));
    return adder.AddToVolume(job, contents);
  }

  TempDir dir_;
  RecordingPrompter prompter_;
};

// The save merges into the file as it is now: the source added after the volume was loaded stays.
TEST_F(ConcurrentWritersTest, SavedDescriptionsKeepASourceAddedMeanwhile) {
  VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(describer.OpenVolume(Path()));
  ASSERT_TRUE(describer.SetDescription(0, "the volume"));
  ASSERT_TRUE(Add("b", 3));
  ASSERT_TRUE(describer.SaveDescriptions());

  VolumeCatalog check(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(check.OpenVolume(Path()));
  EXPECT_EQ(check.Sources().size(), 2u);
  EXPECT_EQ(TopNames(check), (std::vector<std::string>{"a0", "a1", "b0", "b1", "b2"}));
  EXPECT_EQ(check.GetDescription(0), "the volume");
  EXPECT_TRUE(prompter_.entries.empty());
  EXPECT_TRUE(TemporaryFiles().empty());
}

// An add and a save that wait for the same lock: whichever goes first, the other works on its result.
TEST_F(ConcurrentWritersTest, AnAddAndASaveWaitingTogetherKeepBoth) {
  VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(describer.OpenVolume(Path()));
  ASSERT_TRUE(describer.SetDescription(0, "described"));
  platform::LockedFile held = platform::LockFile(platform::FileSystem::Default(), Path(), 0ms);
  ASSERT_TRUE(held);
  auto added = std::async(std::launch::async, [&] { return Add("b", 1); });
  auto saved = std::async(std::launch::async, [&] { return describer.SaveDescriptions(); });
  std::this_thread::sleep_for(100ms);
  // Both wait for the lock; the file is as it was.
  EXPECT_EQ(added.wait_for(0ms), std::future_status::timeout);
  EXPECT_EQ(saved.wait_for(0ms), std::future_status::timeout);
  held.file.reset();
  ASSERT_TRUE(added.get());
  ASSERT_TRUE(saved.get());
  VolumeCatalog check(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(check.OpenVolume(Path()));
  EXPECT_EQ(check.Sources().size(), 2u);
  EXPECT_EQ(check.GetDescription(0), "described");
  EXPECT_TRUE(TemporaryFiles().empty());
}

// Two scans that add to one volume at once: the second waits for the first and adds to its result.
TEST_F(ConcurrentWritersTest, TwoAddsAtOnceKeepBothSources) {
  std::promise<void> firstWriting;
  auto first = std::async(std::launch::async, [&] {
    return Add("b", 2, [&] {
      firstWriting.set_value();
      std::this_thread::sleep_for(150ms);  // the second adder starts while this one writes
    });
  });
  firstWriting.get_future().wait();
  ASSERT_TRUE(Add("c", 2));
  ASSERT_TRUE(first.get());
  VolumeCatalog check(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(check.OpenVolume(Path()));
  EXPECT_EQ(check.Sources().size(), 3u);
  EXPECT_EQ(TopNames(check), (std::vector<std::string>{"a0", "a1", "b0", "b1", "c0", "c1"}));
  EXPECT_TRUE(TemporaryFiles().empty());
}

// The name written while a save waits is in the saved file, and the save's description too.
TEST_F(ConcurrentWritersTest, ANameWrittenDuringASaveIsKept) {
  VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(describer.OpenVolume(Path()));
  ASSERT_TRUE(describer.SetDescription(0, "described"));
  std::promise<void> renaming;
  auto renamed = std::async(std::launch::async, [&] {
    platform::LockedFile held = platform::LockFile(platform::FileSystem::Default(), Path(), 0ms);
    renaming.set_value();
    std::this_thread::sleep_for(150ms);  // the save waits for this lock now
    held.file.reset();
    return WriteVolumeName(platform::FileSystem::Default(), Path(), "Renamed").ok();
  });
  renaming.get_future().wait();
  ASSERT_TRUE(describer.SaveDescriptions());
  ASSERT_TRUE(renamed.get());
  VolumeCatalog check(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(check.OpenVolume(Path()));
  EXPECT_EQ(check.Header().volumeName, "Renamed");
  EXPECT_EQ(check.GetDescription(0), "described");
}

// A new scan written over the loaded volume has other records under the same keys: the edits are
// not written into it, and stay pending.
TEST_F(ConcurrentWritersTest, ASaveOverAVolumeReplacedByANewScanFails) {
  VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(describer.OpenVolume(Path()));
  ASSERT_TRUE(describer.SetDescription(describer.Sources()[0].treeStartKey + 1, "first file"));
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Path(), "Rescanned", {false}), {Files("z", 5)}, prompter_));
  const std::string rescanned = ReadFileBytes(Path());
  EXPECT_FALSE(describer.SaveDescriptions());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kVolumeReplacedMeanwhile});
  EXPECT_TRUE(describer.HasPendingDescriptions());
  EXPECT_EQ(ReadFileBytes(Path()), rescanned);
  // Only the pending edits' own file is left, and goes with them.
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{platform::BaseNameOf(*describer.Descriptions().EditsFilePath())});
  describer.CloseVolume(false);
  EXPECT_TRUE(TemporaryFiles().empty());
}

// A writer that cannot get the lock in time fails with the message, and changes nothing.
TEST_F(ConcurrentWritersTest, ALockHeldPastTheWaitFailsEveryWriterClearly) {
  const std::string before = ReadFileBytes(Path());
  platform::LockedFile held = platform::LockFile(platform::FileSystem::Default(), Path(), 0ms);
  ASSERT_TRUE(held);

  VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(describer.OpenVolume(Path()));
  describer.SetLockWait(50ms);
  ASSERT_TRUE(describer.SetDescription(0, "x"));
  EXPECT_FALSE(describer.SaveDescriptions());
  EXPECT_EQ(prompter_.Errors(), (std::vector<std::string>{messages::kVolumeBusy, messages::kCantSaveDescriptions}));
  EXPECT_TRUE(describer.HasPendingDescriptions());

  prompter_.entries.clear();
  VolumeCatalog adder(platform::FileSystem::Default(), prompter_);
  adder.SetLockWait(50ms);
  ScanJob job = testing::MakeJob(Path(), "Shared", {false});
  MemoryTreeWriter contents({Files("b", 1)});
  EXPECT_FALSE(adder.AddToVolume(job, contents));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kVolumeBusy});

  prompter_.entries.clear();
  describer.SetLockWait(50ms);
  EXPECT_FALSE(describer.SetVolumeName("New"));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kVolumeBusy});
  EXPECT_TRUE(describer.IsLoaded());

  // A new volume over it waits for the lock only to replace it, and fails there.
  prompter_.entries.clear();
  VolumeCatalog creator(platform::FileSystem::Default(), prompter_);
  creator.SetLockWait(50ms);
  MemoryTreeWriter fresh({Files("c", 1)});
  EXPECT_FALSE(creator.CreateVolume(job, fresh));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kVolumeBusy});

  EXPECT_EQ(ReadFileBytes(Path()), before);
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{platform::BaseNameOf(*describer.Descriptions().EditsFilePath())});
  describer.CloseVolume(false);
}

// A new volume whose default name another scan took meanwhile takes the next free one, in the file
// name and in the name field; the other volumes stay.
TEST_F(ConcurrentWritersTest, ADefaultNameTakenDuringTheScanMovesOn) {
  ScanJob job = testing::MakeJob(dir_.File("Volume3.vkt"), "Volume3", {false});
  job.volumeCounter = 4;  // as the job's rules leave it after taking "Volume3"
  job.existingFile = ExistingVolumeFile::kNextDefaultName;
  ActingTreeWriter contents({Files("mine", 1)}, [&] {
    testing::WriteFileBytes(dir_.File("Volume3.vkt"), "another scan's volume");
    testing::WriteFileBytes(dir_.File("Volume4.vkt"), "and another");
  });
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.CreateVolume(job, contents));
  EXPECT_EQ(volume.VolumeFilePath(), dir_.File("Volume5.vkt"));
  EXPECT_EQ(volume.Header().volumeName, "Volume5");
  EXPECT_EQ(volume.NextVolumeCounter(), 6u);
  EXPECT_EQ(TopNames(volume), std::vector<std::string>{"mine0"});
  EXPECT_EQ(ReadFileBytes(dir_.File("Volume3.vkt")), "another scan's volume");
  EXPECT_EQ(ReadFileBytes(dir_.File("Volume4.vkt")), "and another");
  EXPECT_TRUE(prompter_.entries.empty());
  EXPECT_TRUE(TemporaryFiles().empty());
}

// A name the user gave is asked about again when a file took it during the scan.
TEST_F(ConcurrentWritersTest, AGivenNameTakenDuringTheScanIsAskedAbout) {
  for (bool answer : {false, true}) {
    SCOPED_TRACE(answer);
    std::remove(dir_.File("mine.vkt").c_str());
    prompter_.entries.clear();
    prompter_.answers = {answer};
    ScanJob job = testing::MakeJob(dir_.File("mine.vkt"), "Mine", {false});
    job.existingFile = ExistingVolumeFile::kAsk;
    ActingTreeWriter contents({Files("mine", 1)}, [&] { testing::WriteFileBytes(dir_.File("mine.vkt"), "theirs"); });
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    volume.SetStaysClosed(true);
    EXPECT_EQ(volume.CreateVolume(job, contents), answer);
    ASSERT_EQ(prompter_.entries.size(), 1u);
    EXPECT_EQ(prompter_.entries[0].text, messages::kVolumeFileExists);
    VolumeCatalog check(platform::FileSystem::Default(), prompter_);
    check.SetQuiet(true);
    EXPECT_EQ(check.OpenVolume(dir_.File("mine.vkt")), answer);
    if (!answer) {
      EXPECT_EQ(ReadFileBytes(dir_.File("mine.vkt")), "theirs");
    }
    EXPECT_TRUE(TemporaryFiles().empty());
  }
}

// Every rewrite of a volume keeps the file's permissions.
TEST_F(ConcurrentWritersTest, RewritesKeepTheMode) {
  for (mode_t mode : {0600, 0640}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(Path().c_str(), mode), 0);
    ASSERT_TRUE(Add("m", 1));
    VolumeCatalog describer(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(describer.OpenVolume(Path()));
    ASSERT_TRUE(describer.SetDescription(0, "kept private"));
    ASSERT_TRUE(describer.SaveDescriptions());
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Path(), "Again", {false}), {Files("a", 1)}, prompter_));
    struct stat st;
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
}

}  // namespace
}  // namespace volumist
