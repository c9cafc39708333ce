// Rescans of real folders: what the report lists, where every description lands, what becomes of
// descriptions whose items are gone, of sources that are missing, and of another disk at a source's
// path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/lost_descriptions.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "scan/rescan.h"
#include "scan/scan_controller.h"
#include "scan/scan_engine.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"
#include "../analysis/external_tool.h"

namespace volumist {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::TreeBuilder;

constexpr int64_t kThen = 1600000000;  // the time every file is first written with
constexpr int64_t kLater = 1700000000;

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) names.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return names;
}

// "KIND PATH" (and for a change its bits, for a move its old path) of each item of a list, sorted.
std::vector<std::string> Lines(const std::vector<ItemChange>& items) {
  std::vector<std::string> lines;
  for (const ItemChange& item : items) {
    std::string line = std::string(KindWord(item.kind)) + ' ' + item.path;
    if (item.changes != 0) line += " " + std::to_string(item.changes);
    if (!item.oldPath.empty()) line += " from " + item.oldPath;
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class RescanTest : public ::testing::Test {
 protected:
  RescanTest() : tree_(source_.path()) {}

  std::string Volume() const { return out_.File("v.vkt"); }

  // Scans the sources (name, path) into v.vkt, with MD5 signatures and listed ZIP archives.
  void Scan(const std::vector<std::pair<std::string, std::string>>& sources) {
    ScanJob job;
    job.volumeFileName = Volume();
    job.volumeName = "V";
    job.computeSignatures = true;
    job.signatureMd5 = true;
    job.analyzeArchives = true;
    for (const auto& [name, path] : sources) job.sources.push_back({-1, name, path, true});
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume.StopFlag(), {}, 2);
    ASSERT_TRUE(volume.CreateVolume(job, engine));
  }

  // Sets descriptions by item path ("" is the volume) and saves them.
  void Describe(const std::map<std::string, std::string>& descriptions) {
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume.OpenVolume(Volume()));
    for (const auto& [path, text] : descriptions) {
      RecordKey key = 0;
      if (!path.empty()) {
        std::optional<ContentItem> item = testing::FindItem(volume, Split(path));
        ASSERT_TRUE(item) << path;
        key = item->DescriptionKey();
      }
      ASSERT_TRUE(volume.SetDescription(key, text));
    }
    ASSERT_TRUE(volume.SaveDescriptions());
  }

  // Every description of the volume by its item's path, found by walking the whole tree.
  std::map<std::string, std::string> Descriptions() {
    std::map<std::string, std::string> found;
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    EXPECT_TRUE(volume.OpenVolume(Volume()));
    EXPECT_EQ(volume.Damage(), VolumeDamage::kNone);
    if (std::optional<std::string> text = volume.GetDescription(0)) found[""] = *text;
    std::vector<std::pair<std::string, RecordKey>> items;
    TreeWalker walker(volume, false);
    walker.Start();
    for (auto step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      EXPECT_NE(step, TreeWalker::Step::kDamaged);
      if (step == TreeWalker::Step::kDamaged) break;
      std::string path;
      for (const std::string& part : walker.Path()) path += (path.empty() ? "" : "/") + part;
      if (step == TreeWalker::Step::kFile) {
        path += "/" + walker.File().name.Text() + walker.File().extension.Text();
        items.emplace_back(path, FileDescriptionKey(walker.Key()));
      } else {
        items.emplace_back(path, walker.Key());
      }
    }
    for (const auto& [path, key] : items) {
      if (std::optional<std::string> text = volume.GetDescription(key)) found[path] = *text;
    }
    return found;
  }

  // Rescans every source of v.vkt through the controller; missing sources are those whose path is
  // gone.
  std::optional<ChangeReport> Rescan(MissingSources missing, bool dryRun = false, bool dropLost = false) {
    VolumeCatalog loaded(platform::FileSystem::Default(), prompter_);
    EXPECT_TRUE(loaded.OpenVolume(Volume()));
    RescanJob job = RescanEverySource(Volume(), loaded.Sources());
    job.dryRun = dryRun;
    job.dropLostDescriptions = dropLost;
    auto byPath = [](const SourceEntry& entry) {
      return std::filesystem::is_directory(entry.rootPath.Text()) ? SourcePresence::kPresent : SourcePresence::kMissing;
    };
    if (!CheckRescanSources(job, loaded.Sources(), byPath, missing, platform::FileSystem::Default(), prompter_)) {
      return std::nullopt;
    }
    ScanController controller(platform::FileSystem::Default(), prompter_, DriveControl{});
    controller.StartRescan(job, &loaded, {});
    ScanController::Outcome outcome = controller.Finish();
    EXPECT_EQ(outcome.succeeded, outcome.changes.has_value());
    if (outcome.succeeded) {
      EXPECT_TRUE(dryRun ? loaded.IsLoaded() : outcome.volume && outcome.volume->IsLoaded());
    }
    return std::move(outcome.changes);
  }

  TempDir source_;
  TempDir out_;
  TreeBuilder tree_;
  testing::RecordingPrompter prompter_;
};

