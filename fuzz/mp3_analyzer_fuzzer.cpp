// Feeds arbitrary bytes to the MP3 analyzer: ID3v2 and ID3v1 tags, the frame search and the VBR
// headers. It may not crash, read out of bounds or allocate by what the tags claim.
#include <cstddef>
#include <cstdint>

#include "analysis/mp3_analyzer.h"
#include "imaging/memory_file.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFile file({data, size});
  Mp3Info info;
  if (AnalyzeMp3(file, info) && info.isEmpty) __builtin_trap();  // success always fills the record
  return 0;
}
