// How the commands print texts taken from volumes, which may hold any byte.
#pragma once

#include <string>

namespace volumist::cli {

// `text` for one field of a line: control characters (tabs, line ends, escape sequences that would
// drive the terminal) become blanks, so every item stays one line of fixed fields.
std::string OnOneLine(std::string text);

}  // namespace volumist::cli
