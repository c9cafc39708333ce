// The chain of folders and archives above a record, climbed by parent keys: at the top of drive and
// folder sources, inside archives, below the depth where the level byte wraps, and in damaged volumes.
#include <gtest/gtest.h>

#include <fstream>

#include "catalog/folder_chain.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;

class FolderChainTest : public ::testing::Test {
 protected:
  // Source0, a drive source: a file, then folders A {X} and B {Y, pack.zip {in}}; Source1, a folder
  // source: Docs {Deep...}, with `depth` folders below Docs.
  void SetUp() override { Write(300); }

  void Write(int depth) {
    MemorySource drive;
    drive.children = {
        MemoryNode::File("first", ".txt", 1),
        MemoryNode::Folder("A", {MemoryNode::Folder("X", {MemoryNode::File("x", ".txt", 1)})}),
        MemoryNode::Folder("B", {MemoryNode::Folder("Y", {MemoryNode::File("y", ".txt", 1)}),
                                 MemoryNode::Archive("pack", ".zip", 9, 1,
                                                     {MemoryNode::Folder("in", {MemoryNode::File("z", ".txt", 1)})})}),
    };
    MemoryNode deep = MemoryNode::Folder("f" + std::to_string(depth), {MemoryNode::File("bottom", ".txt", 1)});
    for (int level = depth - 1; level >= 1; --level) deep = MemoryNode::Folder("f" + std::to_string(level), {deep});
    MemorySource folder;
    folder.children = {MemoryNode::Folder("Docs", {deep})};
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Path(), "Chains", {false, true}), {drive, folder}, prompter_));
    Open();
  }

  void Open() {
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(Path()));
  }

  std::string Path() const { return dir_.File("chains.vkt"); }

  ContentItem Find(const std::vector<std::string>& path) {
    std::optional<ContentItem> item = testing::FindItem(*volume_, path);
    if (!item) ADD_FAILURE() << "no item " << ::testing::PrintToString(path);
    return item.value_or(ContentItem{});
  }

  // The names of the chain, joined by "|", archives marked with a trailing "*".
  std::string Chain(RecordKey key) {
    std::optional<std::vector<ChainLink>> chain = ReadFolderChain(*volume_, key);
    if (!chain) return "<none>";
    std::string joined;
    for (const ChainLink& link : *chain) {
      EXPECT_TRUE(link.nesting.selfKey == link.key);
      joined += (joined.empty() ? "" : "|") + link.name + (link.isArchive ? "*" : "");
    }
    return joined;
  }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
};

TEST_F(FolderChainTest, FromTheTopDownToTheRecord) {
  const struct {
    std::vector<std::string> path;
    const char* chain;
  } cases[] = {
      // Top entries of a drive source name the source's first key (here a file, or a sibling folder)
      // as their parent: they are at the top.
      {{"A"}, "A"},
      {{"B"}, "B"},
      {{"A", "X"}, "A|X"},
      {{"B", "Y"}, "B|Y"},
      {{"B", "pack.zip"}, "B|pack.zip*"},
      {{"B", "pack.zip", "in"}, "B|pack.zip*|in"},
      // The root folder of a folder source is its own parent.
      {{"Source1"}, "Source1"},
      {{"Source1", "Docs"}, "Source1|Docs"},
      {{"Source1", "Docs", "f1"}, "Source1|Docs|f1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chain);
    EXPECT_EQ(Chain(Find(c.path).key), c.chain);
  }
  EXPECT_EQ(Chain(Find({"first.txt"}).key), "<none>") << "a file is no container";
  EXPECT_EQ(Chain(Find({"B", "Y", "y.txt"}).key), "<none>");
}

TEST_F(FolderChainTest, DeeperThanTheLevelByte) {
  std::vector<std::string> path = {"Source1", "Docs"};
  std::string expected = "Source1|Docs";
  for (int level = 1; level <= 300; ++level) {
    path.push_back("f" + std::to_string(level));
    expected += "|f" + std::to_string(level);
  }
  ContentItem bottom = Find(path);
  ASSERT_EQ(bottom.kind, RecordKind::kFolder);
  EXPECT_EQ(bottom.folder.level, 255) << "deeper folders keep the level byte's largest value";
  EXPECT_EQ(Chain(bottom.key), expected);
}

// Parent keys that point forward, at a file, at a folder that does not enclose the record, or at the
// top from a record below it end the climb with nothing; so does a key outside the tree.
TEST_F(FolderChainTest, DamagedParentKeysEndTheClimb) {
  const ContentItem y = Find({"B", "Y"});
  const uint64_t parentKeyOffset = y.folder.endKeyOffset + 4;
  const struct {
    const char* what;
    RecordKey parent;
  } cases[] = {
      {"forward", y.folder.endKey},
      {"a file", Find({"B", "Y", "y.txt"}).key},
      {"the source's first key, from below the top", Find({"first.txt"}).key},
      {"its own key, from below the top", y.key},
      {"a folder beside its parent", Find({"A"}).key},
      {"a folder in another branch", Find({"A", "X"}).key},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    volume_.reset();
    {
      std::fstream file(Path(), std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(static_cast<std::streamoff>(parentKeyOffset));
      const char bytes[4] = {static_cast<char>(c.parent), static_cast<char>(c.parent >> 8),
                             static_cast<char>(c.parent >> 16), static_cast<char>(c.parent >> 24)};
      file.write(bytes, 4);
    }
    Open();
    EXPECT_EQ(Chain(y.key), "<none>");
  }
  EXPECT_EQ(Chain(0xFFFFFF00u), "<none>");
  EXPECT_TRUE(prompter_.Errors().empty());
}

}  // namespace
}  // namespace volumist
