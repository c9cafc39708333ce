// Descriptions: edits, saving them into the volume, and what survives a failed save.
#include <gtest/gtest.h>

#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "catalog/volume_catalog.h"
#include "testing/byte_builder.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

// The description area and index of a volume file, decoded: the records in file order, the index
// in file order.
struct StoredDescriptions {
  uint32_t count = 0;
  std::vector<std::pair<uint32_t, std::string>> records;
  std::vector<std::pair<uint32_t, uint32_t>> index;
  bool hasIndex = false;
};

StoredDescriptions ReadStored(const std::string& path) {
  std::string bytes = testing::ReadFileBytes(path);
  auto u32 = [&](size_t at) { return static_cast<uint32_t>(DecodeFixed(reinterpret_cast<const uint8_t*>(bytes.data()) + at, 4)); };
  StoredDescriptions stored;
  uint32_t start = u32(18);
  uint32_t indexStart = u32(22);
  if (start == bytes.size()) return stored;
  stored.count = u32(start);
  for (size_t at = start + 4; at < indexStart;) {
    uint32_t key = u32(at);
    size_t length = static_cast<size_t>(DecodeFixed(reinterpret_cast<const uint8_t*>(bytes.data()) + at + 4, 2));
    stored.records.emplace_back(key, bytes.substr(at + 6, length));
    at += 6 + length;
  }
  stored.hasIndex = static_cast<uint8_t>(bytes[indexStart]) == 0xA0;
  uint32_t entries = u32(indexStart + 1);
  for (uint32_t i = 0; i < entries; ++i) stored.index.emplace_back(u32(indexStart + 5 + 8 * i), u32(indexStart + 9 + 8 * i));
  EXPECT_EQ(indexStart + 5 + 8 * entries, bytes.size());
  return stored;
}

class DescriptionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemorySource source;
    source.children = {MemoryNode::Folder("folder", {MemoryNode::File("inner", ".txt", 5)}),
                       MemoryNode::File("top", ".txt", 7)};
    ScanJob job = testing::MakeJob(path_, "Described", {false});
    ASSERT_TRUE(testing::WriteVolume(job, {source}, prompter_));
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(path_));
    ReadTopLevel(*volume_, [&](const ContentItem& item) {
      (item.kind == RecordKind::kFolder ? folderKey_ : fileKey_) = item.DescriptionKey();
      if (item.kind == RecordKind::kFolder) {
        ReadFolderContents(*volume_, item.folder, [&](const ContentItem& inner) {
          innerKey_ = inner.DescriptionKey();
          return true;
        });
      }
      return true;
    });
    treeBytes_ = TreeBytes();
  }
  void TearDown() override {
    if (volume_) {
      EXPECT_FALSE(volume_->HasPendingDescriptions());
    }
  }

  std::string TreeBytes() {
    std::string bytes = testing::ReadFileBytes(path_);
    uint32_t start = static_cast<uint32_t>(DecodeFixed(reinterpret_cast<const uint8_t*>(bytes.data()) + 18, 4));
    return bytes.substr(0, 18) + bytes.substr(26, start - 26);  // all but the description offsets
  }

  TempDir dir_;
  std::string path_ = dir_.File("described.vkt");
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
  RecordKey folderKey_ = 0, fileKey_ = 0, innerKey_ = 0;
  std::string treeBytes_;
};

