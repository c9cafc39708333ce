// Writes seed inputs for the fuzzers into a folder: small but complete volumes with every record
// kind, so that fuzzing starts from valid structure.
#include <cstdio>
#include <fstream>
#include <string>

#include "catalog/volume_catalog.h"
#include "testing/memory_file_system.h"
#include "testing/memory_tree.h"

using namespace volumist;
using testing::MemoryNode;
using testing::MemorySource;

namespace {

bool WriteSeed(const std::string& folder, const std::string& name, ScanJob job, std::vector<MemorySource> sources) {
  testing::MemoryFileSystem fileSystem;
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  volume.SetStaysClosed(true);
  job.volumeFileName = "/seed.vkt";
  testing::MemoryTreeWriter contents(std::move(sources));
  if (!volume.CreateVolume(job, contents)) return false;
  std::ofstream out(folder + "/" + name, std::ios::binary);
  const std::string* bytes = fileSystem.Get("/seed.vkt");
  out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FOLDER\n");
    return 2;
  }
  std::string folder = argv[1];
  ScanJob job;
  job.volumeName = "Seed";
  job.sources = {{-1, "Folder", "/f", true}, {-1, "Drive", "/d", false}};
  MemoryNode mp3 = MemoryNode::File("song", ".mp3", 5000);
  mp3.hasMediaInfo = true;
  mp3.mediaInfo.mediaType = kMediaMp3;
  Mp3Info tags;
  tags.title = "t";
  tags.comment = "c";
  tags.year = "1999";
  tags.genre = 3;
  tags.vbrBitrate = 160;
  mp3.mediaInfo.body = tags;
  MemoryNode picture = MemoryNode::File("p", ".png", 100);
  picture.hasMediaInfo = true;
  picture.mediaInfo.mediaType = kMediaPng;
  ImageInfo image;
  image.thumbnail = {1, 2, 3};
  picture.mediaInfo.body = image;
  MemoryNode signedFile = MemoryNode::File("s", ".bin", 70000);
  signedFile.hasSignatures = true;
  signedFile.signatures.hasCrc32 = signedFile.signatures.hasMd4 = signedFile.signatures.hasMd5 = true;
  MemorySource first;
  first.children = {MemoryNode::Folder("a", {mp3, picture, MemoryNode::Folder("b", {signedFile})}),
                    MemoryNode::Archive("z", ".zip", 10, 1, {MemoryNode::Folder("in", {MemoryNode::File("x", "", 1)})})};
  MemorySource second;
  second.children = {MemoryNode::File("top", ".txt", 3)};
  bool ok = WriteSeed(folder, "two-sources.vkt", job, {first, second});
  job.sources.resize(1);
  ok = ok && WriteSeed(folder, "one-file.vkt", job, {second});
  return ok ? 0 : 1;
}
