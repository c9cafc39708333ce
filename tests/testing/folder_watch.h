// Watches a folder for new files (inotify), so that a test can act at a chosen moment of another
// process's write: the moment its temporary file appears.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace volumist::testing {

class FolderWatch {
 public:
  explicit FolderWatch(const std::string& directory);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Waits until `count` files whose names pass `match` have been created (or renamed into the
  // folder) since the watch began, counting those seen by earlier calls. False after `timeout`.
  bool WaitForCreated(const std::function<bool(std::string_view)>& match, int count,
                      std::chrono::milliseconds timeout);

 private:
  int fd_ = -1;
  int seen_ = 0;
};

}  // namespace volumist::testing
