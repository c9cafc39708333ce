#include "browse/program_start.h"

#include "platform/file_system.h"

namespace volumist::browse {

WindowArguments ParseWindowArguments(std::span<const std::string> args) {
  WindowArguments parsed;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && (arg == "--help" || arg == "-h")) return {WindowArguments::Action::kHelp, {}, {}};
    if (!optionsEnded && arg == "--version") return {WindowArguments::Action::kVersion, {}, {}};
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      // Reported once the whole line is read: a --help further on still wins.
      if (parsed.problem.empty()) parsed.problem = "unknown option " + arg;
    } else {
      files.push_back(arg);
    }
  }
  if (parsed.problem.empty() && files.size() > 1) parsed.problem = "only one volume file can be opened";
  if (parsed.problem.empty() && files.size() == 1 && files[0].empty()) parsed.problem = "the volume file's name is empty";
  if (!parsed.problem.empty()) {
    parsed.action = WindowArguments::Action::kUsageError;
    return parsed;
  }
  if (!files.empty()) parsed.volumeFile = files[0];
  return parsed;
}

std::string WindowHelpText() {
  return "Usage: volumist [OPTION]... [FILE.vkt]\n"
         "Catalogue disks and folders: the window of Zarn Volumist.\n"
         "\n"
         "Zarn Volumist scans drives and folders into volume files (.vkt), one per scan,\n"
         "and lets you browse, describe, search and export what they recorded long after\n"
         "the disk is gone. volumist-cli does the same on the command line.\n"
         "\n"
         "With FILE.vkt the window opens that volume file, as the desktop does when a\n"
         "volume file is opened. When the file lies outside the active directory, its\n"
         "folder becomes the active directory, so that the volume list shows the volume\n"
         "among its neighbours.\n"
         "\n"
         "Options:\n"
         "  -h, --help     show this help and exit\n"
         "  --version      show the version and exit\n"
         "After --, the next argument is the file, even when its name starts with -.\n"
         "Qt's own options are accepted too, such as -platform NAME and -style NAME.\n"
         "\n"
         "Files:\n"
         "  ~/.config/zarn-volumist/configuration.cfg  the settings\n"
         "  ~/.local/share/zarn-volumist/volumes  the first active directory\n"
         "  help.htm  the help page (F1): beside the program, else in\n"
         "            ../share/zarn-volumist from the program's folder\n"
         "XDG_CONFIG_HOME and XDG_DATA_HOME take the place of ~/.config and\n"
         "~/.local/share when they are set.\n"
         "\n"
         "Exit status: 0 once the window has closed, 1 when there is no home folder for\n"
         "the settings, 2 on wrong usage or when there is no display.\n";
}

std::string WindowVersionText(std::string_view version) {
  return "volumist (Zarn Volumist) " + std::string(version) + "\n";
}

std::vector<std::string> DataFolders(const std::string& programFolder, const std::string& dataFromProgram) {
  std::vector<std::string> folders{platform::NormalizePath(programFolder)};
  if (!dataFromProgram.empty()) {
    folders.push_back(platform::NormalizePath(platform::IsAbsolutePath(dataFromProgram)
                                                  ? dataFromProgram
                                                  : platform::JoinPath(programFolder, dataFromProgram)));
  }
  return folders;
}

}  // namespace volumist::browse
