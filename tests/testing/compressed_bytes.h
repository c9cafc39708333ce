// Bytes compressed by the libraries that the compressed TAR reader decodes (zlib's gzip, liblzma's
// xz, libbz2, libzstd), for tests, fuzzers and benchmark corpora that need a compressed file
// without running a tool.
#pragma once

#include <string>

#include "analysis/decompressor.h"

namespace volumist::testing {

// `bytes` as one stream of `compression` at a fast level; `bytes` unchanged for kNone or when the
// library fails.
std::string CompressedBytes(const std::string& bytes, Compression compression);

}  // namespace volumist::testing