// One source changed in every way a rescan tells apart; descriptions on the volume, folders, files,
// an archive and an archive member.
TEST_F(RescanTest, ReportsEachChangeAndCarriesEveryDescriptionThatKeepsItsItem) {
  if (testing::FindProgram("zip").empty()) GTEST_SKIP() << "zip missing";
  tree_.Text("keep.txt", "kept", kThen)
      .Text("docs/grow.txt", "a", kThen)
      .Text("docs/touch.txt", "same", kThen)
      .Text("docs/edit.txt", "aaaa", kThen)
      .Text("old/gone.txt", "gone", kThen)
      .File("movable.bin", 1000, kThen)
      .Text("work/inner/a.txt", "member a")
      .Text("work/b.txt", "member b");
  ASSERT_EQ(testing::RunCommand("/bin/sh", {"-c", "cd \"$0\"/work && zip -qr ../pack.zip inner b.txt && cd .. && rm -r work",
                                            source_.path()})
                .exitStatus,
            0);
  Scan({{"Src", source_.path()}});
  const std::map<std::string, std::string> described = {
      {"", "the volume"},
      {"Src", "the root"},
      {"Src/keep.txt", "unchanged file"},
      {"Src/docs", "a folder"},
      {"Src/docs/grow.txt", "grows"},
      {"Src/old", "a folder that goes"},
      {"Src/old/gone.txt", "a file that goes"},
      {"Src/movable.bin", "moves\nwith two lines"},
      {"Src/pack.zip", "an archive"},
      {"Src/pack.zip/inner/a.txt", "an archive member"},
  };
  Describe(described);
  ASSERT_EQ(Descriptions(), described);

  tree_.Text("docs/grow.txt", "abcdef", kThen).Text("docs/touch.txt", "same", kLater).Text("docs/edit.txt", "bbbb", kThen);
  std::filesystem::remove_all(tree_.Path("old"));
  tree_.Folder("newdir");
  std::filesystem::rename(tree_.Path("movable.bin"), tree_.Path("newdir/movable.bin"));
  tree_.Text("fresh.txt", "new");

  // A dry run reports the same and changes nothing.
  const std::string before = ReadFileBytes(Volume());
  std::optional<ChangeReport> dry = Rescan(MissingSources::kKeep, true);
  ASSERT_TRUE(dry);
  EXPECT_FALSE(dry->written);
  EXPECT_EQ(ReadFileBytes(Volume()), before);
  EXPECT_FALSE(std::filesystem::exists(LostDescriptionsPath(Volume())));

  std::optional<ChangeReport> report = Rescan(MissingSources::kKeep);
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->written);
  ASSERT_EQ(report->sources.size(), 1u);
  const SourceChanges& changes = report->sources[0];
  EXPECT_EQ(changes.fate, SourceFate::kRescanned);
  EXPECT_EQ(Lines(changes.added), (std::vector<std::string>{"file Src/fresh.txt", "folder Src/newdir"}));
  EXPECT_EQ(Lines(changes.removed), (std::vector<std::string>{"file Src/old/gone.txt", "folder Src/old"}));
  EXPECT_EQ(Lines(changes.changed),
            (std::vector<std::string>{"file Src/docs/edit.txt " + std::to_string(kChangedContent),
                                      "file Src/docs/grow.txt " + std::to_string(kChangedSize | kChangedContent),
                                      "file Src/docs/touch.txt " + std::to_string(kChangedTime)}));
  EXPECT_EQ(Lines(changes.moved), (std::vector<std::string>{"file Src/newdir/movable.bin from Src/movable.bin"}));
  EXPECT_EQ(report->Added(), (ChangeCounts{1, 1}));
  EXPECT_EQ(report->Removed(), (ChangeCounts{1, 1}));
  for (const std::vector<ItemChange>* list : {&changes.added, &changes.removed, &changes.changed}) {
    for (const ItemChange& item : *list) EXPECT_FALSE(item.inArchive) << item.path;
  }

  std::map<std::string, std::string> expected = described;
  expected.erase("Src/old");
  expected.erase("Src/old/gone.txt");
  expected.erase("Src/movable.bin");
  expected["Src/newdir/movable.bin"] = "moves\nwith two lines";
  EXPECT_EQ(Descriptions(), expected);
  EXPECT_EQ(report->carriedDescriptions, expected.size());

  std::vector<LostDescription> lost = report->lostDescriptions;
  std::sort(lost.begin(), lost.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
  EXPECT_EQ(lost, (std::vector<LostDescription>{{"Src/old", "a folder that goes"}, {"Src/old/gone.txt", "a file that goes"}}));
  // The dry run found the same.
  EXPECT_EQ(dry->lostDescriptions.size(), 2u);
  EXPECT_EQ(Lines(dry->sources[0].moved), Lines(changes.moved));
  EXPECT_EQ(Lines(dry->sources[0].changed), Lines(changes.changed));

  // The side file keeps the lost texts under their paths.
  ASSERT_EQ(report->lostDescriptionsFile, LostDescriptionsPath(Volume()));
  const std::string side = ReadFileBytes(report->lostDescriptionsFile);
  EXPECT_NE(side.find("\nSrc/old\n\ta folder that goes\n"), std::string::npos) << side;
  EXPECT_NE(side.find("\nSrc/old/gone.txt\n\ta file that goes\n"), std::string::npos) << side;
  EXPECT_TRUE(prompter_.Errors().empty());

  // A second rescan finds nothing more, keeps the descriptions where they are and adds nothing to
  // the side file.
  std::optional<ChangeReport> again = Rescan(MissingSources::kKeep);
  ASSERT_TRUE(again);
  EXPECT_FALSE(again->HasChanges());
  EXPECT_EQ(Descriptions(), expected);
  EXPECT_EQ(ReadFileBytes(report->lostDescriptionsFile), side);
}

