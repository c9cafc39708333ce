// The volume list: which files it shows and how, its arrangements, the selection across refreshes,
// loading, renaming and deleting.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "catalog/messages.h"
#include "catalog/volume_list.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using Entry = testing::RecordingPrompter::Entry;
using testing::MemoryNode;
using testing::MemorySource;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

// The window's side: keeps what it is given and counts unloads.
class TestHost final : public VolumeHost {
 public:
  VolumeCatalog* LoadedVolume() override { return loaded.get(); }
  bool UnloadVolume() override {
    ++unloads;
    if (keepVolume) return false;
    loaded.reset();
    return true;
  }
  void ShowVolume(std::unique_ptr<VolumeCatalog> volume, const VolumeListEntry& entry) override {
    loaded = std::move(volume);
    shown.push_back(entry);
  }

  std::unique_ptr<VolumeCatalog> loaded;
  std::vector<VolumeListEntry> shown;
  int unloads = 0;
  bool keepVolume = false;  // as when the user wanted pending edits saved and the save failed
};

// The volume name stored in a file's name field.
std::string StoredName(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  return bytes.size() < 323 ? std::string() : std::string(bytes.c_str() + 67);
}

void SetModifiedTime(const std::string& path, int64_t seconds) {
  auto time = std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds)));
  std::filesystem::last_write_time(path, time);
}

class VolumeListTest : public ::testing::Test {
 protected:
  // Writes a volume named `volumeName` with `files` files (more files make a larger file).
  std::string Volume(const std::string& fileName, const std::string& volumeName, int files = 1) {
    ScanJob job = testing::MakeJob(dir_.File(fileName), volumeName, {true});
    MemorySource source;
    for (int i = 0; i < files; ++i) source.children.push_back(MemoryNode::File("f" + std::to_string(i), ".txt", 10));
    EXPECT_TRUE(testing::WriteVolume(job, {source}, prompter_));
    return job.volumeFileName;
  }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const VolumeListEntry& entry : list_.Entries()) names.push_back(entry.fileName);
    return names;
  }
  size_t IndexOf(const std::string& fileName) const {
    for (size_t i = 0; i < list_.Entries().size(); ++i) {
      if (list_.Entries()[i].fileName == fileName) return i;
    }
    ADD_FAILURE() << fileName << " is not listed";
    return 0;
  }
  void Refresh(bool keepSelection = false) { ASSERT_TRUE(list_.RefreshVolumeList(keepSelection)); }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
  platform::FileSystem& fileSystem_ = platform::FileSystem::Default();
  TestHost host_;
  VolumeList list_{fileSystem_, prompter_, host_};
};

TEST_F(VolumeListTest, ListsOnlyVolumeFilesWithTheirNamesSizesAndTimes) {
  Volume("b.vkt", "Beta");
  Volume("a.vkt", "alpha");
  Volume("UP.VKT", "Upper");
  // Starts with the magic but ends inside the name field: listed with what it has.
  WriteFileBytes(dir_.File("cut.vkt"), ReadFileBytes(Volume("whole", "Cut name")).substr(0, 80));
  WriteFileBytes(dir_.File("foreign.vkt"), "NOT-A-VOLUME but long enough to read a magic from");
  WriteFileBytes(dir_.File("short.vkt"), "QVCT-VF1");
  Volume("volume.bak", "Wrong extension");
  std::filesystem::create_directory(dir_.File("folder.vkt"));
  ASSERT_EQ(::mkfifo(dir_.File("pipe.vkt").c_str(), 0600), 0);  // opening it would wait forever
  SetModifiedTime(dir_.File("a.vkt"), 1000000000);

  list_.SetDirectory(dir_.path());
  Refresh();
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"a.vkt", "b.vkt", "cut.vkt", "UP.VKT"}));
  const VolumeListEntry& alpha = list_.Entries()[0];
  EXPECT_EQ(alpha.volumeName, "alpha");
  EXPECT_EQ(alpha.filePath, dir_.File("a.vkt"));
  EXPECT_EQ(alpha.fileSize, ReadFileBytes(dir_.File("a.vkt")).size());
  EXPECT_EQ(alpha.modifiedTime.Value(), 1000000000);
  EXPECT_EQ(alpha.createdTime.Value(), fileSystem_.Status(dir_.File("a.vkt")).value().createdTime);
  EXPECT_EQ(list_.Entries()[2].volumeName, "Cut name");
  EXPECT_EQ(list_.Entries()[2].fileSize, 80u);
  // Positions count the listed files in the byte order of their names.
  std::vector<uint32_t> positions;
  for (const VolumeListEntry& entry : list_.Entries()) positions.push_back(entry.position);
  EXPECT_EQ(positions, (std::vector<uint32_t>{2, 3, 4, 1}));
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeListTest, ComparisonsOfTheSixArrangements) {
  VolumeListEntry small{"s.vkt", "/s.vkt", "beta", 1, 100, CatalogTime(50), CatalogTime(900)};
  VolumeListEntry large{"l.vkt", "/l.vkt", "Alpha", 2, 200, CatalogTime(60), CatalogTime(800)};
  // Expected sign of Compare(small, large).
  const std::pair<VolumeListArrangement, int> cases[] = {
      {VolumeListArrangement::kNameAscending, 1},      {VolumeListArrangement::kNameDescending, -1},
      {VolumeListArrangement::kSizeAscending, -1},     {VolumeListArrangement::kSizeDescending, 1},
      {VolumeListArrangement::kCreatedNewestFirst, 1}, {VolumeListArrangement::kModifiedNewestFirst, -1},
  };
  for (const auto& [arrangement, sign] : cases) {
    SCOPED_TRACE(ArrangementStatusText(arrangement));
    int order = CompareVolumeEntries(small, large, arrangement);
    EXPECT_EQ((order > 0) - (order < 0), sign);
    EXPECT_EQ(CompareVolumeEntries(small, small, arrangement), 0);
  }
  // Equal keys compare equal, whatever else differs; names also in the descending order.
  VolumeListEntry twin = large;
  twin.volumeName = "ALPHA";
  EXPECT_EQ(CompareVolumeEntries(large, twin, VolumeListArrangement::kNameAscending), 0);
  EXPECT_EQ(CompareVolumeEntries(large, twin, VolumeListArrangement::kNameDescending), 0);
  twin.fileSize = 1;
  EXPECT_EQ(CompareVolumeEntries(large, twin, VolumeListArrangement::kModifiedNewestFirst), 0);
}

