// The folder tree: what can be expanded and what is below a folder, on folders made for the test.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folder_tree.h"
#include "testing/temp_dir.h"

namespace volumist::platform {
namespace {

namespace fs = std::filesystem;

class FolderTreeTest : public ::testing::Test {
 protected:
  std::string Folder(const std::string& relative) {
    fs::create_directories(dir_.File(relative));
    return dir_.File(relative);
  }
  void File(const std::string& relative) { testing::WriteFileBytes(dir_.File(relative), "x"); }

  FileSystem& files_ = FileSystem::Default();
  testing::TempDir dir_;
};

TEST_F(FolderTreeTest, WhatMakesAFolderExpandable) {
  Folder("empty");
  Folder("hiddenFiles");
  File("hiddenFiles/.profile");
  File("hiddenFiles/.cache");
  Folder("visibleFile");
  File("visibleFile/notes.txt");
  Folder("hiddenFolder/.config");
  Folder("subFolder/photos");
  struct Case {
    const char* folder;
    bool withoutFiles;
    bool withFiles;
  } cases[] = {
      {"empty", false, false},
      {"hiddenFiles", false, false},
      {"visibleFile", false, true},
      {"hiddenFolder", true, true},  // folders count, hidden or not
      {"subFolder", true, true},
      {"missing", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(HasChildren(files_, dir_.File(c.folder), false), c.withoutFiles);
    EXPECT_EQ(HasChildren(files_, dir_.File(c.folder), true), c.withFiles);
  }
}

TEST_F(FolderTreeTest, ChildrenAreFoldersThenFilesEachSortedIgnoringCase) {
  Folder("top/beta");
  Folder("top/Alpha");
  Folder("top/.git");
  Folder("top/gamma");
  File("top/b.txt");
  File("top/A.txt");
  File("top/.hidden");
  File("top/C.txt");
  std::string top = dir_.File("top");
  FolderChildren withFiles = ListChildren(files_, top, true);
  EXPECT_EQ(withFiles.folders, (std::vector<std::string>{top + "/.git", top + "/Alpha", top + "/beta", top + "/gamma"}));
  EXPECT_EQ(withFiles.files, (std::vector<std::string>{top + "/A.txt", top + "/b.txt", top + "/C.txt"}));

  FolderChildren foldersOnly = ListChildren(files_, top, false);
  EXPECT_EQ(foldersOnly.folders, withFiles.folders);
  EXPECT_TRUE(foldersOnly.files.empty());
}

TEST_F(FolderTreeTest, NamesDifferingOnlyInCaseKeepAFixedOrder) {
  Folder("case");
  File("case/readme");
  File("case/README");
  File("case/ReadMe");
  FolderChildren children = ListChildren(files_, dir_.File("case"), true);
  std::string base = dir_.File("case");
  EXPECT_EQ(children.files, (std::vector<std::string>{base + "/README", base + "/ReadMe", base + "/readme"}));
}

TEST_F(FolderTreeTest, LinksToFoldersAreNotFollowed) {
  Folder("real/inner");
  Folder("linked");
  fs::create_directory_symlink(dir_.File("real"), dir_.File("linked/shortcut"));
  EXPECT_FALSE(HasChildren(files_, dir_.File("linked"), false));
  FolderChildren children = ListChildren(files_, dir_.File("linked"), true);
  EXPECT_TRUE(children.folders.empty());
  EXPECT_EQ(children.files, std::vector<std::string>{dir_.File("linked/shortcut")});
}

TEST_F(FolderTreeTest, AFolderThatCannotBeListedHasNoChildren) {
  FolderChildren children = ListChildren(files_, dir_.File("missing"), true);
  EXPECT_TRUE(children.folders.empty());
  EXPECT_TRUE(children.files.empty());
}

TEST(HiddenNameTest, DotNamesAreHidden) {
  EXPECT_TRUE(IsHiddenName(".profile"));
  EXPECT_TRUE(IsHiddenName("."));
  EXPECT_FALSE(IsHiddenName("profile"));
  EXPECT_FALSE(IsHiddenName("a.b"));
  EXPECT_FALSE(IsHiddenName(""));
}

}  // namespace
}  // namespace volumist::platform
