// Opening and inspecting paths of any length, for the Linux implementations in this folder only.
//
// The kernel refuses a path of PATH_MAX (4,096) bytes or more with ENAMETOOLONG, although folders can
// be nested deeper than that. A shorter path goes to the kernel as it is, so the usual case costs
// nothing extra. A longer one is resolved in pieces of whole components, each shorter than PATH_MAX:
// every piece but the last is opened as an O_PATH descriptor relative to the one before (following
// links in them, as the kernel does for the inner components of any path), and the last is handed,
// relative to the descriptor of the piece before it, to the call the caller asked for. At most two
// descriptors are open at once, and none is left open after the call, so no call risks running out
// of descriptors however deep the tree.
//
// The results are those of the plain calls: a descriptor or 0 on success, -1 with errno set on
// failure. Safe to call from any thread.
#pragma once

#include <string>

struct statx;

namespace volumist::platform {

// open(path, flags, mode), for a path of any length. O_CLOEXEC is the caller's to give.
int OpenAnyLength(const std::string& path, int flags, unsigned mode = 0);

// statx(AT_FDCWD, path, flags, mask, out), for a path of any length.
int StatxAnyLength(const std::string& path, int flags, unsigned mask, struct statx* out);

}  // namespace volumist::platform
