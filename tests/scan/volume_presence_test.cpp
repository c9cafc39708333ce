// Which volumes have their media mounted now: drive sources found by their medium wherever it is
// mounted, folder sources by their path and the medium under it, and the whole volume from its
// sources.
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "scan/volume_presence.h"
#include "testing/fake_drive_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::FakeDriveSystem;

// `table` without the line of the mount with this id.
std::string WithoutMount(const std::string& table, const std::string& mountId) {
  size_t start = table.find("\n" + mountId + " ") + 1;
  size_t end = table.find('\n', start) + 1;
  return table.substr(0, start) + table.substr(end);
}

SourceEntry Recorded(FakeDriveSystem& system, const std::string& path, bool isFolderSource) {
  SourceEntry entry;
  EXPECT_TRUE(ReadMediaInfo(system, entry, path, "Source", isFolderSource, 0)) << path;
  return entry;
}

TEST(VolumePresenceTest, SourcesAreFoundByTheirMediumNow) {
  struct Case {
    const char* what;
    const char* recordedPath;
    bool isFolderSource;
    std::function<void(FakeDriveSystem&, SourceEntry&)> change;  // after the scan
    SourcePresence presence;
    const char* mountPoint;  // where it is now
    const char* path;
  } cases[] = {
      {"a drive in its place", "/media/anna/Backup", false, nullptr, SourcePresence::kPresent, "/media/anna/Backup",
       "/media/anna/Backup"},
      {"a drive mounted at another place is found by its serial", "/media/anna/Backup", false,
       [](FakeDriveSystem& system, SourceEntry&) {
         std::string table = *system.mountTable;
         table.replace(table.find("/media/anna/Backup"), 18, "/mnt/usb-disk");
         system.mountTable = table;
       },
       SourcePresence::kPresent, "/mnt/usb-disk", "/mnt/usb-disk"},
      {"a drive whose serial no mounted file system has", "/media/anna/Backup", false,
       [](FakeDriveSystem&, SourceEntry& entry) { entry.serialNumber = 0x0BADF00D; }, SourcePresence::kOtherMedium,
       "", ""},
      {"a drive unmounted", "/run/media/anna/My Stick", false,
       [](FakeDriveSystem& system, SourceEntry&) {
         system.mountTable = WithoutMount(*system.mountTable, "60");
         system.missingPaths = {"/run/media/anna/My Stick"};
       },
       SourcePresence::kMissing, "", ""},
      {"another disc in the drive", "/media/cdrom0", false,
       [](FakeDriveSystem& system, SourceEntry&) { system.identities["/dev/sr0"].uuid = "2024-01-02-03-04-05-00"; },
       SourcePresence::kOtherMedium, "", ""},
      {"a relabelled stick is another medium", "/run/media/anna/My Stick", false,
       [](FakeDriveSystem& system, SourceEntry&) { system.identities["/dev/sdb1"].label = "Old Stick"; },
       SourcePresence::kOtherMedium, "", ""},
      {"a folder on its disk", "/home/anna/docs", true, nullptr, SourcePresence::kPresent, "/home", "/home/anna/docs"},
      {"a folder removed", "/home/anna/docs", true,
       [](FakeDriveSystem& system, SourceEntry&) { system.missingPaths = {"/home/anna/docs"}; },
       SourcePresence::kMissing, "", ""},
      {"a folder on a disc taken out: its path is gone", "/media/cdrom0/photos", true,
       [](FakeDriveSystem& system, SourceEntry&) {
         system.mountTable = WithoutMount(*system.mountTable, "62");
         system.missingPaths = {"/media/cdrom0/photos"};
       },
       SourcePresence::kMissing, "", ""},
      {"a folder of the same name on another disc", "/media/cdrom0/photos", true,
       [](FakeDriveSystem& system, SourceEntry&) { system.identities["/dev/sr0"].uuid = "2024-01-02-03-04-05-00"; },
       SourcePresence::kOtherMedium, "", ""},
      {"a folder whose volume recorded no medium only has to exist", "/media/cdrom0/photos", true,
       [](FakeDriveSystem& system, SourceEntry& entry) {
         entry.serialNumber = 0;
         entry.volumeLabel.Clear();
         entry.fileSystemName.Clear();
         system.identities["/dev/sr0"].uuid = "2024-01-02-03-04-05-00";
       },
       SourcePresence::kPresent, "/media/cdrom0", "/media/cdrom0/photos"},
      {"a folder that is a file now", "/home/anna/docs", true,
       [](FakeDriveSystem& system, SourceEntry&) { system.files = {"/home/anna/docs"}; }, SourcePresence::kMissing, "",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDriveSystem system = testing::MakeDesktopDriveSystem();
    SourceEntry entry = Recorded(system, c.recordedPath, c.isFolderSource);
    if (c.change) c.change(system, entry);
    PresenceCheck check(system);
    EXPECT_EQ(check.CheckSource(entry), (SourceLocation{c.presence, c.mountPoint, c.path}));
  }
}

// A medium without a serial is not taken for another one that shares its label elsewhere.
TEST(VolumePresenceTest, WithoutASerialOnlyTheRecordedRootCounts) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  SourceEntry entry = Recorded(system, "/media/anna/Backup", false);
  entry.serialNumber = 0;
  entry.rootPath.Set("/media/other");
  system.identities["/dev/sdc1"].uuid.clear();
  PresenceCheck check(system);
  EXPECT_EQ(check.CheckSource(entry).presence, SourcePresence::kMissing);
}

