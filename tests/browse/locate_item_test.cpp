// Finding a catalogued item on this computer: present files (also with names that look like
// options), the folder an up entry or a source root stands for, media that are not there, members
// of archives, and names from a damaged volume that must never become part of a path.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "browse/folder_listing.h"
#include "browse/locate_item.h"
#include "scan/drive_info.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist::browse {
namespace {

using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;
namespace fs = std::filesystem;

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

class LocateItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::weakly_canonical(dir_.File("disk")).string();
    fs::create_directories(root_ + "/sub");
    Touch(root_ + "/-rf");
    Touch(root_ + "/sub/inner.txt");
    Touch(root_ + "/pack.zip");
    Touch(root_ + "/with space%.txt");
    fs::create_directories(dir_.File("outside"));
    Touch(dir_.File("outside/secret.txt"));
    Touch(dir_.File("x"));
    fs::create_directory_symlink(dir_.File("outside"), root_ + "/link");
  }

  // Writes `children` as the only source of a volume, a folder source or a drive source whose root
  // is the test's disk folder, and opens it.
  void Write(std::vector<MemoryNode> children, bool folderSource, uint8_t driveType = 3) {
    ScanJob job = ::volumist::testing::MakeJob(dir_.File("v.vkt"), "V", {folderSource});
    job.sources[0].path = root_;
    MemorySource source;
    source.children = std::move(children);
    source.driveType = driveType;
    source.serialNumber = 0x1234ABCD;
    ASSERT_TRUE(::volumist::testing::WriteVolume(job, {source}, prompter_));
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(dir_.File("v.vkt")));
  }

  // The row at `path` below the top of the volume.
  ItemRow Row(const std::vector<std::string>& path) {
    RecordKey folder = kRootKey;
    ItemRow found;
    for (const std::string& name : path) {
      std::optional<FolderListing> listing = ReadFolderListing(*volume_, folder);
      EXPECT_TRUE(listing.has_value());
      if (!listing) return found;
      for (const ItemRow& row : listing->rows) {
        if (row.kind != RowKind::kUp && row.name == name) found = row;
      }
      folder = found.key;
    }
    EXPECT_EQ(found.name, path.back());
    return found;
  }

  ItemLocation Locate(const ItemRow& row, bool mediumPresent = true) {
    return LocateItem(*volume_, row, [mediumPresent](const SourceEntry&) { return mediumPresent; },
                      platform::FileSystem::Default());
  }

  ::volumist::testing::TempDir dir_;
  ::volumist::testing::RecordingPrompter prompter_;
  std::string root_;
  std::unique_ptr<VolumeCatalog> volume_;
};

