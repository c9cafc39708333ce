// A fresh directory for one test, removed with everything in it when the object goes away.
#pragma once

#include <string>
#include <vector>

namespace volumist::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes `directory` the current directory until the guard goes away.
class CurrentDirectoryGuard {
 public:
  explicit CurrentDirectoryGuard(const std::string& directory);
  ~CurrentDirectoryGuard();
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  std::string previous_;
};

// Whole-file helpers.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The names in a directory, sorted.
std::vector<std::string> ListNames(const std::string& directory);

}  // namespace volumist::testing