TEST(VolumePresenceTest, TheVolumeIsPresentAbsentOrPartly) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  SourceEntry disc = Recorded(system, "/media/cdrom0", false);
  SourceEntry docs = Recorded(system, "/home/anna/docs", true);
  SourceEntry stick = Recorded(system, "/run/media/anna/My Stick", false);
  system.mountTable = WithoutMount(*system.mountTable, "60");
  system.missingPaths = {"/run/media/anna/My Stick"};
  struct Case {
    const char* what;
    std::vector<SourceEntry> sources;
    VolumePresence presence;
  } cases[] = {
      {"all present", {disc, docs}, VolumePresence::kPresent},
      {"one of three missing", {disc, stick, docs}, VolumePresence::kPartly},
      {"the only source missing", {stick}, VolumePresence::kAbsent},
      {"no sources", {}, VolumePresence::kAbsent},
  };
  PresenceCheck check(system);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SourceList list;
    list.Entries() = c.sources;
    VolumeLocation location = check.CheckSources(list);
    EXPECT_EQ(location.presence, c.presence);
    ASSERT_EQ(location.sources.size(), c.sources.size());
    for (size_t i = 0; i < c.sources.size(); ++i) EXPECT_EQ(location.sources[i], check.CheckSource(c.sources[i]));
  }
  EXPECT_EQ(VolumePresenceWord(VolumePresence::kPresent), "present");
  EXPECT_EQ(VolumePresenceWord(VolumePresence::kAbsent), "absent");
  EXPECT_EQ(VolumePresenceWord(VolumePresence::kPartly), "partly");
}

// The same check as the rescan's: where a source's medium is at its recorded path, both agree.
// Drive sources are recorded at a drive's root; folder sources anywhere.
TEST(VolumePresenceTest, AgreesWithTheRescansCheckAtTheRecordedPath) {
  FakeDriveSystem system = testing::MakeDesktopDriveSystem();
  const std::pair<const char*, bool> sources[] = {
      {"/media/cdrom0", false}, {"/home", false},         {"/mnt/nas", false},         {"/srv/projects", false},
      {"/media/cdrom0", true},  {"/media/cdrom0/photos", true}, {"/home/anna", true}, {"/mnt/nas/films", true},
      {"/srv/projects", true},
  };
  for (const auto& [path, folder] : sources) {
    {
      SCOPED_TRACE(std::string(path) + (folder ? " as a folder" : " as a drive"));
      SourceEntry entry = Recorded(system, path, folder);
      for (const char* uuid : {"2023-07-14-09-30-00-00", "2024-01-02-03-04-05-00"}) {
        system.identities["/dev/sr0"].uuid = uuid;
        PresenceCheck check(system);
        EXPECT_EQ(check.CheckSource(entry).presence, CheckSourceMedium(system, entry));
      }
      system.identities["/dev/sr0"].uuid = "2023-07-14-09-30-00-00";
    }
  }
}

