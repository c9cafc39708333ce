// The file layer: temporary files, buffered reading and the Linux file system.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

#include "platform/buffered_reader.h"
#include "platform/file_system.h"
#include "platform/temporary_file.h"
#include "testing/temp_dir.h"

namespace volumist::platform {
namespace {

using testing::TempDir;

TEST(TemporaryFileTest, NamesFollowThePattern) {
  EXPECT_EQ(MakeTemporaryName(5, 7, 3, 12), "05070312.$$$");
  EXPECT_EQ(MakeTemporaryName(59, 59, 999, 32767), "595999932767.$$$");
}

TEST(TemporaryFileTest, CreatesDistinctNewFilesInTheDirectory) {
  TempDir dir;
  std::set<std::string> names;
  std::vector<TemporaryFile> open;
  for (int i = 0; i < 200; ++i) {
    auto temporary = TemporaryFile::Create(FileSystem::Default(), dir.path());
    ASSERT_TRUE(temporary);
    EXPECT_EQ(DirectoryOf(temporary->path()), dir.path());
    EXPECT_TRUE(std::regex_match(BaseNameOf(temporary->path()), std::regex(R"(\d{8,}\.\$\$\$)")));
    names.insert(temporary->path());
    open.push_back(std::move(*temporary));
  }
  EXPECT_EQ(names.size(), 200u);
  EXPECT_EQ(testing::ListNames(dir.path()).size(), 200u);
}

// A file system on which the first creations find their names taken.
class TakenNames final : public FileSystem {
 public:
  int taken = 0;
  int attempts = 0;
  OpenResult CreateExclusive(const std::string& path, uint32_t mode) override {
    ++attempts;
    if (taken-- > 0) return {nullptr, FileError::kExists};
    return Default().CreateExclusive(path, mode);
  }
  FileError RenameNoReplace(const std::string& a, const std::string& b) override {
    return Default().RenameNoReplace(a, b);
  }
  std::optional<FileStatus> LinkStatus(const std::string& p) override { return Default().LinkStatus(p); }
  std::optional<std::string> ReadLink(const std::string& p) override { return Default().ReadLink(p); }
  std::optional<std::string> RealPath(const std::string& p) override { return Default().RealPath(p); }
  uint32_t NewFileMode() override { return Default().NewFileMode(); }
  OpenResult OpenForRead(const std::string& p) override { return Default().OpenForRead(p); }
  OpenResult OpenForUpdate(const std::string& p) override { return Default().OpenForUpdate(p); }
  bool Rename(const std::string& a, const std::string& b) override { return Default().Rename(a, b); }
  bool Remove(const std::string& p) override { return Default().Remove(p); }
  std::optional<FileStatus> Status(const std::string& p) override { return Default().Status(p); }
  std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& p) override {
    return Default().ListDirectory(p);
  }
  bool CreateDirectory(const std::string& p) override { return Default().CreateDirectory(p); }
  std::optional<std::string> CurrentDirectory() override { return Default().CurrentDirectory(); }
  bool SetCurrentDirectory(const std::string& p) override { return Default().SetCurrentDirectory(p); }
  bool SyncDirectory(const std::string& d) override { return Default().SyncDirectory(d); }
};

TEST(TemporaryFileTest, ATakenNameIsRetriedOtherErrorsAreNot) {
  TempDir dir;
  TakenNames fileSystem;
  fileSystem.taken = 3;
  EXPECT_TRUE(TemporaryFile::Create(fileSystem, dir.path()));
  EXPECT_EQ(fileSystem.attempts, 4);
  fileSystem.attempts = 0;
  EXPECT_FALSE(TemporaryFile::Create(fileSystem, dir.path() + "/missing"));
  EXPECT_EQ(fileSystem.attempts, 1);
}

TEST(FileSystemTest, RenameReplacesTheTargetInOneStep) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("new"), "new");
  testing::WriteFileBytes(dir.File("old"), "old");
  ASSERT_TRUE(FileSystem::Default().Rename(dir.File("new"), dir.File("old")));
  EXPECT_EQ(testing::ReadFileBytes(dir.File("old")), "new");
  EXPECT_EQ(testing::ListNames(dir.path()), std::vector<std::string>{"old"});
}