TEST_F(VolumeListTest, ArrangementsOrderTheListAndKeepVolumesOfEqualNames) {
  Volume("x1.vkt", "Same", 3);
  Volume("x2.vkt", "same", 1);
  Volume("y.vkt", "Other", 2);
  SetModifiedTime(dir_.File("x1.vkt"), 3000);
  SetModifiedTime(dir_.File("x2.vkt"), 1000);
  SetModifiedTime(dir_.File("y.vkt"), 2000);
  list_.SetDirectory(dir_.path());
  Refresh();
  const std::pair<VolumeListArrangement, std::vector<std::string>> cases[] = {
      {VolumeListArrangement::kNameAscending, {"y.vkt", "x1.vkt", "x2.vkt"}},
      {VolumeListArrangement::kNameDescending, {"x1.vkt", "x2.vkt", "y.vkt"}},
      {VolumeListArrangement::kSizeAscending, {"x2.vkt", "y.vkt", "x1.vkt"}},
      {VolumeListArrangement::kSizeDescending, {"x1.vkt", "y.vkt", "x2.vkt"}},
      {VolumeListArrangement::kModifiedNewestFirst, {"x1.vkt", "y.vkt", "x2.vkt"}},
  };
  for (const auto& [arrangement, expected] : cases) {
    SCOPED_TRACE(ArrangementStatusText(arrangement));
    list_.Arrange(arrangement);
    EXPECT_EQ(FileNames(), expected);
    // The arrangement stays in force for the next refresh.
    Refresh();
    EXPECT_EQ(FileNames(), expected);
  }
  // Creation times are the file system's; the order follows them, then the positions.
  list_.Arrange(VolumeListArrangement::kCreatedNewestFirst);
  const auto& entries = list_.Entries();
  ASSERT_EQ(entries.size(), 3u);
  for (size_t i = 1; i < entries.size(); ++i) {
    int order = CompareVolumeEntries(entries[i - 1], entries[i], VolumeListArrangement::kCreatedNewestFirst);
    EXPECT_TRUE(order < 0 || (order == 0 && entries[i - 1].position < entries[i].position));
  }
}

TEST_F(VolumeListTest, ArrangementTexts) {
  const std::tuple<int, const char*, const char*> cases[] = {
      {0, "By Name (Ascending)", "Arranged by: Name ASC"},
      {1, "By Name (Descending)", "Arranged by: Name DESC"},
      {2, "By Size (Ascending)", "Arranged by: Size ASC"},
      {3, "By Size (Descending)", "Arranged by: Size DESC"},
      {4, "By Time of creation", "Arranged by: Cr. Time"},
      {5, "By Time of modification", "Arranged by: Mod. Time"},
  };
  for (const auto& [index, menu, status] : cases) {
    auto arrangement = ArrangementFromIndex(index);
    ASSERT_TRUE(arrangement);
    EXPECT_EQ(ArrangementMenuEntry(*arrangement), menu);
    EXPECT_EQ(ArrangementStatusText(*arrangement), status);
  }
  EXPECT_FALSE(ArrangementFromIndex(-1));
  EXPECT_FALSE(ArrangementFromIndex(6));
}

