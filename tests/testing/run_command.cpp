#include "testing/run_command.h"

#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "testing/temp_dir.h"

extern char** environ;

namespace volumist::testing {

namespace {

CommandResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                  const std::vector<std::string>& environment, int interruptAfterMilliseconds) {
  TempDir dir;
  WriteFileBytes(dir.File("in"), input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, dir.File("in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
  for (const std::string& entry : environment) envStrings.push_back(entry);
  std::vector<char*> envp;
  for (std::string& entry : envStrings) envp.push_back(entry.data());
  envp.push_back(nullptr);

  CommandResult result;
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    if (interruptAfterMilliseconds >= 0) {
      usleep(static_cast<useconds_t>(interruptAfterMilliseconds) * 1000);
      kill(pid, SIGINT);
    }
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileBytes(dir.File("out"));
  result.err = ReadFileBytes(dir.File("err"));
  return result;
}

}  // namespace

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                         const std::vector<std::string>& environment) {
  return Run(program, args, input, environment, -1);
}

CommandResult RunCommandInterrupted(const std::string& program, const std::vector<std::string>& args,
                                    int delayMilliseconds, const std::vector<std::string>& environment) {
  return Run(program, args, "", environment, delayMilliseconds);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace volumist::testing
