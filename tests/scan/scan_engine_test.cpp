// Scans of real folders made by the tests, read back from the volume.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "catalog/messages.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "scan/scan_engine.h"
#include "catalog/value_format.h"
#include "testing/byte_builder.h"
#include "testing/child_process.h"
#include "testing/deep_tree.h"
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

// The text form of the CRC-32 of `bytes`.
std::string FormatCrc32Of(const std::string& bytes) {
  SignatureBlock block;
  block.hasCrc32 = true;
  block.crc32 = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
  return FormatCrc32(block);
}

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
  bool Scan(const ScanJob& job, unsigned helpers = 1, DirectoryLister lister = {},
            ScanEngine::MountTableReader mountTable = {}) {
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume_->StopFlag(), {}, helpers, std::move(lister), std::move(mountTable));
    bool ok = volume_->CreateVolume(job, engine);
    unreadable_ = engine.UnreadableDirectories();
    report_ = engine.Report();
    return ok;
  }

  TempDir source_;
  TempDir volumes_;
  TreeBuilder tree_;
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
  uint32_t unreadable_ = 0;
  ScanReport report_;
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

// Which folders below a source are mount points, and which of those are entered, decided from
// injected listings and mount tables. Below the source: "subvolume" has a device number of its own on
// the source's mount (a btrfs subvolume), "mounted" is another file system, "bound" a bind mount of a
// folder of the source's own file system (same device number, other mount), "kernel" a proc mount.
TEST_F(ScanEngineTest, MountPointsAreFoundByMountNotByDeviceNumber) {
  tree_.File("here/a", 1, kTime).File("subvolume/s", 2, kTime).File("mounted/m", 4, kTime).File("bound/b", 8, kTime)
      .File("kernel/k", 16, kTime);
  const std::string root = source_.path();
  const std::string real = platform::FileSystem::Default().RealPath(root).value();
  constexpr uint32_t kSourceMount = 500, kMounted = 501, kBound = 502, kKernel = 503;
  const std::string table = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                            "501 1 8:17 / " + real + "/mounted rw - ext4 /dev/sdb1 rw\n"
                            "502 1 8:1 /elsewhere " + real + "/bound rw - ext4 /dev/sda1 rw\n"
                            "503 1 0:22 / " + real + "/kernel rw - proc proc rw\n";
  // The kernel's answers, as one with mount ids (or without them) would give them.
  auto lister = [root](bool mountIds) -> DirectoryLister {
    return [root, mountIds](const std::string& path) {
      auto listing = platform::ListDirectoryEntries(path);
      if (!listing) return listing;
      listing->hasMountIds = mountIds;
      listing->mountId = mountIds ? kSourceMount : 0;
      for (platform::ListedEntry& entry : listing->entries) {
        entry.mountId = listing->mountId;
        if (path != root) continue;
        std::string_view name = listing->Name(entry);
        if (name == "subvolume") entry.device += 1;
        if (name == "mounted") entry.device += 2;
        if (name == "kernel") entry.device += 3;
        if (mountIds && name == "mounted") entry.mountId = kMounted;
        if (mountIds && name == "bound") entry.mountId = kBound;
        if (mountIds && name == "kernel") entry.mountId = kKernel;
      }
      return listing;
    };
  };
  struct Case {
    const char* name;
    bool mountIds;
    bool crossMounts;
    bool tableReadable;
    std::set<std::string> entered;  // of subvolume, mounted, bound, kernel
  };
  const Case cases[] = {
      {"mount ids", true, false, true, {"subvolume"}},
      {"mount ids, table unreadable", true, false, false, {"subvolume"}},
      {"mount ids, crossing", true, true, true, {"subvolume", "mounted", "bound"}},
      // Without the table the kind of file system is unknown: nothing is crossed into.
      {"mount ids, crossing, table unreadable", true, true, false, {"subvolume"}},
      {"no mount ids: by the table", false, false, true, {"subvolume"}},
      {"no mount ids: by the table, crossing", false, true, true, {"subvolume", "mounted", "bound"}},
      // The last resort is the device number, which cannot tell a subvolume from a mount.
      {"no mount ids, table unreadable: by device", false, false, false, {"bound"}},
  };
  const std::string t = std::to_string(kTime);
  const std::pair<std::string, uint64_t> folders[] = {{"subvolume", 2}, {"mounted", 4}, {"bound", 8}, {"kernel", 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanJob job = Job();
    job.crossMounts = c.crossMounts;
    ScanEngine::MountTableReader reader = [&]() -> std::optional<std::string> {
      if (!c.tableReadable) return std::nullopt;
      return table;
    };
    ASSERT_TRUE(Scan(job, 1, lister(c.mountIds), reader));
    uint64_t total = 1;
    std::vector<std::string> expected = {"Root/here folder 1", "Root/here/a file 1 " + t + " ----"};
    std::vector<std::string> notEntered;
    for (const auto& [folder, size] : folders) {
      if (c.entered.count(folder)) {
        total += size;
        expected.push_back("Root/" + folder + " folder " + std::to_string(size));
        expected.push_back("Root/" + folder + "/" + folder.substr(0, 1) + " file " + std::to_string(size) + " " + t + " ----");
      } else {
        expected.push_back("Root/" + folder + " folder 0");
        notEntered.push_back(root + "/" + folder);
      }
    }
    expected.push_back("Root folder " + std::to_string(total));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Items(*volume_), expected);
    std::vector<std::string> reported = report_.otherFileSystems;
    std::sort(reported.begin(), reported.end());
    std::sort(notEntered.begin(), notEntered.end());
    EXPECT_EQ(reported, notEntered);
    EXPECT_EQ(unreadable_, 0u);
  }
}

