// Folders nested deeper than the system's path limit (PATH_MAX, 4,096 bytes), made and removed
// through descriptors relative to each folder, since no path call reaches their depths.
#pragma once

#include <string>

namespace volumist::testing {

class DeepTree {
 public:
  // Makes `levels` folders, one inside the other, below the existing folder `root`; the folder at
  // depth i (from 1) is named `ComponentName(i)`.
  DeepTree(std::string root, int levels);
  // Removes the folders and the files in them (WriteFile's, and any other files put there).
  ~DeepTree();
  DeepTree(const DeepTree&) = delete;
  DeepTree& operator=(const DeepTree&) = delete;

  static std::string ComponentName(int level);
  // The path of the folder at `level` (0: the root), and its path below the root ("" for the root).
  std::string Path(int level) const;
  std::string RelativePath(int level) const;
  const std::string& DeepestPath() const { return deepest_; }

  // Writes a file with `bytes` into the deepest folder.
  void WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string root_;
  int levels_;
  std::string deepest_;
};

}  // namespace volumist::testing
