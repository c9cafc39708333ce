// volumist-cli(1): the overview (cli/overview.h) and the help of every command of the table, written
// as a manual page in man(7) form. The build makes the installed page from this, so the page says
// what --help says.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

#include "cli/command.h"

namespace volumist::cli {

void WriteManPage(std::ostream& out, std::span<const Command* const> commands, std::string_view version);

// The manual page of `program` made from its --help text (`helpText`): the first line,
// "Usage: PROGRAM ARGS", gives the synopsis, the second the summary of the NAME section, the rest
// the description in the layout of cli/help_text.h, where a line of its own ending in ":"
// ("Options:") heads a section. `seeAlso` names one related page of section 1 (none when empty).
void WriteManPageOfHelp(std::ostream& out, std::string_view program, std::string_view helpText,
                        std::string_view version, std::string_view seeAlso);

}  // namespace volumist::cli