// Real mounts below the source, made in a mount namespace of the child's own: a tmpfs, a bind mount
// of a folder of the source's own file system (the same device number) and, where allowed, proc.
TEST_F(ScanEngineTest, RealMountPointsAreRecordedAndCrossedOnlyWhenAsked) {
  tree_.File("plain/a", 1, kTime).File("other/b", 2, kTime).Folder("tmpfs").Folder("bound").Folder("proc");
  testing::ChildResult child = testing::RunInChild([&] {
    testing::EnterPrivateMountNamespace();
    if (::mount("scan-test", tree_.Path("tmpfs").c_str(), "tmpfs", 0, "size=1m") != 0) {
      testing::SkipChild(std::string("cannot mount a tmpfs: ") + std::strerror(errno));
    }
    testing::TreeBuilder(tree_.Path("tmpfs")).File("t", 4, kTime);
    if (::mount(tree_.Path("other").c_str(), tree_.Path("bound").c_str(), nullptr, MS_BIND, nullptr) != 0) {
      testing::SkipChild(std::string("cannot bind-mount: ") + std::strerror(errno));
    }
    const bool proc = ::mount("proc", tree_.Path("proc").c_str(), "proc", 0, nullptr) == 0;
    std::string out = proc ? "proc mounted\n" : "";
    for (bool cross : {false, true}) {
      ScanJob job = Job();
      job.crossMounts = cross;
      if (!Scan(job)) return std::string("scan failed");
      out += cross ? "crossing:\n" : "not crossing:\n";
      for (const std::string& line : Items(*volume_)) out += line + "\n";
      std::vector<std::string> reported = report_.otherFileSystems;
      std::sort(reported.begin(), reported.end());
      for (const std::string& path : reported) out += "not entered " + path + "\n";
    }
    return out;
  });
  ASSERT_TRUE(child.ended);
  if (!child.skipped.empty()) GTEST_SKIP() << child.skipped;
  const bool proc = child.output.starts_with("proc mounted\n");
  const std::string t = std::to_string(kTime);
  std::string expected = proc ? "proc mounted\n" : "";
  expected += "not crossing:\n"
              "Root folder 3\nRoot/bound folder 0\nRoot/other folder 2\nRoot/other/b file 2 " + t + " ----\n"
              "Root/plain folder 1\nRoot/plain/a file 1 " + t + " ----\nRoot/proc folder 0\nRoot/tmpfs folder 0\n"
              "not entered " + tree_.Path("bound") + "\n" + (proc ? "not entered " + tree_.Path("proc") + "\n" : "") +
              "not entered " + tree_.Path("tmpfs") + "\n";
  expected += "crossing:\n"
              "Root folder 9\nRoot/bound folder 2\nRoot/bound/b file 2 " + t + " ----\nRoot/other folder 2\n"
              "Root/other/b file 2 " + t + " ----\nRoot/plain folder 1\nRoot/plain/a file 1 " + t + " ----\n"
              "Root/proc folder 0\nRoot/tmpfs folder 4\nRoot/tmpfs/t file 4 " + t + " ----\n" +
              (proc ? "not entered " + tree_.Path("proc") + "\n" : "");
  EXPECT_EQ(child.output, expected);
}

