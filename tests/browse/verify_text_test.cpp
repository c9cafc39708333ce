// The window's texts for a verification: the progress line, the bar's position, the summary and the
// lines of the differences.
#include "browse/verify_text.h"

#include <gtest/gtest.h>

namespace volumist::browse {
namespace {

TEST(VerifyTextTest, ProgressTellsBytesRateAndTimeLeft) {
  struct Case {
    VerifyProgress progress;
    std::string text;
    int permille;
  };
  VerifyProgress reading;
  reading.bytesDigested = 500 * 1024 * 1024;
  reading.bytesTotal = 2000 * 1024 * 1024;
  reading.bytesPerSecond = 100 * 1048576.0;
  reading.secondsLeft = 75.4;
  VerifyProgress starting = reading;
  starting.bytesDigested = 0;
  starting.bytesPerSecond = 0;
  starting.secondsLeft.reset();
  VerifyProgress noDigests;
  noDigests.itemsChecked = 30;
  noDigests.itemsTotal = 120;
  VerifyProgress empty;
  const std::vector<Case> cases = {
      {reading, "Read 500.00 MB of 1.95 GB at 100.0 MB/s, 0:01:15 left", 250},
      {starting, "Read 0 B of 1.95 GB at 0.0 MB/s", 0},
      {noDigests, "Comparing 30 of 120 items", 250},
      {empty, "Comparing 0 of 0 items", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VerifyProgressText(c.progress), c.text);
    EXPECT_EQ(VerifyProgressPermille(c.progress), c.permille);
  }
}

VerifyDifference Difference(VerifyFinding finding, ItemKind kind, std::string path) {
  VerifyDifference d;
  d.finding = finding;
  d.kind = kind;
  d.path = std::move(path);
  return d;
}

TEST(VerifyTextTest, EveryDifferenceAndOddSourceIsALine) {
  VerifyReport report;
  report.sources = {{"A", "/old/a", "/media/a", SourceState::kVerified},
                    {"B", "/media/b", "/media/b", SourceState::kAbsent},
                    {"C", "/media/c", "/media/c", SourceState::kOtherMedium}};
  VerifyDifference changed = Difference(VerifyFinding::kChanged, ItemKind::kFile, "A/x.txt");
  changed.oldSize = 1000;
  changed.newSize = 2500;
  changed.changes = kChangedSize | kChangedTime;
  VerifyDifference content = Difference(VerifyFinding::kContentChanged, ItemKind::kArchive, "A/p.zip");
  content.changes = kChangedContent;
  content.differing = DigestChoice{true, false, true};
  VerifyDifference unreadable = Difference(VerifyFinding::kUnreadable, ItemKind::kFile, "A/bad.bin");
  unreadable.problem = ReadProblem::kReadError;
  unreadable.offset = 8192;
  VerifyDifference closed = Difference(VerifyFinding::kUnreadable, ItemKind::kFolder, "A/closed");
  closed.problem = ReadProblem::kCannotList;
  report.differences = {changed, content, unreadable, closed,
                        Difference(VerifyFinding::kMissing, ItemKind::kFolder, "A/gone"),
                        Difference(VerifyFinding::kNew, ItemKind::kFile, "A/new.txt")};
  report.same = 7;
  const std::vector<std::string> expected = {
      "Source B (/media/b) is absent: nothing of it was compared",
      "Source C (/media/c) is on another disk",
      "Changed A/x.txt (size 1 000 -> 2 500, time)",
      "Content changed A/p.zip (CRC-32, MD5)",
      "Unreadable A/bad.bin (read error at offset 8192)",
      "Unreadable A/closed/ (the folder cannot be listed)",
      "Missing A/gone/",
      "New A/new.txt",
  };
  EXPECT_EQ(VerifyLines(report), expected);
  EXPECT_EQ(VerifySummary(report), "1 changed, 1 content changed, 1 missing, 2 unreadable, 1 new; 7 the same.");
  report.stopped = true;
  EXPECT_EQ(VerifySummary(report), "Stopped: 1 changed, 1 content changed, 1 missing, 2 unreadable, 1 new; 7 the same.");
}

TEST(VerifyTextTest, SummaryOfAMatchCountsWhatWasCompared) {
  VerifyReport report;
  report.sources = {{"A", "/a", "/a", SourceState::kVerified}};
  report.same = 12;
  report.filesDigested = 9;
  EXPECT_EQ(VerifySummary(report), "Everything matches: 12 items compared, 9 files read.");
  EXPECT_TRUE(VerifyLines(report).empty());
  // An absent source is no match, even without a difference.
  report.sources[0].state = SourceState::kAbsent;
  EXPECT_EQ(VerifySummary(report), "0 changed, 0 content changed, 0 missing, 0 unreadable, 0 new; 12 the same.");
}

TEST(VerifyTextTest, WhatWasReadInTheEnd) {
  struct Case {
    uint64_t files;
    uint64_t bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0, 0, "Nothing was read."},
      {1, 500, "Read 500 B from 1 file."},
      {8, 1457664, "Read 1.39 MB from 8 files."},
  };
  for (const Case& c : cases) {
    VerifyReport report;
    report.filesDigested = c.files;
    report.bytesDigested = c.bytes;
    EXPECT_EQ(VerifyReadText(report), c.text);
  }
}

TEST(VerifyTextTest, PromptNamesTheSourceAndWhereItWas) {
  EXPECT_EQ(VerifyWhereIsSourcePrompt("Photos", "/media/usb"), "Where is source Photos now? (recorded at /media/usb)");
}

}  // namespace
}  // namespace volumist::browse
