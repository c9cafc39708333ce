// Three volumes with known copies among them, for the tests of duplicates and "only copy": the same
// content under other names, the same name and size with other content, files without signatures,
// zero-byte files, an archive member, an eDonkey hash alone, and a name that is not UTF-8.
#pragma once

#include <string>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/signature_block.h"
#include "testing/memory_tree.h"

namespace volumist::testing {

// A signature block with the MD5 (and, when asked, the eDonkey hash) of `label`: equal labels stand
// for equal contents.
SignatureBlock ContentOf(const std::string& label, bool md5 = true, bool ed2k = false);

// A file with the signatures of ContentOf(label, md5, ed2k).
MemoryNode SignedFile(const std::string& name, const std::string& extension, uint64_t size, const std::string& label,
                      bool md5 = true, bool ed2k = false);

// Writes "alpha.vkt" (volume "Alpha", one folder source "/source0"), "beta.vkt" ("Beta", a drive)
// and "gamma.vkt" ("Gamma", a drive) into `folder` and returns their paths in that order. The
// contents are listed in duplicate_volumes.cpp, with the copies they hold.
std::vector<std::string> WriteDuplicateVolumes(const std::string& folder, Prompter& prompter);

}  // namespace volumist::testing
