// The Linux answers about block devices, read from a recorded /sys tree, and udev's device records.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/drive_system.h"
#include "platform/udev_record.h"
#include "testing/temp_dir.h"

namespace volumist::platform {
namespace {

namespace fs = std::filesystem;

// A /sys tree with the device links and flag files the system keeps for block devices.
class FakeSysfsTest : public ::testing::Test {
 protected:
  // Adds the device directory `devicePath` (below devices/) and the link dev/block/NUMBER to it; a
  // "removable" file when `removable` is given.
  void AddDevice(const std::string& number, const std::string& devicePath, const char* removable = nullptr) {
    fs::path device = fs::path(sys_.path()) / "devices" / devicePath;
    fs::create_directories(device);
    if (removable != nullptr) testing::WriteFileBytes((device / "removable").string(), removable);
    fs::path link = fs::path(sys_.path()) / "dev" / "block" / number;
    fs::create_directories(link.parent_path());
    fs::create_symlink(fs::path("../..") / "devices" / devicePath, link);
  }

  static MountEntry Mount(uint32_t major, uint32_t minor, std::string source) {
    MountEntry mount;
    mount.major = major;
    mount.minor = minor;
    mount.source = std::move(source);
    return mount;
  }

  testing::TempDir sys_;
};

TEST_F(FakeSysfsTest, DescribesDisksPartitionsAndTheirBus) {
  const std::string usbDisk = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
  AddDevice("8:16", usbDisk, "1\n");
  AddDevice("8:17", usbDisk + "/sdb1");  // a partition has no flag of its own
  const std::string usbHardDisk = "pci0000:00/0000:00:14.0/usb3/3-2/3-2:1.0/host7/target7:0:0/7:0:0:0/block/sdc";
  AddDevice("8:32", usbHardDisk, "0\n");
  AddDevice("8:33", usbHardDisk + "/sdc1");
  const std::string nvme = "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1";
  AddDevice("259:0", nvme, "0\n");
  AddDevice("259:2", nvme + "/nvme0n1p2");
  AddDevice("11:0", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sr0", "1\n");

  std::unique_ptr<DriveSystem> system = NewLinuxDriveSystem(sys_.path());
  struct Case {
    uint32_t major, minor;
    const char* name;
    bool removable, usb;
  } cases[] = {
      {8, 17, "sdb1", true, true},
      {8, 33, "sdc1", false, true},
      {259, 2, "nvme0n1p2", false, false},
      {11, 0, "sr0", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The source names no node that exists, as inside a container: the device number leads to /sys.
    std::optional<BlockDevice> device = system->FindBlockDevice(Mount(c.major, c.minor, "volumist-test-source"));
    ASSERT_TRUE(device);
    EXPECT_EQ(device->name, c.name);
    EXPECT_EQ(device->devicePath, std::string("/dev/") + c.name);
    EXPECT_EQ(device->removable, c.removable);
    EXPECT_EQ(device->onUsb, c.usb);
  }
}

TEST_F(FakeSysfsTest, FileSystemsWithoutABlockDeviceHaveNone) {
  std::unique_ptr<DriveSystem> system = NewLinuxDriveSystem(sys_.path());
  EXPECT_FALSE(system->FindBlockDevice(Mount(0, 45, "tmpfs")));
  EXPECT_FALSE(system->FindBlockDevice(Mount(0, 50, "nas:/export")));
  // A device number that /sys does not know.
  EXPECT_FALSE(system->FindBlockDevice(Mount(8, 99, "volumist-test-source")));
}

TEST(UdevRecordTest, ReadsLabelUuidAndType) {
  VolumeIdentity identity = IdentityFromUdevRecord(
      "S:disk/by-label/My\\x20Stick\n"
      "E:ID_FS_LABEL=My_Stick\n"
      "E:ID_FS_LABEL_ENC=My\\x20Stick\n"
      "E:ID_FS_UUID=1234-ABCD\n"
      "E:ID_FS_UUID_ENC=1234-ABCD\n"
      "E:ID_FS_TYPE_OLD=x\n"
      "E:ID_FS_TYPE=vfat\n"
      "E:ID_FS_USAGE=filesystem\n");
  EXPECT_EQ(identity.label, "My Stick");
  EXPECT_EQ(identity.uuid, "1234-ABCD");
  EXPECT_EQ(identity.type, "vfat");

  VolumeIdentity plain = IdentityFromUdevRecord("E:ID_FS_LABEL=DATA\nE:ID_FS_UUID=abc\n");
  EXPECT_EQ(plain.label, "DATA");
  EXPECT_EQ(plain.uuid, "abc");
  EXPECT_EQ(plain.type, "");
  EXPECT_EQ(IdentityFromUdevRecord("").label, "");
}

TEST(UdevRecordTest, DecodesHexEscapes) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {R"(My\x20Disk)", "My Disk"},
      {R"(a\x2fb)", "a/b"},
      {R"(\x5C)", "\\"},
      {R"(bad\xZZ)", R"(bad\xZZ)"},
      {R"(short\x2)", R"(short\x2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeUdevText(c.text), c.expected);
  }
}

TEST(LinuxDriveSystemTest, TrayOfSomethingThatIsNoDriveDoesNotMove) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("plain"), "x");
  EXPECT_FALSE(DriveSystem::Default().MoveTray(dir.File("plain"), "", true));
  EXPECT_FALSE(DriveSystem::Default().MoveTray(dir.File("missing"), "", false));
}

}  // namespace
}  // namespace volumist::platform
