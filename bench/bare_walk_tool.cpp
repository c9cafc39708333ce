// The reference walks the scan benchmark compares with: every directory read and every entry's
// status taken, nothing recorded. "readdir" is opendir/readdir + fstatat on one thread; "getdents"
// reads directories with getdents64 through a 64 KiB buffer, on one thread or on two threads sharing
// a queue of directories.
//
//   bare_walk_tool readdir|getdents|getdents2 ROOT   prints the entries counted
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct KernelDirent {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

uint64_t WalkReaddir(const std::string& path) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return 0;
  uint64_t count = 0;
  std::vector<std::string> subdirectories;
  while (dirent* entry = readdir(dir)) {
    if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, "..")) continue;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    ++count;
    if (S_ISDIR(st.st_mode)) subdirectories.push_back(path + "/" + entry->d_name);
  }
  closedir(dir);
  for (const std::string& sub : subdirectories) count += WalkReaddir(sub);
  return count;
}

// Lists one directory with getdents64; returns its sub-directories.
uint64_t ListGetdents(const std::string& path, std::vector<std::string>& subdirectories, char* buffer) {
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  uint64_t count = 0;
  for (;;) {
    long got = syscall(SYS_getdents64, fd, buffer, 65536);
    if (got <= 0) break;
    for (long offset = 0; offset < got;) {
      auto* entry = reinterpret_cast<KernelDirent*>(buffer + offset);
      offset += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      struct stat st;
      if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      ++count;
      if (S_ISDIR(st.st_mode)) subdirectories.push_back(path + "/" + name);
    }
  }
  close(fd);
  return count;
}

uint64_t WalkGetdents(const std::string& root, unsigned threads) {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> queue{root};
  unsigned busy = 0;
  std::atomic<uint64_t> total{0};
  auto work = [&] {
    std::vector<char> buffer(65536);
    std::vector<std::string> found;
    for (;;) {
      std::string path;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !queue.empty() || busy == 0; });
        if (queue.empty()) return;
        path = std::move(queue.back());
        queue.pop_back();
        ++busy;
      }
      found.clear();
      total += ListGetdents(path, found, buffer.data());
      {
        std::lock_guard lock(mutex);
        for (auto& sub : found) queue.push_back(std::move(sub));
        --busy;
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads; ++i) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_walk_tool readdir|getdents|getdents2 ROOT\n");
    return 2;
  }
  std::string mode = argv[1];
  uint64_t count = mode == "readdir"     ? WalkReaddir(argv[2])
                   : mode == "getdents"  ? WalkGetdents(argv[2], 1)
                   : mode == "getdents2" ? WalkGetdents(argv[2], 2)
                                         : 0;
  std::printf("%llu\n", static_cast<unsigned long long>(count));
  return 0;
}
