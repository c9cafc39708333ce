// Back and Forward: the stacks of 50, no repeated top, the forward stack that opening a folder
// keeps.
#include <gtest/gtest.h>

#include "browse/navigation_history.h"

namespace volumist::browse {
namespace {

// Opens what Back or Forward returned, as the window does.
void Follow(NavigationHistory& history, std::optional<RecordKey> key) {
  if (key) history.Opened(*key);
}

TEST(NavigationHistoryTest, OpeningTheSameFolderTwiceKeepsOneEntry) {
  NavigationHistory history;
  history.Opened(0);
  history.Opened(40);
  history.Opened(40);
  EXPECT_EQ(history.BackStack(), (std::deque<RecordKey>{0, 40}));
  history.Opened(0);
  EXPECT_EQ(history.BackStack(), (std::deque<RecordKey>{0, 40, 0}));  // only repeats on top are dropped
}

TEST(NavigationHistoryTest, FiftyOneFoldersKeepTheLastFifty) {
  NavigationHistory history;
  for (RecordKey key = 1; key <= 51; ++key) history.Opened(key * 10);
  ASSERT_EQ(history.BackStack().size(), 50u);
  EXPECT_EQ(history.BackStack().front(), 20u);
  EXPECT_EQ(history.Current(), 510u);
  // Back as far as it goes never reaches the first folder.
  std::vector<RecordKey> visited;
  while (std::optional<RecordKey> key = history.Back()) {
    visited.push_back(*key);
    history.Opened(*key);
  }
  EXPECT_EQ(visited.size(), 49u);
  EXPECT_EQ(visited.back(), 20u);
  EXPECT_EQ(history.Current(), 20u);
  EXPECT_EQ(history.ForwardStack().size(), 49u);
}

TEST(NavigationHistoryTest, BackFromTheFirstFolderDoesNothing) {
  NavigationHistory history;
  EXPECT_FALSE(history.Back());
  EXPECT_FALSE(history.Forward());
  history.Opened(0);
  EXPECT_FALSE(history.CanGoBack());
  EXPECT_FALSE(history.Back());
  EXPECT_EQ(history.BackStack(), (std::deque<RecordKey>{0}));
  EXPECT_TRUE(history.ForwardStack().empty());
}

TEST(NavigationHistoryTest, TheForwardStackSurvivesOpeningANewFolder) {
  NavigationHistory history;
  history.Opened(0);
  history.Opened(10);
  history.Opened(20);
  Follow(history, history.Back());  // back to 10, 20 waits forward
  EXPECT_EQ(history.Current(), 10u);
  EXPECT_TRUE(history.CanGoForward());
  history.Opened(30);  // a new folder
  EXPECT_TRUE(history.CanGoForward());
  std::optional<RecordKey> forward = history.Forward();
  EXPECT_EQ(forward, 20u);
  Follow(history, forward);
  EXPECT_EQ(history.BackStack(), (std::deque<RecordKey>{0, 10, 30, 20}));
  EXPECT_FALSE(history.CanGoForward());
}

TEST(NavigationHistoryTest, BackAndForwardReturnToEachOther) {
  NavigationHistory history;
  for (RecordKey key : {0u, 5u, 9u}) history.Opened(key);
  Follow(history, history.Back());
  Follow(history, history.Back());
  EXPECT_EQ(history.Current(), 0u);
  EXPECT_FALSE(history.CanGoBack());
  Follow(history, history.Forward());
  EXPECT_EQ(history.Current(), 5u);
  Follow(history, history.Forward());
  EXPECT_EQ(history.Current(), 9u);
  EXPECT_FALSE(history.Forward());
  // The forward stack holds 50 at most, too.
  NavigationHistory deep;
  for (RecordKey key = 0; key < 60; ++key) deep.Opened(key);
  for (int i = 0; i < 60; ++i) Follow(deep, deep.Back());
  EXPECT_EQ(deep.ForwardStack().size(), 49u);
  deep.Clear();
  EXPECT_FALSE(deep.Current());
}

}  // namespace
}  // namespace volumist::browse
