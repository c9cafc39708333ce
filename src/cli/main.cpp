// volumist-cli: the command-line front end. Usage: volumist-cli COMMAND [ARGS...]
#include <array>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console_prompter.h"
#include "platform/file_system.h"
#include "platform/terminal.h"

namespace volumist::cli {
namespace {

constexpr std::array<const Command*, 4> kCommands = {&kInfoCommand, &kLsCommand, &kDumpCommand, &kEd2kCommand};

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

void PrintOverview(std::ostream& out) {
  out << "usage: volumist-cli COMMAND [ARGS...]\n"
         "       volumist-cli help COMMAND\n\n"
         "Catalogues disks and folders into volume files (.vkt) and reads them back.\n\n"
         "Commands:\n";
  for (const Command* command : kCommands) {
    out << "  " << command->name << std::string(10 - std::strlen(command->name), ' ') << command->summary << '\n';
  }
  out << "\nExit status: 0 success, 1 failure, 2 wrong usage.\n";
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

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
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
  ConsolePrompter prompter(std::cin, std::cerr, platform::IsTerminal(0) && platform::IsTerminal(2));
  CommandContext context{platform::FileSystem::Default(), prompter, std::cout, std::cerr};
  return command->run(context, args);
}

}  // namespace volumist::cli

int main(int argc, char** argv) { return volumist::cli::Main(argc, argv); }
