// The overview of volumist-cli: what `volumist-cli --help` prints, in parts that the manual page
// takes as well, so that the two never say different things.
#pragma once

#include <iosfwd>
#include <span>

#include "cli/command.h"

namespace volumist::cli {

// The lines after "usage: " and the indent below it.
inline constexpr const char* kSynopsis[] = {
    "volumist-cli [--dir DIR] COMMAND [ARGS...]",
    "volumist-cli help [COMMAND]",
    "volumist-cli help --man",
};
inline constexpr char kSummary[] = "Catalogues disks and folders into volume files (.vkt) and reads them back.";
// The options before the command, as option lines (cli/help_text.h).
inline constexpr char kGlobalOptions[] =
    "  --dir DIR   the volume directory (default: the configured one, at first\n"
    "              $XDG_DATA_HOME/zarn-volumist/volumes). A volume file argument\n"
    "              that names no existing file is looked up there.\n"
    "  --version   print the version and exit\n"
    "  --help      print this overview and exit\n";
inline constexpr char kConfigurationText[] =
    "The configuration is read from $XDG_CONFIG_HOME/zarn-volumist/configuration.cfg\n"
    "(~/.config when XDG_CONFIG_HOME is unset) and never written.\n";
inline constexpr char kManText[] =
    "volumist-cli help --man prints this overview and the help of every command\n"
    "as a manual page.\n";
inline constexpr char kPathsHeading[] = "Paths inside a volume";
inline constexpr char kPathsText[] =
    "ls and search print an item's path, and ls, describe, ed2k, export --folder and\n"
    "search --in take it back, in one form: the names that lead to the item joined\n"
    "by \"/\" - the source (the root folder of a folder source; a drive source's items\n"
    "start at its top), each folder, each listed archive, then the item. Archive\n"
    "members follow their archive: Src/docs/pack.zip/dir/a.txt.\n"
    "Within a name, \"\\\\\" stands for a backslash, \"\\/\" for a slash that is part of\n"
    "the name, and \"\\xHH\" for one byte (control characters, and bytes that are not\n"
    "UTF-8); every other character stands for itself. So the folder a\\b is written\n"
    "a\\\\b, and a name holding a line end stays on one line (a\\x0ab). Empty\n"
    "components are ignored: \"/Src/docs/\" is Src/docs, \"\" or \"/\" the volume.\n";
inline constexpr char kExitStatusHeading[] = "Exit status";
inline constexpr char kExitStatusText[] = "0 success, 1 failure, 2 wrong usage.\n";

// Prints the overview with one line per command of `commands`.
void PrintOverview(std::ostream& out, std::span<const Command* const> commands);

}  // namespace volumist::cli
