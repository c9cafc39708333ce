// Replacing files: links, kinds of targets, locks between writers, permissions, temporary files, the
// sweep of dead writers' files, and their removal on a signal.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "platform/file_replacement.h"
#include "platform/temporary_file.h"
#include "platform/temporary_file_registry.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist::platform {
namespace {

using namespace std::chrono_literals;
using testing::ListNames;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::TreeBuilder;
using testing::WriteFileBytes;

FileSystem& Disk() { return FileSystem::Default(); }

// Writes `text` as the new version of `target` and commits it.
FileError Replace(const std::string& target, const std::string& text, ReplaceOptions options = {},
                  ExistingTarget existing = ExistingTarget::kReplace) {
  FileReplacement replacement(Disk());
  if (FileError error = replacement.Begin(target, options); error != FileError::kNone) return error;
  EXPECT_TRUE(replacement.Temporary().WriteAt(0, std::as_bytes(std::span(text.data(), text.size()))));
  return replacement.Commit(existing);
}

std::vector<std::string> TemporaryNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const std::string& name : ListNames(directory)) {
    if (IsTemporaryFileName(name)) names.push_back(name);
  }
  return names;
}

mode_t KindOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

TEST(TemporaryFileNameTest, ThePatternAndNothingElse) {
  for (const char* name : {"05070312.$$$", "595999932767.$$$", "00000000.$$$"}) EXPECT_TRUE(IsTemporaryFileName(name)) << name;
  for (const char* name : {"0507031.$$$", "5959999327670.$$$", "0507x312.$$$", "05070312.$$", "05070312.$$$x",
                           "a.vkt", ".$$$", "05070312.tmp"}) {
    EXPECT_FALSE(IsTemporaryFileName(name)) << name;
  }
}

TEST(ResolveTargetTest, LinksAreFollowedToTheFileTheyName) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.Text("real/data.vkt", "x")
      .Folder("elsewhere")
      .Symlink("link.vkt", "real/data.vkt")
      .Symlink("elsewhere/chain.vkt", "../link.vkt")
      .Symlink("absolute.vkt", dir.File("real/data.vkt"))
      .Symlink("dangling.vkt", "real/new.vkt")
      .Symlink("loop.vkt", "loop.vkt")
      .Symlink("to-folder", "real")
      .Fifo("pipe")
      .Symlink("to-pipe", "pipe");
  struct Case {
    const char* path;
    std::string resolved;
    FileError error;
    bool exists;
  } cases[] = {
      {"real/data.vkt", dir.File("real/data.vkt"), FileError::kNone, true},
      {"link.vkt", dir.File("real/data.vkt"), FileError::kNone, true},
      {"elsewhere/chain.vkt", dir.File("real/data.vkt"), FileError::kNone, true},
      {"absolute.vkt", dir.File("real/data.vkt"), FileError::kNone, true},
      {"dangling.vkt", dir.File("real/new.vkt"), FileError::kNone, false},
      {"new.vkt", dir.File("new.vkt"), FileError::kNone, false},
      {"to-folder/data.vkt", dir.File("real/data.vkt"), FileError::kNone, true},
      {"loop.vkt", "", FileError::kOther, false},
      {"real", "", FileError::kNotRegularFile, false},
      {"to-folder", "", FileError::kNotRegularFile, false},
      {"real/", "", FileError::kNotRegularFile, false},
      {"pipe", "", FileError::kNotRegularFile, false},
      {"to-pipe", "", FileError::kNotRegularFile, false},
      {"missing/x.vkt", "", FileError::kNotFound, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ResolvedTarget resolved = ResolveTarget(Disk(), dir.File(c.path));
    EXPECT_EQ(resolved.error, c.error);
    if (c.error != FileError::kNone) continue;
    EXPECT_EQ(resolved.path, c.resolved);
    EXPECT_EQ(resolved.status.has_value(), c.exists);
  }
}

