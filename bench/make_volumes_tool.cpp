// Makes the search benchmark's catalog: VOLUMES volume files of FILES files each, whose folders and
// file names are those of a real tree (taken in turn, so the volumes differ), plus the same paths
// as text lists: "size mtime path" per line (paths.txt, for grep) and the paths alone (names.txt,
// for plocate-build --plaintext), so every tool searches the same files.
//
// With COPY_PERCENT every file gets an MD5 (the digest of a content number, as a scan with MD5 would
// record it) and the same records are listed as "md5  path" lines in md5.txt, as md5sum prints them.
// Volumes are paired (0 with 1, 2 with 3, ...): in each pair, COPY_PERCENT of the files of the second
// volume (chosen by a hash of their place) are copies of the file at the same place on the first,
// with its size and MD5. So the set holds groups of exactly two copies, one per pair and place
// chosen, and every other file is unique.
//
//   make_volumes_tool ROOT OUT_FOLDER VOLUMES FILES [COPY_PERCENT]
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "analysis/md5.h"
#include "catalog/volume_catalog.h"
#include "search/duplicates.h"
#include "testing/memory_tree.h"

namespace {

using volumist::testing::MemoryNode;

struct FileEntry {
  std::string folder;  // relative, "" at the top
  std::string name;
  uint64_t size;
  int64_t time;
};

// A file placed on a volume: its entry of the real tree, and its content when files get MD5s.
struct Placed {
  const FileEntry* file;
  uint64_t size;
  bool hasMd5;
  std::array<uint8_t, 16> md5;
};

std::array<uint8_t, 16> ContentDigest(uint64_t content) {
  volumist::Md5 md5;
  md5.Update(&content, sizeof content);
  return md5.Finish();
}

// Whether the file at `place` of the second volume of pair `pair` is a copy.
bool IsCopy(uint64_t pair, uint64_t place, unsigned percent) {
  uint64_t h = (pair * 0x9E3779B97F4A7C15ULL) ^ (place * 0xC2B2AE3D27D4EB4FULL);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 32;
  return h % 100 < percent;
}

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
  std::vector<Placed> files;
  MemoryNode ToNode(const std::string& name) const {
    MemoryNode node = MemoryNode::Folder(name);
    for (const auto& [child, folder] : folders) node.children.push_back(folder.ToNode(child));
    for (const Placed& placed : files) {
      const FileEntry* file = placed.file;
      size_t dot = file->name.rfind('.');
      std::string base = dot == std::string::npos ? file->name : file->name.substr(0, dot);
      std::string extension = dot == std::string::npos ? "" : file->name.substr(dot);
      node.children.push_back(MemoryNode::File(base, extension, placed.size, file->time));
      node.children.back().hasSignatures = true;  // attributes, as a default scan records them
      if (placed.hasMd5) {
        node.children.back().signatures.hasMd5 = true;
        node.children.back().signatures.md5 = placed.md5;
      }
    }
    return node;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr, "usage: make_volumes_tool ROOT OUT_FOLDER VOLUMES FILES [COPY_PERCENT]\n");
    return 2;
  }
  std::string root = argv[1];
  std::string out = argv[2];
  int volumes = std::atoi(argv[3]);
  size_t perVolume = static_cast<size_t>(std::atol(argv[4]));
  const bool withMd5 = argc == 6;
  const unsigned copyPercent = withMd5 ? static_cast<unsigned>(std::atoi(argv[5])) : 0;
  std::vector<FileEntry> all;
  Collect(root, "", all);
  if (all.empty()) return 1;

  std::ofstream paths(out + "/paths.txt", std::ios::binary);
  std::ofstream names(out + "/names.txt", std::ios::binary);
  std::ofstream md5List;
  if (withMd5) md5List.open(out + "/md5.txt", std::ios::binary);
  uint64_t copies = 0;
  volumist::SilentPrompter prompter;
  for (int v = 0; v < volumes; ++v) {
    char disk[32];
    std::snprintf(disk, sizeof disk, "disk%03d", v);
    Folder top;
    for (size_t i = 0; i < perVolume; ++i) {
      const FileEntry& file = all[(static_cast<size_t>(v) * perVolume + i) % all.size()];
      // The content: its own number, or on the second volume of a pair maybe the first's file.
      uint64_t content = static_cast<uint64_t>(v) * perVolume + i;
      uint64_t size = file.size;
      if (withMd5 && v % 2 == 1 && IsCopy(static_cast<uint64_t>(v / 2), i, copyPercent)) {
        content -= perVolume;
        size = all[content % all.size()].size;
        ++copies;
      }
      Placed placed{&file, size, withMd5, withMd5 ? ContentDigest(content) : std::array<uint8_t, 16>{}};
      Folder* folder = &top;
      size_t start = 0;
      while (start < file.folder.size()) {
        size_t slash = file.folder.find('/', start);
        if (slash == std::string::npos) slash = file.folder.size();
        folder = &folder->folders[file.folder.substr(start, slash - start)];
        start = slash + 1;
      }
      folder->files.push_back(placed);
      std::string path = "/" + std::string(disk) + (file.folder.empty() ? "" : "/" + file.folder) + "/" + file.name;
      paths << size << ' ' << file.time << ' ' << path << '\n';
      names << path << '\n';
      if (withMd5) md5List << volumist::DigestHex(placed.md5) << "  " << path << '\n';
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
  if (withMd5) std::printf("%llu copies\n", static_cast<unsigned long long>(copies));
  return paths && names && (!withMd5 || md5List) ? 0 : 1;
}
