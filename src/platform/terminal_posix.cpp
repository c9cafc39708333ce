#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace volumist::platform {

bool IsTerminal(int stream) { return ::isatty(stream) == 1; }

int TerminalWidth(int stream) {
  struct winsize size {};
  if (::ioctl(stream, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace volumist::platform