TEST(FileReplacementTest, ReplacesTheFileBehindALinkChainAndKeepsTheLinks) {
  TempDir dir;
  TreeBuilder(dir.path()).Text("real/data", "old").Symlink("one", "real/data").Symlink("two", "one");
  ASSERT_EQ(Replace(dir.File("two"), "new"), FileError::kNone);
  EXPECT_EQ(ReadFileBytes(dir.File("real/data")), "new");
  EXPECT_EQ(KindOf(dir.File("one")), S_IFLNK);
  EXPECT_EQ(KindOf(dir.File("two")), S_IFLNK);
  EXPECT_EQ(ListNames(dir.File("real")), std::vector<std::string>{"data"});
}

TEST(FileReplacementTest, TheTemporaryFileLiesBesideTheRealTarget) {
  TempDir dir;
  TreeBuilder(dir.path()).Text("real/data", "old").Symlink("link", "real/data");
  FileReplacement replacement(Disk());
  ASSERT_EQ(replacement.Begin(dir.File("link")), FileError::kNone);
  EXPECT_EQ(DirectoryOf(replacement.TemporaryPath()), dir.File("real"));
  EXPECT_EQ(replacement.Target(), dir.File("real/data"));
  EXPECT_TRUE(IsTemporaryFileName(BaseNameOf(replacement.TemporaryPath())));
  replacement.Abandon();
  EXPECT_EQ(ListNames(dir.File("real")), std::vector<std::string>{"data"});
  EXPECT_EQ(ReadFileBytes(dir.File("real/data")), "old");
}

