// Runs a program for end-to-end tests and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace volumist::testing {

struct CommandResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (no shell), with `input` on its standard input and `environment`
// entries ("NAME=value") added to the current environment.
CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "", const std::vector<std::string>& environment = {});

// Runs `program` like RunCommand, and sends it an interrupt (SIGINT) after `delayMilliseconds`.
CommandResult RunCommandInterrupted(const std::string& program, const std::vector<std::string>& args,
                                    int delayMilliseconds, const std::vector<std::string>& environment = {});

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace volumist::testing
