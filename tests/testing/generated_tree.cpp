#include "testing/generated_tree.h"

#include <cstdio>

#include "catalog/record_writer.h"
#include "catalog/volume_catalog.h"

namespace volumist::testing {

void GeneratedTree::DescribeSource(const ScanSource&, SourceEntry& entry) { entry.driveType = kDriveFixed; }

bool GeneratedTree::WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                                 ScanStatistics& counters, uint64_t& totalSize) {
  auto contents = [&](VolumeWriter& writer, FolderRecord* root, uint8_t level, RecordKey parentKey, uint64_t& size) {
    char name[32];
    FileRecord file;
    file.tag.hasSignatures = true;  // attributes, as saveAttributes records them
    file.extension.Set(".dat");
    Counters batch;
    for (int top = 0; top < 200; ++top) {
      FolderRecord topFolder;
      std::snprintf(name, sizeof name, "group %03d", top);
      topFolder.name.Set(name);
      topFolder.level = level;
      topFolder.parentKey = parentKey;
      WriteFolderRecord(writer, topFolder);
      root->hasSubfolders = true;
      uint64_t topSize = 0;
      for (int f = 0; f < kFolders / 200; ++f) {
        FolderRecord folder;
        std::snprintf(name, sizeof name, "folder %05d", top * 100 + f);
        folder.name.Set(name);
        folder.level = static_cast<uint8_t>(level + 1);
        folder.parentKey = topFolder.selfKey;
        WriteFolderRecord(writer, folder);
        topFolder.hasSubfolders = true;
        uint64_t folderSize = 0;
        for (int i = 0; i < kFilesPerFolder; ++i) {
          std::snprintf(name, sizeof name, "file-%07d", top * 5000 + f * 50 + i);
          file.name.Set(name);
          file.size.Set(static_cast<uint64_t>(i) * 7919 * (f + 1));
          file.modifiedTime.Set(1600000000 + i * 3600);
          file.signatures.attrArchive = (i & 1) != 0;
          if (withDigests_) {
            const auto number = static_cast<uint32_t>(top * 5000 + f * 50 + i);
            file.signatures.hasCrc32 = file.signatures.hasMd4 = file.signatures.hasMd5 = true;
            file.signatures.crc32 = number * 2654435761u;
            for (size_t b = 0; b < 16; ++b) {
              file.signatures.md5[b] = static_cast<uint8_t>((number >> (b % 4 * 8)) ^ (b * 37));
              file.signatures.md4[b] = static_cast<uint8_t>((number >> (b % 4 * 8)) ^ (b * 91));
            }
          }
          WriteFileRecord(writer, file);
          folderSize += file.size.Value();
          ++batch.fileCount;
          ++batch.totalFileCount;
        }
        if (WriteFolderEnd(writer, folder, job.Options(), folderSize)) {
          ++batch.folderCount;
          ++batch.totalFolderCount;
        }
        topSize += folderSize;
      }
      if (WriteFolderEnd(writer, topFolder, job.Options(), topSize)) {
        ++batch.folderCount;
        ++batch.totalFolderCount;
      }
      counters.Add(batch);
      batch = Counters{};
      size += topSize;
    }
    WriteFolderEnd(writer, *root, job.Options(), size);
    counters.RaiseFolder();
    return writer.ok();
  };
  return WriteSourceFrame(out, sources[firstIndex], 0, job.Options(), contents, totalSize);
}

bool WriteGeneratedVolume(const std::string& path, bool withDigests) {
  SilentPrompter prompter;
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  volume.SetStaysClosed(true);
  ScanJob job;
  job.volumeFileName = path;
  job.volumeName = "One million files";
  job.sources = {{-1, "Generated", "/generated", true}};
  GeneratedTree tree(withDigests);
  return volume.CreateVolume(job, tree);
}

}  // namespace volumist::testing
