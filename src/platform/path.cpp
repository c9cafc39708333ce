#include <vector>

#include "platform/file_system.h"

namespace volumist::platform {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string NormalizePath(const std::string& path) {
  bool absolute = IsAbsolutePath(path);
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
        continue;
      }
      if (absolute) continue;  // "/.." is "/"
    }
    parts.push_back(std::move(part));
  }
  std::string normal = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) normal += '/';
    normal += parts[i];
  }
  return normal.empty() ? "." : normal;
}

std::optional<std::string> MakeAbsolutePath(FileSystem& fileSystem, const std::string& path) {
  if (IsAbsolutePath(path)) return NormalizePath(path);
  auto current = fileSystem.CurrentDirectory();
  if (!current) return std::nullopt;
  return NormalizePath(JoinPath(*current, path));
}

bool CreateDirectories(FileSystem& fileSystem, const std::string& path) {
  if (path.empty()) return false;
  if (auto status = fileSystem.Status(path)) return status->isDirectory;
  std::string parent = DirectoryOf(path);
  if (parent != path && parent != "." && parent != "/" && !CreateDirectories(fileSystem, parent)) return false;
  fileSystem.CreateDirectory(path);
  auto status = fileSystem.Status(path);
  return status && status->isDirectory;
}

}  // namespace volumist::platform
