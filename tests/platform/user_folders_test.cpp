// The per-user folders by the XDG rules, and the path helpers that settings and the volume list use.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "testing/temp_dir.h"

namespace volumist::platform {
namespace {

TEST(UserFoldersTest, VariablesCountOnlyWhenAbsolute) {
  struct Case {
    const char* variable;
    const char* home;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"/xdg/config", "/home/u", "/xdg/config"},
      {"", "/home/u", "/home/u/.config"},
      {"relative/config", "/home/u", "/home/u/.config"},  // invalid by the rules: ignored
      {"/xdg/config", "", "/xdg/config"},
      {"", "", std::nullopt},
      {"", "relative-home", std::nullopt},
      {"", "/", "/.config"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable) + " | " + c.home);
    EXPECT_EQ(ResolveUserFolder(c.variable, c.home, ".config"), c.expected);
  }
}

// Puts an environment variable back as it was when the guard goes away.
class VariableGuard {
 public:
  explicit VariableGuard(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) value_ = value;
  }
  ~VariableGuard() {
    if (value_) {
      ::setenv(name_, value_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  VariableGuard(const VariableGuard&) = delete;
  VariableGuard& operator=(const VariableGuard&) = delete;

 private:
  const char* name_;
  std::optional<std::string> value_;
};

TEST(UserFoldersTest, TheCurrentUsersFoldersComeFromTheEnvironment) {
  VariableGuard home("HOME"), config("XDG_CONFIG_HOME"), data("XDG_DATA_HOME");
  ASSERT_EQ(::setenv("HOME", "/home/someone", 1), 0);
  ASSERT_EQ(::setenv("XDG_CONFIG_HOME", "/elsewhere/config", 1), 0);
  ASSERT_EQ(::unsetenv("XDG_DATA_HOME"), 0);
  auto folders = CurrentUserFolders();
  ASSERT_TRUE(folders);
  EXPECT_EQ(folders->configurationHome, "/elsewhere/config");
  EXPECT_EQ(folders->dataHome, "/home/someone/.local/share");

  // Without HOME the password database names the home folder.
  ASSERT_EQ(::unsetenv("HOME"), 0);
  ASSERT_EQ(::unsetenv("XDG_CONFIG_HOME"), 0);
  folders = CurrentUserFolders();
  ASSERT_TRUE(folders);
  EXPECT_TRUE(IsAbsolutePath(folders->configurationHome));
  EXPECT_TRUE(folders->configurationHome.ends_with("/.config")) << folders->configurationHome;
}

TEST(PathTest, NormalizePathByTheTextAlone) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b/c", "/a/b/c"},   {"/a//b/./c/", "/a/b/c"}, {"/a/b/../c", "/a/c"},   {"/../a", "/a"},
      {"a/../..", ".."},      {"./a", "a"},             {"", "."},              {"/", "/"},
      {"a/b/../../", "."},    {"../../x", "../../x"},
  };
  for (const auto& [path, expected] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(NormalizePath(path), expected);
  }
}

TEST(PathTest, MakeAbsoluteAndCreateDirectories) {
  testing::TempDir dir;
  FileSystem& fileSystem = FileSystem::Default();
  {
    testing::CurrentDirectoryGuard guard(dir.path());
    EXPECT_EQ(MakeAbsolutePath(fileSystem, "x/../y"), dir.File("y"));
    EXPECT_EQ(MakeAbsolutePath(fileSystem, "/p/./q"), "/p/q");
  }
  EXPECT_TRUE(CreateDirectories(fileSystem, dir.File("one/two/three")));
  EXPECT_TRUE(fileSystem.Status(dir.File("one/two/three")).value().isDirectory);
  EXPECT_TRUE(CreateDirectories(fileSystem, dir.File("one/two")));  // already there
  testing::WriteFileBytes(dir.File("file"), "x");
  EXPECT_FALSE(CreateDirectories(fileSystem, dir.File("file")));
  EXPECT_FALSE(CreateDirectories(fileSystem, dir.File("file/below")));
  EXPECT_FALSE(CreateDirectories(fileSystem, ""));
}

}  // namespace
}  // namespace volumist::platform
