#include "platform/long_path_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace volumist::platform {
namespace {

// Where the last piece of a long path is resolved: a descriptor of the folder that holds it (or
// AT_FDCWD) and its text, which is shorter than PATH_MAX.
struct LastPiece {
  int base = AT_FDCWD;
  const char* rest = nullptr;
};

// Closes a descriptor of OpenLeadingPieces; AT_FDCWD (negative) is left alone.
void CloseKeepingErrno(int fd) {
  if (fd < 0) return;
  int saved = errno;
  ::close(fd);
  errno = saved;
}

// Opens every piece of `path` but the last. False, with errno set and nothing left open, when one of
// them cannot be opened or a single component is too long to fit in a piece.
bool OpenLeadingPieces(const std::string& path, LastPiece& last) {
  size_t start = 0;
  std::string piece;
  while (path.size() - start >= PATH_MAX) {
    // The longest run of whole components from `start` that is shorter than PATH_MAX.
    size_t cut = path.rfind('/', start + PATH_MAX - 1);
    if (cut == std::string::npos || cut < start) {
      CloseKeepingErrno(last.base);
      errno = ENAMETOOLONG;
      return false;
    }
    // A cut at the very start of an absolute path is the root folder itself.
    piece = cut == start ? std::string("/") : path.substr(start, cut - start);
    int next = ::openat(last.base, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    CloseKeepingErrno(last.base);
    if (next < 0) return false;
    last.base = next;
    start = cut + 1;
    while (start < path.size() && path[start] == '/') ++start;
  }
  // A path ending in a separator names the folder reached.
  last.rest = start < path.size() ? path.c_str() + start : ".";
  return true;
}

}  // namespace

int OpenAnyLength(const std::string& path, int flags, unsigned mode) {
  if (path.size() < PATH_MAX) return ::open(path.c_str(), flags, static_cast<mode_t>(mode));
  LastPiece last;
  if (!OpenLeadingPieces(path, last)) return -1;
  int fd = ::openat(last.base, last.rest, flags, static_cast<mode_t>(mode));
  CloseKeepingErrno(last.base);
  return fd;
}

int StatxAnyLength(const std::string& path, int flags, unsigned mask, struct statx* out) {
  if (path.size() < PATH_MAX) return ::statx(AT_FDCWD, path.c_str(), flags, mask, out);
  LastPiece last;
  if (!OpenLeadingPieces(path, last)) return -1;
  int result = ::statx(last.base, last.rest, flags, mask, out);
  CloseKeepingErrno(last.base);
  return result;
}

}  // namespace volumist::platform