TEST_F(VolumeListTest, TheSelectionFollowsItsFileAcrossRefreshes) {
  Volume("a.vkt", "A");
  Volume("c.vkt", "C");
  list_.SetDirectory(dir_.path());
  Refresh();
  ASSERT_TRUE(list_.Select(IndexOf("c.vkt"), false));
  // A new file takes c's place in the listing; c stays selected, and nothing is loaded.
  Volume("b.vkt", "B");
  Refresh(true);
  ASSERT_NE(list_.SelectedEntry(), nullptr);
  EXPECT_EQ(list_.SelectedEntry()->fileName, "c.vkt");
  EXPECT_EQ(list_.SelectedEntry()->position, 3u);
  EXPECT_TRUE(host_.shown.empty());

  Refresh(false);
  EXPECT_EQ(list_.SelectedEntry(), nullptr);

  ASSERT_TRUE(list_.Select(IndexOf("c.vkt"), false));
  std::filesystem::remove(dir_.File("c.vkt"));
  Refresh(true);
  EXPECT_EQ(list_.SelectedEntry(), nullptr);
}

TEST_F(VolumeListTest, AnUnreadableDirectoryGivesAnEmptyListSilently) {
  Volume("a.vkt", "A");
  list_.SetDirectory(dir_.path());
  Refresh();
  list_.SetDirectory(dir_.File("missing"));
  EXPECT_FALSE(list_.RefreshVolumeList(true));
  EXPECT_TRUE(list_.Entries().empty());
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeListTest, SelectingLoadsTheVolumeIntoTheHost) {
  Volume("a.vkt", "A");
  Volume("b.vkt", "B");
  list_.SetDirectory(dir_.path());
  Refresh();
  ASSERT_TRUE(list_.Select(IndexOf("b.vkt"), true));
  ASSERT_NE(host_.loaded, nullptr);
  EXPECT_EQ(host_.loaded->Header().volumeName, "B");
  EXPECT_EQ(host_.shown.back().fileName, "b.vkt");

  // After a scan: the new file is found by its path, relative to the directory or not.
  const VolumeListEntry* found = list_.SelectVolumeByPath("a.vkt", true);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->fileName, "a.vkt");
  EXPECT_EQ(host_.loaded->Header().volumeName, "A");
  EXPECT_NE(list_.SelectVolumeByPath(dir_.path() + "//./b.vkt", false), nullptr);
  EXPECT_EQ(list_.SelectedEntry()->fileName, "b.vkt");
  EXPECT_EQ(host_.shown.size(), 2u);  // selected without loading
  EXPECT_EQ(list_.SelectVolumeByPath("missing.vkt", true), nullptr);
  EXPECT_EQ(list_.SelectedEntry()->fileName, "b.vkt");

  // A file spoilt since the listing: the open says so and the host keeps its volume.
  WriteFileBytes(dir_.File("a.vkt"), "QVCT-VF17A and nothing of a header");
  EXPECT_FALSE(list_.Select(IndexOf("a.vkt"), true));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotOpenForRead});
  EXPECT_EQ(host_.loaded->Header().volumeName, "A");
  EXPECT_EQ(host_.shown.size(), 2u);
}

