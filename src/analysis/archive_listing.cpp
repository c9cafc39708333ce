#include "analysis/archive_listing.h"

#include "analysis/archive_reader.h"

namespace volumist {
namespace {

class TreeArchive final : public ListedArchive {
 public:
  TreeArchive(ArchiveKind kind, ArchiveTree tree) : kind_(kind), tree_(std::move(tree)) {}
  uint8_t Kind() const override { return kind_; }
  bool HasTopFolders() const override { return tree_.HasTopFolders(); }
  uint64_t WriteToCatalog(VolumeWriter& out, uint8_t level, RecordKey parentKey, const ScanOptions& options,
                          ScanStatistics& counters) override {
    return tree_.WriteToCatalog(out, level, parentKey, options, counters);
  }

 private:
  ArchiveKind kind_;
  ArchiveTree tree_;
};

}  // namespace

std::unique_ptr<ListedArchive> ReadArchive(const ScanEntry& entry, const ScanOptions& options,
                                           const std::atomic<bool>* stop) {
  return ReadArchive(entry, options, platform::FileSystem::Default(), stop);
}

std::unique_ptr<ListedArchive> ReadArchive(const ScanEntry& entry, const ScanOptions& options,
                                           platform::FileSystem& fileSystem, const std::atomic<bool>* stop) {
  if (!options.analyzeArchives || entry.isDirectory) return nullptr;
  std::unique_ptr<platform::File> file;
  ArchiveKind kind = kArchiveNone;
  if (options.archiveKindByContent) {
    platform::OpenResult opened = fileSystem.OpenForRead(entry.FullPath());
    if (!opened) return nullptr;
    file = std::move(opened.file);
    uint8_t head[kArchiveSignatureLength];
    std::optional<size_t> got = file->ReadAt(0, std::as_writable_bytes(std::span(head)));
    if (got) kind = ArchiveKindBySignature(std::span(head, *got));
  }
  if (kind == kArchiveNone && entry.extension.size() > 1) {
    kind = ArchiveKindByExtension(std::string_view(entry.extension).substr(1));
  }
  if (kind == kArchiveNone || !options.ArchiveKindEnabled(kind)) return nullptr;
  if (!file) {
    platform::OpenResult opened = fileSystem.OpenForRead(entry.FullPath());
    if (!opened) return nullptr;
    file = std::move(opened.file);
  }
  std::unique_ptr<ArchiveReader> reader = MakeArchiveReader(kind, *file, options);
  if (!reader) return nullptr;
  reader->SetStopFlag(stop);
  if (!reader->IsValid() || !reader->ReadContent()) return nullptr;
  return std::make_unique<TreeArchive>(kind, reader->TakeTree());
}

}  // namespace volumist