TEST_F(DescriptionStoreTest, KeysOfFoldersAndTheirFilesNeverCollide) {
  // The folder's key is the position of its tag; its first file's record follows its 23-byte
  // record, and the file's description key is one past that.
  EXPECT_NE(folderKey_, innerKey_);
  EXPECT_NE(fileKey_, innerKey_);
  EXPECT_NE(folderKey_, 0u);
  for (RecordKey key : {RecordKey{0}, folderKey_, innerKey_, fileKey_}) {
    ASSERT_TRUE(volume_->SetDescription(key, "about " + std::to_string(key)));
  }
  ASSERT_TRUE(volume_->SaveDescriptions());
  for (RecordKey key : {RecordKey{0}, folderKey_, innerKey_, fileKey_}) {
    EXPECT_EQ(volume_->GetDescription(key), "about " + std::to_string(key));
  }
  EXPECT_EQ(TreeBytes(), treeBytes_);
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(DescriptionStoreTest, EditsMergeNewFirstThenSurvivingOldOnes) {
  ASSERT_TRUE(volume_->SetDescription(0, "volume"));
  ASSERT_TRUE(volume_->SetDescription(fileKey_, "file"));
  ASSERT_TRUE(volume_->SetDescription(folderKey_, "folder"));
  ASSERT_TRUE(volume_->SaveDescriptions());
  // Three edits of one key leave one record in the edits file and one description.
  ASSERT_TRUE(volume_->SetDescription(innerKey_, "first"));
  ASSERT_TRUE(volume_->SetDescription(innerKey_, "second"));
  ASSERT_TRUE(volume_->SetDescription(innerKey_, "third"));
  ASSERT_NE(volume_->Descriptions().EditsFilePath(), nullptr);
  ASSERT_TRUE(volume_->SetDescription(fileKey_, ""));  // removed
  EXPECT_EQ(volume_->GetDescription(innerKey_), "third");
  EXPECT_EQ(volume_->GetDescription(fileKey_), std::nullopt);
  EXPECT_EQ(testing::ReadFileBytes(*volume_->Descriptions().EditsFilePath()).size(), 2 * 518u);
  ASSERT_TRUE(volume_->SaveDescriptions());

  StoredDescriptions stored = ReadStored(path_);
  EXPECT_EQ(stored.count, 3u);
  using Records = std::vector<std::pair<uint32_t, std::string>>;
  EXPECT_EQ(stored.records, (Records{{innerKey_, "third"}, {0, "volume"}, {folderKey_, "folder"}}));
  ASSERT_TRUE(stored.hasIndex);
  ASSERT_EQ(stored.index.size(), 3u);
  EXPECT_EQ(stored.index[1], std::make_pair(0u, 4u + 6 + 5));
  EXPECT_EQ(volume_->GetDescription(folderKey_), "folder");
  EXPECT_EQ(volume_->Descriptions().IndexSize(), 3u);
  EXPECT_EQ(TreeBytes(), treeBytes_);
}

TEST_F(DescriptionStoreTest, SavingWithNothingLeftKeepsAnEmptyAreaAndIndex) {
  ASSERT_TRUE(volume_->SetDescription(fileKey_, "x"));
  ASSERT_TRUE(volume_->SaveDescriptions());
  ASSERT_TRUE(volume_->SetDescription(fileKey_, ""));
  ASSERT_TRUE(volume_->SaveDescriptions());
  StoredDescriptions stored = ReadStored(path_);
  EXPECT_EQ(stored.count, 0u);
  EXPECT_TRUE(stored.records.empty());
  EXPECT_TRUE(stored.hasIndex);
  EXPECT_TRUE(stored.index.empty());
  // Saving again with nothing pending fails with the message.
  EXPECT_FALSE(volume_->SaveDescriptions());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
}

TEST_F(DescriptionStoreTest, TheLongestDescriptionFillsItsSlot) {
  std::string longest(511, 'd');
  ASSERT_TRUE(volume_->SetDescription(fileKey_, longest + "cut off"));
  std::string edits = testing::ReadFileBytes(*volume_->Descriptions().EditsFilePath());
  ASSERT_EQ(edits.size(), 518u);
  EXPECT_EQ(edits.substr(6), longest + '\0');
  ASSERT_TRUE(volume_->SetDescription(innerKey_, "short"));
  edits = testing::ReadFileBytes(*volume_->Descriptions().EditsFilePath());
  EXPECT_EQ(edits.substr(518 + 6, 6), std::string("short\0", 6));
  EXPECT_EQ(edits.substr(518 + 12), std::string(506, '-'));
  ASSERT_TRUE(volume_->SaveDescriptions());
  EXPECT_EQ(volume_->GetDescription(fileKey_), longest);
}

TEST_F(DescriptionStoreTest, AFailedSaveLeavesTheVolumeAndKeepsTheEdits) {
  ASSERT_TRUE(volume_->SetDescription(0, "kept"));
  ASSERT_TRUE(volume_->SaveDescriptions());
  std::string before = testing::ReadFileBytes(path_);
  // Reopen on a file system whose disk fills up during the save.
  testing::FaultFileSystem faults;
  VolumeCatalog volume(faults, prompter_);
  ASSERT_TRUE(volume.OpenVolume(path_));
  ASSERT_TRUE(volume.SetDescription(fileKey_, "new text"));
  faults.diskSpace = faults.bytesWritten + 200;
  EXPECT_FALSE(volume.SaveDescriptions());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
  EXPECT_EQ(testing::ReadFileBytes(path_), before);
  EXPECT_TRUE(volume.HasPendingDescriptions());
  EXPECT_EQ(volume.GetDescription(fileKey_), "new text");
  EXPECT_EQ(volume.GetDescription(0), "kept");
  // Once there is room again, the same edits save.
  faults.diskSpace = 0;
  ASSERT_TRUE(volume.SaveDescriptions());
  EXPECT_EQ(volume.GetDescription(fileKey_), "new text");
  std::vector<std::string> names = testing::ListNames(dir_.path());
  EXPECT_EQ(names, std::vector<std::string>{"described.vkt"});
}

TEST_F(DescriptionStoreTest, ClosingWithPendingEditsAsks) {
  for (bool answer : {false, true}) {
    ASSERT_TRUE(volume_->SetDescription(0, answer ? "saved" : "dropped"));
    prompter_.answers.push_back(answer);
    volume_->CloseVolume(true);
    EXPECT_EQ(prompter_.entries.back().text, messages::kSaveDescriptionsQuestion);
    ASSERT_TRUE(volume_->OpenVolume(path_));
    EXPECT_EQ(volume_->GetDescription(0), answer ? std::optional<std::string>("saved") : std::nullopt);
  }
  // Discarding drops the edits without a question.
  ASSERT_TRUE(volume_->SetDescription(0, "undone"));
  volume_->DiscardDescriptions();
  EXPECT_EQ(volume_->GetDescription(0), "saved");
}

TEST_F(DescriptionStoreTest, TheNumberOfDescriptionsIsLimited) {
  // An index of 524,287 entries (the most that is read), pointing nowhere in particular.
  std::string bytes = testing::ReadFileBytes(path_);
  uint32_t start = static_cast<uint32_t>(bytes.size());
  testing::ByteBuilder area;
  area.U32(0).U8(0xA0).U32(DescriptionStore::kMaxIndexEntries);
  for (uint32_t i = 0; i < DescriptionStore::kMaxIndexEntries; ++i) area.U32(1000000 + i).U32(0);
  testing::ByteBuilder field;
  field.U32(start + 4);
  bytes.replace(22, 4, field.bytes());
  testing::WriteFileBytes(path_, bytes + area.bytes());
  ASSERT_TRUE(volume_->OpenVolume(path_));
  EXPECT_EQ(volume_->Descriptions().DescriptionCount(), DescriptionStore::kMaxIndexEntries);
  ASSERT_TRUE(volume_->SetDescription(1, "the last one"));
  EXPECT_FALSE(volume_->SetDescription(2, "one too many"));
  EXPECT_TRUE(volume_->SetDescription(1, "edited again"));  // a key already edited is fine
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{"Too many descriptions. (Maximum is 524288 descriptions)"});
  volume_->DiscardDescriptions();
}

}  // namespace
}  // namespace volumist
