// Drives from recorded mount tables and system answers, and from this machine's own mounts.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/drive_table.h"
#include "platform/volume_serial.h"
#include "testing/fake_drive_system.h"
#include "testing/temp_dir.h"

namespace volumist::platform {
namespace {

using testing::FakeDriveSystem;

struct Listed {
  std::string root;
  DriveKind kind;
  friend bool operator==(const Listed&, const Listed&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Listed& listed) {
    return out << listed.root << " kind " << int(listed.kind);
  }
};

std::vector<Listed> Summary(const std::vector<Drive>& drives) {
  std::vector<Listed> listed;
  for (const Drive& drive : drives) listed.push_back({drive.Root(), drive.kind});
  return listed;
}

const Drive* Find(const std::vector<Drive>& drives, const std::string& root) {
  auto found = std::find_if(drives.begin(), drives.end(), [&](const Drive& d) { return d.Root() == root; });
  return found == drives.end() ? nullptr : &*found;
}

TEST(DriveTableTest, DesktopDrivesAreTheMountsThatHoldMedia) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  std::vector<Drive> drives = ListMountedDrives(system);
  // Sorted by root; no proc, sysfs, cgroup, devpts, tracefs, debugfs, no /run plumbing, and the bind
  // mount /srv/projects shows a folder of /home and is no drive of its own.
  EXPECT_EQ(Summary(drives), (std::vector<Listed>{
                                 {"/", DriveKind::kFixed},
                                 {"/boot/efi", DriveKind::kFixed},
                                 {"/home", DriveKind::kFixed},
                                 {"/media/anna/Backup", DriveKind::kRemovable},
                                 {"/media/cdrom0", DriveKind::kCdRom},
                                 {"/mnt/image", DriveKind::kCdRom},
                                 {"/mnt/nas", DriveKind::kRemote},
                                 {"/mnt/remote", DriveKind::kRemote},
                                 {"/mnt/share", DriveKind::kRemote},
                                 {"/run/media/anna/My Stick", DriveKind::kRemovable},
                                 {"/tmp", DriveKind::kRamDisk},
                             }));
}

TEST(DriveTableTest, DrivesCarryLabelFileSystemAndSerial) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  std::vector<Drive> drives = ListMountedDrives(system);
  struct Case {
    const char* root;
    const char* label;
    const char* fileSystem;
    uint32_t serial;
  } cases[] = {
      {"/run/media/anna/My Stick", "My Stick", "vfat", 0x1234ABCD},
      // NTFS through FUSE: the kernel says fuseblk, the medium says ntfs, whose serial rule applies.
      {"/media/anna/Backup", "Backup", "fuseblk", 0x89ABCDEF},
      {"/", "", "ext4", 0x3F1C2A7E},
      {"/media/cdrom0", "HOLIDAY_2023", "iso9660", StableHash32("2023-07-14-09-30-00-00")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    const Drive* drive = Find(drives, c.root);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->label, c.label);
    EXPECT_EQ(drive->FileSystemName(), c.fileSystem);
    EXPECT_EQ(drive->serialNumber, c.serial);
  }
  const Drive* disc = Find(drives, "/media/cdrom0");
  const Drive* image = Find(drives, "/mnt/image");
  ASSERT_TRUE(disc && image);
  EXPECT_TRUE(disc->IsOpticalDrive());
  EXPECT_FALSE(image->IsOpticalDrive());
}

TEST(DriveTableTest, MediaWithoutUuidAreToldApartByWhatIdentifiesThem) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  std::vector<Drive> drives = ListMountedDrives(system);
  std::vector<uint32_t> serials;
  for (const char* root : {"/mnt/nas", "/mnt/share", "/mnt/remote", "/tmp"}) {
    const Drive* drive = Find(drives, root);
    ASSERT_NE(drive, nullptr);
    EXPECT_NE(drive->serialNumber, 0u) << root;
    serials.push_back(drive->serialNumber);
  }
  std::sort(serials.begin(), serials.end());
  EXPECT_EQ(std::adjacent_find(serials.begin(), serials.end()), serials.end());

  // The same share mounted somewhere else is the same medium.
  FakeDriveSystem elsewhere;
  elsewhere.mountTable = "1 0 0:50 / / rw - ext4 /dev/sda1 rw\n2 1 0:77 / /media/nas rw - nfs4 nas.local:/export/media rw\n";
  std::vector<Drive> other = ListMountedDrives(elsewhere);
  const Drive* nas = Find(other, "/media/nas");
  ASSERT_NE(nas, nullptr);
  EXPECT_EQ(nas->serialNumber, Find(drives, "/mnt/nas")->serialNumber);
}

TEST(DriveTableTest, ContainerRootIsNoDriveButHoldsItsPaths) {
  FakeDriveSystem system;
  system.mountTable = testing::kContainerMountInfo;
  system.files = {"/etc/resolv.conf", "/etc/hostname", "/etc/hosts", "/proc/kcore"};
  system.blockDevices = {{"254:1", {"vda1", "/dev/vda1", false, false}}};
  // Only the volume bound in from the host's disk is a drive; the files bound in are not.
  EXPECT_EQ(Summary(ListMountedDrives(system)), (std::vector<Listed>{{"/data", DriveKind::kFixed}}));

  PathDrive root = FindDriveOfPath(system, "/usr/share");
  ASSERT_TRUE(root.drive);
  EXPECT_EQ(root.drive->Root(), "/");
  EXPECT_EQ(root.drive->FileSystemName(), "overlay");
  EXPECT_EQ(root.drive->kind, DriveKind::kUnknown);
  PathDrive hosts = FindDriveOfPath(system, "/etc/hosts");
  ASSERT_TRUE(hosts.drive);
  EXPECT_EQ(hosts.drive->Root(), "/etc/hosts");
}

