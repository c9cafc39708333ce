#pragma once

namespace volumist::platform {

// Lowers the calling thread's scheduling priority one step below normal, so that long background
// work (scans, searches) leaves the user interface responsive. Failures are ignored.
void LowerCurrentThreadPriority();

}  // namespace volumist::platform
