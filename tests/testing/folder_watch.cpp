#include "testing/folder_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

namespace volumist::testing {

FolderWatch::FolderWatch(const std::string& directory) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (fd_ >= 0) inotify_add_watch(fd_, directory.c_str(), IN_CREATE | IN_MOVED_TO);
}

FolderWatch::~FolderWatch() {
  if (fd_ >= 0) close(fd_);
}

bool FolderWatch::WaitForCreated(const std::function<bool(std::string_view)>& match, int count,
                                 std::chrono::milliseconds timeout) {
  if (fd_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  alignas(struct inotify_event) char buffer[8192];
  while (seen_ < count) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    struct pollfd ready = {fd_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
    ssize_t n = read(fd_, buffer, sizeof buffer);
    for (ssize_t offset = 0; offset < n;) {
      const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
      if (event->len > 0 && match(std::string_view(event->name, strnlen(event->name, event->len)))) ++seen_;
      offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
    }
  }
  return true;
}

}  // namespace volumist::testing
