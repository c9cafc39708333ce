// What the properties dialog shows of an item, the volume and the medium, and what its OK stores.
#include <gtest/gtest.h>

#include <memory>

#include "browse/properties_rules.h"
#include "catalog/value_format.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist::browse {
namespace {

using testing::MemoryNode;
using testing::MemorySource;

class PropertiesRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("props.vkt");
    MemoryNode photo = MemoryNode::File("summer", ".jpg", 1536000, 1000000000);
    photo.hasSignatures = true;
    photo.signatures.attrHidden = true;
    photo.signatures.attrReadOnly = true;
    MemorySource disc;
    disc.children = {MemoryNode::Folder("Photos", {MemoryNode::Folder("2003", {photo})}),
                     MemoryNode::File("readme", ".txt", 12)};
    disc.volumeLabel = "HOLIDAY";
    disc.fileSystemName = "iso9660";
    disc.driveType = 5;
    disc.serialNumber = 0x12AB0003;
    disc.totalBytes = 700000000;
    disc.freeBytes = 0;
    MemorySource second;
    second.children = {MemoryNode::File("b", ".dat", 5)};
    second.totalBytes = 1000;
    second.freeBytes = 500;
    ScanJob job = testing::MakeJob(path_, "Holiday", {true, true});
    job.sources[0].sourceName = "Disc";
    ASSERT_TRUE(testing::WriteVolume(job, {disc, second}, prompter_));
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(path_));
  }

  PropertiesItem Item(const std::vector<std::string>& path, bool upEntry = false) {
    std::optional<ContentItem> found = testing::FindItem(*volume_, path);
    EXPECT_TRUE(found.has_value());
    PropertiesItem item;
    if (found) item.item = *found;
    if (path.size() > 1) {
      std::vector<std::string> parent(path.begin(), path.end() - 1);
      std::optional<ContentItem> container = testing::FindItem(*volume_, parent);
      EXPECT_TRUE(container.has_value());
      if (container) item.containerKey = container->key;
    }
    item.isUpEntry = upEntry;
    return item;
  }

  static bool Present(const SourceEntry&) { return true; }

  testing::TempDir dir_;
  std::string path_;
  testing::RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
};

TEST_F(PropertiesRulesTest, ItemVolumeAndMedium) {
  PropertiesData data = GatherProperties(*volume_, Item({"Disc", "Photos", "2003", "summer.jpg"}), Present);
  ASSERT_TRUE(data.item);
  const ItemProperties& item = *data.item;
  EXPECT_EQ(item.kind, PropertiesItemKind::kFile);
  EXPECT_EQ(item.name, "summer.jpg");
  EXPECT_EQ(item.location, "/Disc/Photos/2003");
  EXPECT_EQ(item.size, "1.46 MB  (1 536 000 Bytes)");
  EXPECT_EQ(item.created, FormatDateTime(CatalogTime(1000000000)));
  EXPECT_FALSE(item.created.empty());
  EXPECT_TRUE(item.hidden);
  EXPECT_TRUE(item.readOnly);
  EXPECT_FALSE(item.archive);
  EXPECT_FALSE(item.system);
  EXPECT_TRUE(item.descriptionEditable);

  EXPECT_EQ(data.volume.name, "Holiday");
  EXPECT_EQ(data.volume.folders, "4  (4)");
  EXPECT_EQ(data.volume.files, "3  (3)");
  EXPECT_EQ(data.volume.archives, "0");
  EXPECT_EQ(data.volume.fileSize, FormatSizeGrouped(volume_->VolumeFileSize(), true));
  EXPECT_TRUE(data.volume.fileSize.ends_with(" Bytes"));
  EXPECT_EQ(data.volume.created, FormatDateTime(volume_->VolumeFileTime()));

  ASSERT_TRUE(data.media);
  EXPECT_EQ(data.media->label, "HOLIDAY");
  EXPECT_EQ(data.media->type, "CD-ROM drive");
  EXPECT_EQ(data.media->serial, "12AB-3");
  EXPECT_EQ(data.media->fileSystem, "iso9660");
  EXPECT_EQ(data.media->scanPath, "/source0");
  EXPECT_EQ(data.media->present, "YES");
  ASSERT_TRUE(data.media->pie);
  EXPECT_EQ(data.media->pie->slices[1].angle, 359);
  EXPECT_EQ(data.media->pie->slices[2].angle, 1);
}

