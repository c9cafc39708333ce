// Which commands the window offers with no volume, with a volume, with pending edits and while a
// scan runs.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "browse/command_state.h"

namespace volumist::browse {
namespace {

using C = Command;

constexpr ShellState kNoVolume{};
constexpr ShellState kLoaded{.volumeLoaded = true};
constexpr ShellState kPending{.volumeLoaded = true, .pendingEdits = true};
constexpr ShellState kScanning{.volumeLoaded = true, .pendingEdits = true, .scanning = true};

struct Row {
  Command command;
  bool noVolume;
  bool loaded;
  bool pending;
  bool scanning;
};

// Y: on, n: off, in the four states above.
constexpr bool Y = true;
constexpr bool n = false;

const Row kTable[] = {
    {C::kVolumes, Y, Y, Y, n},
    {C::kRenameVolume, Y, Y, Y, n},
    {C::kDeleteVolume, Y, Y, Y, n},
    {C::kChangeDirectory, Y, Y, Y, n},
    {C::kRefreshVolumes, Y, Y, Y, n},
    {C::kApply, n, n, Y, n},
    {C::kUndo, n, n, Y, n},
    {C::kNewVolume, Y, Y, Y, n},
    {C::kNewSingle, Y, Y, Y, n},
    {C::kNewMultiple, Y, Y, Y, n},
    {C::kNewFromVolumeSources, Y, Y, Y, n},
    {C::kAddToVolume, Y, Y, Y, n},
    {C::kAddSingle, Y, Y, Y, n},
    {C::kAddMultiple, Y, Y, Y, n},
    {C::kUpdate, Y, Y, Y, n},
    {C::kUpdateVolume, n, Y, Y, n},
    {C::kRescanVolume, n, Y, Y, n},
    {C::kVerifyVolume, n, Y, Y, n},
    {C::kSearch, Y, Y, Y, n},
    {C::kSearchDialog, Y, Y, Y, n},
    {C::kSearchAllVolumes, Y, Y, Y, n},
    {C::kSearchCurrentFolder, Y, Y, Y, n},
    {C::kFindSelected, Y, Y, Y, n},
    {C::kFindCopy, Y, Y, Y, n},
    {C::kExport, Y, Y, Y, n},
    {C::kExportVolume, Y, Y, Y, n},
    {C::kExportFolder, Y, Y, Y, n},
    {C::kExportFolderTree, Y, Y, Y, n},
    {C::kExportFileList, n, n, n, n},
    {C::kOptions, Y, Y, Y, Y},
    {C::kHelp, Y, Y, Y, Y},
    {C::kHelpPage, Y, Y, Y, Y},
    {C::kAbout, Y, Y, Y, Y},
    {C::kStop, n, n, n, Y},
    {C::kArrangeNameAscending, Y, Y, Y, n},
    {C::kArrangeNameDescending, Y, Y, Y, n},
    {C::kArrangeSizeAscending, Y, Y, Y, n},
    {C::kArrangeSizeDescending, Y, Y, Y, n},
    {C::kArrangeCreated, Y, Y, Y, n},
    {C::kArrangeModified, Y, Y, Y, n},
    {C::kChooseDirectory, Y, Y, Y, n},
    // Navigation needs a volume and somewhere to go: none of the four states has a history, and
    // each stands at the root.
    {C::kBack, n, n, n, n},
    {C::kForward, n, n, n, n},
    {C::kUp, n, n, n, n},
    {C::kRoot, n, Y, Y, n},
    // The selected item's commands say for themselves what they lack.
    {C::kProperties, Y, Y, Y, n},
    {C::kExecuteFile, Y, Y, Y, n},
    {C::kEditFile, Y, Y, Y, n},
    {C::kOpenInExplorer, Y, Y, Y, n},
    {C::kFindThisItem, Y, Y, Y, n},
    {C::kFindCopyOfItem, Y, Y, Y, n},
    {C::kGetEd2kLink, Y, Y, Y, n},
    {C::kCreateMd5CheckFile, Y, Y, Y, n},
    {C::kFindDuplicates, Y, Y, Y, n},
};

TEST(CommandStateTest, EveryCommandInEveryState) {
  std::set<Command> seen;
  for (const Row& row : kTable) {
    SCOPED_TRACE(std::string(Info(row.command).text));
    seen.insert(row.command);
    EXPECT_EQ(IsCommandEnabled(row.command, kNoVolume), row.noVolume);
    EXPECT_EQ(IsCommandEnabled(row.command, kLoaded), row.loaded);
    EXPECT_EQ(IsCommandEnabled(row.command, kPending), row.pending);
    EXPECT_EQ(IsCommandEnabled(row.command, kScanning), row.scanning);
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kCommandCount)) << "a command is missing from the table";
}

TEST(CommandStateTest, NavigationFollowsTheHistoryAndTheFolderShown) {
  struct Case {
    ShellState state;
    bool back, forward, up, root;
  } cases[] = {
      {{.volumeLoaded = true, .canGoBack = true}, true, false, false, true},
      {{.volumeLoaded = true, .canGoForward = true}, false, true, false, true},
      {{.volumeLoaded = true, .atRoot = false}, false, false, true, true},
      // Without a volume, or while a scan has its file closed, nothing moves.
      {{.canGoBack = true, .canGoForward = true, .atRoot = false}, false, false, false, false},
      {{.volumeLoaded = true, .scanning = true, .canGoBack = true, .canGoForward = true, .atRoot = false},
       false, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCommandEnabled(C::kBack, c.state), c.back);
    EXPECT_EQ(IsCommandEnabled(C::kForward, c.state), c.forward);
    EXPECT_EQ(IsCommandEnabled(C::kUp, c.state), c.up);
    EXPECT_EQ(IsCommandEnabled(C::kRoot, c.state), c.root);
  }
}

TEST(CommandStateTest, EveryCommandThatStartsAScanIsOffWhileScanning) {
  // A second start while a scan runs would replace the running worker.
  for (Command command : {C::kNewVolume, C::kNewSingle, C::kNewMultiple, C::kNewFromVolumeSources, C::kAddToVolume,
                          C::kAddSingle, C::kAddMultiple, C::kUpdateVolume, C::kRescanVolume}) {
    SCOPED_TRACE(std::string(Info(command).text));
    EXPECT_FALSE(IsCommandEnabled(command, kScanning));
  }
}

TEST(CommandStateTest, StripButtonsFollowTheirCommands) {
  for (ShellState state : {kNoVolume, kLoaded, kPending, kScanning}) {
    StripState strip = StripStateFor(state);
    EXPECT_EQ(strip.scanning, state.scanning);
    for (const StripButtonLayout& layout : StripButtons()) {
      SCOPED_TRACE(std::string(layout.caption));
      EXPECT_EQ(strip.enabled[static_cast<size_t>(layout.button)], IsCommandEnabled(layout.command, state));
    }
  }
}

TEST(CommandStateTest, FunctionKeysAreUniqueAndBelongToStripButtons) {
  std::set<int> keys;
  for (const CommandInfo& info : AllCommands()) {
    if (info.functionKey == 0) continue;
    SCOPED_TRACE(std::string(info.text));
    EXPECT_TRUE(keys.insert(info.functionKey).second);
    bool onStrip = false;
    for (const StripButtonLayout& layout : StripButtons()) onStrip |= layout.command == info.command;
    EXPECT_TRUE(onStrip);
  }
  EXPECT_EQ(keys.size(), 10u);
  EXPECT_EQ(ArrangeCommand(4), C::kArrangeCreated);
  EXPECT_EQ(ArrangementOf(C::kArrangeModified), 5);
  EXPECT_EQ(ArrangementOf(C::kChooseDirectory), -1);
}

}  // namespace
}  // namespace volumist::browse
