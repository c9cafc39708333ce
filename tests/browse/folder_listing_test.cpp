// Reading a folder for the tree and the list: the up entry and Up lead to the real parent, the top
// folders of drive and folder sources go up to the root (their stored parent key names their
// source), captions, archives, and damaged volumes.
#include <gtest/gtest.h>

#include <fstream>

#include "browse/folder_listing.h"
#include "browse_volume.h"

namespace volumist::browse {
namespace {

using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

class FolderListingTest : public ::testing::Test {
 protected:
  // Two drive sources, then a folder source:
  //   Source0 (drive): first.txt, A {X {x.txt}}, B {y.txt}
  //   Source1 (drive): C {}, D {}
  //   Source2 (folder): Source2 {Docs {pack.zip {in {z.txt}}}}
  void SetUp() override {
    MemorySource drive;
    drive.children = {MemoryNode::File("first", ".txt", 1),
                      MemoryNode::Folder("A", {MemoryNode::Folder("X", {MemoryNode::File("x", ".txt", 3)})}),
                      MemoryNode::Folder("B", {MemoryNode::File("y", ".txt", 4)})};
    MemorySource second;
    second.children = {MemoryNode::Folder("C"), MemoryNode::Folder("D")};
    MemorySource folder;
    folder.children = {MemoryNode::Folder(
        "Docs", {MemoryNode::Archive("pack", ".zip", 9, 1, {MemoryNode::Folder("in", {MemoryNode::File("z", ".txt", 1)})})})};
    ASSERT_TRUE(volume_.Write({drive, second, folder}, {false, false, true}, "Disc one"));
  }

  RecordKey KeyOf(const std::vector<std::string>& path) {
    std::optional<ItemRow> row = volume_.Row(path);
    EXPECT_TRUE(row.has_value());
    return row ? row->key : 0;
  }

  std::vector<std::string> Names(const FolderListing& listing) {
    std::vector<std::string> names;
    for (const ItemRow& row : listing.rows) names.push_back(row.name);
    return names;
  }

