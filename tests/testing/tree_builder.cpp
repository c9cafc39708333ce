#include "testing/tree_builder.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace volumist::testing {
namespace {

void MakeParents(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

void SetTime(const std::string& path, int64_t seconds) {
  if (seconds == 0) return;
  struct timeval times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  if (::lutimes(path.c_str(), times) != 0) throw std::runtime_error("lutimes " + path);
}

}  // namespace

TreeBuilder& TreeBuilder::File(const std::string& relative, uint64_t size, int64_t modifiedTime) {
  std::string path = Path(relative);
  MakeParents(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block(65536, '\0');
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  for (uint64_t left = size; left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    out.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  out.close();
  SetTime(path, modifiedTime);
  return *this;
}

TreeBuilder& TreeBuilder::Text(const std::string& relative, const std::string& content, int64_t modifiedTime) {
  std::string path = Path(relative);
  MakeParents(path);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  SetTime(path, modifiedTime);
  return *this;
}

TreeBuilder& TreeBuilder::Folder(const std::string& relative) {
  std::filesystem::create_directories(Path(relative));
  return *this;
}

TreeBuilder& TreeBuilder::Symlink(const std::string& relative, const std::string& target, int64_t modifiedTime) {
  std::string path = Path(relative);
  MakeParents(path);
  std::filesystem::create_symlink(target, path);
  SetTime(path, modifiedTime);
  return *this;
}

TreeBuilder& TreeBuilder::Fifo(const std::string& relative, int64_t modifiedTime) {
  std::string path = Path(relative);
  MakeParents(path);
  if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path);
  SetTime(path, modifiedTime);
  return *this;
}

TreeBuilder& TreeBuilder::Mode(const std::string& relative, unsigned mode) {
  if (::chmod(Path(relative).c_str(), mode) != 0) throw std::runtime_error("chmod " + relative);
  return *this;
}

}  // namespace volumist::testing
