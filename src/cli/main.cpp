// volumist-cli: the command-line front end. Usage: volumist-cli [--dir DIR] COMMAND [ARGS...]
#include <array>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "catalog/program_settings.h"
#include "cli/completion.h"
#include "cli/console_prompter.h"
#include "cli/man_page.h"
#include "cli/overview.h"
#include "platform/file_system.h"
#include "platform/temporary_file_registry.h"
#include "platform/terminal.h"

#ifndef VOLUMIST_VERSION
#define VOLUMIST_VERSION "unknown"
#endif

namespace volumist::cli {
namespace {

constexpr std::array<const Command*, 17> kCommands = {
    &kScanCommand,       &kRescanCommand,  &kVerifyCommand,  &kInfoCommand,     &kLsCommand,
    &kSearchCommand,     &kDuplicatesCommand, &kUniqueCommand, &kDiffCommand,  &kExportCommand,
    &kDescribeCommand,   &kEd2kCommand,    &kDumpCommand,    &kVolumesCommand,  &kRenameCommand,
    &kDeleteCommand,     &kDrivesCommand};

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

void PrintCommandHelp(std::ostream& out, const Command& command) {
  out << "usage: volumist-cli " << command.name << ' ' << command.usage << "\n\n" << command.help;
}

}  // namespace

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
  // The shells' completion scripts ask here what fits the word being typed.
  if (!args.empty() && args[0] == kCompleteCommandName) {
    args.erase(args.begin());
    return Complete(std::cout, kCommands, args, [] {
      platform::FileSystem& fileSystem = platform::FileSystem::Default();
      ProgramSettings settings(fileSystem, FindLocations(fileSystem));
      static_cast<void>(settings.Load());
      return settings.VolumeDirectory();
    });
  }
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
      PrintOverview(std::cerr, kCommands);
      return kExitUsage;
    }
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintOverview(args.empty() ? std::cerr : std::cout, kCommands);
    return args.empty() ? kExitUsage : kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "volumist-cli (Zarn Volumist) " << VOLUMIST_VERSION << '\n';
    return kExitOk;
  }
  if (args[0] == "help" && args.size() > 1 && args[1] == "--man") {
    WriteManPage(std::cout, kCommands, VOLUMIST_VERSION);
    return kExitOk;
  }
  if (args[0] == "help") {
    const Command* command = args.size() > 1 ? FindCommand(args[1]) : nullptr;
    if (command == nullptr) {
      PrintOverview(std::cout, kCommands);
    } else {
      PrintCommandHelp(std::cout, *command);
    }
    return kExitOk;
  }
  const Command* command = FindCommand(args[0]);
  if (command == nullptr) {
    std::cerr << "volumist-cli: unknown command '" << args[0] << "'\n";
    PrintOverview(std::cerr, kCommands);
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
