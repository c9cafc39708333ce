#include "analysis/signatures.h"

#include "analysis/file_signatures.h"

namespace volumist {

SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options) {
  return FillSignatureBlock(entry, options, platform::FileSystem::Default());
}

SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options,
                                  platform::FileSystem& fileSystem, const std::atomic<bool>* cancel) {
  DigestOutcome digests;
  return FillSignatureBlock(entry, options, fileSystem, cancel, digests);
}

SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options,
                                  platform::FileSystem& fileSystem, const std::atomic<bool>* cancel,
                                  DigestOutcome& digests) {
  SignatureBlock block;
  digests = DigestOutcome::kDone;
  if (options.computeSignatures) {
    DigestChoice want{options.signatureCrc32, options.signatureMd4, options.signatureMd5};
    if (want.crc32 || want.md4 || want.md5) {
      // A file that cannot be read keeps its digest flags clear; the scan goes on.
      digests = ComputeFileSignatures(entry.FullPath(), want, block, fileSystem, cancel, entry.size);
    }
  }
  if (options.saveAttributes) {
    block.attrHidden = entry.isHidden;
    block.attrSystem = entry.isSystem;
    block.attrArchive = entry.isArchive;
    block.attrReadOnly = entry.isReadOnly;
  }
  return block;
}

SignatureBlock FillSignatureBlock(const ArchiveEntry& entry, const ScanOptions& options) {
  SignatureBlock block;
  if (options.computeSignatures && options.signatureCrc32 && entry.crc32 != 0) {
    block.crc32 = entry.crc32;
    block.hasCrc32 = true;
  }
  if (options.saveAttributes && entry.hasAttributes) {
    block.attrHidden = entry.hidden;
    block.attrSystem = entry.system;
    block.attrArchive = entry.archive;
    block.attrReadOnly = entry.readOnly;
  }
  return block;
}

}  // namespace volumist
