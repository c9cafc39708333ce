// Writing volumes: dropping empty folders, patches that reach the file, and every way a write can
// fail without touching the target.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

// Every path in the volume (folders end in "/"), in file order, with its size.
std::vector<std::string> Listing(VolumeCatalog& volume) {
  std::vector<std::string> lines;
  TreeWalker walker(volume, false);
  walker.Start();
  for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    EXPECT_NE(step, TreeWalker::Step::kDamaged);
    if (step == TreeWalker::Step::kDamaged) break;
    std::string path;
    for (const std::string& part : walker.Path()) path += part + "/";
    if (step == TreeWalker::Step::kFolder) lines.push_back(path + " " + std::to_string(walker.Folder().size.Value()));
    if (step == TreeWalker::Step::kArchive) lines.push_back(path + " archive");
    if (step == TreeWalker::Step::kFile) {
      lines.push_back(path + walker.File().name.Text() + walker.File().extension.Text() + " " +
                      std::to_string(walker.File().size.Value()));
    }
  }
  return lines;
}

class VolumeWritingTest : public ::testing::Test {
 protected:
  bool Write(ScanJob& job, std::vector<MemorySource> sources, platform::FileSystem& fileSystem = platform::FileSystem::Default()) {
    return testing::WriteVolume(job, std::move(sources), prompter_, fileSystem);
  }

  TempDir dir_;
  RecordingPrompter prompter_;
};

TEST_F(VolumeWritingTest, EmptyFoldersAreKeptUnlessDropped) {
  MemorySource source;
  source.children = {
      MemoryNode::Folder("zeros", {MemoryNode::Folder("nothing"), MemoryNode::File("z", ".txt", 0)}),
      MemoryNode::Folder("some", {MemoryNode::Folder("nothing"), MemoryNode::File("f", ".txt", 5)}),
      MemoryNode::Archive("empty", ".zip", 100, 1, {MemoryNode::File("zero", "", 0)}),
      MemoryNode::Archive("full", ".zip", 200, 1, {MemoryNode::File("one", "", 1)}),
  };
  for (bool drop : {false, true}) {
    SCOPED_TRACE(drop);
    ScanJob job = testing::MakeJob(dir_.File("drop.vkt"), "Drop", {true});
    job.dropEmptyFolders = drop;
    ASSERT_TRUE(Write(job, {source}));
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume.OpenVolume(dir_.File("drop.vkt")));
    std::vector<std::string> expected;
    if (drop) {
      expected = {"Source0/ 205", "Source0/some/ 5", "Source0/some/f.txt 5", "Source0/full.zip/ archive",
                  "Source0/full.zip/one 1"};
    } else {
      expected = {"Source0/ 305", "Source0/zeros/ 0", "Source0/zeros/nothing/ 0", "Source0/zeros/z.txt 0",
                  "Source0/some/ 5", "Source0/some/nothing/ 0", "Source0/some/f.txt 5",
                  "Source0/empty.zip/ archive", "Source0/empty.zip/zero 0", "Source0/full.zip/ archive",
                  "Source0/full.zip/one 1"};
    }
    EXPECT_EQ(Listing(volume), expected);
    // Files are counted when written, also when their folder is dropped later (z.txt); an archive
    // only when it is kept.
    Counters counters = volume.Header().counters.Snapshot();
    EXPECT_EQ(counters.fileCount, drop ? 3u : 4u);
    EXPECT_EQ(counters.folderCount, drop ? 2u : 5u);
    EXPECT_EQ(counters.archiveCount, drop ? 1u : 2u);
    // The file ends where the tree ends: what was dropped was cut off.
    EXPECT_EQ(volume.Header().treeEnd, volume.VolumeFileSize().Value());
  }
}