// Descriptions whose items are gone are dropped when asked: no side file.
TEST_F(RescanTest, LostDescriptionsAreDroppedOnlyWhenAsked) {
  tree_.Text("a.txt", "a").Text("b.txt", "b");
  Scan({{"Src", source_.path()}});
  Describe({{"Src/a.txt", "first"}, {"Src/b.txt", "second"}});
  std::filesystem::remove(tree_.Path("a.txt"));
  std::optional<ChangeReport> report = Rescan(MissingSources::kKeep, false, true);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->lostDescriptions, (std::vector<LostDescription>{{"Src/a.txt", "first"}}));
  EXPECT_TRUE(report->lostDescriptionsFile.empty());
  EXPECT_FALSE(std::filesystem::exists(LostDescriptionsPath(Volume())));
  EXPECT_EQ(Descriptions(), (std::map<std::string, std::string>{{"Src/b.txt", "second"}}));
}

// A source whose folder is gone is kept as it was (its records copied after the first source, which
// grew, so every key in it moves) or dropped with its descriptions.
TEST_F(RescanTest, AMissingSourceIsKeptWithItsDescriptionsOrDropped) {
  struct Case {
    MissingSources missing;
    SourceFate fate;
  };
  for (const Case& c : {Case{MissingSources::kKeep, SourceFate::kKept}, Case{MissingSources::kDrop, SourceFate::kDropped}}) {
    SCOPED_TRACE(c.fate == SourceFate::kKept ? "kept" : "dropped");
    TempDir first;
    TempDir second;
    TreeBuilder(first.path()).Text("one.txt", "1");
    TreeBuilder(second.path()).Text("sub/deeper/x.txt", "x").Text("sub/y.txt", "yy").Text("z.txt", "z");
    Scan({{"A", first.path()}, {"B", second.path()}});
    const std::map<std::string, std::string> described = {{"A/one.txt", "in A"},
                                                          {"B/sub", "a folder of B"},
                                                          {"B/sub/deeper/x.txt", "deep in B"},
                                                          {"B/z.txt", "last of B"}};
    Describe(described);
    TreeBuilder(first.path()).Text("two.txt", "22").Text("more/three.txt", "333");
    const std::string moved = second.path() + ".away";
    std::filesystem::rename(second.path(), moved);

    std::optional<ChangeReport> report = Rescan(c.missing);
    std::filesystem::rename(moved, second.path());
    ASSERT_TRUE(report);
    ASSERT_EQ(report->sources.size(), 2u);
    EXPECT_EQ(report->sources[0].fate, SourceFate::kRescanned);
    EXPECT_EQ(report->sources[1].fate, c.fate);
    EXPECT_EQ(report->Added(), (ChangeCounts{1, 2}));
    std::map<std::string, std::string> expected = described;
    if (c.missing == MissingSources::kKeep) {
      EXPECT_TRUE(report->sources[1].removed.empty());
      EXPECT_TRUE(report->lostDescriptions.empty());
      // The kept source reads as it did, down to its deepest folder.
      VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
      ASSERT_TRUE(volume.OpenVolume(Volume()));
      EXPECT_TRUE(testing::FindItem(volume, {"B", "sub", "deeper", "x.txt"}));
      EXPECT_TRUE(testing::FindItem(volume, {"B", "z.txt"}));
      EXPECT_EQ(volume.Header().counters.Snapshot().totalFileCount, 6u);
    } else {
      EXPECT_EQ(report->sources[1].removed.size(), 5u);  // what the root held (the fate tells of the root)
      EXPECT_EQ(report->lostDescriptions.size(), 3u);
      expected = {{"A/one.txt", "in A"}};
    }
    EXPECT_EQ(Descriptions(), expected);
    std::filesystem::remove(LostDescriptionsPath(Volume()));
  }
}

