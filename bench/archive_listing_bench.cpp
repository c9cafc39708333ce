// Lists archives as a scan with archive listing on does: ReadArchive, then the archive's record,
// its listed tree and its end written into a temporary volume file (deleted at the end). Prints the
// entries written. Timed from outside by bench/archives.sh, next to bsdtar and unzip.
//
//   build/archive_listing_bench ARCHIVE...
#include <cstdio>
#include <string>

#include "analysis/archive_listing.h"
#include "catalog/record_writer.h"
#include "platform/file_system.h"

using namespace volumist;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: archive_listing_bench ARCHIVE...\n");
    return 2;
  }
  platform::FileSystem& fileSystem = platform::FileSystem::Default();
  SilentPrompter prompter;
  VolumeWriter out(fileSystem, prompter);
  std::string directory = platform::DirectoryOf(argv[1]);
  if (!out.OpenTemporary(directory)) return 1;
  ScanOptions options;
  ScanStatistics counters;
  for (int i = 1; i < argc; ++i) {
    std::string path = argv[i];
    ScanEntry entry;
    entry.directory = platform::DirectoryOf(path);
    entry.SetName(platform::BaseNameOf(path));
    entry.size = fileSystem.Status(path).value_or(platform::FileStatus{}).size;
    std::unique_ptr<ListedArchive> listed = ReadArchive(entry, options);
    if (!listed) {
      std::fprintf(stderr, "archive_listing_bench: %s is not listed\n", argv[i]);
      return 1;
    }
    ArchiveRecord archive;
    archive.name.Set(entry.baseName);
    archive.extension.Set(entry.extension);
    archive.size.Set(entry.size);
    archive.archiveKind = listed->Kind();
    WriteArchiveRecord(out, archive);
    uint64_t total = listed->WriteToCatalog(out, 1, archive.selfKey, options, counters);
    archive.hasSubfolders = listed->HasTopFolders();
    (void)WriteFolderEnd(out, archive, options, total);
  }
  if (!out.Flush()) return 1;
  Counters written = counters.Snapshot();
  std::printf("%u folders, %u files\n", written.totalFolderCount, written.totalFileCount);
  return 0;
}
