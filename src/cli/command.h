// The commands of volumist-cli. Each command lives in its own file and ends with its table entry.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "catalog/program_settings.h"
#include "catalog/prompter.h"
#include "platform/file_system.h"

namespace volumist::cli {

struct CommandContext {
  platform::FileSystem& fileSystem;
  Prompter& prompter;
  std::ostream& out;
  std::ostream& err;
  // The configuration as read at start. The command line never saves it.
  ProgramSettings& settings;
  // The volume directory in effect: the one given with --dir, else the configured one.
  std::string volumeDirectory;
};

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  const char* name;
  const char* usage;    // arguments after the command name
  const char* summary;  // one line
  const char* help;     // the full description, including the output format
  int (*run)(CommandContext& context, const std::vector<std::string>& args);
};

extern const Command kInfoCommand;
extern const Command kLsCommand;
extern const Command kDumpCommand;
extern const Command kScanCommand;
extern const Command kDrivesCommand;
extern const Command kSearchCommand;
extern const Command kVolumesCommand;
extern const Command kRenameCommand;
extern const Command kDeleteCommand;
extern const Command kEd2kCommand;
extern const Command kExportCommand;
extern const Command kDescribeCommand;
extern const Command kRescanCommand;
extern const Command kVerifyCommand;
extern const Command kDiffCommand;
extern const Command kDuplicatesCommand;
extern const Command kUniqueCommand;

// Prints "usage: volumist-cli NAME USAGE" to err and returns kExitUsage.
int UsageError(CommandContext& context, const Command& command, const std::string& problem);

}  // namespace volumist::cli
