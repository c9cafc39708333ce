#include "testing/compressed_bytes.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdint>

namespace volumist::testing {

std::string CompressedBytes(const std::string& bytes, Compression compression) {
  // Room for incompressible input and each format's framing.
  std::string out(bytes.size() + bytes.size() / 2 + 1024, '\0');
  auto* to = reinterpret_cast<uint8_t*>(out.data());
  const auto* from = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t length = 0;
  switch (compression) {
    case Compression::kGzip: {
      z_stream z{};
      // 16 + window bits: the gzip wrapper.
      if (deflateInit2(&z, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return bytes;
      z.next_in = const_cast<Bytef*>(from);
      z.avail_in = static_cast<uInt>(bytes.size());
      z.next_out = to;
      z.avail_out = static_cast<uInt>(out.size());
      bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
      length = z.total_out;
      deflateEnd(&z);
      if (!done) return bytes;
      break;
    }
    case Compression::kXz:
      if (lzma_easy_buffer_encode(0, LZMA_CHECK_CRC32, nullptr, from, bytes.size(), to, &length, out.size()) != LZMA_OK) {
        return bytes;
      }
      break;
    case Compression::kBzip2: {
      auto n = static_cast<unsigned>(out.size());
      if (BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(bytes.data()), static_cast<unsigned>(bytes.size()),
                                   1, 0, 0) != BZ_OK) {
        return bytes;
      }
      length = n;
      break;
    }
    case Compression::kZstd:
      length = ZSTD_compress(to, out.size(), from, bytes.size(), 1);
      if (ZSTD_isError(length)) return bytes;
      break;
    case Compression::kNone: return bytes;
  }
  out.resize(length);
  return out;
}

}  // namespace volumist::testing
