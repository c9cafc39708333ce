// The window program's command line and where it finds its data files. The command line is
// `volumist [--help | --version | [--] FILE.vkt]`: the one argument is a volume file to open, as the
// desktop passes it when the user opens a .vkt file. Qt's own options (-platform, -style...) are
// taken out of the line by QApplication before ParseWindowArguments reads the rest.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace volumist::browse {

struct WindowArguments {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  // kRun: the volume file to open, as given (relative paths count from the current directory).
  std::optional<std::string> volumeFile;
  // kUsageError: what is wrong, for a line "volumist: PROBLEM".
  std::string problem;
};

// Reads the arguments after the program's name. --help (-h) and --version win over everything
// else on the line; "--" ends the options, so a file whose name starts with "-" can be named.
WindowArguments ParseWindowArguments(std::span<const std::string> args);

// The text of `volumist --help`, which the manual page volumist(1) is also made from.
std::string WindowHelpText();
// The line of `volumist --version`: "volumist (Zarn Volumist) VERSION".
std::string WindowVersionText(std::string_view version);

// The folders where the program looks for its data files (help.htm), in this order: its own folder
// (`programFolder`, the build folder or a folder the program was unpacked to), then
// `dataFromProgram` taken from there (an installed copy: "../share/zarn-volumist" from bin/).
// An absolute `dataFromProgram` is taken as it is. Both are normalised; the second is left out when
// it is empty.
std::vector<std::string> DataFolders(const std::string& programFolder, const std::string& dataFromProgram);

}  // namespace volumist::browse
