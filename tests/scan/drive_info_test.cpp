// Drives and media as the scan sees them: the drive list and its filter, the medium fields of a
// source entry, the presence of a recorded medium and the CD tray.
#include <gtest/gtest.h>

#include "scan/drive_info.h"
#include "testing/fake_drive_system.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using testing::FakeDriveSystem;

struct Row {
  std::string root;
  std::string kindName;
  std::string displayName;
  friend bool operator==(const Row&, const Row&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.root << " | " << row.kindName << " | " << row.displayName;
  }
};

std::vector<Row> Rows(const std::vector<DriveRow>& rows) {
  std::vector<Row> out;
  for (const DriveRow& row : rows) out.push_back({row.root, row.kindName, row.displayName});
  return out;
}

const Row kRoot{"/", "Local Disk", "/"};
const Row kEfi{"/boot/efi", "Local Disk", "efi"};
const Row kHome{"/home", "Local Disk", "home"};
const Row kBackup{"/media/anna/Backup", "Removable", "Backup"};
const Row kDisc{"/media/cdrom0", "CD Drive", "HOLIDAY_2023"};
const Row kImage{"/mnt/image", "CD Drive", "INSTALL"};
const Row kNas{"/mnt/nas", "Network", "nas"};
const Row kRemote{"/mnt/remote", "Network", "remote"};
const Row kShare{"/mnt/share", "Network", "share"};
const Row kStick{"/run/media/anna/My Stick", "Removable", "My Stick"};
const Row kTmp{"/tmp", "RAM Disk", "tmp"};

TEST(DriveListTest, TheFilterMaskChoosesKinds) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  struct Case {
    const char* what;
    uint32_t mask;
    std::vector<Row> rows;
  } cases[] = {
      {"every kind", kDriveFilterAll,
       {kRoot, kEfi, kHome, kBackup, kDisc, kImage, kNas, kRemote, kShare, kStick, kTmp}},
      {"CD/DVD drives cleared", kDriveFilterAll & ~kDriveFilterCdRom,
       {kRoot, kEfi, kHome, kBackup, kNas, kRemote, kShare, kStick, kTmp}},
      {"local drives only", kDriveFilterFixed, {kRoot, kEfi, kHome}},
      {"removable only", kDriveFilterRemovable, {kBackup, kStick}},
      {"all three check boxes cleared: network and RAM disks stay",
       kDriveFilterAll & ~(kDriveFilterFixed | kDriveFilterCdRom | kDriveFilterRemovable),
       {kNas, kRemote, kShare, kTmp}},
      {"nothing", 0, {}},
      {"bits of no kind", 0xFFFFFFE0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Rows(ListDrives(system, c.mask)), c.rows);
  }
}

TEST(DriveListTest, RowsCarryTheKindCode) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  for (const DriveRow& row : ListDrives(system, kDriveFilterAll)) {
    SCOPED_TRACE(row.root);
    EXPECT_STREQ(DriveKindShortName(row.driveType), row.kindName.c_str());
  }
}

TEST(DriveListTest, KindNamesAndFilterBits) {
  struct Case {
    uint8_t type;
    const char* shortName;
    uint32_t bit;
    const char* longName;
  } cases[] = {
      {0, nullptr, 0, "Unknown drive"},
      {1, nullptr, 0, "Root path is invalid!"},
      {2, "Removable", 4, "Removable drive"},
      {3, "Local Disk", 1, "Fixed drive (HDD)"},
      {4, "Network", 8, "Remote (Network) drive"},
      {5, "CD Drive", 2, "CD-ROM drive"},
      {6, "RAM Disk", 16, "RAM disk"},
      {7, nullptr, 0, "Unknown drive"},
      {255, nullptr, 0, "Unknown drive"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.type});
    if (c.shortName == nullptr) {
      EXPECT_EQ(DriveKindShortName(c.type), nullptr);
    } else {
      EXPECT_STREQ(DriveKindShortName(c.type), c.shortName);
    }
    EXPECT_EQ(DriveFilterBit(c.type), c.bit);
    EXPECT_STREQ(DriveTypeName(c.type), c.longName);
  }
}

TEST(DriveListTest, TreeRootsAreTheDrivesMountPoints) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  EXPECT_EQ(ListDriveRoots(system),
            (std::vector<std::string>{"/", "/boot/efi", "/home", "/media/anna/Backup", "/media/cdrom0", "/mnt/image",
                                      "/mnt/nas", "/mnt/remote", "/mnt/share", "/run/media/anna/My Stick", "/tmp"}));
  system.mountTable.reset();
  EXPECT_TRUE(ListDriveRoots(system).empty());
}

class MediaInfoTest : public ::testing::Test {
 protected:
  FakeDriveSystem system_ = testing::MakeDesktopDriveSystem();
  SourceEntry entry_;
};

