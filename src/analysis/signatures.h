// The signature block of a scanned file: its attributes and, when the options ask for them, its
// content digests.
#pragma once

#include "catalog/scan_entry.h"
#include "catalog/scan_options.h"
#include "catalog/signature_block.h"

namespace volumist {

// The block for a real file: attributes when saveAttributes is on; digests when computeSignatures
// and the digest's own switch are on. Safe to call from any thread.
SignatureBlock FillSignatureBlock(const ScanEntry& entry, const ScanOptions& options);

}  // namespace volumist
