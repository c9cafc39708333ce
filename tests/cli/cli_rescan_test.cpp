// volumist-cli rescan: its report in both forms, a dry run, and rescans killed with SIGKILL while
// they write.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "catalog/lost_descriptions.h"
#include "cli/json_lines.h"
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
  auto found = testing::ParseJsonLines(described.out);
  ASSERT_EQ(found.size(), 1u) << described.out;
  EXPECT_EQ(found[0]["description"], "stays");

  // Nothing changed since: an empty report, one JSON document.
  CommandResult json = Cli({"rescan", "--json", Volume()});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  auto report = testing::OrderedJson::parse(json.out, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << json.out;
  EXPECT_EQ(testing::MemberNames(report),
            (std::vector<std::string>{"volume", "volumeFile", "written", "sources", "carriedDescriptions",
                                      "lostDescriptions", "lostDescriptionsFile"}));
  EXPECT_EQ(report["volumeFile"], Volume());
  EXPECT_EQ(report["written"], true);
  ASSERT_EQ(report["sources"].size(), 1u);
  const auto& source = report["sources"][0];
  EXPECT_EQ(source["path"], Source());
  EXPECT_EQ(source["fate"], "rescanned");
  for (const char* list : {"added", "removed", "changed", "moved"}) {
    EXPECT_TRUE(source[list].is_array() && source[list].empty()) << list << ": " << json.out;
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
  // Every folder has an f7.txt; the one described keeps its text.
  int kept = 0;
  for (const auto& result : testing::ParseJsonLines(described.out)) {
    if (result.value("description", "") == "kept through every kill") ++kept;
  }
  EXPECT_EQ(kept, 1) << described.out;
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

}  // namespace
}  // namespace volumist
