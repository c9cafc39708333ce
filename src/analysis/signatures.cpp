#include "analysis/signatures.h"

namespace volumist {

// Attributes only: the digests are not computed yet.
SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options) {
  SignatureBlock block;
  if (options.saveAttributes) {
    block.attrHidden = entry.isHidden;
    block.attrSystem = entry.isSystem;
    block.attrArchive = entry.isArchive;
    block.attrReadOnly = entry.isReadOnly;
  }
  return block;
}

}  // namespace volumist
