#include "platform/user_folders.h"

#include "platform/file_system.h"

namespace volumist::platform {

std::optional<std::string> ResolveUserFolder(std::string_view variable, std::string_view home,
                                             std::string_view underHome) {
  // A relative value is invalid by the XDG rules and must be ignored, not taken relative to
  // wherever the program happens to run.
  if (!variable.empty() && variable.front() == '/') return std::string(variable);
  if (!home.empty() && home.front() == '/') return JoinPath(std::string(home), std::string(underHome));
  return std::nullopt;
}

}  // namespace volumist::platform
