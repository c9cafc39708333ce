// The search criteria's stop request and lock, which the dialog's thread and the search worker share.
#include <gtest/gtest.h>

#include <thread>

#include "catalog/search_criteria.h"

namespace volumist {
namespace {

TEST(SearchCriteriaTest, AStopRequestedOnOneThreadIsSeenOnAnother) {
  SearchCriteria criteria;
  criteria.ClearStopRequest();
  std::thread worker([&criteria] {
    while (!criteria.StopRequested()) std::this_thread::yield();
  });
  criteria.RequestStop();
  worker.join();  // returns only once the worker saw the request
  EXPECT_TRUE(criteria.StopRequested());
  criteria.ClearStopRequest();
  EXPECT_FALSE(criteria.StopRequested());
}

TEST(SearchCriteriaTest, ACopyHasALockOfItsOwn) {
  SearchCriteria criteria;
  criteria.mask = "*.mp3";
  std::lock_guard held(criteria.lock);
  SearchCriteria copy = criteria;  // copying a record whose lock is held must not wait for it
  EXPECT_EQ(copy.mask, "*.mp3");
  ASSERT_TRUE(copy.lock.try_lock());
  copy.lock.unlock();
}

}  // namespace
}  // namespace volumist
