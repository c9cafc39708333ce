// The signature block of a scanned file: its attributes and, when the options ask for them, its
// content digests.
#pragma once

#include <atomic>

#include "analysis/archive_entry.h"
#include "analysis/file_signatures.h"
#include "catalog/scan_entry.h"
#include "catalog/scan_options.h"
#include "catalog/signature_block.h"
#include "platform/file_system.h"

namespace volumist {

// The block for a real file: attributes when saveAttributes is on; digests when computeSignatures
// and the digest's own switch are on, read from the file once (ComputeFileSignatures). A file that
// cannot be read gets no digests. Safe to call from any thread.
SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options);
// `cancel`, when given and set, stops the reading of a large file early (no digests are stored).
// Exactly entry.size bytes are digested (ComputeFileSignatures); `digests` tells how the reading
// ended (kDone also when no digest was asked for).
SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options,
                                  platform::FileSystem& fileSystem, const std::atomic<bool>* cancel = nullptr);
SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options,
                                  platform::FileSystem& fileSystem, const std::atomic<bool>* cancel,
                                  DigestOutcome& digests);

// The block for a file inside an archive, from the archive's directory alone: attributes when
// saveAttributes is on and the archive stores them; the CRC-32 when computeSignatures and
// signatureCrc32 are on and the directory gives a non-zero one. Never an MD4 or MD5 digest.
SignatureBlock FillSignatureBlock(const ArchiveEntry& entry, const ScanOptions& options);

// Whether files get a signature block at all (attributes or digests are recorded).
inline bool RecordsSignatureBlock(const ScanOptions& options) {
  return options.saveAttributes || options.computeSignatures;
}

}  // namespace volumist
