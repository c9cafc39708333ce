// What ArchiveTree and the DOS time conversion do at their limits.
#include <gtest/gtest.h>

#include "analysis/archive_fixture.h"
#include "analysis/archive_tree.h"
#include "analysis/dos_time.h"

namespace volumist {
namespace {

TEST(DosTimeTest, CalendarDatesOnly) {
  struct Case {
    uint16_t date, time;
    int64_t expected;  // with TZ=UTC
  };
  const Case cases[] = {
      {testing::kFixtureDate, testing::kFixtureClock, testing::kFixtureTime},
      {testing::DosDate(1980, 1, 1), 0, 315532800},
      {testing::DosDate(2107, 12, 31), testing::DosTime(23, 59, 58), 4354819198},
      {0, 0, 0},                                             // no date
      {static_cast<uint16_t>(1 << 5 | 0), 0, 0},             // day 0
      {static_cast<uint16_t>(13 << 5 | 1), 0, 0},            // month 13
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(DosDateTimeToUnix(c.date, c.time), c.expected);
  }
}

TEST(ArchiveTreeTest, DepthLimitDropsDeeperEntriesOnly) {
  ArchiveTree tree;
  ScanOptions options;
  std::string deep;
  for (size_t i = 0; i < ArchiveTree::kMaxDepth + 5; ++i) deep += "d/";
  EXPECT_EQ(tree.AddPath(deep + "too-deep.txt", '/', false, {}, options), ArchiveTree::AddResult::kDropped);
  std::string allowed;
  for (size_t i = 0; i < ArchiveTree::kMaxDepth; ++i) allowed += "d/";
  EXPECT_EQ(tree.AddPath(allowed + "deepest.txt", '/', false, {}, options), ArchiveTree::AddResult::kAdded);
  EXPECT_NE(testing::FindFile(tree, allowed + "deepest.txt"), nullptr);
  EXPECT_EQ(tree.AddPath("..", '/', false, {}, options), ArchiveTree::AddResult::kDropped);
  EXPECT_EQ(tree.AddPath("a/.", '/', false, {}, options), ArchiveTree::AddResult::kDropped);
}

}  // namespace
}  // namespace volumist
