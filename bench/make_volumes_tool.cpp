// Makes the search benchmark's catalog: VOLUMES volume files of FILES files each, whose folders and
// file names are those of a real tree (taken in turn, so the volumes differ), plus the same paths
// as text lists: "size mtime path" per line (paths.txt, for grep) and the paths alone (names.txt,
// for plocate-build --plaintext), so every tool searches the same files.
//
//   make_volumes_tool ROOT OUT_FOLDER VOLUMES FILES
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "catalog/volume_catalog.h"
#include "testing/memory_tree.h"

namespace {

using volumist::testing::MemoryNode;

struct FileEntry {
  std::string folder;  // relative, "" at the top
  std::string name;
  uint64_t size;
  int64_t time;
};

void Collect(const std::string& root, const std::string& relative, std::vector<FileEntry>& files) {
  std::string path = relative.empty() ? root : root + "/" + relative;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> subfolders;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (lstat((path + "/" + name).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      subfolders.push_back(relative.empty() ? name : relative + "/" + name);
    } else {
      files.push_back({relative, name, static_cast<uint64_t>(st.st_size), st.st_mtime});
    }
  }
  closedir(dir);
  std::sort(subfolders.begin(), subfolders.end());
  for (const std::string& sub : subfolders) Collect(root, sub, files);
}

// The files of one volume as a tree of folders.
struct Folder {
  std::map<std::string, Folder> folders;
  std::vector<const FileEntry*> files;
  MemoryNode ToNode(const std::string& name) const {
    MemoryNode node = MemoryNode::Folder(name);
    for (const auto& [child, folder] : folders) node.children.push_back(folder.ToNode(child));
    for (const FileEntry* file : files) {
      size_t dot = file->name.rfind('.');
      std::string base = dot == std::string::npos ? file->name : file->name.substr(0, dot);
      std::string extension = dot == std::string::npos ? "" : file->name.substr(dot);
      node.children.push_back(MemoryNode::File(base, extension, file->size, file->time));
      node.children.back().hasSignatures = true;  // attributes, as a default scan records them
    }
    return node;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_volumes_tool ROOT OUT_FOLDER VOLUMES FILES\n");
    return 2;
  }
  std::string root = argv[1];
  std::string out = argv[2];
  int volumes = std::atoi(argv[3]);
  size_t perVolume = static_cast<size_t>(std::atol(argv[4]));
  std::vector<FileEntry> all;
  Collect(root, "", all);
  if (all.empty()) return 1;

  std::ofstream paths(out + "/paths.txt", std::ios::binary);
  std::ofstream names(out + "/names.txt", std::ios::binary);
  volumist::SilentPrompter prompter;
  for (int v = 0; v < volumes; ++v) {
    char disk[32];
    std::snprintf(disk, sizeof disk, "disk%03d", v);
    Folder top;
    for (size_t i = 0; i < perVolume; ++i) {
      const FileEntry& file = all[(static_cast<size_t>(v) * perVolume + i) % all.size()];
      Folder* folder = &top;
      size_t start = 0;
      while (start < file.folder.size()) {
        size_t slash = file.folder.find('/', start);
        if (slash == std::string::npos) slash = file.folder.size();
        folder = &folder->folders[file.folder.substr(start, slash - start)];
        start = slash + 1;
      }
      folder->files.push_back(&file);
      std::string path = "/" + std::string(disk) + (file.folder.empty() ? "" : "/" + file.folder) + "/" + file.name;
      paths << file.size << ' ' << file.time << ' ' << path << '\n';
      names << path << '\n';
    }
    volumist::testing::MemorySource source;
    source.children = top.ToNode(disk).children;
    volumist::ScanJob job;
    job.volumeFileName = out + "/" + disk + ".vkt";
    job.volumeName = disk;
    job.sources = {{-1, disk, "/" + std::string(disk), true}};
    volumist::VolumeCatalog volume(volumist::platform::FileSystem::Default(), prompter);
    volume.SetStaysClosed(true);
    volumist::testing::MemoryTreeWriter writer({source});
    if (!volume.CreateVolume(job, writer)) return 1;
  }
  return paths && names ? 0 : 1;
}