TEST(FileSystemTest, ErrorsOfOpening) {
  TempDir dir;
  EXPECT_EQ(FileSystem::Default().OpenForRead(dir.File("missing")).error, FileError::kNotFound);
  testing::WriteFileBytes(dir.File("there"), "x");
  EXPECT_EQ(FileSystem::Default().CreateExclusive(dir.File("there")).error, FileError::kExists);
  EXPECT_FALSE(FileSystem::Default().OpenForRead(dir.path()));  // a directory is not a file
}

TEST(FileSystemTest, PositionsBeyondFourGigabytes) {
  TempDir dir;
  auto file = FileSystem::Default().CreateExclusive(dir.File("sparse"));
  ASSERT_TRUE(file);
  const uint64_t far = (uint64_t{5} << 30) + 3;
  std::string data = "beyond";
  ASSERT_TRUE(file.file->WriteAt(far, std::as_bytes(std::span(data))));
  EXPECT_EQ(file.file->Size(), far + data.size());
  BufferedReader reader(*file.file);
  reader.Seek(far);
  char read[6];
  ASSERT_TRUE(reader.Read(read, 6));
  EXPECT_EQ(std::string(read, 6), data);
  EXPECT_TRUE(file.file->Truncate(10));
  EXPECT_EQ(file.file->Size(), 10u);
}

// The count that a scan's progress line shows: every byte read once, from any thread; a read past the
// end counts only what it got.
TEST(FileSystemTest, BytesReadAreCounted) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("f"), std::string(100000, 'x'));
  const uint64_t before = BytesReadSoFar();
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      auto opened = FileSystem::Default().OpenForRead(dir.File("f"));
      ASSERT_TRUE(opened.file);
      std::vector<std::byte> block(1000);
      for (uint64_t at = 0; at < 100000; at += block.size()) EXPECT_EQ(opened.file->ReadAt(at, block), block.size());
    });
  }
  for (std::thread& reader : readers) reader.join();
  auto opened = FileSystem::Default().OpenForRead(dir.File("f"));
  ASSERT_TRUE(opened.file);
  std::vector<std::byte> tail(500);
  EXPECT_EQ(opened.file->ReadAt(99800, tail), 200u);
  // Other tests of this program may read at the same time, never less.
  EXPECT_GE(BytesReadSoFar() - before, 4 * 100000u + 200u);
}

TEST(BufferedReaderTest, ReadsAcrossBufferBoundariesAndStopsAtTheEnd) {
  TempDir dir;
  std::string content;
  for (int i = 0; i < 1000; ++i) content += static_cast<char>(i * 7);
  testing::WriteFileBytes(dir.File("data"), content);
  auto file = FileSystem::Default().OpenForRead(dir.File("data"));
  ASSERT_TRUE(file);
  BufferedReader reader(*file.file, 64);
  EXPECT_EQ(reader.Size(), 1000u);

  std::string got(100, '\0');
  reader.Seek(30);
  ASSERT_TRUE(reader.Read(got.data(), 100));  // crosses the 64-byte buffer
  EXPECT_EQ(got, content.substr(30, 100));
  EXPECT_EQ(reader.Position(), 130u);

  auto view = reader.Take(60);  // needs a refill in the middle
  ASSERT_EQ(view.size(), 60u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data()), 60), content.substr(130, 60));
  EXPECT_TRUE(reader.Take(65).empty());  // larger than the buffer

  reader.Seek(990);
  std::string tail(11, '\0');
  EXPECT_FALSE(reader.Read(tail.data(), 11));
  reader.Seek(990);
  EXPECT_TRUE(reader.Read(tail.data(), 10));
  uint8_t byte;
  EXPECT_FALSE(reader.ReadByte(byte));
  EXPECT_FALSE(reader.Skip(1));
  reader.Seek(5000);
  EXPECT_FALSE(reader.ReadByte(byte));
  EXPECT_EQ(reader.Remaining(), 0u);
  EXPECT_FALSE(reader.HadError());
}

TEST(PathTest, DirectoryAndBaseName) {
  EXPECT_EQ(DirectoryOf("a.vkt"), ".");
  EXPECT_EQ(DirectoryOf("/a.vkt"), "/");
  EXPECT_EQ(DirectoryOf("/x/y/a.vkt"), "/x/y");
  EXPECT_EQ(BaseNameOf("/x/y/a.vkt"), "a.vkt");
  EXPECT_EQ(JoinPath("/x/", "a"), "/x/a");
  EXPECT_EQ(JoinPath("/x", "a"), "/x/a");
}

}  // namespace
}  // namespace volumist::platform
