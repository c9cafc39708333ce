// The user's interrupt (Ctrl-C) as a flag that long work polls, instead of ending the process.
#pragma once

namespace volumist::platform {

// From now on an interrupt sets the flag instead of ending the process. A second interrupt while the
// flag is set ends the process as usual.
void CatchInterrupts();
bool InterruptRequested();

}  // namespace volumist::platform