// Only a regular file is ever replaced; anything else is refused before a temporary file exists.
TEST(FileReplacementTest, AnythingButARegularFileIsRefused) {
  TempDir dir;
  TreeBuilder(dir.path()).Folder("folder").Fifo("pipe").Symlink("to-pipe", "pipe");
  std::vector<std::string> targets = {"folder", "pipe", "to-pipe"};
  // A device node can be made only with the right to; /dev/null is one in any case.
  bool madeDevice = ::mknod(dir.File("device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  if (madeDevice) targets.push_back("device");
  for (const std::string& name : targets) {
    SCOPED_TRACE(name);
    mode_t kind = KindOf(dir.File(name));
    EXPECT_EQ(Replace(dir.File(name), "new"), FileError::kNotRegularFile);
    EXPECT_EQ(KindOf(dir.File(name)), kind);
  }
  EXPECT_EQ(ResolveTarget(Disk(), "/dev/null").error, FileError::kNotRegularFile);
  EXPECT_TRUE(TemporaryNames(dir.path()).empty());
  if (!madeDevice) GTEST_SKIP() << "no right to make a device node here; /dev/null stood in for one";
}

TEST(FileReplacementTest, TheReplacedFilesModeIsKept) {
  TempDir dir;
  for (mode_t mode : {0600, 0640, 0444, 0755}) {
    SCOPED_TRACE(mode);
    WriteFileBytes(dir.File("file"), "old");
    ASSERT_EQ(::chmod(dir.File("file").c_str(), mode), 0);
    ASSERT_EQ(Replace(dir.File("file"), "new"), FileError::kNone);
    struct stat st;
    ASSERT_EQ(::stat(dir.File("file").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(ReadFileBytes(dir.File("file")), "new");
  }
}

TEST(FileReplacementTest, ANewFileGetsTheUsualModeAndTheTemporaryFileIsPrivate) {
  TempDir dir;
  mode_t mask = ::umask(022);
  ::umask(mask);
  FileReplacement replacement(Disk());
  ASSERT_EQ(replacement.Begin(dir.File("new")), FileError::kNone);
  struct stat st;
  ASSERT_EQ(::stat(replacement.TemporaryPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  ASSERT_EQ(replacement.Commit(), FileError::kNone);
  ASSERT_EQ(::stat(dir.File("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
}

TEST(FileReplacementTest, TheOwnerIsKeptWhereTheProcessMaySetIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempDir dir;
  WriteFileBytes(dir.File("file"), "old");
  ASSERT_EQ(::chown(dir.File("file").c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(dir.File("file").c_str(), 0640), 0);
  ASSERT_EQ(Replace(dir.File("file"), "new"), FileError::kNone);
  struct stat st;
  ASSERT_EQ(::stat(dir.File("file").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A new file never replaces one that appeared while it was written; the writer may then choose
// another name in the same folder.
TEST(FileReplacementTest, KeepingAnExistingTargetRefusesAndLetsTheWriterMoveOn) {
  TempDir dir;
  FileReplacement replacement(Disk());
  ASSERT_EQ(replacement.Begin(dir.File("a")), FileError::kNone);
  const std::string text = "mine";
  ASSERT_TRUE(replacement.Temporary().WriteAt(0, std::as_bytes(std::span(text.data(), text.size()))));
  WriteFileBytes(dir.File("a"), "theirs");
  EXPECT_EQ(replacement.Commit(ExistingTarget::kKeep), FileError::kExists);
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "theirs");
  EXPECT_EQ(TemporaryNames(dir.path()).size(), 1u);
  WriteFileBytes(dir.File("b"), "taken too");
  EXPECT_EQ(replacement.Retarget(dir.File("b")), FileError::kExists);
  EXPECT_EQ(replacement.Retarget(dir.File("sub/c")), FileError::kNotFound);
  EXPECT_EQ(replacement.Retarget(dir.File("c")), FileError::kNone);
  ASSERT_EQ(replacement.Commit(ExistingTarget::kKeep), FileError::kNone);
  EXPECT_EQ(ReadFileBytes(dir.File("c")), "mine");
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "theirs");
  EXPECT_EQ(ReadFileBytes(dir.File("b")), "taken too");
  EXPECT_TRUE(TemporaryNames(dir.path()).empty());
}

TEST(FileLockTest, ASecondWriterWaitsAtMostItsWait) {
  TempDir dir;
  WriteFileBytes(dir.File("v"), "v");
  LockedFile first = LockFile(Disk(), dir.File("v"), 0ms);
  ASSERT_TRUE(first);
  auto start = std::chrono::steady_clock::now();
  LockedFile second = LockFile(Disk(), dir.File("v"), 150ms);
  EXPECT_FALSE(second);
  EXPECT_EQ(second.error, FileError::kBusy);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  EXPECT_EQ(Replace(dir.File("v"), "new", {true, 50ms}), FileError::kBusy);
  // Without lockTarget the lock is needed only to replace, and the wait runs out there.
  EXPECT_EQ(Replace(dir.File("v"), "new", {false, 50ms}), FileError::kBusy);
  EXPECT_EQ(ReadFileBytes(dir.File("v")), "v");
  EXPECT_TRUE(TemporaryNames(dir.path()).empty());
  first.file.reset();
  EXPECT_TRUE(LockFile(Disk(), dir.File("v"), 0ms));
  EXPECT_EQ(LockFile(Disk(), dir.File("none"), 0ms).error, FileError::kNotFound);
}

// The writer that waited locks what the name names once the first is done, and reads that content:
// the first writer's change is never lost.
TEST(FileLockTest, AWriterThatWaitedWorksOnTheNewContent) {
  TempDir dir;
  WriteFileBytes(dir.File("v"), "one");
  FileReplacement first(Disk());
  ASSERT_EQ(first.Begin(dir.File("v"), {true, 0ms}), FileError::kNone);
  auto second = std::async(std::launch::async, [&] {
    FileReplacement replacement(Disk());
    if (replacement.Begin(dir.File("v"), {true, 5000ms}) != FileError::kNone) return std::string("no lock");
    char read[16] = {};
    auto got = replacement.LockedTarget()->ReadAt(0, std::as_writable_bytes(std::span(read)));
    std::string text = std::string(read, got.value_or(0)) + " three";
    replacement.Temporary().WriteAt(0, std::as_bytes(std::span(text.data(), text.size())));
    return replacement.Commit() == FileError::kNone ? text : std::string("not committed");
  });
  std::this_thread::sleep_for(100ms);  // the second writer is waiting now
  const std::string text = "one two";
  ASSERT_TRUE(first.Temporary().WriteAt(0, std::as_bytes(std::span(text.data(), text.size()))));
  ASSERT_EQ(first.Commit(), FileError::kNone);
  EXPECT_EQ(second.get(), "one two three");
  EXPECT_EQ(ReadFileBytes(dir.File("v")), "one two three");
}

TEST(TemporaryFileTest, IsLockedAndRegisteredWhileItLives) {
  TempDir dir;
  int registered = RegisteredTemporaryFileCount();
  std::string path;
  {
    auto temporary = TemporaryFile::Create(Disk(), dir.path());
    ASSERT_TRUE(temporary);
    path = temporary->path();
    EXPECT_EQ(RegisteredTemporaryFileCount(), registered + 1);
    OpenResult other = Disk().OpenForRead(path);
    ASSERT_TRUE(other);
    EXPECT_EQ(other.file->TryLockExclusive(), LockResult::kBusy);
  }
  EXPECT_EQ(RegisteredTemporaryFileCount(), registered);
  EXPECT_FALSE(Disk().Status(path));
}

// What a signal handler does: every registered file goes, nothing else.
TEST(TemporaryFileRegistryTest, RemovesTheRegisteredFiles) {
  TempDir dir;
  WriteFileBytes(dir.File("registered"), "x");
  WriteFileBytes(dir.File("released"), "x");
  WriteFileBytes(dir.File("other"), "x");
  TemporaryFileRegistration registered(dir.File("registered"));
  TemporaryFileRegistration released(dir.File("released"));
  released.Release();
  EXPECT_TRUE(registered.IsRegistered());
  EXPECT_FALSE(released.IsRegistered());
  RemoveRegisteredTemporaryFiles();
  EXPECT_EQ(ListNames(dir.path()), (std::vector<std::string>{"other", "released"}));
}

TEST(SweepTest, RemovesDeadWritersFilesAndNothingElse) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  // What a killed writer leaves: a file of the pattern that nobody holds.
  tree.Text("01020304.$$$", "stale").Text("595999932767.$$$", "stale too");
  // Not ours, or not files.
  tree.Text("notes.$$$", "keep").Text("0102030.$$$", "keep").Text("a.vkt", "keep").Folder("11111111.$$$");
  tree.Text("target", "keep").Symlink("22222222.$$$", "target").Fifo("33333333.$$$");
  auto live = TemporaryFile::Create(Disk(), dir.path());
  ASSERT_TRUE(live);
  EXPECT_EQ(SweepTemporaryFiles(Disk(), dir.path()), 2u);
  std::vector<std::string> expected = {"0102030.$$$", "11111111.$$$", "22222222.$$$", "33333333.$$$",
                                       BaseNameOf(live->path()), "a.vkt", "notes.$$$", "target"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListNames(dir.path()), expected);
  EXPECT_EQ(ReadFileBytes(dir.File("target")), "keep");
}

// Every replacement sweeps the folder it writes in.
TEST(SweepTest, TheNextWriteInTheFolderSweeps) {
  TempDir dir;
  WriteFileBytes(dir.File("12345678.$$$"), "left by a killed writer");
  auto live = TemporaryFile::Create(Disk(), dir.path());
  ASSERT_TRUE(live);
  ASSERT_EQ(Replace(dir.File("out"), "new"), FileError::kNone);
  EXPECT_EQ(ListNames(dir.path()), (std::vector<std::string>{BaseNameOf(live->path()), "out"}));
}

}  // namespace
}  // namespace volumist::platform
