// How the commands print texts taken from volumes, which may hold any byte.
#pragma once

#include <string>
#include <string_view>

namespace volumist::cli {

// `text` for one field of a line: control characters (C0 such as tabs, line ends and ESC, DEL, and
// the C1 controls) become blanks, so no text drives the terminal and every item stays one line.
std::string OnOneLine(std::string text);

}  // namespace volumist::cli