TEST_F(VolumeListTest, RenameWritesTheNameFieldOfTheSelectedFile) {
  std::string a = Volume("a.vkt", "Old name");
  std::string b = Volume("b.vkt", "Loaded");
  list_.SetDirectory(dir_.path());
  Refresh();
  ASSERT_TRUE(list_.Select(IndexOf("b.vkt"), true));
  ASSERT_TRUE(list_.Select(IndexOf("a.vkt"), false));
  const std::string bBytes = ReadFileBytes(b);

  std::string asked;
  EXPECT_TRUE(list_.RenameVolume([&asked](std::string_view current) {
    asked = current;
    return std::optional<std::string>("New name");
  }));
  EXPECT_EQ(asked, "Old name");
  EXPECT_EQ(StoredName(a), "New name");
  EXPECT_EQ(list_.Entries()[IndexOf("a.vkt")].volumeName, "New name");
  EXPECT_EQ(list_.SelectedEntry()->fileName, "a.vkt");
  // The other, loaded volume is left alone.
  EXPECT_EQ(ReadFileBytes(b), bBytes);
  ASSERT_NE(host_.loaded, nullptr);
  EXPECT_TRUE(host_.loaded->IsLoaded());
  EXPECT_EQ(host_.unloads, 0);

  // Renaming the loaded volume reopens it with the new name.
  ASSERT_TRUE(list_.Select(IndexOf("b.vkt"), false));
  std::string longest(255, 'n');
  EXPECT_TRUE(list_.RenameVolume([&](std::string_view) { return std::optional<std::string>(longest); }));
  EXPECT_EQ(StoredName(b), longest);
  EXPECT_TRUE(host_.loaded->IsLoaded());
  EXPECT_EQ(host_.loaded->Header().volumeName, longest);
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeListTest, RenameRefusals) {
  std::string a = Volume("a.vkt", "Kept");
  list_.SetDirectory(dir_.path());
  Refresh();
  const std::string before = ReadFileBytes(a);
  auto answer = [](std::optional<std::string> name) {
    return [name](std::string_view) { return name; };
  };

  EXPECT_FALSE(list_.RenameVolume([](std::string_view) -> std::optional<std::string> {
    ADD_FAILURE() << "asked for a name without a selection";
    return std::nullopt;
  }));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kLoadSomeVolumeFirst});

  struct Case {
    const char* name;
    std::optional<std::string> newName;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt, {}},
      {"longer than the field", std::string(256, 'x'), {messages::kVolumeNameTooLong}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompter_.entries.clear();
    ASSERT_TRUE(list_.Select(0, false));
    EXPECT_FALSE(list_.RenameVolume(answer(c.newName)));
    EXPECT_EQ(prompter_.Errors(), c.errors);
    EXPECT_EQ(ReadFileBytes(a), before);
  }

  // The file stopped being a volume since the listing.
  prompter_.entries.clear();
  const std::string foreign(400, 'z');
  WriteFileBytes(a, foreign);
  EXPECT_FALSE(list_.RenameVolume(answer("New")));
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kBadVolumeCannotRename});
  EXPECT_EQ(ReadFileBytes(a), foreign);
}

TEST_F(VolumeListTest, DeleteAsksUnloadsAndRemovesTheSelectedFile) {
  std::string a = Volume("a.vkt", "A");
  Volume("b.vkt", "B");
  list_.SetDirectory(dir_.path());
  Refresh();

  EXPECT_FALSE(list_.DeleteVolume());
  EXPECT_EQ(prompter_.entries, (std::vector<Entry>{{Entry::kError, messages::kLoadSomeVolumeFirst}}));

  ASSERT_TRUE(list_.Select(IndexOf("a.vkt"), true));
  prompter_.entries.clear();
  prompter_.answers = {false};
  EXPECT_FALSE(list_.DeleteVolume());
  EXPECT_EQ(prompter_.entries, (std::vector<Entry>{{Entry::kQuestion, messages::kAskDeleteVolume}}));
  EXPECT_TRUE(fileSystem_.Status(a));
  EXPECT_EQ(host_.unloads, 0);
  EXPECT_NE(host_.loaded, nullptr);

  prompter_.entries.clear();
  prompter_.answers = {true};
  EXPECT_TRUE(list_.DeleteVolume());
  EXPECT_EQ(prompter_.entries, (std::vector<Entry>{{Entry::kQuestion, messages::kAskDeleteVolume}}));
  EXPECT_EQ(host_.unloads, 1);
  EXPECT_EQ(host_.loaded, nullptr);
  EXPECT_FALSE(fileSystem_.Status(a));
  EXPECT_EQ(FileNames(), std::vector<std::string>{"b.vkt"});
  EXPECT_EQ(list_.SelectedEntry(), nullptr);
}

TEST_F(VolumeListTest, NothingIsDeletedWhileTheLoadedVolumeStays) {
  std::string a = Volume("a.vkt", "A");
  list_.SetDirectory(dir_.path());
  Refresh();
  ASSERT_TRUE(list_.Select(0, true));
  host_.keepVolume = true;
  prompter_.answers = {true};
  EXPECT_FALSE(list_.DeleteVolume());
  EXPECT_EQ(host_.unloads, 1);
  EXPECT_TRUE(fileSystem_.Status(a));
  EXPECT_NE(host_.loaded, nullptr);
  EXPECT_EQ(FileNames(), std::vector<std::string>{"a.vkt"});
  EXPECT_TRUE(prompter_.Errors().empty());
}

TEST_F(VolumeListTest, AFailedDeleteSaysSoAndKeepsTheList) {
  Volume("a.vkt", "A");
  list_.SetDirectory(dir_.path());
  Refresh();
  ASSERT_TRUE(list_.Select(0, false));
  std::filesystem::remove(dir_.File("a.vkt"));  // gone meanwhile
  prompter_.answers = {true};
  EXPECT_FALSE(list_.DeleteVolume());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotDeleteVolume});
  EXPECT_EQ(FileNames(), std::vector<std::string>{"a.vkt"});
}

}  // namespace
}  // namespace volumist
