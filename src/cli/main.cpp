// volumist-cli: the command-line front end. Usage: volumist-cli [--dir DIR] COMMAND [ARGS...]
#include <array>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "catalog/program_settings.h"
#include "cli/console_prompter.h"
#include "platform/file_system.h"
#include "platform/temporary_file_registry.h"
#include "platform/terminal.h"

namespace volumist::cli {
namespace {

constexpr std::array<const Command*, 13> kCommands = {
    &kScanCommand,  &kRescanCommand, &kInfoCommand,   &kLsCommand,     &kSearchCommand,
    &kExportCommand, &kDescribeCommand, &kEd2kCommand, &kDumpCommand,  &kVolumesCommand,
    &kRenameCommand, &kDeleteCommand, &kDrivesCommand};

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

void PrintOverview(std::ostream& out) {
  out << "usage: volumist-cli [--dir DIR] COMMAND [ARGS...]\n"
         "       volumist-cli help COMMAND\n\n"
         "Catalogues disks and folders into volume files (.vkt) and reads them back.\n\n"
         "  --dir DIR   the volume directory (default: the configured one, at first\n"
         "              $XDG_DATA_HOME/zarn-volumist/volumes). A volume file argument\n"
         "              that names no existing file is looked up there.\n"
         "The configuration is read from $XDG_CONFIG_HOME/zarn-volumist/configuration.cfg\n"
         "(~/.config when XDG_CONFIG_HOME is unset) and never written.\n\n"
         "Commands:\n";
  for (const Command* command : kCommands) {
    out << "  " << command->name << std::string(10 - std::strlen(command->name), ' ') << command->summary << '\n';
  }
  out << "\nPaths inside a volume: ls and search print an item's path, and ls, describe,\n"
         "ed2k, export --folder and search --in take it back, in one form: the names that\n"
         "lead to the item joined by \"/\" - the source (the root folder of a folder source;\n"
         "a drive source's items start at its top), each folder, each listed archive, then\n"
         "the item. Archive members follow their archive: Src/docs/pack.zip/dir/a.txt.\n"
         "Within a name, \"\\\\\" stands for a backslash, \"\\/\" for a slash that is part of\n"
         "the name, and \"\\xHH\" for one byte (control characters, and bytes that are not\n"
         "UTF-8); every other character stands for itself. So the folder a\\b is written\n"
         "a\\\\b, and a name holding a line end stays on one line (a\\x0ab). Empty\n"
         "components are ignored: \"/Src/docs/\" is Src/docs, \"\" or \"/\" the volume.\n"
         "\nExit status: 0 success, 1 failure, 2 wrong usage.\n";
}

void PrintCommandHelp(std::ostream& out, const Command& command) {
  out << "usage: volumist-cli " << command.name << ' ' << command.usage << "\n\n" << command.help;
}

}  // namespace

int UsageError(CommandContext& context, const Command& command, const std::string& problem) {
  context.err << "volumist-cli " << command.name << ": " << problem << '\n'
              << "usage: volumist-cli " << command.name << ' ' << command.usage << '\n';
  return kExitUsage;
}

// The settings as the window program would start with them. Without a home folder there is no
// configuration file, and volumes are looked for in the current directory.
SettingsLocations FindLocations(platform::FileSystem& fileSystem) {
  if (auto locations = DefaultSettingsLocations()) return *locations;
  return {"", fileSystem.CurrentDirectory().value_or(".")};
}

int Main(int argc, char** argv) {
  // A signal that ends a command first removes the temporary file it is writing (scan instead
  // stops its walk and cleans up itself).
  platform::RemoveTemporaryFilesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  // Options before the command apply to every command.
  std::optional<std::string> directoryOption;
  while (!args.empty() && (args[0] == "--dir" || args[0].starts_with("--dir="))) {
    if (args[0] != "--dir") {
      directoryOption = args[0].substr(6);
      args.erase(args.begin());
    } else if (args.size() >= 2) {
      directoryOption = args[1];
      args.erase(args.begin(), args.begin() + 2);
    } else {
      std::cerr << "volumist-cli: --dir needs a directory\n";
      PrintOverview(std::cerr);
      return kExitUsage;
    }
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintOverview(args.empty() ? std::cerr : std::cout);
    return args.empty() ? kExitUsage : kExitOk;
  }
  if (args[0] == "help") {
    const Command* command = args.size() > 1 ? FindCommand(args[1]) : nullptr;
    if (command == nullptr) {
      PrintOverview(std::cout);
    } else {
      PrintCommandHelp(std::cout, *command);
    }
    return kExitOk;
  }
  const Command* command = FindCommand(args[0]);
  if (command == nullptr) {
    std::cerr << "volumist-cli: unknown command '" << args[0] << "'\n";
    PrintOverview(std::cerr);
    return kExitUsage;
  }
  args.erase(args.begin());
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      PrintCommandHelp(std::cout, *command);
      return kExitOk;
    }
  }
  platform::FileSystem& fileSystem = platform::FileSystem::Default();
  if (directoryOption) {
    auto status = directoryOption->empty() ? std::nullopt : fileSystem.Status(*directoryOption);
    if (!status || !status->isDirectory) {
      std::cerr << "volumist-cli: --dir " << *directoryOption << ": not a directory\n";
      return kExitFailure;
    }
  }
  ProgramSettings settings(fileSystem, FindLocations(fileSystem));
  static_cast<void>(settings.Load());
  ConsolePrompter prompter(std::cin, std::cerr, platform::IsTerminal(0) && platform::IsTerminal(2));
  CommandContext context{fileSystem, prompter, std::cout, std::cerr, settings,
                         directoryOption.value_or(settings.VolumeDirectory())};
  return command->run(context, args);
}

}  // namespace volumist::cli

int main(int argc, char** argv) { return volumist::cli::Main(argc, argv); }