// Before anything is written, each source's medium is checked: another disk asks first (No ends the
// rescan), a missing one is kept or dropped as chosen or answered.
TEST_F(RescanTest, EachSourcesMediumIsCheckedFirst) {
  tree_.Text("a.txt", "a");
  Scan({{"Src", source_.path()}});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(Volume()));
  const std::string otherDisk = "The disk at " + source_.path() + " is not the one this volume was made from.";
  const std::string notPresent = "The source \"Src\" (" + source_.path() + ") is not present.";
  struct Case {
    SourcePresence presence;
    MissingSources missing;
    std::vector<bool> answers;
    bool goesOn;
    SourceAction action;
    std::string question;  // the start of the one question asked; "" for none
  };
  const Case cases[] = {
      {SourcePresence::kPresent, MissingSources::kAsk, {}, true, SourceAction::kScan, ""},
      {SourcePresence::kOtherMedium, MissingSources::kKeep, {false}, false, SourceAction::kScan, otherDisk},
      {SourcePresence::kOtherMedium, MissingSources::kKeep, {true}, true, SourceAction::kScan, otherDisk},
      {SourcePresence::kMissing, MissingSources::kKeep, {}, true, SourceAction::kKeep, ""},
      {SourcePresence::kMissing, MissingSources::kDrop, {}, true, SourceAction::kDrop, ""},
      {SourcePresence::kMissing, MissingSources::kAsk, {true}, true, SourceAction::kKeep, notPresent},
      {SourcePresence::kMissing, MissingSources::kAsk, {false}, true, SourceAction::kDrop, notPresent},
  };
  const std::string before = ReadFileBytes(Volume());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.question + " " + std::to_string(static_cast<int>(c.presence)));
    testing::RecordingPrompter prompter;
    prompter.answers.assign(c.answers.begin(), c.answers.end());
    RescanJob job = RescanEverySource(Volume(), volume.Sources());
    job.sources[0].action = SourceAction::kDrop;  // whatever it was, the check sets it
    EXPECT_EQ(CheckRescanSources(
                  job, volume.Sources(), [&](const SourceEntry&) { return c.presence; }, c.missing,
                  platform::FileSystem::Default(), prompter),
              c.goesOn);
    if (c.goesOn) {
      EXPECT_EQ(job.sources[0].action, c.action);
    }
    if (c.question.empty()) {
      EXPECT_TRUE(prompter.entries.empty());
    } else {
      ASSERT_EQ(prompter.entries.size(), 1u);
      EXPECT_EQ(prompter.entries[0].kind, testing::RecordingPrompter::Entry::kQuestion);
      EXPECT_EQ(prompter.entries[0].text.rfind(c.question, 0), 0u) << prompter.entries[0].text;
    }
  }
  EXPECT_EQ(ReadFileBytes(Volume()), before);
}

