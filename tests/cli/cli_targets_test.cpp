// What volumist-cli's writing commands do to the files they are given: special files are never
// replaced, links are written through, permissions stay, bad input is refused before anything is
// written, and the failures say why.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "catalog/messages.h"
#include "cli/writing_fixture.h"
#include "export/messages.h"
#include "scan/messages.h"

namespace volumist {
namespace {

using testing::ReadFileBytes;
using testing::TreeBuilder;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliTargetsTest : public testing::WritingCommandsTest {};

// A pipe, a device node or a folder named as the output is refused before any work, and stays what
// it was; the scan refuses it without asking.
TEST_F(CliTargetsTest, OnlyARegularFileIsEverReplaced) {
  TreeBuilder(Vols()).Folder("folder").Fifo("pipe");
  std::vector<std::string> targets = {"folder", "pipe"};
  if (::mknod(Home("vols/device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back("device");
  for (const std::string& name : targets) {
    const std::string target = Home("vols/" + name);
    const mode_t kind = Kind(target);
    struct Case {
      std::vector<std::string> args;
      std::string message;
    } cases[] = {
        {{"export", Volume(), target}, messages::kExportTargetNotRegular},
        {{"scan", "--file", target, Source()}, messages::kVolumeFileNameNotRegular},
        {{"scan", "--yes", "--file", target, Source()}, messages::kVolumeFileNameNotRegular},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(name + " " + c.args[0] + " " + c.args[1]);
      auto result = Cli(c.args);
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(result.err, "error: " + c.message + "\n");
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(Kind(target), kind);
      EXPECT_TRUE(Leftovers(Vols()).empty());
    }
  }
  if (targets.size() < 3) GTEST_SKIP() << "no right to make a device node here; folder and pipe were tested";
}

// Every writer replaces the file a link (or a chain of links) names, and the link stays a link, so
// that reading through the link and through the real path agree.
TEST_F(CliTargetsTest, LinksAreWrittenThrough) {
  std::filesystem::create_directories(Home("real"));
  std::filesystem::rename(Volume(), Home("real/v.vkt"));
  TreeBuilder(Vols()).Symlink("v.vkt", "../real/v.vkt").Symlink("chain.vkt", "v.vkt");
  const std::string link = Vols() + "/chain.vkt";
  ASSERT_EQ(Cli({"describe", link, "", "through the link"}).exitStatus, 0);
  ASSERT_EQ(Cli({"scan", "--add", link, Home("more")}).exitStatus, 0);
  ASSERT_EQ(Cli({"rename", link, "Renamed"}).exitStatus, 0);
  ASSERT_EQ(Cli({"describe", link, "more", "a folder"}).exitStatus, 0);
  EXPECT_EQ(Kind(Volume()), S_IFLNK);
  EXPECT_EQ(Kind(link), S_IFLNK);
  Contents real = Read(Home("real/v.vkt"));
  EXPECT_EQ(real.name, "Renamed");
  EXPECT_EQ(real.description, "through the link");
  EXPECT_EQ(real.top, (std::vector<std::string>{"src", "more"}));
  EXPECT_EQ(ReadFileBytes(link), ReadFileBytes(Home("real/v.vkt")));
  EXPECT_TRUE(Leftovers(Vols()).empty());
  EXPECT_TRUE(Leftovers(Home("real")).empty());

  // The document and a new volume behind links.
  TreeBuilder(Home("real")).Text("doc.xml", "old");
  TreeBuilder(Vols()).Symlink("doc.xml", "../real/doc.xml").Symlink("new.vkt", "../real/new.vkt");
  ASSERT_EQ(Cli({"export", Volume(), Vols() + "/doc.xml"}).exitStatus, 0);
  EXPECT_EQ(Kind(Vols() + "/doc.xml"), S_IFLNK);
  EXPECT_EQ(ReadFileBytes(Home("real/doc.xml")).rfind("<?xml", 0), 0u);
  ASSERT_EQ(Cli({"scan", "--file", Vols() + "/new.vkt", Source()}).exitStatus, 0);
  EXPECT_EQ(Kind(Vols() + "/new.vkt"), S_IFLNK);
  EXPECT_TRUE(Read(Home("real/new.vkt")).opened);
  // A document never replaces the volume it comes from, under another name either.
  const std::string volume = ReadFileBytes(Home("real/v.vkt"));
  auto itself = Cli({"export", Home("real/v.vkt"), link});
  EXPECT_EQ(itself.exitStatus, 1);
  EXPECT_EQ(itself.err, std::string("error: ") + messages::kExportWouldReplaceVolume + "\n");
  EXPECT_EQ(ReadFileBytes(Home("real/v.vkt")), volume);
}

TEST_F(CliTargetsTest, ExportToStandardOutput) {
  auto file = Cli({"export", Volume(), Home("doc.xml")});
  ASSERT_EQ(file.exitStatus, 0) << file.err;
  auto stream = Cli({"export", Volume(), "-"});
  ASSERT_EQ(stream.exitStatus, 0) << stream.err;
  EXPECT_EQ(stream.out, ReadFileBytes(Home("doc.xml")));
  EXPECT_FALSE(std::filesystem::exists(Home("vols/-")));
  EXPECT_FALSE(std::filesystem::exists("-"));
  // A write that fails is reported and fails the command.
  testing::CommandOptions full = Options();
  full.outputPath = "/dev/full";
  auto failed = testing::RunCommand(VOLUMIST_CLI_PATH, {"export", Volume(), "-"}, full);
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(failed.err, std::string("error: ") + messages::kCouldNotWriteExport + "\n");
}

// The replacement of a volume or a document keeps its permissions, and as root its owner.
TEST_F(CliTargetsTest, PermissionsStay) {
  ASSERT_EQ(Cli({"export", Volume(), Home("vols/doc.xml")}).exitStatus, 0);
  for (mode_t mode : {0600, 0640}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(Volume().c_str(), mode), 0);
    ASSERT_EQ(::chmod(Home("vols/doc.xml").c_str(), mode), 0);
    ASSERT_EQ(Cli({"describe", Volume(), "", std::to_string(mode)}).exitStatus, 0);
    EXPECT_EQ(Mode(Volume()), mode);
    ASSERT_EQ(Cli({"scan", "--add", Volume(), Home("more")}).exitStatus, 0);
    EXPECT_EQ(Mode(Volume()), mode);
    ASSERT_EQ(Cli({"rename", Volume(), "Renamed"}).exitStatus, 0);
    EXPECT_EQ(Mode(Volume()), mode);
    ASSERT_EQ(Cli({"scan", "--yes", "--file", Volume(), Source()}).exitStatus, 0);
    EXPECT_EQ(Mode(Volume()), mode);
    ASSERT_EQ(Cli({"export", Volume(), Home("vols/doc.xml")}).exitStatus, 0);
    EXPECT_EQ(Mode(Home("vols/doc.xml")), mode);
  }
  if (::geteuid() != 0) GTEST_SKIP() << "only root may keep another user as the owner";
  ASSERT_EQ(::chown(Volume().c_str(), 65534, 65534), 0);
  ASSERT_EQ(Cli({"describe", Volume(), "", "still theirs"}).exitStatus, 0);
  struct stat st;
  ASSERT_EQ(::stat(Volume().c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}

// A mistyped source never replaces a good volume with an empty one.
TEST_F(CliTargetsTest, AMissingSourceIsRefusedBeforeAnythingIsWritten) {
  const std::string before = ReadFileBytes(Volume());
  const std::string missing = Home("srcc");
  for (std::vector<std::string> args : {std::vector<std::string>{"scan", "--yes", "--file", Volume(), missing},
                                        std::vector<std::string>{"scan", "--add", Volume(), missing},
                                        std::vector<std::string>{"scan", "--yes", "--file", Volume(), Source(),
                                                                 Home("src/one.txt")}}) {
    SCOPED_TRACE(args.back());
    auto result = Cli(args);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "error: " + (messages::kScanPathNotFound + args.back()) + "\n");
    EXPECT_EQ(ReadFileBytes(Volume()), before);
  }
  EXPECT_TRUE(Leftovers(Vols()).empty());
}

// A folder as the volume file is refused before the scan; scanning the volume folder itself does
// not record the scan's own temporary file.
TEST_F(CliTargetsTest, TheVolumeFolderAsTargetOrSource) {
  auto folder = Cli({"scan", "--file", Vols(), Source()});
  EXPECT_EQ(folder.exitStatus, 1);
  EXPECT_EQ(folder.err, std::string("error: ") + messages::kVolumeFileNameNotRegular + "\n");
  EXPECT_TRUE(Leftovers(Vols()).empty());

  auto self = Cli({"--dir", Vols(), "scan", "--name", "Itself", Vols()});
  ASSERT_EQ(self.exitStatus, 0) << self.err;
  auto listed = Cli({"ls", "-R", Home("vols/Itself.vkt")});
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, "vols/v.vkt")) << listed.out;
  EXPECT_FALSE(Contains(listed.out, "$$$")) << listed.out;
}

TEST_F(CliTargetsTest, ANameTooLongForTheVolumeIsRefusedAsRenameRefusesIt) {
  const std::string name(256, 'n');
  auto scan = Cli({"scan", "--name", name, "--file", Home("vols/long.vkt"), Source()});
  EXPECT_EQ(scan.exitStatus, 1);
  EXPECT_EQ(scan.err, std::string("error: ") + messages::kVolumeNameTooLong + "\n");
  EXPECT_FALSE(std::filesystem::exists(Home("vols/long.vkt")));
  auto rename = Cli({"rename", Volume(), name});
  EXPECT_EQ(rename.exitStatus, 1);
  EXPECT_EQ(rename.err, std::string("error: ") + messages::kVolumeNameTooLong + "\n");
  ASSERT_EQ(Cli({"scan", "--name", name.substr(1), "--file", Home("vols/long.vkt"), Source()}).exitStatus, 0);
  EXPECT_EQ(Read(Home("vols/long.vkt")).name, name.substr(1));
}

// A relative path with a folder names the file once; a file that cannot be written says why.
TEST_F(CliTargetsTest, RenameFindsRelativePathsAndReportsTheRealCause) {
  testing::CommandOptions inHome = Options();
  inHome.workingDirectory = home_.path();
  auto relative = testing::RunCommand(VOLUMIST_CLI_PATH, {"rename", "vols/v.vkt", "Relative"}, inHome);
  ASSERT_EQ(relative.exitStatus, 0) << relative.err;
  EXPECT_EQ(Read(Volume()).name, "Relative");

  // A read-only file, renamed by a user who may not write it (as root: nobody).
  ASSERT_EQ(::chmod(home_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(Vols().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(Volume().c_str(), 0444), 0);
  testing::CommandOptions user = Options();
  if (::geteuid() == 0) {
    user.user = 65534;
    ASSERT_EQ(::chown(Volume().c_str(), 65534, 65534), 0);
  }
  auto denied = testing::RunCommand(VOLUMIST_CLI_PATH, {"rename", Volume(), "Denied"}, user);
  EXPECT_EQ(denied.exitStatus, 1);
  EXPECT_EQ(denied.err, std::string("error: ") + messages::kCouldNotWriteVolumeName + "access denied\n");
  EXPECT_EQ(Read(Volume()).name, "Relative");
}

// Each volume that search --all cannot read is named in its message.
TEST_F(CliTargetsTest, SearchAllNamesTheVolumeItCannotRead) {
  // The magic is right, so the volume list takes it; the header is not, so it cannot be opened.
  std::string broken = ReadFileBytes(Volume()).substr(0, 10) + std::string(400, '\xFF');
  testing::WriteFileBytes(Home("vols/broken.vkt"), broken);
  auto result = Cli({"--dir", Vols(), "search", "--all", "*.txt"});
  EXPECT_TRUE(Contains(result.err, std::string(messages::kCouldNotOpenForRead) + " (" + Home("vols/broken.vkt") + ")"))
      << result.err;
  EXPECT_TRUE(Contains(result.out, "one.txt")) << result.out;
}

}  // namespace
}  // namespace volumist