TEST_F(LocateItemTest, PresentItemsOfAFolderSource) {
  Write({MemoryNode::File("-rf", "", 1), MemoryNode::File("with space%", ".txt", 1),
         MemoryNode::Folder("sub", {MemoryNode::File("inner", ".txt", 1)})},
        true);
  ItemLocation option = Locate(Row({"Source0", "-rf"}));
  ASSERT_EQ(option.status, LocateStatus::kFound);
  EXPECT_EQ(option.path, root_ + "/-rf");
  EXPECT_FALSE(option.isFolder);
  // One argument that no program can take for an option.
  EXPECT_EQ(FileUrl(option.path), "file://" + root_ + "/-rf");
  EXPECT_EQ(FileUrl(Locate(Row({"Source0", "with space%.txt"})).path), "file://" + root_ + "/with%20space%25.txt");

  EXPECT_EQ(Locate(Row({"Source0", "sub", "inner.txt"})).path, root_ + "/sub/inner.txt");
  ItemLocation sub = Locate(Row({"Source0", "sub"}));
  EXPECT_EQ(sub.path, root_ + "/sub");
  EXPECT_TRUE(sub.isFolder);
  // The source root stands for the source's folder; the up entry in "sub" for the source root.
  EXPECT_EQ(Locate(Row({"Source0"})).path, root_);
  std::optional<FolderListing> inSub = ReadFolderListing(*volume_, Row({"Source0", "sub"}).key);
  ASSERT_TRUE(inSub.has_value());
  ASSERT_EQ(inSub->rows[0].kind, RowKind::kUp);
  EXPECT_EQ(Locate(inSub->rows[0]).path, root_);
  // The up entry of the source root leads to the top of the volume: its source's root.
  std::optional<FolderListing> inRoot = ReadFolderListing(*volume_, Row({"Source0"}).key);
  ASSERT_TRUE(inRoot.has_value());
  EXPECT_EQ(Locate(inRoot->rows[0]).path, root_);
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(LocateItemTest, PresentItemsOfADriveSource) {
  Write({MemoryNode::File("-rf", "", 1), MemoryNode::Folder("sub", {MemoryNode::File("inner", ".txt", 1)})}, false);
  EXPECT_EQ(Locate(Row({"-rf"})).path, root_ + "/-rf");
  EXPECT_EQ(Locate(Row({"sub", "inner.txt"})).path, root_ + "/sub/inner.txt");
  std::optional<FolderListing> inSub = ReadFolderListing(*volume_, Row({"sub"}).key);
  EXPECT_EQ(Locate(inSub->rows[0]).path, root_);
}

TEST_F(LocateItemTest, NamesFromADamagedVolumeAreRefused) {
  // "../x" exists next to the disk folder, "a/b" and a NUL name could reach other files: none of
  // them may become part of a path.
  std::string withNul("in\0side", 7);
  Write({MemoryNode::File("../x", "", 1), MemoryNode::File("..", "", 1), MemoryNode::File(".", "", 1),
         MemoryNode::File("sub/inner", ".txt", 1), MemoryNode::File(withNul, ".txt", 1),
         MemoryNode::Folder("..", {MemoryNode::File("x", "", 1)}), MemoryNode::Folder("sub/..", {MemoryNode::File("x", "", 1)})},
        false);
  struct Case {
    const char* what;
    std::vector<std::string> path;
  } cases[] = {
      {"../x", {"../x"}},
      {"a file named ..", {".."}},
      {"a file named .", {"."}},
      {"a/b", {"sub/inner.txt"}},
      {"NUL", {withNul + ".txt"}},
      {"below a folder named ..", {"..", "x"}},
      {"below a folder named sub/..", {"sub/..", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Locate(Row(c.path)).status, LocateStatus::kDamagedName);
  }
  for (std::string_view bad : {std::string_view(""), std::string_view("."), std::string_view(".."), std::string_view("a/b"),
                               std::string_view("/"), std::string_view("a\0b", 3)}) {
    EXPECT_FALSE(IsSafePathComponent(bad)) << bad;
  }
  for (const char* good : {"...", "-rf", ".hidden", "a b", "\xFF\xFE"}) EXPECT_TRUE(IsSafePathComponent(good)) << good;
}

TEST_F(LocateItemTest, ALinkOutOfTheSourceIsRefused) {
  Write({MemoryNode::Folder("link", {MemoryNode::File("secret", ".txt", 1)})}, false);
  EXPECT_EQ(Locate(Row({"link", "secret.txt"})).status, LocateStatus::kOutsideSource);
  EXPECT_EQ(Locate(Row({"link"})).status, LocateStatus::kOutsideSource);
}

TEST_F(LocateItemTest, ADiscThatIsNotInTheDrive) {
  Write({MemoryNode::File("-rf", "", 1)}, false, kDriveCdRom);
  EXPECT_EQ(Locate(Row({"-rf"}), false).status, LocateStatus::kNoMedium);
  // With the system's own check: the folder's medium has another serial than the one recorded.
  ItemLocation real = LocateItem(*volume_, Row({"-rf"}), [](const SourceEntry& entry) { return IsMediumPresent(entry); },
                                 platform::FileSystem::Default());
  EXPECT_EQ(real.status, LocateStatus::kNoMedium);
}

TEST_F(LocateItemTest, ArchiveMembersAreNeverPresent) {
  Write({MemoryNode::Archive("pack", ".zip", 9, 1, {MemoryNode::File("member", ".txt", 1),
                                                    MemoryNode::Folder("in", {MemoryNode::File("deep", ".txt", 1)})})},
        false);
  EXPECT_EQ(Locate(Row({"pack.zip", "member.txt"})).status, LocateStatus::kInsideArchive);
  EXPECT_EQ(Locate(Row({"pack.zip", "in"})).status, LocateStatus::kInsideArchive);
  EXPECT_EQ(Locate(Row({"pack.zip", "in", "deep.txt"})).status, LocateStatus::kInsideArchive);
  // The archive itself is a file on the disk.
  ItemLocation archive = Locate(Row({"pack.zip"}));
  EXPECT_EQ(archive.status, LocateStatus::kFound);
  EXPECT_EQ(archive.path, root_ + "/pack.zip");
}

TEST_F(LocateItemTest, ItemsThatAreGoneOrWhoseRootIsNotAbsolute) {
  Write({MemoryNode::File("gone", ".txt", 1), MemoryNode::Folder("nowhere", {MemoryNode::File("a", "", 1)})}, false);
  EXPECT_EQ(Locate(Row({"gone.txt"})).status, LocateStatus::kMissing);
  EXPECT_EQ(Locate(Row({"nowhere", "a"})).status, LocateStatus::kMissing);
  ItemRow none;
  EXPECT_EQ(Locate(none).status, LocateStatus::kMissing);

  ScanJob job = ::volumist::testing::MakeJob(dir_.File("relative.vkt"), "R", {false});
  job.sources[0].path = "relative/path";
  MemorySource source;
  source.children = {MemoryNode::File("-rf", "", 1)};
  ASSERT_TRUE(::volumist::testing::WriteVolume(job, {source}, prompter_));
  ASSERT_TRUE(volume_->OpenVolume(dir_.File("relative.vkt")));
  EXPECT_EQ(Locate(Row({"-rf"})).status, LocateStatus::kOutsideSource);
}

TEST(FileUrlTest, EveryByteOutsideTheSafeOnesIsEscaped) {
  EXPECT_EQ(FileUrl("/a/b-c_d.e~f"), "file:///a/b-c_d.e~f");
  EXPECT_EQ(FileUrl("/x y/#?%"), "file:///x%20y/%23%3F%25");
  EXPECT_EQ(FileUrl("/caf\xC3\xA9/\xFF"), "file:///caf%C3%A9/%FF");
  EXPECT_EQ(FileUrl(std::string_view("/a\nb", 4)), "file:///a%0Ab");
}

}  // namespace
}  // namespace volumist::browse