TEST_F(MediaInfoTest, FillsTheEntryFromTheDriveThatHoldsThePath) {
  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/run/media/anna/My Stick/DCIM", "Holiday", true, 3));
  EXPECT_EQ(entry_.rootPath.Text(), "/run/media/anna/My Stick/DCIM");  // a folder path stays a folder path
  EXPECT_EQ(entry_.serialNumber, 0x1234ABCDu);
  EXPECT_EQ(entry_.volumeLabel.Text(), "My Stick");
  EXPECT_EQ(entry_.fileSystemName.Text(), "vfat");
  EXPECT_EQ(entry_.driveType, kDriveRemovable);
  EXPECT_EQ(entry_.sourceName.Text(), "Holiday");
  EXPECT_EQ(entry_.sourceIndex, 3);
  EXPECT_TRUE(entry_.isFolderSource);
  EXPECT_EQ(entry_.totalBytes, 100'000'000'000u);
  EXPECT_EQ(entry_.freeBytes, 40'000'000'000u);

  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/media/cdrom0", "Disc", false, 0));
  EXPECT_FALSE(entry_.isFolderSource);
  EXPECT_EQ(entry_.driveType, kDriveCdRom);
  EXPECT_EQ(entry_.volumeLabel.Text(), "HOLIDAY_2023");
}

TEST_F(MediaInfoTest, APathThatDoesNotExistIsAnInvalidRootWithNothingElse) {
  // The entry held another medium before: nothing of it may remain.
  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/home", "Home", false, 0));
  system_.missingPaths = {"/media/cdrom0/missing"};
  EXPECT_FALSE(ReadMediaInfo(system_, entry_, "/media/cdrom0/missing", "Photos", true, 2));
  EXPECT_EQ(entry_.rootPath.Text(), "/media/cdrom0/missing");
  EXPECT_EQ(entry_.driveType, kDriveInvalidRoot);
  EXPECT_EQ(entry_.serialNumber, 0u);
  EXPECT_TRUE(entry_.volumeLabel.empty());
  EXPECT_TRUE(entry_.fileSystemName.empty());
  EXPECT_EQ(entry_.totalBytes, 0u);
  EXPECT_EQ(entry_.freeBytes, 0u);
  // The caller's own fields are kept, so the source keeps its name and place in the list.
  EXPECT_EQ(entry_.sourceName.Text(), "Photos");
  EXPECT_EQ(entry_.sourceIndex, 2);
  EXPECT_TRUE(entry_.isFolderSource);
}

TEST_F(MediaInfoTest, UnreadableSpaceFailsButKeepsTheMedium) {
  system_.space.erase("/mnt/nas");
  EXPECT_FALSE(ReadMediaInfo(system_, entry_, "/mnt/nas/films", "Films", true, 1));
  EXPECT_EQ(entry_.driveType, kDriveRemote);
  EXPECT_EQ(entry_.fileSystemName.Text(), "nfs4");
  EXPECT_NE(entry_.serialNumber, 0u);
  EXPECT_EQ(entry_.totalBytes, 0u);
  EXPECT_EQ(entry_.freeBytes, 0u);
  EXPECT_TRUE(entry_.isFolderSource);
}

TEST_F(MediaInfoTest, UnreadableMountTableFailsWithAnUnknownDrive) {
  system_.mountTable.reset();
  EXPECT_FALSE(ReadMediaInfo(system_, entry_, "/home/anna", "Anna", true, 0));
  EXPECT_EQ(entry_.driveType, kDriveUnknown);
  EXPECT_EQ(entry_.serialNumber, 0u);
  EXPECT_EQ(entry_.rootPath.Text(), "/home/anna");
}

TEST_F(MediaInfoTest, ARecordedMediumIsPresentWhileItsSerialMatches) {
  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/media/cdrom0/photos", "Photos", true, 0));
  EXPECT_TRUE(IsMediumPresent(system_, entry_));

  // Another disc in the drive.
  system_.identities["/dev/sr0"].uuid = "2024-01-02-03-04-05-00";
  EXPECT_FALSE(IsMediumPresent(system_, entry_));

  // The disc is back; then its medium counts as present even where the recorded folder is gone.
  system_.identities["/dev/sr0"].uuid = "2023-07-14-09-30-00-00";
  EXPECT_TRUE(IsMediumPresent(system_, entry_));
  system_.missingPaths = {"/media/cdrom0/photos"};
  EXPECT_TRUE(IsMediumPresent(system_, entry_));
  // Nothing of the path exists: no drive to ask.
  system_.missingPaths = {"/"};
  EXPECT_FALSE(IsMediumPresent(system_, entry_));
}

// Before a rescan: the medium at a source's recorded path is the recorded one, another disc, or
// missing; an empty mount point left by an unmounted disc is missing, not another disc.
TEST_F(MediaInfoTest, BeforeARescanTheMediumAtASourcesPathIsComparedWithTheRecordedOne) {
  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/media/cdrom0/photos", "Photos", true, 0));
  entry_.rootPath.Set("/media/cdrom0/photos");
  EXPECT_EQ(CheckSourceMedium(system_, entry_), SourcePresence::kPresent);
  system_.identities["/dev/sr0"].uuid = "2024-01-02-03-04-05-00";
  EXPECT_EQ(CheckSourceMedium(system_, entry_), SourcePresence::kOtherMedium);
  system_.identities["/dev/sr0"].uuid = "2023-07-14-09-30-00-00";
  system_.missingPaths = {"/media/cdrom0/photos"};
  EXPECT_EQ(CheckSourceMedium(system_, entry_), SourcePresence::kMissing);
  system_.missingPaths.clear();

  SourceEntry drive;
  ASSERT_TRUE(ReadMediaInfo(system_, drive, "/media/cdrom0", "Disc", false, 0));
  drive.rootPath.Set("/media/cdrom0");
  EXPECT_EQ(CheckSourceMedium(system_, drive), SourcePresence::kPresent);
  std::string table = *system_.mountTable;
  table.erase(table.find("62 28 11:0"), table.find("63 28 7:0") - table.find("62 28 11:0"));
  system_.mountTable = table;
  EXPECT_EQ(CheckSourceMedium(system_, drive), SourcePresence::kMissing);
}

TEST_F(MediaInfoTest, ADiscTakenOutLeavesItsMountPointOnAnotherDrive) {
  ASSERT_TRUE(ReadMediaInfo(system_, entry_, "/media/cdrom0", "Disc", false, 0));
  // Unmounted: the empty mount point is a folder of the root file system.
  std::string table = *system_.mountTable;
  table.erase(table.find("62 28 11:0"), table.find("63 28 7:0") - table.find("62 28 11:0"));
  system_.mountTable = table;
  EXPECT_FALSE(IsMediumPresent(system_, entry_));
  EXPECT_FALSE(IsCdDrive(system_, "/media/cdrom0"));
}

TEST_F(MediaInfoTest, CdDrivesAndTheirTray) {
  EXPECT_TRUE(IsCdDrive(system_, "/media/cdrom0"));
  EXPECT_TRUE(IsCdDrive(system_, "/media/cdrom0/photos"));
  EXPECT_TRUE(IsCdDrive(system_, "/mnt/image"));  // a mounted disc image counts as a CD
  EXPECT_FALSE(IsCdDrive(system_, "/home/anna"));
  system_.missingPaths = {"/media/cdrom1"};
  EXPECT_FALSE(IsCdDrive(system_, "/media/cdrom1"));

  SetDoor(system_, false, "/media/cdrom0/photos");
  SetDoor(system_, true, "/media/cdrom0");
  using Move = FakeDriveSystem::TrayMove;
  EXPECT_EQ(system_.trayCalls,
            (std::vector<Move>{{"/dev/sr0", "/media/cdrom0", false}, {"/dev/sr0", "/media/cdrom0", true}}));

  // No tray: a disc image, a hard disk, a missing path; and a tray that does not move stays silent.
  system_.trayCalls.clear();
  SetDoor(system_, true, "/mnt/image");
  SetDoor(system_, true, "/home");
  SetDoor(system_, true, "/media/cdrom1");
  EXPECT_TRUE(system_.trayCalls.empty());
  system_.trayMoves = false;
  SetDoor(system_, true, "/media/cdrom0");
  EXPECT_EQ(system_.trayCalls.size(), 1u);
}

// This machine's own file system, through the system's answers.
TEST(MediaInfoOnThisMachineTest, ATempFolderIsOnAReadableDrive) {
  testing::TempDir dir;
  SourceEntry entry;
  ASSERT_TRUE(ReadMediaInfo(entry, dir.path(), "Temp", true, 7));
  EXPECT_EQ(entry.rootPath.Text(), dir.path());
  EXPECT_EQ(entry.sourceName.Text(), "Temp");
  EXPECT_EQ(entry.sourceIndex, 7);
  EXPECT_TRUE(entry.isFolderSource);
  EXPECT_FALSE(entry.fileSystemName.empty());
  EXPECT_NE(entry.driveType, kDriveInvalidRoot);
  EXPECT_LE(entry.driveType, kDriveRamDisk);
  EXPECT_GT(entry.totalBytes, 0u);
  EXPECT_LE(entry.freeBytes, entry.totalBytes);

  EXPECT_TRUE(IsMediumPresent(entry));
  SourceEntry changed = entry;
  changed.serialNumber ^= 1;
  EXPECT_FALSE(IsMediumPresent(changed));

  SourceEntry missing;
  EXPECT_FALSE(ReadMediaInfo(missing, dir.File("missing"), "Gone", false, 0));
  EXPECT_EQ(missing.driveType, kDriveInvalidRoot);
  EXPECT_FALSE(IsMediumPresent(missing));
}

}  // namespace
}  // namespace volumist
