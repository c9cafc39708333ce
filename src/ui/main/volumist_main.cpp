// volumist: the window program. Its one argument is a volume file to open (browse/program_start.h).
#include <cstdio>
#include <string>
#include <vector>

#include "browse/program_start.h"
#include "ui/program.h"

#ifndef VOLUMIST_VERSION
#define VOLUMIST_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  using volumist::browse::WindowArguments;
  // --help and --version need no display. Qt's options are still on the line here, so nothing else
  // is judged yet: RunWindowProgram reads the line again once Qt has taken them out.
  std::vector<std::string> args(argv + 1, argv + argc);
  WindowArguments early = volumist::browse::ParseWindowArguments(args);
  if (early.action == WindowArguments::Action::kHelp) {
    std::fputs(volumist::browse::WindowHelpText().c_str(), stdout);
    return 0;
  }
  if (early.action == WindowArguments::Action::kVersion) {
    std::fputs(volumist::browse::WindowVersionText(VOLUMIST_VERSION).c_str(), stdout);
    return 0;
  }
  if (!volumist::ui::HasDisplay()) {
    std::fprintf(stderr, "volumist: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
    return 2;
  }
  return volumist::ui::RunWindowProgram(argc, argv);
}