TEST_F(VolumeWritingTest, FolderWhoseOnlySubfolderWasDroppedKeepsTheFlag) {
  MemorySource source;
  source.children = {MemoryNode::Folder("parent", {MemoryNode::Folder("empty"), MemoryNode::File("f", "", 1)}),
                     MemoryNode::Folder("plain", {MemoryNode::File("g", "", 1)})};
  ScanJob job = testing::MakeJob(dir_.File("flag.vkt"), "Flag", {false});
  job.dropEmptyFolders = true;
  ASSERT_TRUE(Write(job, {source}));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("flag.vkt")));
  std::vector<std::pair<std::string, bool>> top;
  ReadTopLevel(volume, [&](const ContentItem& item) {
    top.emplace_back(item.folder.name.Text(), item.hasSubfolders);
    return true;
  });
  EXPECT_EQ(top, (std::vector<std::pair<std::string, bool>>{{"parent", true}, {"plain", false}}));
}

TEST_F(VolumeWritingTest, AnEmptySourceIsDroppedButKeepsItsEntry) {
  ScanJob job = testing::MakeJob(dir_.File("empty.vkt"), "Empty", {true, true});
  job.dropEmptyFolders = true;
  MemorySource empty;
  empty.children = {MemoryNode::Folder("a", {MemoryNode::File("zero", "", 0)})};
  MemorySource full;
  full.children = {MemoryNode::File("one", "", 1)};
  ASSERT_TRUE(Write(job, {empty, full}));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("empty.vkt")));
  EXPECT_EQ(Listing(volume), (std::vector<std::string>{"Source1/ 1", "Source1/one 1"}));
  ASSERT_EQ(volume.Sources().size(), 2u);
  // The dropped source's range is empty: only its mark remains.
  EXPECT_EQ(volume.Sources()[0].treeStartKey, 3u);
  EXPECT_EQ(volume.Sources()[0].treeEndKey, 3u);
  EXPECT_EQ(volume.Sources()[1].treeStartKey, 6u);
}

TEST_F(VolumeWritingTest, FoldersLargerThanTheBufferArePatchedInTheFile) {
  // 6000 files take far more than the 64 KiB buffer, so the folder's size and end key have left the
  // buffer when the folder closes.
  std::vector<MemoryNode> files;
  uint64_t total = 0;
  for (int i = 0; i < 6000; ++i) {
    files.push_back(MemoryNode::File("file number " + std::to_string(i), ".dat", static_cast<uint64_t>(i) * 1000));
    total += static_cast<uint64_t>(i) * 1000;
  }
  MemorySource source;
  source.children = {MemoryNode::Folder("big", files), MemoryNode::File("after", "", 7)};
  ScanJob job = testing::MakeJob(dir_.File("big.vkt"), "Big", {true});
  ASSERT_TRUE(Write(job, {source}));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("big.vkt")));
  std::vector<ContentItem> root;
  ReadTopLevel(volume, [&](const ContentItem& item) {
    root.push_back(item);
    return true;
  });
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].folder.size.Value(), total + 7);
  std::vector<ContentItem> inside;
  EXPECT_EQ(ReadFolderContents(volume, root[0].folder,
                               [&](const ContentItem& item) {
                                 inside.push_back(item);
                                 return true;
                               }),
            ListingEnd::kComplete);
  ASSERT_EQ(inside.size(), 2u);
  EXPECT_EQ(inside[0].folder.name.Text(), "big");
  EXPECT_EQ(inside[0].folder.size.Value(), total);
  EXPECT_EQ(inside[1].file.name.Text(), "after");
  int count = 0;
  ReadFolderContents(volume, inside[0].folder, [&](const ContentItem&) { return ++count > 0; });
  EXPECT_EQ(count, 6000);
}

class VolumeWriteFailureTest : public VolumeWritingTest {
 protected:
  void SetUp() override {
    testing::WriteFileBytes(Target(), "the old volume");
    source_.children = {MemoryNode::Folder("f", {MemoryNode::File("a", ".txt", 10)})};
    for (int i = 0; i < 3000; ++i) source_.children.push_back(MemoryNode::File("x" + std::to_string(i), "", 1));
  }
  std::string Target() const { return dir_.File("target.vkt"); }
  ScanJob Job() { return testing::MakeJob(Target(), "V", {true}); }
  void ExpectTargetUntouched() { EXPECT_EQ(testing::ReadFileBytes(Target()), "the old volume"); }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names = testing::ListNames(dir_.path());
    std::erase(names, "target.vkt");
    return names;
  }

  MemorySource source_;
  testing::FaultFileSystem faults_;
};

