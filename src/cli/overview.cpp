#include "cli/overview.h"

#include <algorithm>
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
  // The summaries line up two blanks after the longest command name.
  size_t width = 0;
  for (const Command* command : commands) width = std::max(width, std::strlen(command->name));
  for (const Command* command : commands) {
    out << "  " << command->name << std::string(width + 2 - std::strlen(command->name), ' ') << command->summary
        << '\n';
  }
  out << '\n' << kPathsHeading << ":\n" << kPathsText << '\n' << kExitStatusHeading << ": " << kExitStatusText;
}

int UsageError(CommandContext& context, const Command& command, const std::string& problem) {
  context.err << "volumist-cli " << command.name << ": " << problem << '\n'
              << "usage: volumist-cli " << command.name << ' ' << command.usage << '\n';
  return kExitUsage;
}

}  // namespace volumist::cli
