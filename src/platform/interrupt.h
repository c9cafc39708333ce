// The user's interrupt (Ctrl-C, or a SIGTERM or SIGHUP) as a flag that long work polls, instead of
// ending the process.
#pragma once

namespace volumist::platform {

// From now on SIGINT, SIGTERM and SIGHUP set the flag instead of ending the process. A second one
// while the flag is set removes the registered temporary files (platform/temporary_file_registry.h)
// and ends the process as the signal would.
void CatchInterrupts();
bool InterruptRequested();

}  // namespace volumist::platform
