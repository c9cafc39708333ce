// Runs a program for end-to-end tests and collects its exit status and output.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace volumist::testing {

struct CommandResult {
  int exitStatus = -1;  // the exit status, or 128 + the signal that ended the program
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

// Where a started program runs and what it reads and writes.
struct CommandOptions {
  std::string input;
  std::vector<std::string> environment;  // "NAME=value", added to the current environment
  std::string workingDirectory;          // empty: the current one
  std::string outputPath;                // standard output goes here instead of being collected
  // Run as this user and group (needs root; for permission tests). Negative: as the caller.
  int user = -1;
};

// A program started in the background. Wait collects its result; the destructor kills a program
// still running and waits for it.
class RunningCommand {
 public:
  RunningCommand(const std::string& program, const std::vector<std::string>& args, const CommandOptions& options = {});
  ~RunningCommand();
  RunningCommand(const RunningCommand&) = delete;
  RunningCommand& operator=(const RunningCommand&) = delete;

  pid_t pid() const { return pid_; }
  bool started() const { return pid_ > 0; }
  void Signal(int signal);
  // True once the program has ended (it is not waited for).
  bool HasEnded();
  CommandResult Wait();

 private:
  struct Files;
  std::unique_ptr<Files> files_;
  pid_t pid_ = -1;
  bool waited_ = false;
  int status_ = 0;
  std::string outputPath_;
};

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args,
                         const CommandOptions& options);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace volumist::testing
