#include "platform/temporary_file.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace volumist::platform {

std::string MakeTemporaryName(int minute, int second, int millisecond, int randomNumber) {
  char name[64];
  std::snprintf(name, sizeof name, "%02d%02d%02d%02d.$$$", minute, second, millisecond, randomNumber);
  return name;
}

std::optional<TemporaryFile> CreateTemporaryFile(FileSystem& fileSystem, const std::string& directory) {
  thread_local std::minstd_rand generator(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
  std::uniform_int_distribution<int> randomNumber(0, 32767);

  constexpr int kAttempts = 64;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    int millisecond = static_cast<int>(milliseconds % 1000);
    int second = static_cast<int>((milliseconds / 1000) % 60);
    int minute = static_cast<int>((milliseconds / 60000) % 60);
    std::string path = JoinPath(directory, MakeTemporaryName(minute, second, millisecond, randomNumber(generator)));
    OpenResult opened = fileSystem.CreateExclusive(path);
    if (opened) return TemporaryFile{std::move(opened.file), std::move(path)};
    if (opened.error != FileError::kExists) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace volumist::platform
