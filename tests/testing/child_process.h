// Runs part of a test in a forked child process, for what must not touch the test process itself:
// dropping root's rights, or mounting file systems in a mount namespace of its own.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace volumist::testing {

// What a child reported. `skipped` holds the reason when the child could not do what the test needs
// (no right to mount, no user to become), so that the test is skipped rather than failed.
struct ChildResult {
  bool ended = false;  // the child ran `body` to its end (it did not crash or get killed)
  std::string output;  // what `body` returned
  std::string skipped;
};

// Forks; the child runs `body` and sends back what it returns, then ends without running the test
// process's exit handlers. The test process must have no other threads at the time of the call.
// `body` may call SkipChild instead of returning.
ChildResult RunInChild(const std::function<std::string()>& body);

// Ends the child at once, reporting that the test cannot run here, with `reason`.
[[noreturn]] void SkipChild(const std::string& reason);

// In the child: enters a mount namespace of its own, whose mounts no other process sees and which
// vanish when the child ends (nothing propagates back). Calls SkipChild when that is not allowed.
void EnterPrivateMountNamespace();

// In the child: gives up root's rights for good and becomes user and group `id` (65534, "nobody",
// by default) without supplementary groups. Calls SkipChild when that is not possible.
void BecomeUnprivileged(unsigned id = 65534);

}  // namespace volumist::testing
