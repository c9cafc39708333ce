// Verifying real folders against the volume scanned from them: what each kind of change is reported
// as, read faults with their offsets, sources moved elsewhere or gone, and a stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/volume_catalog.h"
#include "scan/scan_engine.h"
#include "scan/verify.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/run_command.h"
#include "testing/tree_builder.h"
#include "../analysis/external_tool.h"

namespace volumist {
namespace {

using testing::TempDir;
using testing::TreeBuilder;

constexpr int64_t kThen = 1600000000;
constexpr int64_t kLater = 1700000000;

const char* FindingWord(VerifyFinding finding) {
  switch (finding) {
    case VerifyFinding::kChanged: return "changed";
    case VerifyFinding::kContentChanged: return "content";
    case VerifyFinding::kMissing: return "missing";
    case VerifyFinding::kUnreadable: return "unreadable";
    case VerifyFinding::kNew: return "new";
  }
  return "?";
}

// "FINDING PATH" and what the finding carries, one line per difference, in the report's order.
std::vector<std::string> Lines(const VerifyReport& report) {
  std::vector<std::string> lines;
  for (const VerifyDifference& d : report.differences) {
    std::string line = std::string(FindingWord(d.finding)) + ' ' + d.path;
    if (d.changes != 0) line += " changes=" + std::to_string(d.changes);
    if (d.finding == VerifyFinding::kContentChanged) {
      line += std::string(" digests=") + (d.differing.crc32 ? "c" : "") + (d.differing.md4 ? "4" : "") +
              (d.differing.md5 ? "5" : "");
    }
    if (d.finding == VerifyFinding::kUnreadable) line += " at " + std::to_string(d.offset);
    lines.push_back(line);
  }
  return lines;
}

void SetTime(const std::string& path, int64_t seconds) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

class VerifyTest : public ::testing::Test {
 protected:
  VerifyTest() : tree_(source_.path()) {}

  std::string Volume() const { return out_.File("v.vkt"); }

  // Scans the tree as folder source "Src" into v.vkt with every digest kind.
  void Scan() {
    ScanJob job;
    job.volumeFileName = Volume();
    job.volumeName = "V";
    job.computeSignatures = true;
    job.signatureCrc32 = job.signatureMd4 = job.signatureMd5 = true;
    job.sources.push_back({-1, "Src", source_.path(), true});
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume.StopFlag(), {}, 2);
    ASSERT_TRUE(volume.CreateVolume(job, engine));
  }

  std::optional<VerifyReport> Verify(VerifyJob job = {}) {
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    EXPECT_TRUE(volume.OpenVolume(Volume()));
    return VerifyVolume(volume, job, counters_, stop_);
  }

  void StandardTree() {
    tree_.File("a.txt", 1000, kThen)
        .File("b.bin", 3 * 1024 * 1024, kThen)
        .File("docs/c.txt", 5000, kThen)
        .File("docs/d.txt", 7000, kThen)
        .File("old/e.txt", 10, kThen)
        .File("old/f.txt", 20, kThen)
        .File("empty.dat", 0, kThen);
  }

  TempDir source_;
  TempDir out_;
  TreeBuilder tree_;
  testing::RecordingPrompter prompter_;
  VerifyCounters counters_;
  std::atomic<bool> stop_{false};
};

TEST_F(VerifyTest, UnchangedTreeMatchesAndEveryByteIsDigested) {
  StandardTree();
  Scan();
  std::optional<VerifyReport> report = Verify();
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->AllMatch()) << ::testing::PrintToString(Lines(*report));
  EXPECT_EQ(Lines(*report), std::vector<std::string>{});
  // Two folders and seven files below the source's root.
  EXPECT_EQ(report->same, 9u);
  EXPECT_EQ(report->filesDigested, 7u);
  const uint64_t bytes = 1000 + 3 * 1024 * 1024 + 5000 + 7000 + 10 + 20;
  EXPECT_EQ(report->bytesDigested, bytes);
  EXPECT_EQ(counters_.bytesToDigest.load(), bytes);
  EXPECT_EQ(counters_.itemsChecked.load(), counters_.itemsTotal.load());
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VerifyTest, EachKindOfChangeIsReportedInWalkOrder) {
  StandardTree();
  Scan();
  // One byte of a.txt changes; its size and time stay.
  std::string bytes = testing::ReadFileBytes(tree_.Path("a.txt"));
  bytes[500] = static_cast<char>(bytes[500] ^ 0x55);
  testing::WriteFileBytes(tree_.Path("a.txt"), bytes);
  SetTime(tree_.Path("a.txt"), kThen);
  std::filesystem::resize_file(tree_.Path("docs/c.txt"), 4000);  // truncated
  SetTime(tree_.Path("docs/c.txt"), kThen);
  SetTime(tree_.Path("docs/d.txt"), kLater);  // touched, content the same
  std::filesystem::remove(tree_.Path("empty.dat"));
  std::filesystem::remove_all(tree_.Path("old"));
  tree_.File("docs/added.txt", 30, kThen).File("newdir/x.txt", 40, kThen);

  std::optional<VerifyReport> report = Verify();
  ASSERT_TRUE(report);
  std::vector<std::string> lines = Lines(*report);
  // New items come after the catalogued items of their folder; the folder order is the volume's.
  std::vector<std::string> catalogued(lines.begin(), lines.end());
  std::vector<std::string> expected = {
      "content Src/a.txt changes=4 digests=c45",
      "changed Src/docs/c.txt changes=1",
      "changed Src/docs/d.txt changes=2",
      "new Src/docs/added.txt",
      "missing Src/old",
      "missing Src/empty.dat",
      "new Src/newdir",
  };
  // The volume holds items in the order the disk listed them, so compare as sets, and check that
  // each folder's new items follow its catalogued ones.
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
  auto position = [&](const std::string& line) {
    return std::find(catalogued.begin(), catalogued.end(), line) - catalogued.begin();
  };
  EXPECT_LT(position("changed Src/docs/d.txt changes=2"), position("new Src/docs/added.txt"));
  EXPECT_LT(position("missing Src/empty.dat"), position("new Src/newdir"));

  VerifyCounts counts = report->Counts();
  EXPECT_EQ(counts.contentChanged, 1u);
  EXPECT_EQ(counts.changed, 2u);
  EXPECT_EQ(counts.missing, 2u);
  EXPECT_EQ(counts.added, 2u);
  EXPECT_EQ(counts.same, 2u);  // docs and b.bin
  EXPECT_FALSE(report->AllMatch());
  // The truncated file is not read; the removed ones are not to be read.
  EXPECT_EQ(report->bytesDigested, 1000u + 3 * 1024 * 1024 + 7000);
  EXPECT_EQ(counters_.bytesToDigest.load(), report->bytesDigested);
}

