// Temporary files beside the files they will replace, named "%02d%02d%02d%02d.$$$" from the UTC
// clock's minute, second and millisecond and a random number from 0 to 32,767.
//
// A temporary file
// - is created exclusively (a name already taken is never shared), with permission bits 0600, so
//   that no one else reads a half-written copy of a private file;
// - is registered for removal on a signal before it is created (platform/temporary_file_registry.h);
// - holds the exclusive lock of its own open file for as long as it exists: a live writer's file is
//   always locked, a dead writer's never, which is how SweepTemporaryFiles tells them apart.
// The whole replacement of a file is platform/file_replacement.h; this is its temporary half, also
// used alone for scratch files (the pending description edits).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/temporary_file_registry.h"

namespace volumist::platform {

std::string MakeTemporaryName(int minute, int second, int millisecond, int randomNumber);
// True for the names MakeTemporaryName makes: 8 to 12 digits and ".$$$".
bool IsTemporaryFileName(std::string_view name);

// Owns one temporary file: removes it when destroyed, unless it was renamed into place (Forget).
// Used by one thread at a time.
class TemporaryFile {
 public:
  // Creates a new, empty, locked temporary file in `directory` for reading and writing. When a name
  // is taken (another writer in the same millisecond), another random number is tried. Nothing on
  // failure.
  static std::optional<TemporaryFile> Create(FileSystem& fileSystem, const std::string& directory);

  TemporaryFile(TemporaryFile&& other) noexcept;
  TemporaryFile& operator=(TemporaryFile&& other) noexcept;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { Remove(); }

  File& file() { return *file_; }
  const std::string& path() const { return path_; }

  // The file was renamed into place: it is no longer removed, and no longer registered. It stays
  // open (and locked) until Close or the destructor.
  void Forget();
  // Closes the file (releasing its lock); true when the close succeeded.
  bool Close();
  // Closes and removes the file, unless forgotten.
  void Remove();

 private:
  TemporaryFile(FileSystem& fileSystem, std::unique_ptr<File> file, std::string path,
                TemporaryFileRegistration registration);

  FileSystem* fileSystem_;
  std::unique_ptr<File> file_;
  std::string path_;  // empty once forgotten or removed
  TemporaryFileRegistration registration_;
};

// Removes the temporary files that dead writers left in `directory`: regular files (never links or
// special files) whose names follow the pattern, whose lock can be taken at once, and that still
// have their name when they are removed. A file another live writer is using is never touched.
// Returns how many were removed.
size_t SweepTemporaryFiles(FileSystem& fileSystem, const std::string& directory);

}  // namespace volumist::platform
