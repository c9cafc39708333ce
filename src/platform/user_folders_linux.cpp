#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/user_folders.h"

namespace volumist::platform {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFolder() {
  std::string_view home = Variable("HOME");
  if (!home.empty()) return std::string(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::optional<UserFolders> CurrentUserFolders() {
  std::string home = HomeFolder();
  auto configuration = ResolveUserFolder(Variable("XDG_CONFIG_HOME"), home, ".config");
  auto data = ResolveUserFolder(Variable("XDG_DATA_HOME"), home, ".local/share");
  if (!configuration || !data) return std::nullopt;
  return UserFolders{std::move(*configuration), std::move(*data)};
}

}  // namespace volumist::platform
