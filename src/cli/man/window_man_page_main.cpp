// Writes the manual page volumist(1) to standard output, made at build time from the window
// program's --help text so that the page and --help never say different things.
#include <iostream>

#include "browse/program_start.h"
#include "cli/man_page.h"

#ifndef VOLUMIST_VERSION
#define VOLUMIST_VERSION "unknown"
#endif

int main() {
  volumist::cli::WriteManPageOfHelp(std::cout, "volumist", volumist::browse::WindowHelpText(), VOLUMIST_VERSION,
                                    "volumist-cli");
  return std::cout.good() ? 0 : 1;
}
