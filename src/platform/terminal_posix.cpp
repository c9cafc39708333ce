#include <unistd.h>

#include "platform/terminal.h"

namespace volumist::platform {

bool IsTerminal(int stream) { return ::isatty(stream) == 1; }

}  // namespace volumist::platform
