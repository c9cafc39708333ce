// Writes the benchmarks' generated volume of 1,000,000 files in 20,000 folders (testing/generated_tree.h),
// with every file's CRC32, eDonkey hash and MD5 when asked.
//
//   generated_volume_tool OUT.vkt [--digests]
#include <cstdio>
#include <cstring>

#include "testing/generated_tree.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--digests") != 0)) {
    std::fprintf(stderr, "usage: generated_volume_tool OUT.vkt [--digests]\n");
    return 2;
  }
  return volumist::testing::WriteGeneratedVolume(argv[1], argc == 3) ? 0 : 1;
}
