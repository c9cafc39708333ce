// Makes fixture folders on disk at run time: files of given sizes and times, folders, links and
// special files, below a root folder.
#pragma once

#include <cstdint>
#include <string>

namespace volumist::testing {

class TreeBuilder {
 public:
  explicit TreeBuilder(std::string root) : root_(std::move(root)) {}

  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // A file of `size` bytes (a repeating pattern) with the given modification time (0: leave it).
  TreeBuilder& File(const std::string& relative, uint64_t size, int64_t modifiedTime = 0);
  // A file with the given content.
  TreeBuilder& Text(const std::string& relative, const std::string& content, int64_t modifiedTime = 0);
  TreeBuilder& Folder(const std::string& relative);
  TreeBuilder& Symlink(const std::string& relative, const std::string& target, int64_t modifiedTime = 0);
  TreeBuilder& Fifo(const std::string& relative, int64_t modifiedTime = 0);
  TreeBuilder& Mode(const std::string& relative, unsigned mode);

 private:
  std::string root_;
};

}  // namespace volumist::testing
