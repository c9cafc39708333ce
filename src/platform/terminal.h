#pragma once

namespace volumist::platform {

// True when standard input (0), output (1) or error (2) is a terminal.
bool IsTerminal(int stream);

// The width in columns of the terminal on `stream`; 0 when it is not a terminal or does not say.
int TerminalWidth(int stream);

}  // namespace volumist::platform
