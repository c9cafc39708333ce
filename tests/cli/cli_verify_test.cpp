// volumist-cli verify: its report after each kind of change to a scanned tree, its JSON Lines (parsed,
// with names that are not UTF-8), its exit statuses and Ctrl-C.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/file_signatures.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::CommandResult;
using testing::TempDir;

constexpr int64_t kThen = 1262304000;  // 2010-01-01 00:00 UTC

void SetTime(const std::string& path, int64_t seconds) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines of a text report that list differences, sorted (the walk's order is the disk's).
std::vector<std::string> DifferenceLines(const std::string& out) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(out)) {
    for (const char* word : {"changed\t", "content\t", "missing\t", "new\t", "unreadable\t"}) {
      if (line.starts_with(word)) lines.push_back(line);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class CliVerifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TreeBuilder(source_.path())
        .File("same.txt", 4000, kThen)
        .File("flip.bin", 70000, kThen)
        .File("cut.bin", 9000, kThen)
        .File("docs/gone.txt", 300, kThen)
        .File("docs/closed.txt", 500, kThen)
        .File("docs/kept.txt", 600, kThen);
  }

  std::vector<std::string> Environment() const {
    return {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"), "XDG_DATA_HOME=" + home_.File("data")};
  }
  CommandResult Cli(const std::vector<std::string>& args, int user = -1) const {
    testing::CommandOptions options;
    options.environment = Environment();
    options.user = user;
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, options);
  }
  std::string Volume() const { return out_.File("v.vkt"); }

  void Scan(const std::string& name = "Src") {
    CommandResult scan =
        Cli({"scan", "--yes", "--quiet", "--signatures", "--file", Volume(), name + "=" + source_.path()});
    ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  }

  // One byte of flip.bin changes (size and time kept), cut.bin loses its end, docs/gone.txt goes,
  // added.txt comes.
  void ChangeTree() {
    std::string bytes = testing::ReadFileBytes(source_.File("flip.bin"));
    bytes[65536] = static_cast<char>(bytes[65536] ^ 1);
    testing::WriteFileBytes(source_.File("flip.bin"), bytes);
    SetTime(source_.File("flip.bin"), kThen);
    std::filesystem::resize_file(source_.File("cut.bin"), 8000);
    SetTime(source_.File("cut.bin"), kThen);
    std::filesystem::remove(source_.File("docs/gone.txt"));
    testing::TreeBuilder(source_.path()).File("added.txt", 10, kThen);
  }

  TempDir source_;
  TempDir out_;
  TempDir home_;
};

TEST_F(CliVerifyTest, ReportsEveryKindOfDifferenceWithItsDetails) {
  Scan();
  ChangeTree();
  // A file that cannot be read: as root permissions do not hold, so the check runs as "nobody".
  ASSERT_EQ(::chmod(source_.File("docs/closed.txt").c_str(), 0), 0);
  int user = -1;
  if (::geteuid() == 0) {
    user = 65534;
    for (const TempDir* dir : {&source_, &out_, &home_}) {
      ASSERT_EQ(::chmod(dir->path().c_str(), dir == &source_ ? 0755 : 0777), 0);
    }
    ASSERT_EQ(::chmod(source_.File("docs").c_str(), 0755), 0);
  }
  CommandResult verify = Cli({"verify", Volume()}, user);
  EXPECT_EQ(verify.exitStatus, 1) << verify.err;
  const std::vector<std::string> expected = {
      "changed\tfile\tSrc/cut.bin\tsize 9000 -> 8000",
      "content\tfile\tSrc/flip.bin\tcontent differs (crc32,md4,md5)",
      "missing\tfile\tSrc/docs/gone.txt",
      "new\tfile\tSrc/added.txt",
      "unreadable\tfile\tSrc/docs/closed.txt\tcannot be opened",
  };
  EXPECT_EQ(DifferenceLines(verify.out), expected) << verify.out;
  const std::vector<std::string> lines = SplitLines(verify.out);
  for (const std::string& line :
       {"source: Src\t" + source_.path() + "\tverified", std::string("same: 3"), std::string("changed: 1"),
        std::string("content changed: 1"), std::string("missing: 1"), std::string("unreadable: 1"),
        std::string("new: 1"), std::string("absent sources: 0"), std::string("result: differences")}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << " in\n" << verify.out;
  }
}

TEST_F(CliVerifyTest, ExitStatusTellsMatchDifferenceAndTrouble) {
  Scan();
  TempDir elsewhere;
  std::filesystem::copy(source_.path(), elsewhere.File("copy"), std::filesystem::copy_options::recursive);
  for (const char* name : {"same.txt", "flip.bin", "cut.bin", "docs/gone.txt", "docs/closed.txt", "docs/kept.txt"}) {
    SetTime(elsewhere.File("copy/") + name, kThen);
  }
  testing::WriteFileBytes(out_.File("junk.vkt"), "not a volume at all");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string result;  // the report's last line, when there is a report
  };
  const std::vector<Case> cases = {
      {{"verify", Volume()}, 0, "result: match"},
      {{"verify", Volume(), "Src=" + elsewhere.File("copy")}, 0, "result: match"},
      {{"verify", Volume(), "Src=" + elsewhere.File("nothing")}, 1, "result: differences"},
      {{"verify", Volume(), "Other=" + elsewhere.File("copy")}, 2, ""},
      {{"verify", Volume(), "Src"}, 2, ""},
      {{"verify", "--fast", Volume()}, 2, ""},
      {{"verify"}, 2, ""},
      {{"verify", out_.File("junk.vkt")}, 2, ""},
      {{"verify", out_.File("absent.vkt")}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    CommandResult result = Cli(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << result.err;
    if (c.result.empty()) {
      EXPECT_EQ(result.out, "");
      EXPECT_NE(result.err, "");
    } else {
      std::vector<std::string> lines = SplitLines(result.out);
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), c.result);
    }
  }
  CommandResult absent = Cli({"verify", Volume(), "Src=" + elsewhere.File("nothing")});
  EXPECT_NE(absent.err.find("source Src is not present"), std::string::npos) << absent.err;
  EXPECT_NE(absent.out.find("absent sources: 1\n"), std::string::npos) << absent.out;
}

