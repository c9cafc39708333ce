// Replacing a small file (4 KiB: the configuration, the volume counter) through FileReplacement,
// against the bare steps every atomic replacement takes (create, write, fsync, close, rename, fsync
// the folder), in a folder that holds 0, 1,000 or 10,000 other files: what the locks, the sweep of
// the folder and the kept permissions add.
//
//   build/file_replacement_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
//
// BENCH_DIR names the folder to write in (default: the system's temporary folder); /dev/shm shows
// the cost without the disk's syncs.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_replacement.h"

namespace volumist {
namespace {

const std::string kPayload(4096, 'x');

// A fresh folder with `others` files beside the target; removed at the end.
class Folder {
 public:
  explicit Folder(int others) {
    const char* base = std::getenv("BENCH_DIR");
    path_ = (std::filesystem::path(base != nullptr ? base : std::filesystem::temp_directory_path().c_str()) /
             ("volumist-replace-" + std::to_string(::getpid()) + "-" + std::to_string(others)))
                .string();
    std::filesystem::create_directories(path_);
    for (int i = 0; i < others; ++i) {
      int fd = ::open((path_ + "/volume" + std::to_string(i) + ".vkt").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd >= 0) ::close(fd);
    }
  }
  ~Folder() { std::filesystem::remove_all(path_); }

  std::string Target() const { return path_ + "/target"; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void BM_BareReplacement(benchmark::State& state) {
  Folder folder(static_cast<int>(state.range(0)));
  const std::string temporary = folder.path() + "/12345678.$$$";
  for (auto _ : state) {
    int fd = ::open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && ::write(fd, kPayload.data(), kPayload.size()) == static_cast<ssize_t>(kPayload.size()) &&
              ::fsync(fd) == 0;
    ok = fd >= 0 && ::close(fd) == 0 && ok && ::rename(temporary.c_str(), folder.Target().c_str()) == 0;
    int directory = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = ok && directory >= 0 && ::fsync(directory) == 0;
    if (directory >= 0) ::close(directory);
    if (!ok) state.SkipWithError("write failed");
  }
}

void Replace(benchmark::State& state, bool lockTarget) {
  Folder folder(static_cast<int>(state.range(0)));
  platform::FileSystem& fileSystem = platform::FileSystem::Default();
  for (auto _ : state) {
    platform::FileReplacement replacement(fileSystem);
    bool ok = replacement.Begin(folder.Target(), {lockTarget, platform::kDefaultLockWait}) == platform::FileError::kNone &&
              replacement.Temporary().WriteAt(0, std::as_bytes(std::span(kPayload.data(), kPayload.size()))) &&
              replacement.Commit() == platform::FileError::kNone;
    if (!ok) state.SkipWithError("write failed");
  }
}

void BM_FileReplacement(benchmark::State& state) { Replace(state, false); }
// As a read-modify-write writer does it: the target locked from the start.
void BM_FileReplacementLocked(benchmark::State& state) { Replace(state, true); }

BENCHMARK(BM_BareReplacement)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileReplacement)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileReplacementLocked)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace volumist

BENCHMARK_MAIN();
