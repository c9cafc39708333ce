// What the tests of volumist-cli's writing commands share: a home with its own configuration, a
// volume folder with one volume made by real scans, a source folder, and helpers that look at the
// results through the catalog.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "catalog/folder_contents.h"
#include "catalog/volume_catalog.h"
#include "platform/temporary_file.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist::testing {

class WritingCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TreeBuilder(home_.path()).Folder("vols").Text("src/one.txt", "1").Text("src/two.txt", "22").Text("more/three", "333");
    ASSERT_EQ(Cli({"scan", "--yes", "--name", "Shared", "--file", Volume(), Source()}).exitStatus, 0);
  }

  std::string Home(const std::string& name) const { return home_.File(name); }
  std::string Vols() const { return home_.File("vols"); }
  std::string Volume() const { return home_.File("vols/v.vkt"); }
  std::string Source() const { return home_.File("src"); }

  CommandOptions Options() const {
    return CommandOptions{"", {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")},
                          "", "", -1};
  }
  CommandResult Cli(const std::vector<std::string>& args) const { return RunCommand(VOLUMIST_CLI_PATH, args, Options()); }

  // The temporary files left in `directory`.
  static std::vector<std::string> Leftovers(const std::string& directory) {
    std::vector<std::string> names;
    for (const std::string& name : ListNames(directory)) {
      if (platform::IsTemporaryFileName(name)) names.push_back(name);
    }
    return names;
  }
  static bool IsTemporaryName(std::string_view name) { return platform::IsTemporaryFileName(name); }

  // What a volume file holds, read back through the catalog.
  struct Contents {
    bool opened = false;
    std::string name;
    size_t sources = 0;
    std::vector<std::string> top;
    std::vector<std::string> topDescriptions;
    std::string description;  // the volume's own
  };
  static Contents Read(const std::string& path) {
    RecordingPrompter prompter;
    VolumeCatalog volume(platform::FileSystem::Default(), prompter);
    volume.SetQuiet(true);
    Contents contents;
    if (!volume.OpenVolume(path)) return contents;
    contents.opened = true;
    contents.name = volume.Header().volumeName;
    contents.sources = volume.Sources().size();
    (void)ReadTopLevel(volume, [&](const ContentItem& item) {
      contents.top.push_back(item.Record().name.Text());
      contents.topDescriptions.push_back(volume.GetDescription(item.DescriptionKey()).value_or(""));
      return true;
    });
    contents.description = volume.GetDescription(0).value_or("");
    return contents;
  }

  static mode_t Mode(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }
  static mode_t Kind(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
  }

  TempDir home_;
};

}  // namespace volumist::testing