// A read fault on the files read: each one past the fault's offset is reported unreadable there (the
// first failing 4 KiB block), the others are compared, and the verification goes on.
TEST_F(VerifyTest, ReadFaultsNameTheOffsetAndTheWalkGoesOn) {
  struct Case {
    uint64_t faultAt;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      // Within the first read of the large file (read 256 KiB at a time).
      {40 * 4096, {"unreadable Src/b.bin at 163840"}},
      // Past the first reads: the large file is read on two threads there.
      {300 * 4096, {"unreadable Src/b.bin at 1228800"}},
      // At offset 0 every file with bytes fails at 0.
      {0,
       {"unreadable Src/a.txt at 0", "unreadable Src/b.bin at 0", "unreadable Src/docs/c.txt at 0",
        "unreadable Src/docs/d.txt at 0", "unreadable Src/old/e.txt at 0", "unreadable Src/old/f.txt at 0"}},
  };
  StandardTree();
  Scan();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faultAt);
    testing::FaultFileSystem faults;
    faults.failReadsFrom = c.faultAt;
    VerifyJob job;
    job.fileSystem = &faults;
    std::optional<VerifyReport> report = Verify(job);
    ASSERT_TRUE(report);
    std::vector<std::string> lines = Lines(*report);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, c.expected);
    EXPECT_EQ(report->Counts().unreadable, c.expected.size());
    EXPECT_EQ(report->same, 9u - c.expected.size());
  }
}

TEST_F(VerifyTest, SourceFoundWhereTheJobSaysOrReportedAbsent) {
  StandardTree();
  Scan();
  TempDir elsewhere;
  std::filesystem::copy(source_.path(), elsewhere.path() + "/copy",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
  for (const char* name : {"a.txt", "b.bin", "empty.dat", "docs/c.txt", "docs/d.txt", "old/e.txt", "old/f.txt"}) {
    SetTime(elsewhere.path() + "/copy/" + name, kThen);
  }
  std::filesystem::remove_all(source_.path() + "/docs");

  VerifyJob moved;
  moved.sourcePaths = {elsewhere.path() + "/copy"};
  std::optional<VerifyReport> report = Verify(moved);
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->AllMatch()) << ::testing::PrintToString(Lines(*report));
  EXPECT_EQ(report->sources.at(0).path, elsewhere.path() + "/copy");
  EXPECT_EQ(report->sources.at(0).recordedPath, source_.path());

  VerifyJob gone;
  gone.sourcePaths = {elsewhere.path() + "/nothing-here"};
  report = Verify(gone);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->sources.at(0).state, SourceState::kAbsent);
  EXPECT_TRUE(report->differences.empty());
  EXPECT_FALSE(report->AllMatch());

  VerifyJob otherDisk;
  otherDisk.checkMedium = [](const SourceEntry&) { return SourcePresence::kOtherMedium; };
  report = Verify(otherDisk);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->sources.at(0).state, SourceState::kOtherMedium);
  EXPECT_EQ(Lines(*report), std::vector<std::string>{"missing Src/docs"});
  // On another disk that holds the same: a match, the warning aside.
  otherDisk.sourcePaths.clear();
  std::filesystem::copy(elsewhere.path() + "/copy/docs", source_.path() + "/docs",
                        std::filesystem::copy_options::recursive);
  for (const char* name : {"docs/c.txt", "docs/d.txt"}) SetTime(source_.File(name), kThen);
  report = Verify(otherDisk);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->sources.at(0).state, SourceState::kOtherMedium);
  EXPECT_TRUE(report->AllMatch()) << ::testing::PrintToString(Lines(*report));
}