// A folder that may be listed but not entered (read permission without execute): no entry's status
// can be read, so it is recorded empty and counted as unreadable, as a folder that cannot be listed.
// As root permissions do not apply: the scan then runs in a child that has become "nobody".
TEST_F(ScanEngineTest, AFolderThatCanBeListedButNotEnteredIsUnreadable) {
  tree_.File("open/a", 1, kTime).File("closed/b", 2, kTime).File("closed/inner/c", 3, kTime);
  ASSERT_EQ(::chmod(source_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(volumes_.path().c_str(), 0777), 0);
  tree_.Mode("closed", 0444);
  auto scan = [&] {
    std::string out = platform::ListDirectoryEntries(tree_.Path("closed")) ? "listed\n" : "not listed\n";
    if (!Scan(Job())) return std::string("scan failed");
    for (const std::string& line : Items(*volume_)) out += line + "\n";
    return out + "unreadable " + std::to_string(unreadable_) + "\n";
  };
  std::string output;
  if (::geteuid() == 0) {
    testing::ChildResult child = testing::RunInChild([&] {
      testing::BecomeUnprivileged();
      return scan();
    });
    ASSERT_TRUE(child.ended);
    if (!child.skipped.empty()) GTEST_SKIP() << child.skipped;
    output = child.output;
  } else {
    output = scan();
  }
  tree_.Mode("closed", 0755);
  const std::string t = std::to_string(kTime);
  EXPECT_EQ(output, "not listed\nRoot folder 1\nRoot/closed folder 0\nRoot/open folder 1\nRoot/open/a file 1 " + t +
                        " ----\nunreadable 1\n");
}

// A tree of 300 folders, whose deepest paths are longer than PATH_MAX, is scanned to the bottom;
// levels are stored up to 255, the most a record holds.
TEST_F(ScanEngineTest, ATreeDeeperThanThePathLimitIsScannedCompletely) {
  constexpr int kLevels = 300;
  testing::DeepTree deep(source_.path(), kLevels);
  ASSERT_GT(deep.DeepestPath().size(), 4096u);
  deep.WriteFile("bottom.txt", "at the bottom");
  for (unsigned helpers : {0u, 1u}) {
    SCOPED_TRACE(helpers);
    ScanJob job = Job();
    ASSERT_TRUE(Scan(job, helpers));
    EXPECT_EQ(unreadable_, 0u);
    EXPECT_EQ(volume_->Header().counters.Snapshot(), (Counters{kLevels + 1, 1, 0, kLevels + 1, 1}));
    EXPECT_EQ(volume_->Header().contentSize.Value(), 13u);
    TreeWalker walker(*volume_, false);
    walker.Start();
    std::vector<int> levels;
    std::string bottom;
    for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      ASSERT_NE(step, TreeWalker::Step::kDamaged);
      if (step == TreeWalker::Step::kFolder) {
        levels.push_back(walker.Folder().level);
        EXPECT_EQ(walker.Folder().size.Value(), 13u);
      }
      if (step == TreeWalker::Step::kFile) {
        for (const std::string& part : walker.Path()) bottom += part + "/";
        bottom += walker.File().name.Text() + walker.File().extension.Text();
      }
    }
    EXPECT_EQ(bottom, "Root/" + deep.RelativePath(kLevels) + "/bottom.txt");
    ASSERT_EQ(levels.size(), size_t{kLevels + 1});
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[100], 100);
    EXPECT_EQ(levels[254], 254);
    EXPECT_EQ(levels[255], 255);
    EXPECT_EQ(levels[kLevels], 255);
  }
}

// Below kMaxWalkDepth folders the walk stops: the next folder is recorded empty and reported, and
// nothing below it is read, so no tree can make the walk's recursion overflow its stack.
TEST_F(ScanEngineTest, FoldersBeyondTheDepthLimitAreRecordedEmptyAndReported) {
  const int levels = static_cast<int>(kMaxWalkDepth) + 3;
  testing::DeepTree deep(source_.path(), levels);
  deep.WriteFile("unreached.txt", "below the limit");
  ASSERT_TRUE(Scan(Job()));
  EXPECT_EQ(report_.tooDeepFolders, std::vector<std::string>{deep.Path(static_cast<int>(kMaxWalkDepth) + 1)});
  EXPECT_EQ(unreadable_, 0u);
  Counters counters = volume_->Header().counters.Snapshot();
  EXPECT_EQ(counters.folderCount, kMaxWalkDepth + 2);  // the root, the entered folders, the one not entered
  EXPECT_EQ(counters.fileCount, 0u);
}

// A file that shrank between its listing and the reading of its digests is recorded with its listed
// size and without digests, and the scan's report names it.
TEST_F(ScanEngineTest, AFileThatShrankBeforeItsDigestsIsReported) {
  tree_.Text("log.txt", "shorter now", kTime).Text("steady.txt", "same", kTime);
  DirectoryLister listedLonger = [](const std::string& path) {
    auto listing = platform::ListDirectoryEntries(path);
    if (listing) {
      for (platform::ListedEntry& entry : listing->entries) {
        if (listing->Name(entry) == "log.txt") entry.size += 10;
      }
    }
    return listing;
  };
  ScanJob job = Job();
  job.computeSignatures = job.signatureCrc32 = true;
  ASSERT_TRUE(Scan(job, 1, listedLonger));
  EXPECT_EQ(report_.shrunkFiles, std::vector<std::string>{tree_.Path("log.txt")});
  TreeWalker walker(*volume_, false);
  walker.Start();
  std::map<std::string, std::string> files;
  for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    if (step != TreeWalker::Step::kFile) continue;
    const FileRecord& file = walker.File();
    files[file.name.Text()] = std::to_string(file.size.Value()) + " " + FormatCrc32(file.signatures);
  }
  EXPECT_EQ(files, (std::map<std::string, std::string>{{"log", "21 "}, {"steady", "4 " + FormatCrc32Of("same")}}));
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
