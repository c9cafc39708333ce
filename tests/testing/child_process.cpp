#include "testing/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace volumist::testing {
namespace {

// The child's first byte tells how it ended.
constexpr char kReturned = 'R';
constexpr char kSkipped = 'S';

int childPipe = -1;

[[noreturn]] void SendAndExit(char kind, const std::string& text) {
  std::string message = kind + text;
  size_t done = 0;
  while (done < message.size()) {
    ssize_t n = ::write(childPipe, message.data() + done, message.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(childPipe);
  ::_exit(0);
}

}  // namespace

void SkipChild(const std::string& reason) { SendAndExit(kSkipped, reason); }

ChildResult RunInChild(const std::function<std::string()>& body) {
  ChildResult result;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return result;
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return result;
  }
  if (pid == 0) {
    ::close(fds[0]);
    childPipe = fds[1];
    SendAndExit(kReturned, body());
  }
  ::close(fds[1]);
  std::string received;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || received.empty()) return result;
  result.ended = true;
  if (received[0] == kSkipped) {
    result.skipped = received.substr(1);
  } else {
    result.output = received.substr(1);
  }
  return result;
}

void EnterPrivateMountNamespace() {
  if (::unshare(CLONE_NEWNS) != 0) SkipChild(std::string("cannot make a mount namespace: ") + std::strerror(errno));
  // Mounts made below must not propagate to the namespace the test runs in.
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    SkipChild(std::string("cannot make the mounts private: ") + std::strerror(errno));
  }
}

void BecomeUnprivileged(unsigned id) {
  if (::geteuid() != 0) SkipChild("not running as root: cannot become another user");
  if (::setgroups(0, nullptr) != 0 || ::setresgid(id, id, id) != 0 || ::setresuid(id, id, id) != 0) {
    SkipChild(std::string("cannot become user ") + std::to_string(id) + ": " + std::strerror(errno));
  }
}

}  // namespace volumist::testing
