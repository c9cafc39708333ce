// Completion of volumist-cli's command lines, for the scripts that bash, zsh and fish load
// (data/completions/). A script runs
//
//   volumist-cli __complete WORD... CURRENT
//
// with the words typed after the program's name and the word being typed (empty at a blank), and
// reads what fits: first a line that says what the shell adds from the file system itself
// ("files", "directories", "volume-files" for *.vkt files and folders, or "-" for nothing), then one
// candidate a line, "WORD<TAB>DESCRIPTION" (the description may be empty). Commands, options and
// their values come from the command table (cli/help_text.h reads each command's usage and help),
// so a new command completes without touching the scripts. Volume files are offered by their names
// in the volume directory (--dir on the line, else the configured one), as every command takes them.
#pragma once

#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "cli/command.h"

namespace volumist::cli {

inline constexpr char kCompleteCommandName[] = "__complete";

// Prints the completion of `words` (the last one is the word being typed). `configuredDirectory`
// gives the configured volume directory; it is asked only when a volume file is wanted and the line
// names no --dir. Returns the exit status (always 0: a line that fits nothing gets no candidates).
int Complete(std::ostream& out, std::span<const Command* const> commands, std::vector<std::string> words,
             const std::function<std::string()>& configuredDirectory);

}  // namespace volumist::cli
