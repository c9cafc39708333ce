#include "catalog/search_criteria.h"

namespace volumist {

void SearchCriteria::RequestStop() {
  std::lock_guard guard(lock);
  stopRequested_ = true;
}

void SearchCriteria::ClearStopRequest() {
  std::lock_guard guard(lock);
  stopRequested_ = false;
}

bool SearchCriteria::StopRequested() const {
  std::lock_guard guard(lock);
  return stopRequested_;
}

}  // namespace volumist
