#include "scan/file_preparation.h"

#include <optional>

#include "analysis/media_analysis.h"
#include "analysis/signatures.h"
#include "catalog/file_type_group.h"
#include "scan/file_reads.h"

namespace volumist {

FilePreparation PrepareFile(const ScanEntry& entry, const ScanOptions& options, const std::atomic<bool>* stop) {
  FilePreparation prepared;
  const bool signatureBlock = RecordsSignatureBlock(options);
  // Only the contents of regular files are read: a link is recorded as itself, and a pipe or device
  // is never opened.
  const bool readable = !entry.isSystem && !entry.isLink;
  std::optional<FileReadMark> reading;
  if (readable && PreparationReadsFiles(options)) reading.emplace(entry);
  ScanOptions attributesOnly;
  const ScanOptions* readOptions = &options;
  if (!readable && options.computeSignatures) {
    attributesOnly = options;
    attributesOnly.computeSignatures = false;
    readOptions = &attributesOnly;
  }
  // Archives come first, whatever the file-type group: their entries pass the filter instead.
  if (options.analyzeArchives && readable) prepared.archive = ReadArchive(entry, options, stop);
  if (prepared.archive) {
    if (signatureBlock) {
      prepared.hasSignatures = true;
      DigestOutcome digests;
      prepared.signatures = FillSignatureBlock(entry, options, platform::FileSystem::Default(), stop, digests);
      prepared.shrank = digests == DigestOutcome::kShorter;
    }
    return prepared;
  }
  prepared.recorded = MatchesFileTypeGroup(options.fileTypeGroup, entry.extension);
  if (!prepared.recorded) return prepared;
  uint8_t type = MediaTypeOfExtension(entry.extension);
  if (type != kMediaNone) {
    prepared.hasMediaInfo = true;
    prepared.media.mediaType = type;
    if (readable) AnalyzeMedia(entry.FullPath(), options, prepared.media);
  }
  if (signatureBlock) {
    prepared.hasSignatures = true;
    DigestOutcome digests;
    prepared.signatures = FillSignatureBlock(entry, *readOptions, platform::FileSystem::Default(), stop, digests);
    prepared.shrank = digests == DigestOutcome::kShorter;
  }
  return prepared;
}

bool PreparationReadsFiles(const ScanOptions& options) {
  return options.analyzeArchives || options.computeSignatures || options.analyzeAudio || options.analyzeVideo ||
         options.analyzeImages;
}

}  // namespace volumist
