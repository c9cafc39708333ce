// The mount table: parsing mountinfo texts, hidden mounts and the mount that holds a path.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/mount_table.h"
#include "testing/recorded_mount_tables.h"

namespace volumist::platform {
namespace {

std::vector<std::string> MountPoints(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> points;
  for (const MountEntry& mount : mounts) points.push_back(mount.mountPoint);
  return points;
}

TEST(MountTableTest, ParsesEveryFieldOfALine) {
  std::vector<MountEntry> mounts = ParseMountInfo(
      "36 35 98:17 /data/sub /mnt/point rw,noatime shared:1 master:2 - ext3 /dev/sdb1 rw,errors=continue\n"
      "37 35 0:50 / /mnt/nas rw - nfs4 nas:/export rw,vers=4.2\n");
  ASSERT_EQ(mounts.size(), 2u);
  const MountEntry& first = mounts[0];
  EXPECT_EQ(first.mountId, 36u);
  EXPECT_EQ(first.parentId, 35u);
  EXPECT_EQ(first.major, 98u);
  EXPECT_EQ(first.minor, 17u);
  EXPECT_EQ(first.root, "/data/sub");
  EXPECT_EQ(first.mountPoint, "/mnt/point");
  EXPECT_EQ(first.fileSystemType, "ext3");
  EXPECT_EQ(first.source, "/dev/sdb1");
  EXPECT_EQ(first.superOptions, "rw,errors=continue");
  // Without optional fields the separator follows the mount options directly.
  EXPECT_EQ(mounts[1].fileSystemType, "nfs4");
  EXPECT_EQ(mounts[1].source, "nas:/export");
}

TEST(MountTableTest, UndoesTheKernelsEscapes) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {R"(/media/My\040Stick)", "/media/My Stick"},
      {R"(tab\011newline\012backslash\134)", "tab\tnewline\nbackslash\\"},
      {R"(\040\040)", "  "},
      {R"(plain\x)", R"(plain\x)"},   // not octal
      {R"(short\04)", R"(short\04)"},  // too few digits
      {R"(end\)", R"(end\)"},
      {R"(big\400)", R"(big\400)"},    // beyond one byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(UnescapeMountField(c.text), c.expected);
  }
  std::vector<MountEntry> mounts =
      ParseMountInfo(R"(60 26 8:17 /a\040b /run/media/anna/My\040Stick rw - vfat /dev/disk\040x rw)");
  ASSERT_EQ(mounts.size(), 1u);
  EXPECT_EQ(mounts[0].root, "/a b");
  EXPECT_EQ(mounts[0].mountPoint, "/run/media/anna/My Stick");
  EXPECT_EQ(mounts[0].source, "/dev/disk x");
}

TEST(MountTableTest, SkipsLinesThatAreNotMountLines) {
  std::vector<MountEntry> mounts = ParseMountInfo(
      "\n"
      "x 1 8:1 / /a rw - ext4 /dev/sda1 rw\n"          // mount id not a number
      "2 1 8:1 / /b rw ext4 /dev/sda1 rw\n"            // no separator
      "3 1 81 / /c rw - ext4 /dev/sda1 rw\n"           // device number without colon
      "4 1 8:1 / /d rw -\n"                            // nothing after the separator
      "5 1 8:1 / relative rw - ext4 /dev/sda1 rw\n"    // mount point not absolute
      "6 1 8:1 / /kept rw - ext4 /dev/sda1");          // last line without line end, no options
  ASSERT_EQ(MountPoints(mounts), std::vector<std::string>{"/kept"});
  EXPECT_EQ(mounts[0].superOptions, "");
}

TEST(MountTableTest, RecordedTablesParseCompletely) {
  for (std::string_view text : {testing::kDesktopMountInfo, testing::kContainerMountInfo}) {
    EXPECT_EQ(ParseMountInfo(text).size(), static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
  }
}

TEST(MountTableTest, PathsAreWithinDirectoriesByWholeComponents) {
  struct Case {
    const char* path;
    const char* directory;
    bool within;
  } cases[] = {
      {"/mnt/a", "/mnt/a", true},     {"/mnt/a/b", "/mnt/a", true}, {"/mnt/ab", "/mnt/a", false},
      {"/mnt", "/mnt/a", false},      {"/anything", "/", true},     {"/", "/", true},
      {"relative", "/", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " in " + c.directory);
    EXPECT_EQ(IsPathWithin(c.path, c.directory), c.within);
  }
}

TEST(MountTableTest, AMountMountedOverAnotherHidesIt) {
  // The same mount point twice, the second on top of the first (this is how a container runtime
  // leaves /dev/shm); then /mnt/a/b, hidden later by a mount over /mnt/a.
  std::vector<MountEntry> mounts = ParseMountInfo(
      "21 27 0:20 / /proc rw - proc proc rw\n"    // listed before its parent, the root
      "25 27 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
      "27 1 254:0 / / rw - ext4 /dev/vda rw\n"
      "30 25 0:27 / /dev/shm rw - tmpfs tmpfs rw\n"
      "40 27 8:1 / /mnt/a/b rw - ext4 /dev/sda1 rw\n"
      "41 27 8:2 / /mnt/a rw - ext4 /dev/sda2 rw\n"
      "42 41 8:3 / /mnt/a/c rw - ext4 /dev/sda3 rw\n");
  std::vector<MountEntry> visible = VisibleMounts(mounts);
  EXPECT_EQ(MountPoints(visible), (std::vector<std::string>{"/proc", "/", "/dev/shm", "/mnt/a", "/mnt/a/c"}));
  ASSERT_EQ(visible.size(), 5u);
  EXPECT_EQ(visible[2].mountId, 30u);
}

TEST(MountTableTest, ParentLinksThatLoopDoNotHang) {
  std::vector<MountEntry> mounts = ParseMountInfo(
      "1 2 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:2 / /a rw - ext4 /dev/sda2 rw\n"
      "3 3 8:3 / /b rw - ext4 /dev/sda3 rw\n");
  EXPECT_EQ(MountPoints(VisibleMounts(mounts)), (std::vector<std::string>{"/", "/a", "/b"}));
}

TEST(MountTableTest, ThePathBelongsToTheLongestMountPointThatHoldsIt) {
  std::vector<MountEntry> mounts = VisibleMounts(ParseMountInfo(testing::kDesktopMountInfo));
  struct Case {
    const char* path;
    const char* mountPoint;
  } cases[] = {
      {"/", "/"},
      {"/etc/fstab", "/"},
      {"/home", "/home"},
      {"/home/anna/photos", "/home"},
      {"/homework", "/"},
      {"/run/media/anna/My Stick/DCIM", "/run/media/anna/My Stick"},
      {"/run/media/anna", "/run"},
      {"/srv/projects/volumist", "/srv/projects"},
      {"/proc/sys/fs/binfmt_misc/status", "/proc/sys/fs/binfmt_misc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int index = FindMountForPath(mounts, c.path);
    ASSERT_GE(index, 0);
    EXPECT_EQ(mounts[static_cast<size_t>(index)].mountPoint, c.mountPoint);
  }
  EXPECT_EQ(FindMountForPath(mounts, "relative/path"), -1);
  EXPECT_EQ(FindMountForPath({}, "/"), -1);
}

}  // namespace
}  // namespace volumist::platform
