// volumist-cli scan's progress line, seen on a pseudo terminal as a user sees it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "testing/run_command.h"
#include "testing/temp_dir.h"

extern char** environ;

namespace volumist {
namespace {

struct TerminalRun {
  int exitStatus = -1;
  std::string terminal;  // what the program wrote to its standard error, a terminal
  std::string out;       // its standard output, a file
};

// Runs volumist-cli with its standard error on a pseudo terminal `columns` wide, reading the terminal
// while it runs so that the program never waits for it.
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                          const std::string& outPath, unsigned short columns) {
  TerminalRun run;
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return run;
  struct winsize size {};
  size.ws_col = columns;
  size.ws_row = 24;
  ioctl(master, TIOCSWINSZ, &size);
  std::string slave = ptsname(master);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, slave.c_str(), O_RDWR | O_NOCTTY, 0);
  posix_spawn_file_actions_addclose(&actions, master);
  std::vector<std::string> command = {VOLUMIST_CLI_PATH};
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
  envStrings.insert(envStrings.end(), environment.begin(), environment.end());
  std::vector<char*> envp;
  for (std::string& entry : envStrings) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    close(master);
    return run;
  }
  int status = 0;
  bool ended = false;
  char buffer[4096];
  for (;;) {
    pollfd poller{master, POLLIN, 0};
    if (poll(&poller, 1, 100) > 0 && (poller.revents & POLLIN)) {
      ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) {
        run.terminal.append(buffer, static_cast<size_t>(n));
        continue;
      }
    }
    // The program has ended and the terminal holds nothing more.
    if (ended) break;
    ended = waitpid(pid, &status, WNOHANG) == pid;
  }
  close(master);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = testing::ReadFileBytes(outPath);
  return run;
}

class CliProgressTest : public ::testing::Test {
 protected:
  std::vector<std::string> Environment() const {
    return {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("c"), "XDG_DATA_HOME=" + home_.File("d")};
  }
  // A sparse file: reading it costs no disk, hashing it takes its time.
  std::string BigFile(const std::string& name, uint64_t size) {
    std::string path = source_.File(name);
    { std::ofstream(path).put('x'); }
    std::filesystem::resize_file(path, size);
    return path;
  }

  testing::TempDir source_;
  testing::TempDir out_;
  testing::TempDir home_;
};

TEST_F(CliProgressTest, BytesRateAndTheSlowFileWhileHashing) {
  std::string big = BigFile("big.bin", uint64_t{1} << 30);
  TerminalRun run = RunOnTerminal({"scan", "--signatures=md5", "--file", out_.File("v.vkt"), source_.path()},
                                  Environment(), out_.File("stdout"), 200);
  ASSERT_EQ(run.exitStatus, 0) << run.terminal;
  EXPECT_NE(run.out.find("files: 1\n"), std::string::npos) << run.out;
  // Each redraw starts with a carriage return and clears the line.
  std::vector<std::string> lines;
  for (size_t at = run.terminal.find("\r\033[K"); at != std::string::npos;) {
    size_t next = run.terminal.find("\r\033[K", at + 4);
    lines.push_back(run.terminal.substr(at + 4, next == std::string::npos ? std::string::npos : next - at - 4));
    at = next;
  }
  ASSERT_GE(lines.size(), 3u) << run.terminal;
  bool bytesAndRate = false;
  bool namesTheFile = false;
  uint64_t lastShown = 0;
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    EXPECT_LT(line.size(), 200u);
    size_t read = line.find("  read ");
    size_t rate = line.find(" MB/s");
    if (read != std::string::npos && rate != std::string::npos && read < rate) bytesAndRate = true;
    if (line.find("  reading " + big) != std::string::npos) namesTheFile = true;
    // The count of bytes read only grows ("read 1.25 GB at 512.0 MB/s").
    if (read != std::string::npos) {
      double value = std::strtod(line.c_str() + read + 7, nullptr);
      std::string unit = line.substr(line.find(' ', read + 7) + 1, 2);
      double scale = unit == "GB" ? 1073741824.0 : unit == "MB" ? 1048576.0 : unit == "KB" ? 1024.0 : 1.0;
      uint64_t shown = static_cast<uint64_t>(value * scale);
      EXPECT_GE(shown + (uint64_t{1} << 27), lastShown);  // the shown figures are rounded
      lastShown = std::max(lastShown, shown);
    }
  }
  EXPECT_TRUE(bytesAndRate) << run.terminal;
  EXPECT_TRUE(namesTheFile) << run.terminal;
  EXPECT_GT(lastShown, uint64_t{1} << 28) << "at least a quarter of the gigabyte was reported read";
}

TEST_F(CliProgressTest, QuietShowsNoLineButTheSummary) {
  BigFile("big.bin", uint64_t{256} << 20);
  TerminalRun run = RunOnTerminal({"scan", "--quiet", "--signatures=md5", "--file", out_.File("v.vkt"), source_.path()},
                                  Environment(), out_.File("stdout"), 200);
  ASSERT_EQ(run.exitStatus, 0) << run.terminal;
  EXPECT_EQ(run.terminal, "");
  EXPECT_NE(run.out.find("volume: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("files: 1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("elapsed: "), std::string::npos) << run.out;
}

// A narrow terminal gets lines that fit, the file's path cut at its front.
TEST_F(CliProgressTest, LinesFitANarrowTerminal) {
  std::filesystem::create_directories(source_.File("a rather long folder name/and another one below it"));
  std::string big = source_.File("a rather long folder name/and another one below it/big.bin");
  { std::ofstream(big).put('x'); }
  std::filesystem::resize_file(big, uint64_t{1} << 30);
  TerminalRun run = RunOnTerminal({"scan", "--signatures=md5", "--file", out_.File("v.vkt"), source_.path()},
                                  Environment(), out_.File("stdout"), 150);
  ASSERT_EQ(run.exitStatus, 0) << run.terminal;
  bool cutName = false;
  for (size_t at = run.terminal.find("\r\033[K"); at != std::string::npos;) {
    size_t next = run.terminal.find("\r\033[K", at + 4);
    std::string line = run.terminal.substr(at + 4, next == std::string::npos ? std::string::npos : next - at - 4);
    EXPECT_LT(line.size(), 150u) << line;
    if (line.find("  reading ...") != std::string::npos && line.ends_with("/big.bin")) cutName = true;
    at = next;
  }
  EXPECT_TRUE(cutName) << run.terminal;
}

}  // namespace
}  // namespace volumist