  testing::BrowseVolume volume_;
};

TEST_F(FolderListingTest, TheRootListsEverySourcesTopWithoutAnUpEntry) {
  std::optional<FolderListing> root = ReadFolderListing(volume_.Volume(), kRootKey);
  ASSERT_TRUE(root.has_value());
  EXPECT_TRUE(root->complete);
  EXPECT_TRUE(root->chain.empty());
  EXPECT_EQ(Names(*root), (std::vector<std::string>{"first.txt", "A", "B", "C", "D", "Source2"}));
  EXPECT_EQ(FolderCaption("Disc one", root->chain), "Disc one");
}

TEST_F(FolderListingTest, TopFoldersGoUpToTheRoot) {
  // Every top folder: of the first drive source (whose first entry is a file), of the second (whose
  // first entry is a folder, its parent key its own key), and the root folder of a folder source.
  for (const std::vector<std::string>& path : {std::vector<std::string>{"A"}, {"B"}, {"C"}, {"D"}, {"Source2"}}) {
    SCOPED_TRACE(path[0]);
    std::optional<FolderListing> listing = ReadFolderListing(volume_.Volume(), KeyOf(path));
    ASSERT_TRUE(listing.has_value());
    ASSERT_FALSE(listing->rows.empty());
    EXPECT_EQ(listing->rows[0].kind, RowKind::kUp);
    EXPECT_EQ(listing->rows[0].key, kRootKey);
    EXPECT_EQ(listing->rows[0].containerKey, listing->key);
    EXPECT_EQ(ParentFolderKey(listing->chain), kRootKey);
  }
}

TEST_F(FolderListingTest, DeeperFoldersGoUpOneLevel) {
  struct Case {
    std::vector<std::string> path;
    std::vector<std::string> parent;
    std::vector<std::string> names;
    std::string caption;
  } cases[] = {
      {{"A", "X"}, {"A"}, {"..", "x.txt"}, "A\\X"},
      {{"Source2", "Docs"}, {"Source2"}, {"..", "pack.zip"}, "Source2\\Docs"},
      // An archive is opened like a folder; its members go up into it.
      {{"Source2", "Docs", "pack.zip"}, {"Source2", "Docs"}, {"..", "in"}, "Source2\\Docs\\pack.zip"},
      {{"Source2", "Docs", "pack.zip", "in"}, {"Source2", "Docs", "pack.zip"}, {"..", "z.txt"}, "Source2\\Docs\\pack.zip/in"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    RecordKey key = KeyOf(c.path);
    std::optional<FolderListing> listing = ReadFolderListing(volume_.Volume(), key);
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(Names(*listing), c.names);
    EXPECT_EQ(listing->rows[0].key, KeyOf(c.parent));
    EXPECT_EQ(ParentFolderKey(listing->chain), KeyOf(c.parent));
    EXPECT_EQ(FolderCaption("Disc one", listing->chain), c.caption);
    EXPECT_EQ(listing->chain.size(), c.path.size());
    for (size_t i = 1; i < listing->rows.size(); ++i) EXPECT_EQ(listing->rows[i].containerKey, key);
  }
  EXPECT_EQ(FolderPathText(ReadFolderListing(volume_.Volume(), KeyOf({"Source2", "Docs", "pack.zip"}))->chain),
            "Source2\\Docs\\pack.zip/");
}

TEST_F(FolderListingTest, SubfoldersAreTheTreeNodesOfAFolder) {
  auto names = [](const std::vector<ItemRow>& rows) {
    std::vector<std::string> list;
    for (const ItemRow& row : rows) list.push_back(row.name);
    return list;
  };
  std::optional<std::vector<ItemRow>> top = ReadSubfolders(volume_.Volume(), kRootKey);
  ASSERT_TRUE(top.has_value());
  EXPECT_EQ(names(*top), (std::vector<std::string>{"A", "B", "C", "D", "Source2"}));
  EXPECT_TRUE((*top)[0].hasSubfolders);
  EXPECT_FALSE((*top)[1].hasSubfolders);
  // Archives are nodes too, and their folders below them.
  EXPECT_EQ(names(*ReadSubfolders(volume_.Volume(), KeyOf({"Source2", "Docs"}))), (std::vector<std::string>{"pack.zip"}));
  EXPECT_EQ(names(*ReadSubfolders(volume_.Volume(), KeyOf({"Source2", "Docs", "pack.zip"}))),
            (std::vector<std::string>{"in"}));
  EXPECT_TRUE(ReadSubfolders(volume_.Volume(), KeyOf({"B"}))->empty());
  EXPECT_FALSE(ReadSubfolders(volume_.Volume(), KeyOf({"first.txt"})).has_value());
}

TEST_F(FolderListingTest, KeysThatNameNoFolderAreRefused) {
  RecordKey file = KeyOf({"first.txt"});
  for (RecordKey key : {file, file + 1, RecordKey{1}, RecordKey{0x7FFFFFFF}}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(ReadFolderListing(volume_.Volume(), key).has_value());
  }
  EXPECT_EQ(ParentFolderKey({}), kRootKey);
}

TEST(FolderListingDamageTest, ADamagedRecordEndsTheListingWithTheRowsBeforeIt) {
  testing::BrowseVolume volume;
  MemorySource source;
  for (int i = 0; i < 5; ++i) source.children.push_back(MemoryNode::File("f" + std::to_string(i), ".txt", 10));
  ASSERT_TRUE(volume.Write({source}, {false}));
  std::optional<ItemRow> third = volume.Row({"f2.txt"});
  ASSERT_TRUE(third.has_value());
  uint64_t offset = volume.Volume().AbsoluteOffset(third->key);
  // A tag of an unknown kind where the third file starts.
  {
    std::fstream file(volume.Path(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.put(static_cast<char>(0x50));
  }
  ASSERT_TRUE(volume.Volume().OpenVolume(volume.Path()));
  std::optional<FolderListing> root = ReadFolderListing(volume.Volume(), kRootKey);
  ASSERT_TRUE(root.has_value());
  EXPECT_FALSE(root->complete);
  EXPECT_EQ(root->rows.size(), 2u);
}

}  // namespace
}  // namespace volumist::browse
