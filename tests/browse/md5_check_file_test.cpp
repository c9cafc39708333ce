// "Create MD5 check file": the lines of a list's files in md5sum's form, escaped names, and a file
// written from digests of real files that md5sum itself checks (and rejects once a file changed).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "analysis/external_tool.h"
#include "analysis/file_signatures.h"
#include "browse/md5_check_file.h"
#include "browse/messages.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"

namespace volumist::browse {
namespace {

ItemRow Hashed(std::string name, uint8_t first, RowKind kind = RowKind::kFile) {
  ItemRow row;
  row.kind = kind;
  row.name = std::move(name);
  row.hasSignatures = true;
  row.signatures.hasMd5 = true;
  row.signatures.md5[0] = first;
  return row;
}

TEST(Md5CheckFileTest, LinesInTheFormMd5sumReads) {
  ItemRow noMd5 = Hashed("no-md5.bin", 0);
  noMd5.signatures.hasMd5 = false;
  ItemRow attributesOnly = Hashed("attributes.bin", 0);
  attributesOnly.hasSignatures = false;
  std::vector<ItemRow> rows = {UpRow(0, 5), Hashed("folder", 1, RowKind::kFolder), Hashed("a b.txt", 0xab),
                               noMd5, attributesOnly, Hashed("pack.zip", 0x01, RowKind::kArchive),
                               Hashed("back\\slash", 0x02), Hashed("new\nline\r", 0x03)};
  Md5CheckList list = MakeMd5CheckList(rows);
  EXPECT_EQ(list.files, 4);
  EXPECT_EQ(list.text,
            "ab000000000000000000000000000000  a b.txt\n"
            "01000000000000000000000000000000  pack.zip\n"
            "\\02000000000000000000000000000000  back\\\\slash\n"
            "\\03000000000000000000000000000000  new\\nline\\r\n");
}

TEST(Md5CheckFileTest, NothingToWriteSaysSo) {
  ::volumist::testing::TempDir dir;
  ::volumist::testing::RecordingPrompter prompter;
  std::vector<ItemRow> rows = {UpRow(0, 5)};
  EXPECT_FALSE(WriteMd5CheckFile(platform::FileSystem::Default(), prompter, dir.File("x.md5"), rows));
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_EQ(prompter.entries[0].text, messages::kNoMd5InList);
  EXPECT_TRUE(::volumist::testing::ListNames(dir.path()).empty());
  // A folder where the file should go cannot be replaced.
  prompter.entries.clear();
  rows.push_back(Hashed("a", 1));
  std::filesystem::create_directory(dir.File("taken.md5"));
  EXPECT_FALSE(WriteMd5CheckFile(platform::FileSystem::Default(), prompter, dir.File("taken.md5"), rows));
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_EQ(prompter.entries[0].text, messages::kMd5CheckFileNotWritten);
}

TEST(Md5CheckFileTest, Md5sumChecksTheFilesAgainstIt) {
  std::string md5sum = ::volumist::testing::FindProgram("md5sum");
  if (md5sum.empty()) GTEST_SKIP() << "md5sum (coreutils) is not installed";
  ::volumist::testing::TempDir dir;
  const std::vector<std::string> names = {"plain.txt", "with space.txt", "-rf", "back\\slash", "new\nline", "cr\rname", "empty"};
  std::vector<ItemRow> rows;
  for (size_t i = 0; i < names.size(); ++i) {
    std::ofstream(dir.File(names[i]), std::ios::binary) << std::string(i * 1000, static_cast<char>('a' + i));
    ItemRow row;
    row.kind = RowKind::kFile;
    row.name = names[i];
    row.hasSignatures = true;
    ASSERT_EQ(ComputeFileSignatures(dir.File(names[i]), DigestChoice{false, false, true}, row.signatures), DigestOutcome::kDone);
    rows.push_back(row);
  }
  ::volumist::testing::RecordingPrompter prompter;
  ASSERT_TRUE(WriteMd5CheckFile(platform::FileSystem::Default(), prompter, dir.File("sums.md5"), rows));
  EXPECT_TRUE(prompter.entries.empty());
  ::volumist::testing::CommandOptions in;
  in.workingDirectory = dir.path();
  ::volumist::testing::CommandResult checked = ::volumist::testing::RunCommand(md5sum, {"-c", "sums.md5"}, in);
  EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
  // A changed file fails the check.
  std::ofstream(dir.File("plain.txt"), std::ios::app) << "changed";
  checked = ::volumist::testing::RunCommand(md5sum, {"-c", "sums.md5"}, in);
  EXPECT_NE(checked.exitStatus, 0);
  EXPECT_NE(checked.out.find("plain.txt: FAILED"), std::string::npos) << checked.out;
}

}  // namespace
}  // namespace volumist::browse
