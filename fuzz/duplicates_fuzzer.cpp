// Feeds arbitrary bytes as volume files to the duplicates search and "only copy": the walk that
// decodes plain file records straight from the read buffer, the bridge between eDonkey hashes and
// MD5s, and the second walk for the members' paths. None may crash, read out of bounds or loop.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/duplicates.h"
#include "testing/memory_file_system.h"

using namespace volumist;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testing::MemoryFileSystem fileSystem;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The same bytes twice: every file has a copy, so every group is made and every path looked up.
  fileSystem.Put("/a.vkt", bytes);
  fileSystem.Put("/b.vkt", bytes);
  const std::vector<std::string> paths = {"/a.vkt", "/b.vkt"};
  for (DuplicateMatch match : {DuplicateMatch::kAuto, DuplicateMatch::kNameAndSize}) {
    DuplicateOptions options;
    options.minimumSize = 0;
    options.match = match;
    size_t members = 0;
    FindDuplicates(paths, options, fileSystem, [&](DuplicateGroup&& group, const DuplicateVolumes&) {
      members += group.members.size();
    });
    static_cast<void>(members);
  }
  DuplicateOptions options;
  options.minimumSize = 0;
  FindUniqueFiles({"/a.vkt", "/c.vkt"}, 0, options, fileSystem, [](DuplicateMember&&, const DuplicateVolumes&) {});
  return 0;
}
