// Comparing two volume files: the lists of a disk scanned twice (a move, an addition, a removal, a
// change of content), the pairing of sources by name and of two single sources of other names, and
// files that are no volumes.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/messages.h"
#include "catalog/volume_diff.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;

constexpr int64_t kTime = 1262304000;

MemoryNode WithMd5(MemoryNode node, uint8_t seed) {
  node.hasSignatures = true;
  node.signatures.hasMd5 = true;
  node.signatures.md5.fill(seed);
  return node;
}

// The paths of a list.
std::vector<std::string> Paths(const std::vector<ItemChange>& items, bool old = false) {
  std::vector<std::string> paths;
  for (const ItemChange& item : items) paths.push_back(old ? item.oldPath + " -> " + item.path : item.path);
  return paths;
}

class VolumeDiffTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, std::vector<MemorySource> sources, std::vector<bool> folder) {
    const std::string path = dir_.File(name);
    ScanJob job = testing::MakeJob(path, name, folder);
    EXPECT_TRUE(testing::WriteVolume(job, std::move(sources), prompter_));
    return path;
  }
  std::optional<ChangeReport> Diff(const std::string& a, const std::string& b) {
    return DiffVolumes(platform::FileSystem::Default(), prompter_, a, b);
  }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
};

TEST_F(VolumeDiffTest, ListsTheChangesFromTheFirstVolumeToTheSecond) {
  MemorySource before;
  before.children = {MemoryNode::Folder("docs", {WithMd5(MemoryNode::File("report", ".txt", 100, kTime), 1),
                                                 WithMd5(MemoryNode::File("notes", ".txt", 50, kTime), 2)}),
                     WithMd5(MemoryNode::File("gone", ".bin", 10, kTime), 3),
                     WithMd5(MemoryNode::File("same", ".bin", 20, kTime), 4)};
  MemorySource after;
  after.children = {MemoryNode::Folder("docs", {WithMd5(MemoryNode::File("notes", ".txt", 50, kTime), 5)}),
                    MemoryNode::Folder("archive", {WithMd5(MemoryNode::File("report", ".txt", 100, kTime), 1)}),
                    WithMd5(MemoryNode::File("same", ".bin", 20, kTime), 4),
                    WithMd5(MemoryNode::File("new", ".bin", 30, kTime), 6)};
  const std::string a = Write("a.vkt", {before}, {true});
  const std::string b = Write("b.vkt", {after}, {true});

  std::optional<ChangeReport> report = Diff(a, b);
  ASSERT_TRUE(report.has_value()) << ::testing::PrintToString(prompter_.Errors());
  ASSERT_EQ(report->sources.size(), 1u);
  const SourceChanges& source = report->sources[0];
  EXPECT_EQ(source.fate, SourceFate::kRescanned);
  EXPECT_EQ(Paths(source.added), (std::vector<std::string>{"Source0/archive", "Source0/new.bin"}));
  EXPECT_EQ(Paths(source.removed), (std::vector<std::string>{"Source0/gone.bin"}));
  EXPECT_EQ(Paths(source.changed), (std::vector<std::string>{"Source0/docs/notes.txt"}));
  ASSERT_EQ(source.changed.size(), 1u);
  EXPECT_EQ(source.changed[0].changes, kChangedContent);
  EXPECT_EQ(Paths(source.moved, true),
            (std::vector<std::string>{"Source0/docs/report.txt -> Source0/archive/report.txt"}));
  EXPECT_EQ(report->volumeFile, b);
  EXPECT_TRUE(prompter_.entries.empty());

  // A volume against itself: nothing.
  std::optional<ChangeReport> same = Diff(b, b);
  ASSERT_TRUE(same.has_value());
  EXPECT_FALSE(same->HasChanges());
}

TEST_F(VolumeDiffTest, PairsSourcesByNameOrTheOnlyTwo) {
  MemorySource one;
  one.children = {MemoryNode::File("x", ".bin", 1, kTime)};
  MemorySource two;
  two.children = {MemoryNode::File("y", ".bin", 2, kTime)};

  SourceList first;
  SourceList second;
  auto entry = [](const char* name) {
    SourceEntry e;
    e.sourceName.Set(name);
    return e;
  };
  struct Case {
    std::vector<const char*> first;
    std::vector<const char*> second;
    std::vector<SourcePairing> expected;
  };
  const Case cases[] = {
      {{"disk"}, {"backup"}, {{0, 0, SourceFate::kRescanned}}},
      {{"a", "b"}, {"b", "c"},
       {{1, 0, SourceFate::kRescanned}, {std::nullopt, 1, SourceFate::kNew}, {0, std::nullopt, SourceFate::kLeftOut}}},
      {{"a"}, {"a", "b"}, {{0, 0, SourceFate::kRescanned}, {std::nullopt, 1, SourceFate::kNew}}},
      {{}, {"a"}, {{std::nullopt, 0, SourceFate::kNew}}},
  };
  for (const Case& test : cases) {
    first.Clear();
    second.Clear();
    for (const char* name : test.first) first.Entries().push_back(entry(name));
    for (const char* name : test.second) second.Entries().push_back(entry(name));
    std::vector<SourcePairing> pairings = PairSources(first, second);
    ASSERT_EQ(pairings.size(), test.expected.size());
    for (size_t i = 0; i < pairings.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(pairings[i].oldSource, test.expected[i].oldSource);
      EXPECT_EQ(pairings[i].newSource, test.expected[i].newSource);
      EXPECT_EQ(pairings[i].fate, test.expected[i].fate);
    }
  }

  // One name in common: its files compared, the other source removed whole.
  const std::string a = Write("a.vkt", {one, two}, {true, true});
  MemorySource changed = one;
  changed.children.push_back(MemoryNode::File("z", ".bin", 3, kTime));
  const std::string b = Write("b.vkt", {changed}, {true});
  std::optional<ChangeReport> report = Diff(a, b);
  ASSERT_TRUE(report.has_value());
  ASSERT_EQ(report->sources.size(), 2u);
  EXPECT_EQ(report->sources[0].fate, SourceFate::kRescanned);
  EXPECT_EQ(Paths(report->sources[0].added), std::vector<std::string>{"Source0/z.bin"});
  EXPECT_TRUE(report->sources[0].removed.empty());
  EXPECT_EQ(report->sources[1].fate, SourceFate::kLeftOut);
  EXPECT_EQ(Paths(report->sources[1].removed), std::vector<std::string>{"Source1/y.bin"});
}

TEST_F(VolumeDiffTest, FilesThatAreNoVolumesAreRefused) {
  MemorySource one;
  one.children = {MemoryNode::File("x", ".bin", 1, kTime)};
  const std::string good = Write("good.vkt", {one}, {true});
  const std::string bad = dir_.File("bad.vkt");
  testing::WriteFileBytes(bad, "not a volume at all");
  for (const auto& [a, b] : {std::pair{good, bad}, std::pair{bad, good}, std::pair{good, dir_.File("missing.vkt")}}) {
    prompter_.entries.clear();
    EXPECT_FALSE(Diff(a, b).has_value());
    EXPECT_EQ(prompter_.Errors().size(), 1u);
  }
}

}  // namespace
}  // namespace volumist
