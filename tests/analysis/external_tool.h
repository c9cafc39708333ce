// Finding and running the general tools (rhash, zip, tar, arj, gcab, lha) that tests compare with.
#pragma once

#include <string>
#include <vector>

#include "testing/run_command.h"

namespace volumist::testing {

// The full path of `program` on PATH, or "" when it is not installed.
inline std::string FindProgram(const std::string& program) {
  CommandResult found = RunCommand("/bin/sh", {"-c", "command -v \"$0\"", program});
  if (found.exitStatus != 0) return {};
  std::vector<std::string> lines = Lines(found.out);
  return lines.empty() ? std::string() : lines.front();
}

}  // namespace volumist::testing