TEST_F(VolumeWriteFailureTest, FullDiskFailsWithAMessageAndLeavesNothing) {
  faults_.diskSpace = 20000;
  ScanJob job = Job();
  EXPECT_FALSE(Write(job, {source_}, faults_));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotWriteVolume});
  ExpectTargetUntouched();
  EXPECT_TRUE(Leftovers().empty());
}

// The sync is the last check before the rename: the temporary file stays open (and locked) until it
// has its new name, so its close comes after.
TEST_F(VolumeWriteFailureTest, FailedSyncIsAWriteFailure) {
  faults_.failSync = true;
  ScanJob job = Job();
  EXPECT_FALSE(Write(job, {source_}, faults_));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotWriteVolume});
  ExpectTargetUntouched();
  EXPECT_TRUE(Leftovers().empty());
}

// The rename replaces the target in one step, so a failed one leaves the old volume whole; the
// temporary file goes too, so that no copy is left behind.
TEST_F(VolumeWriteFailureTest, FailedRenameKeepsTheTargetAndLeavesNothing) {
  faults_.failRename = true;
  ScanJob job = Job();
  EXPECT_FALSE(Write(job, {source_}, faults_));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotRenameTemporary});
  ExpectTargetUntouched();
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(VolumeWriteFailureTest, NoTemporaryFileNoVolume) {
  faults_.failCreate = true;
  ScanJob job = Job();
  EXPECT_FALSE(Write(job, {source_}, faults_));
  EXPECT_EQ(prompter_.Errors(),
            (std::vector<std::string>{messages::kCantCreateTemporaryFile, messages::kCouldNotWriteVolume}));
  ExpectTargetUntouched();
}

TEST_F(VolumeWriteFailureTest, StopEndsTheWriteSilentlyAndLeavesNothing) {
  ScanJob job = Job();
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  testing::MemoryTreeWriter contents({source_});
  contents.stopBeforeRecord = 2000;
  EXPECT_FALSE(volume.CreateVolume(job, contents));
  EXPECT_TRUE(prompter_.entries.empty());
  ExpectTargetUntouched();
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_FALSE(volume.IsLoaded());
  EXPECT_FALSE(volume.IsBeingWritten());
}

TEST_F(VolumeWritingTest, SuccessfulWriteReopensTheVolumeUnlessItStaysClosed) {
  MemorySource source;
  source.children = {MemoryNode::File("a", "", 1)};
  ScanJob job = testing::MakeJob(dir_.File("open.vkt"), "Open", {true});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  testing::MemoryTreeWriter contents({source});
  ASSERT_TRUE(volume.CreateVolume(job, contents));
  EXPECT_TRUE(volume.IsLoaded());
  EXPECT_FALSE(volume.IsBeingWritten());
  EXPECT_EQ(volume.VolumeFilePath(), dir_.File("open.vkt"));
  EXPECT_EQ(volume.Header().volumeName, "Open");
}

// The limit counts the whole file, buffered and direct writes alike; the default is 4 GiB - 1
// (32-bit volume offsets), and other files lift it.
TEST(VolumeWriterLimitTest, WritesPastTheLimitFail) {
  EXPECT_EQ(VolumeWriter::kVolumeSizeLimit, 0xFFFFFFFFu);
  TempDir dir;
  RecordingPrompter prompter;
  const std::string block(100, 'x');
  for (size_t capacity : {size_t{64}, size_t{4096}}) {
    SCOPED_TRACE(capacity);
    VolumeWriter exact(platform::FileSystem::Default(), prompter, capacity, 100);
    ASSERT_TRUE(exact.OpenTemporary(dir.path()));
    exact.Write(block.data(), block.size());
    EXPECT_TRUE(exact.Flush());

    VolumeWriter over(platform::FileSystem::Default(), prompter, capacity, 100);
    ASSERT_EQ(over.OpenReplacing(dir.File("over")), platform::FileError::kNone);
    over.Write(block.data(), block.size());
    over.WriteU8(1);
    EXPECT_FALSE(over.Flush());
    EXPECT_EQ(over.Finish(), VolumeWriter::FinishResult::kWriteFailed);
  }
  EXPECT_TRUE(prompter.entries.empty());
}

}  // namespace
}  // namespace volumist