TEST(DriveTableTest, SecondViewsOfAMediumAreNotDrives) {
  std::vector<MountEntry> mounts = ParseMountInfo(
      // btrfs subvolumes share a device number, but neither shows the other's folders.
      "1 0 0:30 /@ / rw - btrfs /dev/sda2 rw,subvol=/@\n"
      "2 1 0:30 /@home /home rw - btrfs /dev/sda2 rw,subvol=/@home\n"
      // A folder of /home bound elsewhere, and the same folder bound twice.
      "3 1 0:30 /@home/anna/music /srv/music rw - btrfs /dev/sda2 rw\n"
      "4 1 8:17 /photos /mnt/photos rw - ext4 /dev/sdb1 rw\n"
      "5 1 8:17 /photos /mnt/photos-again rw - ext4 /dev/sdb1 rw\n"
      // A folder bound in from a disk that is not mounted in full here.
      "6 1 8:33 /volumes/data /data rw - ext4 /dev/sdc1 rw\n");
  std::vector<size_t> selected = SelectDriveMounts(mounts, [](const std::string&) { return true; });
  std::vector<std::string> roots;
  for (size_t i : selected) roots.push_back(mounts[i].mountPoint);
  EXPECT_EQ(roots, (std::vector<std::string>{"/", "/home", "/mnt/photos", "/data"}));
}

TEST(DriveTableTest, TheDriveOfAPathFollowsLinks) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  system.links = {{"/home/anna/stick", "/run/media/anna/My Stick"}};
  PathDrive found = FindDriveOfPath(system, "/home/anna/stick/DCIM");
  ASSERT_TRUE(found.drive);
  EXPECT_EQ(found.drive->Root(), "/run/media/anna/My Stick");
  EXPECT_EQ(found.drive->kind, DriveKind::kRemovable);
}

TEST(DriveTableTest, MissingPathsAndUnreadableTables) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  system.missingPaths = {"/home/anna/gone"};
  PathDrive missing = FindDriveOfPath(system, "/home/anna/gone/file");
  EXPECT_FALSE(missing.pathExists);
  EXPECT_FALSE(missing.drive);

  system.mountTable.reset();
  PathDrive noTable = FindDriveOfPath(system, "/home/anna");
  EXPECT_TRUE(noTable.pathExists);
  EXPECT_FALSE(noTable.drive);
  EXPECT_TRUE(ListMountedDrives(system).empty());
}

TEST(DriveTableTest, AMountPointThatIsGoneIsAnInvalidRoot) {
  FakeDriveSystem system;
  system.mountTable =
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:17 / /media/old\\040(deleted) rw - vfat /dev/sdb1 rw\n";
  system.missingPaths = {"/media/old (deleted)"};
  system.blockDevices = {{"8:1", {"sda1", "/dev/sda1", false, false}}};
  PathDrive found = FindDriveOfPath(system, "/");
  ASSERT_TRUE(found.drive);
  EXPECT_EQ(found.drive->kind, DriveKind::kFixed);
  // The gone mount point is no directory either, so it is not listed.
  EXPECT_EQ(Summary(ListMountedDrives(system)), (std::vector<Listed>{{"/", DriveKind::kFixed}}));
  Drive gone = DescribeMount(system, ParseMountInfo(*system.mountTable)[1]);
  EXPECT_EQ(gone.kind, DriveKind::kInvalidRoot);
}

// This machine's own mounts: only what holds on any machine, container or not.
TEST(DriveTableTest, ThisMachineHasADriveForEveryExistingPath) {
  testing::TempDir dir;
  DriveSystem& system = DriveSystem::Default();
  for (const std::string& path : {std::string("/"), dir.path()}) {
    SCOPED_TRACE(path);
    PathDrive found = FindDriveOfPath(system, path);
    EXPECT_TRUE(found.pathExists);
    ASSERT_TRUE(found.drive);
    std::optional<std::string> real = system.RealPath(path);
    ASSERT_TRUE(real);
    EXPECT_TRUE(IsPathWithin(*real, found.drive->Root()));
    EXPECT_FALSE(found.drive->FileSystemName().empty());
    std::optional<DiskSpace> space = system.ReadDiskSpace(found.drive->Root());
    ASSERT_TRUE(space);
    EXPECT_GT(space->totalBytes, 0u);
    EXPECT_LE(space->freeBytes, space->totalBytes);
  }
  EXPECT_FALSE(FindDriveOfPath(system, dir.File("missing")).pathExists);
}

TEST(DriveTableTest, ThisMachinesDrivesAreDistinctDirectories) {
  DriveSystem& system = DriveSystem::Default();
  std::vector<Drive> drives = ListMountedDrives(system);
  for (size_t i = 0; i < drives.size(); ++i) {
    SCOPED_TRACE(drives[i].Root());
    EXPECT_TRUE(system.IsDirectory(drives[i].Root()));
    EXPECT_TRUE(IsDriveMount(drives[i].mount));
    if (i > 0) {
      EXPECT_LT(drives[i - 1].Root(), drives[i].Root());
    }
  }
}

}  // namespace
}  // namespace volumist::platform
