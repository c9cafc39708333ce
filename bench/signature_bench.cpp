// Computes CRC-32, the eDonkey hash and MD5 of every file below a folder, as a scan with all three
// signatures does, and prints the bytes digested. Timed from outside by bench/signatures.sh, next
// to rhash on the same files.
//
//   build/signature_bench FOLDER
#include <cstdio>
#include <string>

#include "analysis/file_signatures.h"
#include "platform/file_system.h"

using namespace volumist;

namespace {

bool Digest(platform::FileSystem& fileSystem, const std::string& folder, uint64_t& bytes, uint64_t& files) {
  std::optional<std::vector<platform::DirectoryItem>> items = fileSystem.ListDirectory(folder);
  if (!items) return false;
  for (const platform::DirectoryItem& item : *items) {
    std::string path = platform::JoinPath(folder, item.name);
    if (item.isDirectory) {
      if (!Digest(fileSystem, path, bytes, files)) return false;
      continue;
    }
    SignatureBlock block;
    if (ComputeFileSignatures(path, {true, true, true}, block, fileSystem) != DigestOutcome::kDone) return false;
    bytes += fileSystem.Status(path).value_or(platform::FileStatus{}).size;
    ++files;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: signature_bench FOLDER\n");
    return 2;
  }
  uint64_t bytes = 0;
  uint64_t files = 0;
  if (!Digest(platform::FileSystem::Default(), argv[1], bytes, files)) {
    std::fprintf(stderr, "signature_bench: cannot read %s\n", argv[1]);
    return 1;
  }
  std::printf("%llu files, %llu bytes\n", static_cast<unsigned long long>(files), static_cast<unsigned long long>(bytes));
  return 0;
}