// The mount table is read once, however many sources are asked about.
TEST(VolumePresenceTest, TheMountTableIsReadOnce) {
  FakeDriveSystem recorded = testing::MakeDesktopDriveSystem();
  SourceEntry docs = Recorded(recorded, "/home/anna/docs", true);
  SourceEntry disc = Recorded(recorded, "/media/cdrom0", false);

  class Counting final : public platform::DriveSystem {
   public:
    explicit Counting(FakeDriveSystem& inner) : inner_(inner) {}
    int reads = 0;
    std::optional<std::string> ReadMountTable() override {
      ++reads;
      return inner_.ReadMountTable();
    }
    std::optional<std::string> RealPath(const std::string& path) override { return inner_.RealPath(path); }
    bool IsDirectory(const std::string& path) override { return inner_.IsDirectory(path); }
    std::optional<platform::BlockDevice> FindBlockDevice(const platform::MountEntry& mount) override {
      return inner_.FindBlockDevice(mount);
    }
    platform::VolumeIdentity ReadVolumeIdentity(const std::string& devicePath) override {
      return inner_.ReadVolumeIdentity(devicePath);
    }
    std::optional<platform::DiskSpace> ReadDiskSpace(const std::string& mountPoint) override {
      return inner_.ReadDiskSpace(mountPoint);
    }
    bool MoveTray(const std::string&, const std::string&, bool) override { return false; }

   private:
    FakeDriveSystem& inner_;
  } counting(recorded);
  PresenceCheck check(counting);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(check.CheckSource(docs).presence, SourcePresence::kPresent);
    EXPECT_EQ(check.CheckSource(disc).presence, SourcePresence::kPresent);
  }
  EXPECT_EQ(counting.reads, 1);
}

// On this machine: a folder source that exists is present, and absent once removed; a volume file
// is read for its sources, anything else is no volume.
TEST(VolumePresenceTest, FolderSourcesOnThisMachine) {
  testing::TempDir dir;
  const std::string folder = dir.File("photos");
  std::filesystem::create_directory(folder);
  SourceEntry entry;
  static_cast<void>(ReadMediaInfo(entry, folder, "Photos", true, 0));
  {
    PresenceCheck check(platform::DriveSystem::Default());
    SourceLocation location = check.CheckSource(entry);
    EXPECT_EQ(location.presence, SourcePresence::kPresent);
    EXPECT_EQ(location.path, folder);
    EXPECT_FALSE(location.mountPoint.empty());
  }
  std::filesystem::remove(folder);
  PresenceCheck check(platform::DriveSystem::Default());
  EXPECT_EQ(check.CheckSource(entry), SourceLocation{});

  testing::RecordingPrompter prompter;
  ScanJob job = testing::MakeJob(dir.File("two.vkt"), "Two", {true, false});
  ASSERT_TRUE(testing::WriteVolume(job, {{}, {}}, prompter));
  std::optional<VolumeLocation> location = check.CheckVolumeFile(platform::FileSystem::Default(), dir.File("two.vkt"));
  ASSERT_TRUE(location);
  EXPECT_EQ(location->presence, VolumePresence::kAbsent);  // "/source0" and "/source1" do not exist
  EXPECT_EQ(location->sources.size(), 2u);
  testing::WriteFileBytes(dir.File("not.vkt"), "not a volume");
  EXPECT_FALSE(check.CheckVolumeFile(platform::FileSystem::Default(), dir.File("not.vkt")));
  EXPECT_FALSE(check.CheckVolumeFile(platform::FileSystem::Default(), dir.path()));
}

}  // namespace
}  // namespace volumist