// An edited list of sources ("Update..."): a source whose path the volume has takes its place, new
// paths are new sources, and the volume's sources left off the list go with their descriptions.
TEST_F(RescanTest, AnEditedListAddsAndLeavesOutSources) {
  TempDir first;
  TempDir second;
  TempDir third;
  TreeBuilder(first.path()).Text("one.txt", "1");
  TreeBuilder(second.path()).Text("two.txt", "2");
  TreeBuilder(third.path()).Text("three.txt", "3");
  Scan({{"A", first.path()}, {"B", second.path()}});
  Describe({{"A/one.txt", "one"}, {"B/two.txt", "two"}});
  VolumeCatalog loaded(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(loaded.OpenVolume(Volume()));
  ScanJob edited;
  edited.sources = {{-1, "C", third.path(), true}, {-1, "A", first.path() + "/", true}};
  RescanJob job = RescanEditedSources(Volume(), loaded.Sources(), edited);
  ASSERT_EQ(job.sources.size(), 2u);
  EXPECT_FALSE(job.sources[0].volumeIndex);
  EXPECT_EQ(job.sources[1].volumeIndex, std::optional<size_t>(0));
  EXPECT_EQ(job.leftOut, std::vector<size_t>{1});
  ASSERT_TRUE(CheckRescanSources(job, loaded.Sources(), {}, MissingSources::kKeep, platform::FileSystem::Default(),
                                 prompter_));
  ScanController controller(platform::FileSystem::Default(), prompter_, DriveControl{});
  controller.StartRescan(job, &loaded, {});
  ScanController::Outcome outcome = controller.Finish();
  ASSERT_TRUE(outcome.succeeded) << ::testing::PrintToString(prompter_.Errors());
  EXPECT_EQ(job.sources[1].source.path, first.path());
  const ChangeReport& report = *outcome.changes;
  ASSERT_EQ(report.sources.size(), 3u);
  EXPECT_EQ(report.sources[0].fate, SourceFate::kNew);
  EXPECT_EQ(Lines(report.sources[0].added), (std::vector<std::string>{"file C/three.txt"}));
  EXPECT_EQ(report.sources[1].fate, SourceFate::kRescanned);
  EXPECT_EQ(report.sources[2].fate, SourceFate::kLeftOut);
  EXPECT_EQ(Lines(report.sources[2].removed), (std::vector<std::string>{"file B/two.txt"}));
  EXPECT_EQ(report.lostDescriptions, (std::vector<LostDescription>{{"B/two.txt", "two"}}));
  outcome.volume.reset();
  EXPECT_EQ(Descriptions(), (std::map<std::string, std::string>{{"A/one.txt", "one"}}));
}

}  // namespace
}  // namespace volumist
