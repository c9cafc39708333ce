// Scans of real folders made by the tests, read back from the volume.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "catalog/messages.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "scan/scan_engine.h"
#include "testing/byte_builder.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist {
namespace {

using testing::RecordingPrompter;
using testing::TempDir;
using testing::TreeBuilder;

constexpr int64_t kTime = 1262304000;  // 2010-01-01

// Every item of the volume as "path kind size [time attributes]", sorted: the order of entries in a
// folder is the file system's, so tests compare the set.
std::vector<std::string> Items(VolumeCatalog& volume) {
  std::vector<std::string> lines;
  TreeWalker walker(volume, false);
  walker.Start();
  for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    EXPECT_NE(step, TreeWalker::Step::kDamaged);
    if (step == TreeWalker::Step::kDamaged) break;
    std::string path;
    const auto& open = walker.Path();
    size_t parents = (step == TreeWalker::Step::kFolder || step == TreeWalker::Step::kArchive) ? open.size() - 1
                                                                                                  : open.size();
    for (size_t i = 0; i < parents; ++i) path += open[i] + "/";
    if (step == TreeWalker::Step::kFolder) {
      lines.push_back(path + walker.Folder().name.Text() + " folder " + std::to_string(walker.Folder().size.Value()));
    } else if (step == TreeWalker::Step::kFile) {
      const FileRecord& file = walker.File();
      std::string line = path + file.name.Text() + file.extension.Text() + " file " +
                         std::to_string(file.size.Value()) + " " + std::to_string(file.modifiedTime.Value());
      if (file.tag.hasSignatures) {
        const SignatureBlock& s = file.signatures;
        line += std::string(" ") + (s.attrReadOnly ? "r" : "-") + (s.attrArchive ? "a" : "-") +
                (s.attrHidden ? "h" : "-") + (s.attrSystem ? "s" : "-");
      }
      if (file.tag.hasMediaInfo) line += " media " + std::to_string(file.mediaInfo.mediaType);
      lines.push_back(line);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class ScanEngineTest : public ::testing::Test {
 protected:
  ScanEngineTest() : tree_(source_.path()) {}

  ScanJob Job(const std::string& name = "Scanned") {
    ScanJob job;
    job.volumeFileName = volumes_.File(name + ".vkt");
    job.volumeName = name;
    job.sources.push_back({-1, "Root", source_.path(), true});
    return job;
  }

  // Scans `job` into a volume; true on success.
  bool Scan(const ScanJob& job, unsigned helpers = 1, DirectoryLister lister = {}) {
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume_->StopFlag(), {}, helpers, std::move(lister));
    bool ok = volume_->CreateVolume(job, engine);
    unreadable_ = engine.UnreadableDirectories();
    return ok;
  }

  TempDir source_;
  TempDir volumes_;
  TreeBuilder tree_;
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
  uint32_t unreadable_ = 0;
};

TEST_F(ScanEngineTest, RecordsWhatIsOnDisk) {
  std::string longName = std::string(251, 'n') + ".txt";  // 255 bytes, the longest name Linux allows
  tree_.File("a.txt", 10, kTime)
      .File("sub/deeper/b.dat", 70000, kTime + 1)
      .File("sub/zero", 0, kTime + 2)
      .Folder("empty")
      .File(".hidden", 3, kTime)
      .File("Gr\xC3\xBC\xC3\x9F" "e/\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.doc", 5, kTime)
      .File(longName, 1, kTime)
      .File("readonly.txt", 2, kTime)
      .Mode("readonly.txt", 0444)
      .File("song.MP3", 4, kTime)
      .Symlink("link", "a.txt", kTime)
      .Symlink("sub/loop", "..", kTime)
      .Fifo("pipe", kTime);
  ScanJob job = Job();
  ASSERT_TRUE(Scan(job));
  EXPECT_TRUE(prompter_.entries.empty());
  std::string t = std::to_string(kTime);
  // Symbolic links are recorded as themselves (their size is the length of the target), never
  // followed; the FIFO is a system file.
  std::vector<std::string> expected = {
      "Root folder 70032",
      "Root/.hidden file 3 " + t + " --h-",
      "Root/Gr\xC3\xBC\xC3\x9F" "e folder 5",
      "Root/Gr\xC3\xBC\xC3\x9F" "e/\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.doc file 5 " + t + " ----",
      "Root/a.txt file 10 " + t + " ----",
      "Root/empty folder 0",
      "Root/link file 5 " + t + " ----",
      "Root/" + longName + " file 1 " + t + " ----",
      "Root/pipe file 0 " + t + " ---s",
      "Root/readonly.txt file 2 " + t + " r---",
      "Root/song.MP3 file 4 " + t + " ---- media 0",
      "Root/sub folder 70002",
      "Root/sub/deeper folder 70000",
      "Root/sub/deeper/b.dat file 70000 " + std::to_string(kTime + 1) + " ----",
      "Root/sub/loop file 2 " + t + " ----",
      "Root/sub/zero file 0 " + std::to_string(kTime + 2) + " ----",
  };
  // Without audio analysis a music file still carries its media block, with type 0.
  EXPECT_EQ(Items(*volume_), expected);
  Counters counters = volume_->Header().counters.Snapshot();
  EXPECT_EQ(counters, (Counters{5, 11, 0, 5, 11}));
  EXPECT_EQ(volume_->Header().contentSize.Value(), 70032u);
  EXPECT_EQ(volume_->Sources()[0].rootPath.Text(), source_.path());
}

TEST_F(ScanEngineTest, OptionsChooseWhatIsRecorded) {
  tree_.File("top.txt", 1, kTime)
      .File(".config/settings.txt", 2, kTime)
      .File("visible/.dotfile", 3, kTime)
      .File("visible/music.mp3", 4, kTime)
      .File("texts/only.txt", 5, kTime)
      .File("zeros/z1", 0, kTime)
      .Fifo("pipe", kTime);
  struct Case {
    const char* name;
    void (*set)(ScanJob&);
    std::vector<std::string> expected;
  };
  std::string t = std::to_string(kTime);
  const Case cases[] = {
      {"no subfolders", [](ScanJob& j) { j.scanSubfolders = false; }, {"Root folder 1", "Root/pipe file 0 " + t + " ---s", "Root/top.txt file 1 " + t + " ----"}},
      {"no hidden or system",
       [](ScanJob& j) { j.includeHiddenSystem = false; },
       {"Root folder 10", "Root/texts folder 5", "Root/texts/only.txt file 5 " + t + " ----",
        "Root/top.txt file 1 " + t + " ----", "Root/visible folder 4",
        "Root/visible/music.mp3 file 4 " + t + " ---- media 0", "Root/zeros folder 0", "Root/zeros/z1 file 0 " + t + " ----"}},
      {"music only, empty folders dropped",
       [](ScanJob& j) {
         j.fileTypeGroup = 10;
         j.dropEmptyFolders = true;
       },
       {"Root folder 4", "Root/visible folder 4", "Root/visible/music.mp3 file 4 " + t + " ---- media 0"}},
      {"music only, attributes off",
       [](ScanJob& j) {
         j.fileTypeGroup = 10;
         j.saveAttributes = false;
       },
       {"Root folder 4", "Root/.config folder 0", "Root/texts folder 0", "Root/visible folder 4",
        "Root/visible/music.mp3 file 4 " + t + " media 0", "Root/zeros folder 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanJob job = Job();
    c.set(job);
    ASSERT_TRUE(Scan(job));
    EXPECT_EQ(Items(*volume_), c.expected);
  }
}

TEST_F(ScanEngineTest, ZeroByteFilesAreCountedWhenTheirFolderIsDropped) {
  tree_.File("zeros/a", 0).File("zeros/b", 0).File("zeros/deep/c", 0).File("one", 1);
  ScanJob job = Job();
  job.dropEmptyFolders = true;
  ASSERT_TRUE(Scan(job));
  std::vector<std::string> items = Items(*volume_);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], "Root folder 1");
  Counters counters = volume_->Header().counters.Snapshot();
  EXPECT_EQ(counters.fileCount, 4u);
  EXPECT_EQ(counters.folderCount, 1u);
}

TEST_F(ScanEngineTest, AMissingSourceIsAnEmptyFolderOrNothing) {
  for (bool drop : {false, true}) {
    ScanJob job = Job();
    job.sources[0].path = source_.File("does-not-exist");
    job.dropEmptyFolders = drop;
    ASSERT_TRUE(Scan(job));
    EXPECT_EQ(Items(*volume_), drop ? std::vector<std::string>{} : std::vector<std::string>{"Root folder 0"});
    EXPECT_EQ(volume_->Sources().size(), 1u);
    EXPECT_EQ(unreadable_, 1u);
  }
}

TEST_F(ScanEngineTest, UnreadableFoldersAreRecordedEmptyAndCounted) {
  tree_.File("open/a", 1, kTime).File("closed/b", 2).File("closed/inner/c", 3);
  std::string closed = tree_.Path("closed");
  // Root may read any folder, so the refusal is simulated by the listing.
  DirectoryLister refusing = [closed](const std::string& path) -> std::optional<platform::DirectoryListing> {
    if (path == closed) return std::nullopt;
    return platform::ListDirectoryEntries(path);
  };
  ScanJob job = Job();
  ASSERT_TRUE(Scan(job, 1, refusing));
  EXPECT_EQ(Items(*volume_), (std::vector<std::string>{"Root folder 1", "Root/closed folder 0", "Root/open folder 1",
                                                       "Root/open/a file 1 " + std::to_string(kTime) + " ----"}));
  EXPECT_EQ(unreadable_, 1u);
  if (::geteuid() != 0) {
    // And for real, where permissions apply.
    tree_.Mode("closed", 0);
    ASSERT_TRUE(Scan(job));
    EXPECT_EQ(unreadable_, 1u);
    tree_.Mode("closed", 0755);
  }
}

TEST_F(ScanEngineTest, FoldersOnAnotherFileSystemAreRecordedButNotEntered) {
  tree_.File("here/a", 1, kTime).File("mounted/b", 2);
  std::string mounted = tree_.Path("mounted");
  std::string root = source_.path();
  DirectoryLister otherDevice = [root](const std::string& path) {
    auto listing = platform::ListDirectoryEntries(path);
    if (listing && path == root) {
      for (platform::ListedEntry& entry : listing->entries) {
        if (listing->Name(entry) == "mounted") entry.device += 1;
      }
    }
    return listing;
  };
  ScanJob job = Job();
  ASSERT_TRUE(Scan(job, 1, otherDevice));
  EXPECT_EQ(Items(*volume_), (std::vector<std::string>{"Root folder 1", "Root/here folder 1", "Root/here/a file 1 " + std::to_string(kTime) + " ----",
                                                       "Root/mounted folder 0"}));
}

TEST_F(ScanEngineTest, HelpersNeverChangeTheVolume) {
  // Enough folders that helpers list ahead, and analysis switched on so they prepare files too.
  for (int i = 0; i < 40; ++i) {
    for (int j = 0; j < 5; ++j) tree_.File("d" + std::to_string(i) + "/s" + std::to_string(j) + "/f.mp3", i * 10 + j, kTime);
    tree_.File("d" + std::to_string(i) + "/x.txt", static_cast<uint64_t>(i), kTime);
  }
  // A lister that is slow on some folders, so that the walk reaches folders a helper is still
  // listing, and lists later ones itself meanwhile.
  DirectoryLister slow = [](const std::string& path) {
    if (!path.empty() && (path.back() - '0') % 3 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return platform::ListDirectoryEntries(path);
  };
  std::string reference;
  for (auto [helpers, lister] : {std::pair<unsigned, DirectoryLister>{0, {}}, {1, {}}, {2, {}}, {3, {}}, {1, slow}, {2, slow}}) {
    SCOPED_TRACE(std::to_string(helpers) + (lister ? " slow" : ""));
    ScanJob job = Job("helpers");
    job.analyzeAudio = true;
    ASSERT_TRUE(Scan(job, helpers, lister));
    volume_.reset();
    std::string bytes = testing::ReadFileBytes(job.volumeFileName);
    if (reference.empty()) {
      reference = bytes;
    } else {
      EXPECT_EQ(testing::FirstDifference(reference, bytes), "");
    }
  }
}

TEST_F(ScanEngineTest, StopLeavesNoVolumeAndNoTemporaryFile) {
  for (int i = 0; i < 20; ++i) tree_.File("d" + std::to_string(i) + "/f", 1);
  testing::WriteFileBytes(volumes_.File("Scanned.vkt"), "old volume");
  std::string stopAt = tree_.Path("d7");
  VolumeCatalog* volume = nullptr;
  DirectoryLister stopping = [&](const std::string& path) {
    if (path == stopAt) volume->RequestStop();
    return platform::ListDirectoryEntries(path);
  };
  volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
  volume = volume_.get();
  ScanEngine engine(volume_->StopFlag(), {}, 1, stopping);
  ScanJob job = Job();
  EXPECT_FALSE(volume_->CreateVolume(job, engine));
  EXPECT_TRUE(prompter_.entries.empty());
  EXPECT_EQ(testing::ListNames(volumes_.path()), std::vector<std::string>{"Scanned.vkt"});
  EXPECT_EQ(testing::ReadFileBytes(volumes_.File("Scanned.vkt")), "old volume");
}

TEST_F(ScanEngineTest, AFullDiskFailsTheScanAndKeepsTheTarget) {
  for (int i = 0; i < 3000; ++i) tree_.File("f" + std::to_string(i), 1);
  testing::WriteFileBytes(volumes_.File("Scanned.vkt"), "old volume");
  testing::FaultFileSystem faults;
  faults.diskSpace = 30000;
  VolumeCatalog volume(faults, prompter_);
  ScanEngine engine(volume.StopFlag(), {});
  ScanJob job = Job();
  EXPECT_FALSE(volume.CreateVolume(job, engine));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotWriteVolume});
  EXPECT_EQ(testing::ListNames(volumes_.path()), std::vector<std::string>{"Scanned.vkt"});
  EXPECT_EQ(testing::ReadFileBytes(volumes_.File("Scanned.vkt")), "old volume");
}

TEST_F(ScanEngineTest, AddingASecondScanKeepsTheFirstSourcesKeys) {
  tree_.File("first/a", 1).File("first/b/c", 2);
  TempDir second;
  TreeBuilder(second.path()).File("x", 3).File("y/z", 4);
  ScanJob job = Job();
  job.sources[0].path = tree_.Path("first");
  ASSERT_TRUE(Scan(job));
  std::vector<std::string> before;
  {
    TreeWalker walker(*volume_, true);
    walker.Start();
    for (auto step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      before.push_back(std::to_string(walker.Key()) + " " + std::to_string(static_cast<int>(step)));
    }
  }
  ScanJob add = Job();
  add.mode = ScanMode::kAddToVolume;
  add.sources = {{-1, "Second", second.path(), true}};
  ScanEngine engine(volume_->StopFlag(), {});
  ASSERT_TRUE(volume_->AddToVolume(add, engine));
  std::vector<std::string> after;
  TreeWalker walker(*volume_, true);
  walker.Start();
  for (auto step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    after.push_back(std::to_string(walker.Key()) + " " + std::to_string(static_cast<int>(step)));
  }
  ASSERT_GT(after.size(), before.size());
  EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + before.size()), before);
  EXPECT_EQ(volume_->Sources().size(), 2u);
  EXPECT_EQ(volume_->Header().counters.Snapshot(), (Counters{4, 4, 0, 4, 4}));
  EXPECT_EQ(volume_->Header().contentSize.Value(), 10u);
}

// A source that holds the volume's own folder lists the volume's temporary file while it is being
// written; the volume does not record it. Other files there are recorded as usual.
TEST_F(ScanEngineTest, TheVolumesOwnTemporaryFileIsNotRecorded) {
  tree_.File("a.txt", 10, kTime).Text("notes.$$$", "kept", kTime);
  ScanJob job = Job();
  job.volumeFileName = source_.File("inside.vkt");
  ASSERT_TRUE(Scan(job));
  std::vector<std::string> items = Items(*volume_);
  const std::string time = std::to_string(kTime);
  EXPECT_EQ(items, (std::vector<std::string>{"Root folder 14", "Root/a.txt file 10 " + time + " ----",
                                            "Root/notes.$$$ file 4 " + time + " ----"}))
      << ::testing::PrintToString(items);
}

}  // namespace
}  // namespace volumist
