#pragma once

namespace volumist::platform {

// True when standard input (0), output (1) or error (2) is a terminal.
bool IsTerminal(int stream);

}  // namespace volumist::platform
