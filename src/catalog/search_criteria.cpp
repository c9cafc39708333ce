#include "catalog/search_criteria.h"

namespace volumist {

void SearchCriteria::RequestStop() { stopRequested_.Set(true); }

void SearchCriteria::ClearStopRequest() { stopRequested_.Set(false); }


}  // namespace volumist
