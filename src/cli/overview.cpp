#include "cli/overview.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

namespace volumist::cli {

void PrintOverview(std::ostream& out, std::span<const Command* const> commands) {
  const char* lead = "usage: ";
  for (const char* line : kSynopsis) {
    out << lead << line << '\n';
    lead = "       ";
  }
  out << '\n' << kSummary << "\n\n" << kGlobalOptions << kConfigurationText << kManText << "\nCommands:\n";
  for (const Command* command : commands) {
    size_t length = std::strlen(command->name);
    out << "  " << command->name << std::string(length < 10 ? 10 - length : 1, ' ') << command->summary << '\n';
  }
  out << '\n' << kPathsHeading << ":\n" << kPathsText << '\n' << kExitStatusHeading << ": " << kExitStatusText;
}

int UsageError(CommandContext& context, const Command& command, const std::string& problem) {
  context.err << "volumist-cli " << command.name << ": " << problem << '\n'
              << "usage: volumist-cli " << command.name << ' ' << command.usage << '\n';
  return kExitUsage;
}

}  // namespace volumist::cli