TEST_F(PropertiesRulesTest, KindsOfItems) {
  struct Case {
    const char* what;
    std::vector<std::string> path;
    bool upEntry;
    PropertiesItemKind kind;
    std::string name;
    std::string location;
    bool editable;
    std::string scanPath;
  } cases[] = {
      {"a source root", {"Disc"}, false, PropertiesItemKind::kSourceRoot, "Disc", "/", true, "/source0"},
      {"a folder", {"Disc", "Photos"}, false, PropertiesItemKind::kFolder, "Photos", "/Disc", true, "/source0"},
      {"the up entry", {"Disc", "Photos"}, true, PropertiesItemKind::kUpEntry, "..", "/Disc", false, "/source0"},
      {"a file of the second source", {"Source1", "b.dat"}, false, PropertiesItemKind::kFile, "b.dat", "/Source1", true,
       "/source1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PropertiesData data = GatherProperties(*volume_, Item(c.path, c.upEntry), [](const SourceEntry&) { return false; });
    ASSERT_TRUE(data.item);
    EXPECT_EQ(data.item->kind, c.kind);
    EXPECT_EQ(data.item->name, c.name);
    EXPECT_EQ(data.item->location, c.location);
    EXPECT_EQ(data.item->descriptionEditable, c.editable);
    // Folders, up entries and roots have no time.
    if (c.kind != PropertiesItemKind::kFile) {
      EXPECT_EQ(data.item->created, "");
    }
    ASSERT_TRUE(data.media);
    EXPECT_EQ(data.media->scanPath, c.scanPath);
    EXPECT_EQ(data.media->present, "NO");
  }
}

TEST_F(PropertiesRulesTest, WithoutAnItemTheFirstSourceIsShown) {
  PropertiesData data = GatherProperties(*volume_, std::nullopt, nullptr);
  EXPECT_FALSE(data.item);
  ASSERT_TRUE(data.media);
  EXPECT_EQ(data.media->label, "HOLIDAY");
  EXPECT_EQ(data.media->present, "NO");
}

TEST_F(PropertiesRulesTest, OkStoresExactChanges) {
  ASSERT_TRUE(volume_->SetDescription(0, "abc"));
  PropertiesItem readme = Item({"Disc", "readme.txt"});
  struct Case {
    const char* what;
    PropertiesEdits edits;
    bool volumeDescription;
    bool itemDescription;
    bool renamed;
  } cases[] = {
      {"nothing changed", {"Holiday", "abc", ""}, false, false, false},
      {"letter case alone is a change", {"Holiday", "ABC", ""}, true, false, false},
      {"the item's description", {"Holiday", "abc", "read me first"}, false, true, false},
      {"a name in other letter case", {"HOLIDAY", "abc", ""}, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PropertiesData shown = GatherProperties(*volume_, readme, nullptr);
    PropertiesOutcome outcome = ApplyPropertiesEdits(*volume_, shown, c.edits);
    EXPECT_EQ(outcome.volumeDescriptionChanged, c.volumeDescription);
    EXPECT_EQ(outcome.itemDescriptionChanged, c.itemDescription);
    EXPECT_EQ(outcome.renamed, c.renamed);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(volume_->GetDescription(0), std::optional<std::string>(c.edits.volumeDescription));
    EXPECT_EQ(volume_->Header().volumeName, c.edits.volumeName);
    if (c.itemDescription) {
      EXPECT_EQ(volume_->GetDescription(readme.item.DescriptionKey()), std::optional<std::string>("read me first"));
    }
    // Put the volume back for the next case.
    ASSERT_TRUE(volume_->SetDescription(0, "abc"));
    ASSERT_TRUE(volume_->SetDescription(readme.item.DescriptionKey(), ""));
    if (c.renamed) {
      ASSERT_TRUE(volume_->SetVolumeName("Holiday"));
    }
  }
  EXPECT_TRUE(prompter_.entries.empty());
  // The rename reached the file itself; the pending descriptions survived it.
  VolumeCatalog reread(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(reread.OpenVolume(path_));
  EXPECT_EQ(reread.Header().volumeName, "Holiday");
  EXPECT_TRUE(volume_->HasPendingDescriptions());
  volume_->CloseVolume(false);
}

TEST_F(PropertiesRulesTest, TheUpEntrysDescriptionIsNeverStored) {
  PropertiesItem up = Item({"Disc", "Photos"}, true);
  PropertiesData shown = GatherProperties(*volume_, up, nullptr);
  ASSERT_TRUE(shown.item);
  EXPECT_EQ(shown.item->description, "");
  PropertiesOutcome outcome = ApplyPropertiesEdits(*volume_, shown, {"Holiday", "", "typed anyway"});
  EXPECT_FALSE(outcome.itemDescriptionChanged);
  EXPECT_FALSE(volume_->HasPendingDescriptions());
}

TEST_F(PropertiesRulesTest, ARenameTooLongFails) {
  PropertiesData shown = GatherProperties(*volume_, std::nullopt, nullptr);
  PropertiesOutcome outcome = ApplyPropertiesEdits(*volume_, shown, {std::string(256, 'n'), "", ""});
  EXPECT_FALSE(outcome.renamed);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(volume_->Header().volumeName, "Holiday");
}

}  // namespace
}  // namespace volumist::browse
