#include "testing/run_command.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "testing/temp_dir.h"

extern char** environ;

namespace volumist::testing {

struct RunningCommand::Files {
  TempDir dir;
};

RunningCommand::RunningCommand(const std::string& program, const std::vector<std::string>& args,
                               const CommandOptions& options)
    : files_(std::make_unique<Files>()), outputPath_(options.outputPath) {
  const TempDir& dir = files_->dir;
  WriteFileBytes(dir.File("in"), options.input);
  std::string out = options.outputPath.empty() ? dir.File("out") : options.outputPath;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, dir.File("in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
  }

  // Running as another user goes through setpriv, which drops root's rights before the program runs.
  std::vector<std::string> command;
  if (options.user >= 0) {
    std::string id = std::to_string(options.user);
    command = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", program};
  } else {
    command = {program};
  }
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
  for (const std::string& entry : options.environment) envStrings.push_back(entry);
  std::vector<char*> envp;
  for (std::string& entry : envStrings) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_t pid;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

RunningCommand::~RunningCommand() {
  if (started() && !waited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void RunningCommand::Signal(int signal) {
  if (started() && !waited_) kill(pid_, signal);
}

bool RunningCommand::HasEnded() {
  if (!started() || waited_) return true;
  if (waitpid(pid_, &status_, WNOHANG) != pid_) return false;
  waited_ = true;
  return true;
}

CommandResult RunningCommand::Wait() {
  CommandResult result;
  if (started() && !waited_) {
    waitpid(pid_, &status_, 0);
    waited_ = true;
  }
  if (started()) result.exitStatus = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  if (outputPath_.empty()) result.out = ReadFileBytes(files_->dir.File("out"));
  result.err = ReadFileBytes(files_->dir.File("err"));
  return result;
}

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args,
                         const CommandOptions& options) {
  RunningCommand command(program, args, options);
  return command.Wait();
}

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                         const std::vector<std::string>& environment) {
  return RunCommand(program, args, CommandOptions{input, environment, "", "", -1});
}

CommandResult RunCommandInterrupted(const std::string& program, const std::vector<std::string>& args,
                                    int delayMilliseconds, const std::vector<std::string>& environment) {
  RunningCommand command(program, args, CommandOptions{"", environment, "", "", -1});
  usleep(static_cast<useconds_t>(delayMilliseconds) * 1000);
  command.Signal(SIGINT);
  return command.Wait();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace volumist::testing