// The source's name and a file's name hold bytes that are not UTF-8: every line still parses, the
// name comes escaped with its flag and the path in the escaped path form.
TEST_F(CliVerifyTest, JsonLinesParseAndCarryEscapedNames) {
  testing::TreeBuilder(source_.path()).File("caf\xE9.txt", 5, kThen);
  Scan("Sr\xFF");
  ChangeTree();
  std::filesystem::remove(source_.File("caf\xE9.txt"));
  CommandResult verify = Cli({"verify", "--json", Volume()});
  EXPECT_EQ(verify.exitStatus, 1) << verify.err;
  std::vector<nlohmann::json> objects;
  for (const std::string& line : SplitLines(verify.out)) {
    ASSERT_TRUE(nlohmann::json::accept(line)) << line;
    objects.push_back(nlohmann::json::parse(line));
  }
  ASSERT_GE(objects.size(), 2u);
  const nlohmann::json& source = objects.front();
  EXPECT_EQ(source["type"], "source");
  EXPECT_EQ(source["name"], "Sr\\xff");
  EXPECT_EQ(source["nameEscaped"], true);
  EXPECT_EQ(source["state"], "verified");
  EXPECT_EQ(source["diskPath"], source_.path());

  std::vector<std::string> found;
  for (const nlohmann::json& object : objects) {
    if (object["type"] != "difference") continue;
    EXPECT_EQ(object["source"], "Sr\\xff");
    EXPECT_EQ(object["sourceEscaped"], true);
    found.push_back(object["finding"].get<std::string>() + " " + object["path"].get<std::string>());
    if (object["finding"] == "contentChanged") {
      EXPECT_EQ(object["digests"], nlohmann::json({"crc32", "md4", "md5"}));
      EXPECT_EQ(object["changes"], nlohmann::json({"content"}));
      EXPECT_EQ(object["oldSize"], 70000);
      EXPECT_EQ(object["newSize"], 70000);
      EXPECT_EQ(object["oldTime"], kThen);
    }
    if (object["finding"] == "changed") {
      EXPECT_EQ(object["changes"], nlohmann::json({"size"}));
      EXPECT_EQ(object["oldSize"], 9000);
      EXPECT_EQ(object["newSize"], 8000);
    }
  }
  std::sort(found.begin(), found.end());
  const std::vector<std::string> expected = {
      "changed Sr\\xff/cut.bin", "contentChanged Sr\\xff/flip.bin", "missing Sr\\xff/caf\\xe9.txt",
      "missing Sr\\xff/docs/gone.txt", "new Sr\\xff/added.txt"};
  EXPECT_EQ(found, expected);

  const nlohmann::json& summary = objects.back();
  EXPECT_EQ(summary["type"], "summary");
  EXPECT_EQ(summary["result"], "differences");
  EXPECT_EQ(summary["changed"], 1);
  EXPECT_EQ(summary["contentChanged"], 1);
  EXPECT_EQ(summary["missing"], 2);
  EXPECT_EQ(summary["new"], 1);
  EXPECT_EQ(summary["unreadable"], 0);
  EXPECT_EQ(summary["same"], 4);
  // Read: the files of the volume's size still there (flip.bin, same.txt and docs' two).
  EXPECT_EQ(summary["bytesRead"], 70000 + 4000 + 500 + 600);
}

// A large file being read when Ctrl-C comes: the verification stops within a block, says so and
// ends with 130. The volume is written from memory so that the file need not be read to scan it; on
// disk it is sparse, and far too large to be read in the test's time.
TEST_F(CliVerifyTest, InterruptStopsCleanly) {
  constexpr uint64_t kHuge = uint64_t{64} << 30;
  testing::MemorySource source;
  testing::MemoryNode huge = testing::MemoryNode::File("huge", ".bin", kHuge, kThen);
  huge.hasSignatures = true;
  huge.signatures.hasMd5 = true;
  source.children = {huge};
  testing::RecordingPrompter prompter;
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Volume(), "Huge", {true}), {source}, prompter));
  TempDir disk;
  {
    const std::string path = disk.File("huge.bin");
    testing::WriteFileBytes(path, "");
    std::filesystem::resize_file(path, kHuge);
    SetTime(path, kThen);
  }
  const auto start = std::chrono::steady_clock::now();
  CommandResult result = testing::RunCommandInterrupted(VOLUMIST_CLI_PATH, {"verify", Volume(), "Source0=" + disk.path()},
                                                        500, Environment());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(result.exitStatus, 130) << result.err;
  EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("result: interrupted\n"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace volumist
