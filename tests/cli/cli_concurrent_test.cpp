// Real volumist-cli processes writing one volume at once, killed or stopped by signals while they
// write, and the temporary files they leave: every change survives or a writer fails clearly; no
// temporary file outlives its writer for longer than the next write in its folder.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "catalog/messages.h"
#include "cli/writing_fixture.h"
#include "platform/file_replacement.h"
#include "testing/folder_watch.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using namespace std::chrono_literals;
using testing::CommandResult;
using testing::FolderWatch;
using testing::ReadFileBytes;
using testing::RunningCommand;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliConcurrentTest : public testing::WritingCommandsTest {
 protected:
  std::unique_ptr<RunningCommand> Start(const std::vector<std::string>& args) const {
    return std::make_unique<RunningCommand>(VOLUMIST_CLI_PATH, args, Options());
  }

  // Holds the volume's lock as a writer would, so that the commands started meanwhile all wait for
  // it and then meet each other.
  platform::LockedFile HoldVolume() const { return platform::LockFile(platform::FileSystem::Default(), Volume(), 0ms); }

  // Lets the started commands reach the lock, checks that they wait for it, and releases it.
  static void Release(platform::LockedFile& held, const std::vector<RunningCommand*>& waiting) {
    std::this_thread::sleep_for(300ms);
    for (RunningCommand* command : waiting) EXPECT_FALSE(command->HasEnded()) << "a writer did not wait for the lock";
    held.file.reset();
  }

  // A volume of `files` files, large enough that exporting or saving it takes a while.
  std::string LargeVolume(int files) const {
    testing::MemorySource source;
    for (int i = 0; i < files; ++i) source.children.push_back(testing::MemoryNode::File("f" + std::to_string(i), ".txt", 1));
    testing::RecordingPrompter prompter;
    EXPECT_TRUE(testing::WriteVolume(testing::MakeJob(Home("vols/large.vkt"), "Large", {true}), {source}, prompter));
    return Home("vols/large.vkt");
  }
};