TEST_F(VerifyTest, HiddenFilesLeftOutByTheScanAreNotNew) {
  tree_.File("seen.txt", 10, kThen).File(".hidden", 10, kThen);
  ScanJob job;
  job.volumeFileName = Volume();
  job.volumeName = "V";
  job.includeHiddenSystem = false;
  job.sources.push_back({-1, "Src", source_.path(), true});
  {
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume.StopFlag(), {}, 2);
    ASSERT_TRUE(volume.CreateVolume(job, engine));
  }
  tree_.File(".another", 10, kThen).File("visible.txt", 10, kThen);
  std::optional<VerifyReport> report = Verify();
  ASSERT_TRUE(report);
  EXPECT_EQ(Lines(*report), std::vector<std::string>{"new Src/visible.txt"});
  EXPECT_EQ(report->filesDigested, 0u);  // no digests stored: nothing is read
}

// An archive made by tar and listed by the scan: its members are not compared (and counted as such),
// the archive file itself is, by its digests.
TEST_F(VerifyTest, ListedArchivesAreComparedAsFiles) {
  const std::string tar = testing::FindProgram("tar");
  if (tar.empty()) GTEST_SKIP() << "tar is not installed";
  TempDir packed;
  TreeBuilder(packed.path()).File("in/one.txt", 3000, kThen).File("in/two.txt", 4000, kThen);
  testing::CommandResult made = testing::RunCommand(tar, {"-cf", source_.File("pack.tar"), "-C", packed.path(), "in"});
  ASSERT_EQ(made.exitStatus, 0) << made.err;
  SetTime(source_.File("pack.tar"), kThen);
  ScanJob job;
  job.volumeFileName = Volume();
  job.volumeName = "V";
  job.computeSignatures = true;
  job.signatureMd5 = true;
  job.analyzeArchives = true;
  job.sources.push_back({-1, "Src", source_.path(), true});
  {
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume.StopFlag(), {}, 2);
    ASSERT_TRUE(volume.CreateVolume(job, engine));
  }
  std::optional<VerifyReport> report = Verify();
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->AllMatch()) << ::testing::PrintToString(Lines(*report));
  EXPECT_EQ(report->archiveItemsSkipped, 3u);  // the folder "in" and its two files
  EXPECT_EQ(report->same, 1u);
  EXPECT_EQ(report->filesDigested, 1u);

  // A byte inside the first member's data changes (the folder's header and the member's header come
  // first, 512 bytes each): the archive's digest tells.
  std::string bytes = testing::ReadFileBytes(source_.File("pack.tar"));
  ASSERT_GT(bytes.size(), 2000u);
  bytes[2000] = static_cast<char>(bytes[2000] ^ 1);
  testing::WriteFileBytes(source_.File("pack.tar"), bytes);
  SetTime(source_.File("pack.tar"), kThen);
  report = Verify();
  ASSERT_TRUE(report);
  EXPECT_EQ(Lines(*report), std::vector<std::string>{"content Src/pack.tar changes=4 digests=5"});
  ASSERT_EQ(report->differences.size(), 1u);
  EXPECT_EQ(report->differences[0].kind, ItemKind::kArchive);
}

TEST_F(VerifyTest, StopEndsTheVerificationAndSaysSo) {
  StandardTree();
  Scan();
  stop_ = true;
  std::optional<VerifyReport> report = Verify();
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->stopped);
  EXPECT_FALSE(report->AllMatch());
}

TEST(VerifyProgressMeterTest, RateAndTimeLeftFollowTheSamples) {
  using Clock = VerifyProgressMeter::Clock;
  const Clock::time_point start{};
  VerifyProgressMeter meter(start);
  struct Step {
    double at;  // seconds after the start
    uint64_t bytes;
    double rate;
    std::optional<double> left;
  };
  const uint64_t total = 1000;
  const std::vector<Step> steps = {
      {1.0, 100, 100.0, 9.0},
      {2.0, 300, 200.0, 3.5},  // over the last second: 200 bytes
      {3.0, 300, 100.0, 7.0},  // over the last two seconds: 200 bytes
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.at);
    auto now = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(step.at));
    VerifyProgress progress = meter.Sample(step.bytes, total, 1, 2, 0, now);
    EXPECT_DOUBLE_EQ(progress.bytesPerSecond, step.rate);
    ASSERT_EQ(progress.secondsLeft.has_value(), step.left.has_value());
    if (step.left) {
      EXPECT_NEAR(*progress.secondsLeft, *step.left, 1e-9);
    }
    EXPECT_EQ(progress.bytesTotal, total);
  }
  VerifyProgressMeter idle(start);
  EXPECT_FALSE(idle.Sample(0, total, 0, 2, 0, start + std::chrono::seconds(1)).secondsLeft);
}

}  // namespace
}  // namespace volumist
