// volumist-cli rescan: its report in both forms, a dry run, and rescans killed with SIGKILL while
// they write.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "catalog/lost_descriptions.h"
#include "cli/writing_fixture.h"
#include "testing/folder_watch.h"
#include "../analysis/external_tool.h"

namespace volumist {
namespace {

using namespace std::chrono_literals;
using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunningCommand;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliRescanTest : public testing::WritingCommandsTest {};

TEST_F(CliRescanTest, PrintsTheChangesAndKeepsTheDescriptions) {
  ASSERT_EQ(Cli({"describe", Volume(), "src/one.txt", "stays"}).exitStatus, 0);
  ASSERT_EQ(Cli({"describe", Volume(), "src/two.txt", "goes\taway"}).exitStatus, 0);
  ASSERT_EQ(Cli({"describe", Volume(), "", "the volume"}).exitStatus, 0);
  std::filesystem::remove(Home("src/two.txt"));
  testing::TreeBuilder(home_.path()).Text("src/sub/new.txt", "new");

  const std::string before = ReadFileBytes(Volume());
  CommandResult dry = Cli({"rescan", "--dry-run", Volume()});
  ASSERT_EQ(dry.exitStatus, 0) << dry.err;
  EXPECT_EQ(ReadFileBytes(Volume()), before);
  EXPECT_TRUE(Contains(dry.out, "written: no\n")) << dry.out;

  CommandResult done = Cli({"rescan", Volume()});
  ASSERT_EQ(done.exitStatus, 0) << done.err;
  for (const std::string& line :
       {"source: src\t" + Source() + "\trescanned\n", std::string("added\tfolder\tsrc/sub\n"),
        std::string("added\tfile\tsrc/sub/new.txt\n"), std::string("removed\tfile\tsrc/two.txt\n"),
        std::string("lost description\tsrc/two.txt\tgoes away\n"), std::string("added: 1 folder(s), 1 file(s)\n"),
        std::string("removed: 0 folder(s), 1 file(s)\n"), std::string("descriptions carried: 2\n"),
        "lost descriptions file: " + LostDescriptionsPath(Volume()) + "\n", std::string("written: yes\n")}) {
    EXPECT_TRUE(Contains(done.out, line)) << line << " in\n" << done.out;
  }
  EXPECT_TRUE(Contains(dry.out, "removed\tfile\tsrc/two.txt\n")) << dry.out;
  Contents contents = Read(Volume());
  EXPECT_EQ(contents.description, "the volume");
  EXPECT_TRUE(Contains(ReadFileBytes(LostDescriptionsPath(Volume())), "src/two.txt\n\tgoes\taway\n"));
  CommandResult described = Cli({"search", "--volume", Volume(), "--descriptions", "--json", "one.txt"});
  EXPECT_TRUE(Contains(described.out, "\"description\": \"stays\"")) << described.out;

  // Nothing changed since: an empty report, as JSON that parses.
  CommandResult json = Cli({"rescan", "--json", Volume()});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_TRUE(Contains(json.out, "\"added\": [], \"removed\": [], \"changed\": [], \"moved\": []")) << json.out;
  if (!testing::FindProgram("python3").empty()) {
    EXPECT_EQ(testing::RunCommand("/bin/sh", {"-c", "printf '%s' \"$0\" | python3 -m json.tool >/dev/null", json.out})
                  .exitStatus,
              0)
        << json.out;
  }
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

TEST_F(CliRescanTest, WrongUsageIsRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"rescan"}, {"rescan", "--bogus", Volume()}, {"rescan", Volume(), Volume()}}) {
    CommandResult result = Cli(args);
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_TRUE(Contains(result.err, "usage: volumist-cli rescan")) << result.err;
  }
  CommandResult missing = Cli({"rescan", Home("nothing.vkt")});
  EXPECT_EQ(missing.exitStatus, 1);
}

// A rescan killed at any moment leaves the old volume as it was; the next write in the folder
// sweeps the temporary file the killed one left.
TEST_F(CliRescanTest, AKilledRescanLeavesTheOldVolume) {
  std::string script = "cd \"$0\" && mkdir big && cd big && for d in $(seq 0 19); do mkdir d$d; "
                       "(cd d$d && seq -f 'f%g.txt' 0 1499 | xargs touch); done";
  ASSERT_EQ(testing::RunCommand("/bin/sh", {"-c", script, home_.path()}).exitStatus, 0);
  ASSERT_EQ(Cli({"scan", "--yes", "--name", "Big", "--file", Home("vols/big.vkt"), Home("big")}).exitStatus, 0);
  ASSERT_EQ(Cli({"describe", Home("vols/big.vkt"), "big/d3/f7.txt", "kept through every kill"}).exitStatus, 0);
  testing::TreeBuilder(home_.path()).Text("big/d0/added.txt", "added");
  const std::string before = ReadFileBytes(Home("vols/big.vkt"));
  int killedWhileWriting = 0;
  for (auto delay : {0ms, 5ms, 20ms, 50ms, 100ms, 200ms}) {
    SCOPED_TRACE(delay.count());
    testing::FolderWatch watch(Vols());
    RunningCommand rescan(VOLUMIST_CLI_PATH, {"rescan", "--quiet", Home("vols/big.vkt")}, Options());
    if (watch.WaitForCreated(IsTemporaryName, 1, 10s)) {
      std::this_thread::sleep_for(delay);
    }
    const bool running = !rescan.HasEnded();
    rescan.Signal(SIGKILL);
    rescan.Wait();
    if (!running) continue;  // it finished first: nothing to check but the next round's start
    ++killedWhileWriting;
    const std::string after = ReadFileBytes(Home("vols/big.vkt"));
    if (after != before) {
      // Killed after the rename: the complete new volume.
      EXPECT_EQ(Cli({"ls", "-R", Home("vols/big.vkt")}).exitStatus, 0);
      break;
    }
  }
  EXPECT_GT(killedWhileWriting, 0);
  CommandResult finished = Cli({"rescan", "--quiet", Home("vols/big.vkt")});
  EXPECT_EQ(finished.exitStatus, 0) << finished.err;
  CommandResult described = Cli({"search", "--volume", Home("vols/big.vkt"), "--descriptions", "--json", "f7.txt"});
  EXPECT_TRUE(Contains(described.out, "\"description\": \"kept through every kill\"")) << described.out;
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

}  // namespace
}  // namespace volumist