TEST_F(CliConcurrentTest, TwoAddsAtOnceKeepBothSources) {
  testing::TreeBuilder(home_.path()).Text("other/four", "4444");
  platform::LockedFile held = HoldVolume();
  ASSERT_TRUE(held);
  auto first = Start({"scan", "--add", Volume(), Home("more")});
  auto second = Start({"scan", "--add", Volume(), Home("other")});
  Release(held, {first.get(), second.get()});
  CommandResult a = first->Wait();
  CommandResult b = second->Wait();
  EXPECT_EQ(a.exitStatus, 0) << a.err;
  EXPECT_EQ(b.exitStatus, 0) << b.err;
  Contents contents = Read(Volume());
  EXPECT_EQ(contents.sources, 3u);
  std::sort(contents.top.begin(), contents.top.end());
  EXPECT_EQ(contents.top, (std::vector<std::string>{"more", "other", "src"}));
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

TEST_F(CliConcurrentTest, ADescribeDuringAnAddKeepsBoth) {
  platform::LockedFile held = HoldVolume();
  ASSERT_TRUE(held);
  auto add = Start({"scan", "--add", Volume(), Home("more")});
  auto describe = Start({"describe", Volume(), "src", "described while adding"});
  Release(held, {add.get(), describe.get()});
  CommandResult a = add->Wait();
  CommandResult d = describe->Wait();
  EXPECT_EQ(a.exitStatus, 0) << a.err;
  EXPECT_EQ(d.exitStatus, 0) << d.err;
  Contents contents = Read(Volume());
  EXPECT_EQ(contents.top, (std::vector<std::string>{"src", "more"}));
  EXPECT_EQ(contents.topDescriptions, (std::vector<std::string>{"described while adding", ""}));
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

TEST_F(CliConcurrentTest, ARenameDuringADescribeKeepsBoth) {
  platform::LockedFile held = HoldVolume();
  ASSERT_TRUE(held);
  auto describe = Start({"describe", Volume(), "", "the volume"});
  auto rename = Start({"rename", Volume(), "Renamed meanwhile"});
  Release(held, {describe.get(), rename.get()});
  CommandResult d = describe->Wait();
  CommandResult r = rename->Wait();
  EXPECT_EQ(d.exitStatus, 0) << d.err;
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  Contents contents = Read(Volume());
  EXPECT_EQ(contents.name, "Renamed meanwhile");
  EXPECT_EQ(contents.description, "the volume");
}

// Two scans that both took the same default name: the one that finishes second keeps the other's
// volume and takes the next name; the counter goes on from there.
TEST_F(CliConcurrentTest, TwoScansWithTheDefaultNameKeepBothVolumes) {
  // A scan that takes a while: the signatures of a large (sparse) file.
  testing::TreeBuilder(home_.path()).Text("slow/big", "");
  std::filesystem::resize_file(Home("slow/big"), uint64_t{256} << 20);
  const std::string counterFile = Home("config/zarn-volumist/volume-counter");
  const std::string counter = ReadFileBytes(counterFile);
  const int n = std::stoi(counter);
  auto name = [&](int i) { return "Volume" + std::to_string(n + i); };
  FolderWatch watch(Vols());
  auto slow = Start({"--dir", Vols(), "scan", "--signatures", Home("slow")});
  // Once its temporary file is there, the slow scan has taken its default name and raised the
  // counter; the second scan reads the counter as the first one did.
  ASSERT_TRUE(watch.WaitForCreated(IsTemporaryName, 1, 10s));
  testing::WriteFileBytes(counterFile, counter);
  CommandResult quick = Cli({"--dir", Vols(), "scan", Home("more")});
  ASSERT_EQ(quick.exitStatus, 0) << quick.err;
  EXPECT_TRUE(Contains(quick.out, "file: " + Home("vols/" + name(0) + ".vkt"))) << quick.out;
  ASSERT_FALSE(slow->HasEnded()) << "the slow scan ended too soon to meet the quick one";
  CommandResult slowResult = slow->Wait();
  ASSERT_EQ(slowResult.exitStatus, 0) << slowResult.err;
  EXPECT_TRUE(Contains(slowResult.out, "volume: " + name(1) + "\nfile: " + Home("vols/" + name(1) + ".vkt")))
      << slowResult.out;
  EXPECT_EQ(Read(Home("vols/" + name(0) + ".vkt")).top, std::vector<std::string>{"more"});
  Contents second = Read(Home("vols/" + name(1) + ".vkt"));
  EXPECT_EQ(second.name, name(1));
  EXPECT_EQ(second.top, std::vector<std::string>{"slow"});
  EXPECT_EQ(ReadFileBytes(counterFile), std::to_string(n + 2) + "\n");
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

// SIGTERM and SIGHUP while a document, a description or a volume is written: the command ends, its
// temporary files go with it, and the old file stays whole. A scan stops its walk and cleans up
// itself (status 130); the others end as the signal would.
TEST_F(CliConcurrentTest, TerminationSignalsLeaveNoTemporaryFile) {
  const std::string large = LargeVolume(300000);
  const std::string before = ReadFileBytes(large);
  testing::TreeBuilder(home_.path()).Text("slow/big", "");
  std::filesystem::resize_file(Home("slow/big"), uint64_t{256} << 20);
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int temporaryFile;  // the signal comes when this many temporary files were created
    bool stopsItself;   // ends with status 130 rather than by the signal
  } cases[] = {
      {"export", {"export", large, Home("vols/doc.xml")}, 1, false},
      {"describe, its edits", {"describe", large, "", "text"}, 1, false},
      {"describe, its save", {"describe", large, "", "text"}, 2, false},
      {"scan", {"scan", "--yes", "--signatures", "--file", large, Home("slow")}, 1, true},
  };
  for (const Case& c : cases) {
    for (int signal : {SIGTERM, SIGHUP}) {
      SCOPED_TRACE(std::string(c.what) + " " + strsignal(signal));
      const int expected = c.stopsItself ? 130 : 128 + signal;
      // The command may finish before the signal lands; it is tried again then.
      int status = 0;
      for (int attempt = 0; attempt < 5 && status != expected; ++attempt) {
        FolderWatch watch(Vols());
        auto command = Start(c.args);
        ASSERT_TRUE(watch.WaitForCreated(IsTemporaryName, c.temporaryFile, 10s));
        command->Signal(signal);
        status = command->Wait().exitStatus;
        EXPECT_TRUE(Leftovers(Vols()).empty());
        if (status == 0) {
          // Finished before the signal: its new volume is whole; the next attempt starts from the old.
          testing::WriteFileBytes(large, before);
          continue;
        }
        EXPECT_TRUE(ReadFileBytes(large) == before) << "the old volume changed";
      }
      EXPECT_EQ(status, expected) << "the command always ended before the signal";
      std::filesystem::remove(Home("vols/doc.xml"));
    }
  }
}

// A writer killed with SIGKILL cannot clean up; the next write in the folder removes what it left,
// but never the file of a writer still at work.
TEST_F(CliConcurrentTest, TheNextWriteSweepsADeadWritersFileAndSparesALiveOnes) {
  const std::string large = LargeVolume(300000);
  {
    FolderWatch watch(Vols());
    auto killed = Start({"export", large, Home("vols/doc.xml")});
    ASSERT_TRUE(watch.WaitForCreated(IsTemporaryName, 1, 10s));
    killed->Signal(SIGKILL);
    killed->Wait();
  }
  std::vector<std::string> stale = Leftovers(Vols());
  ASSERT_EQ(stale.size(), 1u);

  // A live writer: a describe waiting for the volume's lock, its edits file already made.
  platform::LockedFile held = HoldVolume();
  ASSERT_TRUE(held);
  FolderWatch watch(Vols());
  auto live = Start({"describe", Volume(), "", "waiting"});
  ASSERT_TRUE(watch.WaitForCreated(IsTemporaryName, 1, 10s));
  std::vector<std::string> both = Leftovers(Vols());
  ASSERT_EQ(both.size(), 2u);

  ASSERT_EQ(Cli({"export", Volume(), Home("vols/other.xml")}).exitStatus, 0);
  std::vector<std::string> left = Leftovers(Vols());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0], stale[0]);
  held.file.reset();
  CommandResult described = live->Wait();
  EXPECT_EQ(described.exitStatus, 0) << described.err;
  EXPECT_EQ(Read(Volume()).description, "waiting");
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

// A volume replaced by a new scan while a describe waited: the describe fails, says why, and asks
// nothing (it has no --yes to mention).
TEST_F(CliConcurrentTest, ADescribeOverANewScanFailsClearly) {
  testing::RecordingPrompter prompter;
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Home("rescan.vkt"), "Rescanned", {true, true}), {{}, {}}, prompter));
  platform::LockedFile held = HoldVolume();
  ASSERT_TRUE(held);
  FolderWatch watch(Vols());
  auto describe = Start({"describe", Volume(), "src", "for the old volume"});
  ASSERT_TRUE(watch.WaitForCreated(IsTemporaryName, 1, 10s));
  std::filesystem::rename(Home("rescan.vkt"), Volume());
  const std::string rescanned = ReadFileBytes(Volume());
  held.file.reset();
  CommandResult result = describe->Wait();
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, std::string("error: ") + messages::kVolumeReplacedMeanwhile + "\n");
  EXPECT_FALSE(Contains(result.err, "--yes"));
  EXPECT_EQ(ReadFileBytes(Volume()), rescanned);
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

}  // namespace
}  // namespace volumist
