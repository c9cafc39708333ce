// Makes a large tree of empty files for the scan benchmark: FOLDERS folders of FILES files each, in
// groups of 100 folders, with names of varied length.
//
//   make_tree_tool ROOT FOLDERS FILES
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_tree_tool ROOT FOLDERS FILES\n");
    return 2;
  }
  std::string root = argv[1];
  long folders = std::atol(argv[2]);
  long files = std::atol(argv[3]);
  mkdir(root.c_str(), 0755);
  for (long f = 0; f < folders; ++f) {
    std::string group = root + "/group-" + std::to_string(f / 100);
    if (f % 100 == 0) mkdir(group.c_str(), 0755);
    std::string folder = group + "/folder number " + std::to_string(f);
    mkdir(folder.c_str(), 0755);
    for (long i = 0; i < files; ++i) {
      std::string name = folder + "/file-" + std::string(static_cast<size_t>(i % 17), 'x') + std::to_string(i) + ".dat";
      int fd = open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd >= 0) close(fd);
    }
  }
  return 0;
}
