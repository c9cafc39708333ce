#include "testing/deep_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace volumist::testing {
namespace {

// Removes every entry of the folder open as `fd` that is not a folder.
void RemoveFiles(int fd) {
  int copy = ::dup(fd);
  DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
  if (dir == nullptr) {
    if (copy >= 0) ::close(copy);
    return;
  }
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    struct stat st;
    if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
      ::unlinkat(fd, name.c_str(), 0);
    }
  }
  ::closedir(dir);
}

}  // namespace

DeepTree::DeepTree(std::string root, int levels) : root_(std::move(root)), levels_(levels) {
  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + root_);
  for (int level = 1; level <= levels_; ++level) {
    std::string name = ComponentName(level);
    if (::mkdirat(fd, name.c_str(), 0755) != 0) throw std::runtime_error("mkdirat failed at level " + std::to_string(level));
    int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    if (next < 0) throw std::runtime_error("openat failed at level " + std::to_string(level));
    fd = next;
  }
  ::close(fd);
  deepest_ = Path(levels_);
}

// Down to the deepest folder, then up again through "..", removing each folder on the way: one
// descriptor at a time, however deep the tree.
DeepTree::~DeepTree() {
  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int level = 0;
  while (fd >= 0 && level < levels_) {
    int next = ::openat(fd, ComponentName(level + 1).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) break;
    ::close(fd);
    fd = next;
    ++level;
  }
  while (fd >= 0 && level > 0) {
    ::fchmod(fd, 0700);
    RemoveFiles(fd);
    int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = parent;
    if (fd >= 0) ::unlinkat(fd, ComponentName(level).c_str(), AT_REMOVEDIR);
    --level;
  }
  if (fd >= 0) ::close(fd);
}

std::string DeepTree::ComponentName(int level) {
  char name[32];
  std::snprintf(name, sizeof name, "level-%03d-folder", level);
  return name;
}

std::string DeepTree::RelativePath(int level) const {
  std::string path;
  for (int i = 1; i <= level; ++i) path += (i > 1 ? "/" : "") + ComponentName(i);
  return path;
}

std::string DeepTree::Path(int level) const { return level == 0 ? root_ : root_ + "/" + RelativePath(level); }

void DeepTree::WriteFile(const std::string& name, const std::string& bytes) const {
  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 1; fd >= 0 && level <= levels_; ++level) {
    int next = ::openat(fd, ComponentName(level).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  if (fd < 0) throw std::runtime_error("cannot reach the deepest folder");
  int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ::close(fd);
  if (file < 0) throw std::runtime_error("cannot create " + name);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(file, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(file);
  if (done != bytes.size()) throw std::runtime_error("cannot write " + name);
}

}  // namespace volumist::testing
