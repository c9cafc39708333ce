// Temporary files beside the files they will replace, named "%02d%02d%02d%02d.$$$" from the UTC
// clock's minute, second and millisecond and a random number from 0 to 32,767.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace volumist::platform {

struct TemporaryFile {
  std::unique_ptr<File> file;
  std::string path;
};

std::string MakeTemporaryName(int minute, int second, int millisecond, int randomNumber);

// Creates a new, empty temporary file in `directory` for reading and writing. The name is created
// exclusively: when it is taken (another writer in the same millisecond), another random number is
// tried, so two writers never share a file. Nothing on failure.
std::optional<TemporaryFile> CreateTemporaryFile(FileSystem& fileSystem, const std::string& directory);

}  // namespace volumist::platform
