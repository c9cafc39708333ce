// Feeds arbitrary bytes to the archive directory readers. The first byte picks the kind (1 to 11,
// the archive kind codes); the rest is the archive file. For the TAR kinds (9 and 10) the second
// byte picks a compression that is applied to the rest (0 or 5 and up: none; 1 gzip, 2 xz, 3 bzip2,
// 4 zstd), so that the TAR reader is fuzzed through every decompressor; uncompressed input that
// starts with a compression's signature fuzzes the decompressors themselves. Each input is also
// tried for its kind by content, and the listed tree is written into a volume writer. None may
// crash, read out of bounds, loop or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/archive_kind.h"
#include "analysis/archive_reader.h"
#include "catalog/scan_statistics.h"
#include "catalog/volume_writer.h"
#include "testing/compressed_bytes.h"
#include "testing/memory_file_system.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  auto kind = static_cast<ArchiveKind>(data[0] % 11 + 1);
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  (void)ArchiveKindBySignature({data + 1, size - 1});
  (void)ArchiveKindByExtension(std::string_view(bytes).substr(0, 4));
  if ((kind == kArchiveTar || kind == kArchiveGz) && !bytes.empty()) {
    auto method = static_cast<uint8_t>(bytes[0]);
    bytes = method >= 1 && method <= 4 ? testing::CompressedBytes(bytes.substr(1), static_cast<Compression>(method))
                                       : bytes.substr(1);
  }

  testing::MemoryFileSystem fileSystem;
  fileSystem.Put("/archive", bytes);
  platform::OpenResult opened = fileSystem.OpenForRead("/archive");
  if (!opened) return 0;
  ScanOptions options;
  options.fileTypeGroup = data[0] >> 7 ? 10 : 0;  // sometimes filter, to drop files and keep folders
  options.dropEmptyFolders = data[0] & 0x40;
  std::unique_ptr<ArchiveReader> reader = MakeArchiveReader(kind, *opened.file, options);
  if (!reader->IsValid() || !reader->ReadContent()) return 0;
  ArchiveTree tree = reader->TakeTree();

  SilentPrompter prompter;
  VolumeWriter out(fileSystem, prompter);
  if (!out.OpenTemporary("/")) return 0;
  ScanStatistics counters;
  (void)tree.WriteToCatalog(out, 3, 0, options, counters);
  return 0;
}
