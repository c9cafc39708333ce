#include "platform/mount_table.h"

#include <charconv>
#include <unordered_map>

namespace volumist::platform {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    if (end > start) fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool ParseNumber(std::string_view text, uint32_t& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseLine(std::string_view line, MountEntry& entry) {
  std::vector<std::string_view> fields = SplitFields(line);
  // Six fixed fields, any number of optional ones, the separator "-" and three more.
  size_t separator = 6;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 2 >= fields.size()) return false;
  std::string_view device = fields[2];
  size_t colon = device.find(':');
  if (colon == std::string_view::npos) return false;
  if (!ParseNumber(fields[0], entry.mountId) || !ParseNumber(fields[1], entry.parentId) ||
      !ParseNumber(device.substr(0, colon), entry.major) || !ParseNumber(device.substr(colon + 1), entry.minor)) {
    return false;
  }
  entry.root = UnescapeMountField(fields[3]);
  entry.mountPoint = UnescapeMountField(fields[4]);
  entry.fileSystemType = UnescapeMountField(fields[separator + 1]);
  entry.source = UnescapeMountField(fields[separator + 2]);
  entry.superOptions = separator + 3 < fields.size() ? UnescapeMountField(fields[separator + 3]) : std::string();
  return !entry.mountPoint.empty() && entry.mountPoint[0] == '/';
}

}  // namespace

std::string UnescapeMountField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) &&
        IsOctal(text[i + 3])) {
      int value = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
      if (value <= 0xFF) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    MountEntry entry;
    if (ParseLine(text.substr(start, end - start), entry)) mounts.push_back(std::move(entry));
    start = end + 1;
  }
  return mounts;
}

bool IsPathWithin(std::string_view path, std::string_view directory) {
  if (directory == "/") return !path.empty() && path[0] == '/';
  if (path.substr(0, directory.size()) != directory) return false;
  return path.size() == directory.size() || path[directory.size()] == '/';
}

std::vector<MountEntry> VisibleMounts(const std::vector<MountEntry>& mounts) {
  std::unordered_map<uint32_t, size_t> indexOfId;
  for (size_t i = 0; i < mounts.size(); ++i) indexOfId.emplace(mounts[i].mountId, i);
  // Parent links may loop in odd tables (a root that is its own parent); the walk stops after as
  // many steps as there are mounts.
  auto isAncestor = [&](size_t ancestor, size_t of) {
    size_t current = of;
    for (size_t steps = 0; steps < mounts.size(); ++steps) {
      auto parent = indexOfId.find(mounts[current].parentId);
      if (parent == indexOfId.end() || parent->second == current) return false;
      if (parent->second == ancestor) return true;
      current = parent->second;
    }
    return false;
  };
  // Only mounts on the mount point itself or on a directory above it can hide a mount.
  std::unordered_map<std::string_view, std::vector<size_t>> byMountPoint;
  for (size_t i = 0; i < mounts.size(); ++i) byMountPoint[mounts[i].mountPoint].push_back(i);
  auto hiddenBy = [&](size_t m, std::string_view directory) {
    auto found = byMountPoint.find(directory);
    if (found == byMountPoint.end()) return false;
    for (size_t n : found->second) {
      if (n == m || isAncestor(n, m)) continue;
      // Mounted over m: on top of it (m is its ancestor), or later over a directory above it.
      if (isAncestor(m, n) || n > m) return true;
    }
    return false;
  };
  std::vector<MountEntry> visible;
  for (size_t m = 0; m < mounts.size(); ++m) {
    std::string_view directory = mounts[m].mountPoint;
    bool hidden = hiddenBy(m, directory);
    while (!hidden && directory.size() > 1) {
      size_t slash = directory.find_last_of('/');
      directory = slash == 0 ? std::string_view("/") : directory.substr(0, slash);
      hidden = hiddenBy(m, directory);
    }
    if (!hidden) visible.push_back(mounts[m]);
  }
  return visible;
}

int FindMountForPath(const std::vector<MountEntry>& mounts, std::string_view realPath) {
  int best = -1;
  for (size_t i = 0; i < mounts.size(); ++i) {
    const std::string& point = mounts[i].mountPoint;
    if (!IsPathWithin(realPath, point)) continue;
    if (best < 0 || point.size() >= mounts[static_cast<size_t>(best)].mountPoint.size()) best = static_cast<int>(i);
  }
  return best;
}

}  // namespace volumist::platform
