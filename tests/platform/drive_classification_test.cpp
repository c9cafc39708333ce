// Which mounts are drives, of what kind, and their serial numbers.
#include <gtest/gtest.h>

#include "platform/drive_classification.h"
#include "platform/volume_serial.h"

namespace volumist::platform {
namespace {

MountEntry Mount(std::string type, std::string source, std::string mountPoint = "/mnt/x") {
  MountEntry mount;
  mount.fileSystemType = std::move(type);
  mount.source = std::move(source);
  mount.mountPoint = std::move(mountPoint);
  mount.root = "/";
  return mount;
}

BlockDevice Device(std::string name, bool removable = false, bool usb = false) {
  return {name, "/dev/" + name, removable, usb};
}

TEST(DriveClassificationTest, KindsOfMounts) {
  struct Case {
    const char* what;
    MountEntry mount;
    std::optional<BlockDevice> device;
    bool rootExists;
    DriveKind kind;
  } cases[] = {
      {"ext4 on an NVMe disk", Mount("ext4", "/dev/nvme0n1p2"), Device("nvme0n1p2"), true, DriveKind::kFixed},
      {"btrfs (anonymous device number)", Mount("btrfs", "/dev/sda2"), Device("sda2"), true, DriveKind::kFixed},
      {"a disk the system cannot describe", Mount("xfs", "/dev/mapper/vg-data"), std::nullopt, true,
       DriveKind::kFixed},
      {"vfat on a removable stick", Mount("vfat", "/dev/sdb1"), Device("sdb1", true, true), true,
       DriveKind::kRemovable},
      {"USB hard disk without the removable flag", Mount("fuseblk", "/dev/sdc1"), Device("sdc1", false, true), true,
       DriveKind::kRemovable},
      {"SD card reader", Mount("exfat", "/dev/mmcblk0p1"), Device("mmcblk0p1", true, false), true,
       DriveKind::kRemovable},
      {"iso9660 in the optical drive", Mount("iso9660", "/dev/sr0"), Device("sr0", true), true, DriveKind::kCdRom},
      {"udf disc", Mount("udf", "/dev/sr1"), Device("sr1", true), true, DriveKind::kCdRom},
      {"optical drive named by its device number only", Mount("udf", "/dev/cdrom"), Device("sr0", true), true,
       DriveKind::kCdRom},
      {"optical drive without sysfs answers", Mount("iso9660", "/dev/sr0"), std::nullopt, true, DriveKind::kCdRom},
      {"disc image through a loop device", Mount("iso9660", "/dev/loop0"), Device("loop0"), true,
       DriveKind::kCdRom},
      {"nfs", Mount("nfs", "nas:/export"), std::nullopt, true, DriveKind::kRemote},
      {"nfs4", Mount("nfs4", "nas:/export"), std::nullopt, true, DriveKind::kRemote},
      {"cifs", Mount("cifs", "//server/share"), std::nullopt, true, DriveKind::kRemote},
      {"smb3", Mount("smb3", "//server/share"), std::nullopt, true, DriveKind::kRemote},
      {"sshfs", Mount("fuse.sshfs", "user@host:/"), std::nullopt, true, DriveKind::kRemote},
      {"9p share of a virtual machine host", Mount("9p", "hostshare"), std::nullopt, true, DriveKind::kRemote},
      {"tmpfs", Mount("tmpfs", "tmpfs"), std::nullopt, true, DriveKind::kRamDisk},
      {"ramfs", Mount("ramfs", "none"), std::nullopt, true, DriveKind::kRamDisk},
      {"container overlay", Mount("overlay", "overlay", "/"), std::nullopt, true, DriveKind::kUnknown},
      {"FUSE file system without a device", Mount("fuse.encfs", "encfs"), std::nullopt, true, DriveKind::kUnknown},
      {"mount point that is gone", Mount("ext4", "/dev/sda1"), Device("sda1"), false, DriveKind::kInvalidRoot},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ClassifyMount(c.mount, c.device, c.rootExists), c.kind);
  }
}

TEST(DriveClassificationTest, PseudoFileSystemsAndSystemPlacesAreNotDrives) {
  struct Case {
    const char* type;
    const char* mountPoint;
    bool drive;
  } cases[] = {
      {"proc", "/proc", false},
      {"sysfs", "/sys", false},
      {"cgroup2", "/sys/fs/cgroup", false},
      {"cgroup", "/sys/fs/cgroup/cpu", false},
      {"devpts", "/dev/pts", false},
      {"securityfs", "/sys/kernel/security", false},
      {"tracefs", "/sys/kernel/tracing", false},
      {"debugfs", "/sys/kernel/debug", false},
      {"autofs", "/proc/sys/fs/binfmt_misc", false},
      {"overlay", "/", false},
      {"tmpfs", "/dev/shm", false},
      {"tmpfs", "/run", false},
      {"tmpfs", "/run/user/1000", false},
      {"fuse.gvfsd-fuse", "/run/user/1000/gvfs", false},
      {"tmpfs", "/run/media", false},
      {"vfat", "/run/media/anna/STICK", true},
      {"tmpfs", "/tmp", true},
      {"ext4", "/", true},
      {"ext4", "/devices", true},
      {"nfs4", "/mnt/nas", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " on " + c.mountPoint);
    EXPECT_EQ(IsDriveMount(Mount(c.type, "source", c.mountPoint)), c.drive);
  }
}

TEST(VolumeSerialTest, SerialsFromUuids) {
  struct Case {
    const char* type;
    const char* uuid;
    uint32_t serial;
  } cases[] = {
      {"vfat", "1234-ABCD", 0x1234ABCD},
      {"vfat", "abcd-ef01", 0xABCDEF01},
      {"msdos", "0000-0001", 0x00000001},
      {"exfat", "64E1-7C30", 0x64E17C30},
      {"ntfs", "0123456789ABCDEF", 0x89ABCDEF},  // the low 32 bits, as the file system shows it
      {"ntfs3", "FEDCBA9876543210", 0x76543210},
      {"ext4", "3f1c2a7e-5b7d-4c1e-9a0b-1234567890ab", 0x3F1C2A7E},
      {"btrfs", "00000000-1111-2222-3333-444444444444", 0},  // a UUID that starts with zeros is taken as it is
      {"udf", "4bdb2a6c1e8b7f3d", 0x4BDB2A6C},
      {"hfsplus", "0123abcd", 0x0123ABCD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.uuid);
    EXPECT_EQ(DeriveSerialNumber(c.type, c.uuid, "identity"), c.serial);
  }
}

TEST(VolumeSerialTest, UuidsThatAreNotHexAreHashedWhole) {
  // ISO 9660 gives its creation time as UUID: two discs made on the same day differ.
  uint32_t morning = DeriveSerialNumber("iso9660", "2023-07-14-09-30-00-00", "");
  uint32_t evening = DeriveSerialNumber("iso9660", "2023-07-14-18-05-12-00", "");
  EXPECT_NE(morning, evening);
  EXPECT_NE(morning, 0x20230714u);
  EXPECT_EQ(morning, StableHash32("2023-07-14-09-30-00-00"));
  // A FAT or NTFS UUID of the wrong shape is not read as their serial.
  EXPECT_EQ(DeriveSerialNumber("vfat", "12-34", ""), StableHash32("12-34"));
  EXPECT_EQ(DeriveSerialNumber("ntfs", "0123456789ABCDEG", ""), StableHash32("0123456789ABCDEG"));
}

TEST(VolumeSerialTest, WithoutUuidTheIdentityIsHashedAndNothingGivesZero) {
  uint32_t share = DeriveSerialNumber("nfs4", "", "nfs4\nnas:/export\n");
  EXPECT_NE(share, 0u);
  EXPECT_EQ(share, DeriveSerialNumber("nfs4", "", "nfs4\nnas:/export\n"));
  EXPECT_NE(share, DeriveSerialNumber("nfs4", "", "nfs4\nnas:/other\n"));
  EXPECT_EQ(DeriveSerialNumber("tmpfs", "", ""), 0u);
}

TEST(VolumeSerialTest, HashIsFnv1a) {
  // Published FNV-1a test vectors: the serials of media without UUID must not change between builds.
  EXPECT_EQ(StableHash32(""), 0x811C9DC5u);
  EXPECT_EQ(StableHash32("a"), 0xE40C292Cu);
  EXPECT_EQ(StableHash32("foobar"), 0xBF9CF968u);
}

TEST(VolumeSerialTest, ParsesExactlyEightHexDigits) {
  EXPECT_EQ(ParseHex32("DEADbeef"), 0xDEADBEEFu);
  EXPECT_EQ(ParseHex32("0000000f"), 0xFu);
  EXPECT_EQ(ParseHex32("DEADBEE"), std::nullopt);
  EXPECT_EQ(ParseHex32("DEADBEEF0"), std::nullopt);
  EXPECT_EQ(ParseHex32("DEADBEEG"), std::nullopt);
}

}  // namespace
}  // namespace volumist::platform
