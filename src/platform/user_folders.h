// The per-user folders of the XDG base directory rules: where a program keeps its configuration
// and where it keeps the data it makes for the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace volumist::platform {

struct UserFolders {
  std::string configurationHome;  // $XDG_CONFIG_HOME, or ~/.config
  std::string dataHome;           // $XDG_DATA_HOME, or ~/.local/share
};

// One folder by the XDG rules: `variable` (the environment variable's value, empty when unset)
// counts only when it is an absolute path; otherwise the folder is `underHome` inside `home`.
// Nothing when neither gives an absolute path.
std::optional<std::string> ResolveUserFolder(std::string_view variable, std::string_view home,
                                             std::string_view underHome);

// The current user's folders, from XDG_CONFIG_HOME, XDG_DATA_HOME and HOME (the password database
// when HOME is unset). Nothing when no home folder can be found. The folders may not exist yet.
std::optional<UserFolders> CurrentUserFolders();

}  // namespace volumist::platform
