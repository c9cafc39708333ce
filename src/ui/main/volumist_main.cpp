// volumist: the window program. It takes no command-line options.
#include <cstdio>

#include "ui/program.h"

int main(int argc, char** argv) {
  if (!volumist::ui::HasDisplay()) {
    std::fprintf(stderr, "volumist: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
    return 2;
  }
  return volumist::ui::RunWindowProgram(argc, argv);
}
