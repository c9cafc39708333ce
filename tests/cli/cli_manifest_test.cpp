// volumist-cli export --format and diff, end to end on scanned trees: manifests checked by md5sum,
// cksfv and rhash in the scanned folder (accepted, then refused after a byte changed), CSV read back
// by Python's csv module, JSON Lines read by nlohmann::json, and the diff of two scans.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"
#include "../analysis/external_tool.h"

namespace volumist {
namespace {

using testing::CommandResult;

// The JSON Lines of `text`, each parsed (a parse error fails the test by its exception).
std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> values;
  for (const std::string& line : testing::Lines(text)) values.push_back(nlohmann::json::parse(line));
  return values;
}

class CliManifestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TreeBuilder(Src())
        .Text("a.txt", "alpha")
        .Text("docs/b c.txt", "with a blank")
        .Text("docs/\xC3\xBCnicode.txt", "umlaut")
        .File("docs/deep/big.bin", 300000)
        .Text("empty.txt", "");
  }
  std::string Home(const std::string& name) const { return home_.File(name); }
  std::string Src() const { return home_.File("src"); }
  std::string Volume(const std::string& name = "v.vkt") const { return home_.File(name); }

  CommandResult Cli(const std::vector<std::string>& args, const std::string& cwd = "") const {
    testing::CommandOptions options{"",
                                    {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"),
                                     "XDG_DATA_HOME=" + home_.File("data")},
                                    cwd, "", -1};
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, options);
  }
  void Scan(const std::string& volume, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"scan", "--quiet", "--yes", "--signatures", "--file", volume};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(Src());
    CommandResult scan = Cli(args);
    ASSERT_EQ(scan.exitStatus, 0) << scan.err;
  }
  // Runs `program` in the scanned folder.
  CommandResult InSource(const std::string& program, const std::vector<std::string>& args) const {
    return testing::RunCommand(program, args, testing::CommandOptions{"", {}, Src(), "", -1});
  }

  testing::TempDir home_;
};

TEST_F(CliManifestTest, ManifestsAreAcceptedByTheCheckersAndRefusedAfterAByteChanged) {
  Scan(Volume());
  ASSERT_EQ(Cli({"export", "--format", "md5", Volume(), "-o", Home("list.md5")}).exitStatus, 0);
  CommandResult sfv = Cli({"export", Volume(), "--format", "sfv", "-"});
  ASSERT_EQ(sfv.exitStatus, 0) << sfv.err;
  testing::WriteFileBytes(Home("list.sfv"), sfv.out);
  EXPECT_EQ(testing::Lines(testing::ReadFileBytes(Home("list.md5"))).size(), 5u);

  struct Checker {
    std::string program;
    std::vector<std::string> args;
  };
  const Checker checkers[] = {
      {"md5sum", {"-c", Home("list.md5")}},
      {"cksfv", {"-q", "-f", Home("list.sfv")}},
      {"rhash", {"--check", Home("list.md5")}},
      {"rhash", {"--check", Home("list.sfv")}},
  };
  auto runAll = [&](bool expectAccepted) {
    for (const Checker& checker : checkers) {
      SCOPED_TRACE(checker.program + " " + checker.args.back());
      const std::string program = testing::FindProgram(checker.program);
      if (program.empty()) {
        ADD_FAILURE() << checker.program << " is not installed (scripts/install-deps.sh installs it)";
        continue;
      }
      CommandResult result = InSource(program, checker.args);
      if (expectAccepted) {
        EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
      } else {
        EXPECT_NE(result.exitStatus, 0) << result.out << result.err;
      }
    }
  };
  runAll(true);
  // One byte of the big file, same size and time: only the signatures can tell.
  const std::string big = Src() + "/docs/deep/big.bin";
  const auto time = std::filesystem::last_write_time(big);
  {
    std::fstream file(big, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(150000);
    char byte = 0;
    file.read(&byte, 1);
    file.seekp(150000);
    byte = static_cast<char>(byte ^ 0x01);
    file.write(&byte, 1);
  }
  std::filesystem::last_write_time(big, time);
  runAll(false);
}

TEST_F(CliManifestTest, AwkwardNamesReadBackAsMd5sumWritesThem) {
  testing::TreeBuilder(Src()).Text("back\\slash.txt", "b").Text("line\nbreak.txt", "l").Text("cr\rname", "c");
  Scan(Volume());
  CommandResult md5 = Cli({"export", "--format", "md5", Volume()});
  ASSERT_EQ(md5.exitStatus, 0) << md5.err;
  testing::WriteFileBytes(Home("list.md5"), md5.out);
  // Our lines are md5sum's own lines for the same files.
  CommandResult own = InSource("/usr/bin/md5sum", {"back\\slash.txt", "line\nbreak.txt", "cr\rname"});
  for (const std::string& line : testing::Lines(own.out)) {
    EXPECT_NE(md5.out.find(line + "\n"), std::string::npos) << line << " in\n" << md5.out;
  }
  CommandResult check = InSource("/usr/bin/md5sum", {"-c", "--strict", Home("list.md5")});
  EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;

  // SFV has no form for a line break: those two are left out, and stderr says so.
  CommandResult sfv = Cli({"export", "--format", "sfv", Volume(), "-o", Home("list.sfv")});
  EXPECT_EQ(sfv.exitStatus, 0);
  EXPECT_NE(sfv.err.find("2 file(s) left out"), std::string::npos) << sfv.err;
  const std::string cksfv = testing::FindProgram("cksfv");
  if (cksfv.empty()) GTEST_SKIP() << "cksfv is not installed";
  CommandResult checked = InSource(cksfv, {"-q", "-f", Home("list.sfv")});
  EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
}

TEST_F(CliManifestTest, FilesWithoutSignaturesAreLeftOutAndCounted) {
  Scan(Volume(), {"--signatures=crc32"});
  CommandResult md5 = Cli({"export", "--format", "md5", Volume()});
  EXPECT_EQ(md5.exitStatus, 1);
  EXPECT_EQ(md5.out, "");
  EXPECT_NE(md5.err.find("5 file(s) left out: no MD5 signature recorded"), std::string::npos) << md5.err;
  EXPECT_NE(md5.err.find("no file has its MD5 signature recorded"), std::string::npos) << md5.err;
  CommandResult sfv = Cli({"export", "--format", "sfv", Volume()});
  EXPECT_EQ(sfv.exitStatus, 0) << sfv.err;
  EXPECT_EQ(sfv.err, "");
}

TEST_F(CliManifestTest, ArchiveMembersAreNotListedAsFilesOnTheDisk) {
  const std::string zip = testing::FindProgram("zip");
  if (zip.empty()) GTEST_SKIP() << "zip is not installed (scripts/install-deps.sh installs it)";
  CommandResult zipped = InSource(zip, {"-q", "-r", "pack.zip", "docs"});
  ASSERT_EQ(zipped.exitStatus, 0) << zipped.err;
  Scan(Volume(), {"--archives=zip"});
  CommandResult md5 = Cli({"export", "--format", "md5", Volume()});
  ASSERT_EQ(md5.exitStatus, 0) << md5.err;
  // The archive is a file on the disk; its members are not.
  EXPECT_NE(md5.out.find("  pack.zip\n"), std::string::npos) << md5.out;
  EXPECT_EQ(md5.out.find("pack.zip/"), std::string::npos) << md5.out;
  testing::WriteFileBytes(Home("list.md5"), md5.out);
  EXPECT_EQ(InSource("/usr/bin/md5sum", {"-c", "--strict", Home("list.md5")}).exitStatus, 0);

  CommandResult inside = Cli({"export", "--format", "md5", Volume(), "src/pack.zip"});
  EXPECT_EQ(inside.exitStatus, 1);
  EXPECT_EQ(inside.out, "");
  EXPECT_NE(inside.err.find("archive members are not files on the disk"), std::string::npos) << inside.err;
  // CSV lists them with --archive-content.
  CommandResult csv = Cli({"export", "--format", "csv", "--archive-content", Volume(), "src/pack.zip"});
  EXPECT_EQ(csv.exitStatus, 0) << csv.err;
  EXPECT_NE(csv.out.find(",src/pack.zip/docs/b c.txt,"), std::string::npos) << csv.out;
}

TEST_F(CliManifestTest, CsvReadsBackThroughPythonsCsvModule) {
  testing::TreeBuilder(Src())
      .Text("comma, and \"quotes\".txt", "q")
      .Text("two\nlines.txt", "2")
      .Text("caf\xE9.txt", "latin-1");
  Scan(Volume());
  CommandResult csv = Cli({"export", "--format", "csv", "--columns", "path,size", Volume(), "-"});
  ASSERT_EQ(csv.exitStatus, 0) << csv.err;
  const std::string python = testing::FindProgram("python3");
  if (python.empty()) GTEST_SKIP() << "python3 is not installed (scripts/install-deps.sh installs it)";
  // Python reads the CSV strictly and hands the rows back as JSON.
  CommandResult rows = testing::RunCommand(
      python,
      {"-c",
       "import csv, io, json, sys\n"
       "data = sys.stdin.buffer.read().decode('utf-8')\n"
       "print(json.dumps(list(csv.reader(io.StringIO(data, newline=''), strict=True))))\n"},
      csv.out);
  ASSERT_EQ(rows.exitStatus, 0) << rows.err;
  nlohmann::json table = nlohmann::json::parse(rows.out);
  ASSERT_GE(table.size(), 2u);
  EXPECT_EQ(table[0], nlohmann::json({"Kind", "Name", "Full path", "Size", "CRC32", "MD4", "MD5"}));
  std::map<std::string, nlohmann::json> byPath;
  for (size_t i = 1; i < table.size(); ++i) {
    ASSERT_EQ(table[i].size(), 7u) << table[i];
    byPath[table[i][2].get<std::string>()] = table[i];
  }
  struct Case {
    std::string path;
    std::string name;
    std::string size;
  };
  const Case cases[] = {
      {"src/comma, and \"quotes\".txt", "comma, and \"quotes\".txt", "1"},
      {"src/two\\x0alines.txt", "two\nlines.txt", "1"},
      // Bytes that are not UTF-8: U+FFFD in the name, the byte itself in the path.
      {"src/caf\\xe9.txt", "caf\xEF\xBF\xBD.txt", "7"},
      {"src/docs/deep/big.bin", "big.bin", "300000"},
      {"src/docs", "docs", "300018"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.path);
    ASSERT_TRUE(byPath.count(test.path));
    EXPECT_EQ(byPath[test.path][1], test.name);
    EXPECT_EQ(byPath[test.path][3], test.size);
  }
  EXPECT_EQ(byPath["src/docs/deep/big.bin"][0], "file");
  EXPECT_EQ(byPath["src/docs"][0], "folder");
  EXPECT_EQ(byPath["src/docs"][4], "");
}

TEST_F(CliManifestTest, JsonLinesParseWithEscapedNames) {
  testing::TreeBuilder(Src()).Text("caf\xE9.txt", "latin-1");
  Scan(Volume());
  ASSERT_EQ(Cli({"describe", Volume(), "src/a.txt", "first \"letter\""}).exitStatus, 0);
  CommandResult json = Cli({"export", "--format", "json", Volume(), "src"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  std::map<std::string, nlohmann::json> byPath;
  for (const nlohmann::json& item : JsonLines(json.out)) byPath[item.at("path").get<std::string>()] = item;
  ASSERT_EQ(byPath.size(), 8u) << json.out;  // the folders docs and deep, and six files
  const nlohmann::json& latin = byPath.at("src/caf\\xe9.txt");
  EXPECT_EQ(latin.at("name"), "caf\\xe9.txt");
  EXPECT_EQ(latin.at("nameEscaped"), true);
  const nlohmann::json& a = byPath.at("src/a.txt");
  EXPECT_EQ(a.at("name"), "a.txt");
  EXPECT_FALSE(a.contains("nameEscaped"));
  EXPECT_EQ(a.at("description"), "first \"letter\"");
  EXPECT_EQ(a.at("size"), 5);
  EXPECT_EQ(a.at("md5"), testing::Lines(InSource("/usr/bin/md5sum", {"a.txt"}).out).at(0).substr(0, 32));
  EXPECT_EQ(byPath.at("src/docs").at("kind"), "folder");
}

TEST_F(CliManifestTest, WrongUsageIsRefused) {
  Scan(Volume());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"export", "--format", "sha1", Volume()},
           {"export", "--format", "md5"},
           {"export", "--format", "md5", Volume(), "src", "extra"},
           {"export", "--format", "md5", Volume(), "-o", Home("x"), "-"},
           {"export", "--format", "md5", Volume(), "src", "--folder", "src"},
           {"export", Volume()},
           {"diff", Volume()},
           {"diff", "--bogus", Volume(), Volume()}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    CommandResult result = Cli(args);
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_NE(result.err.find("usage: volumist-cli " + args[0]), std::string::npos) << result.err;
  }
  // The XML export's form is as it was.
  ASSERT_EQ(Cli({"export", Volume(), Home("out.xml")}).exitStatus, 0);
  EXPECT_EQ(testing::ReadFileBytes(Home("out.xml")).substr(0, 21), "<?xml version=\"1.0\"?>");
}

TEST_F(CliManifestTest, DiffListsTheChangesBetweenTwoScans) {
  Scan(Volume("before.vkt"));
  std::filesystem::create_directory(Src() + "/moved");
  std::filesystem::rename(Src() + "/a.txt", Src() + "/moved/a.txt");
  std::filesystem::remove(Src() + "/empty.txt");
  testing::TreeBuilder(Src()).Text("added.txt", "new one");
  // Same size and time, other content.
  const std::string changed = Src() + "/docs/b c.txt";
  const auto time = std::filesystem::last_write_time(changed);
  testing::WriteFileBytes(changed, "WITH A BLANK");
  std::filesystem::last_write_time(changed, time);
  Scan(Volume("after.vkt"));

  CommandResult text = Cli({"diff", Volume("before.vkt"), Volume("after.vkt")});
  EXPECT_EQ(text.exitStatus, 1) << text.err;
  // The items in the order the scans met them (the folder's listing order): compared as a set.
  std::vector<std::string> lines = testing::Lines(text.out);
  ASSERT_EQ(lines.size(), 12u) << text.out;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
            (std::vector<std::string>{"first: " + Volume("before.vkt"), "second: " + Volume("after.vkt"),
                                      "source: src\tcompared"}));
  std::vector<std::string> items(lines.begin() + 3, lines.begin() + 8);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::string>{"added\tfile\tsrc/added.txt", "added\tfolder\tsrc/moved",
                                             "changed\tfile\tsrc/docs/b c.txt\tcontent",
                                             "moved\tfile\tsrc/a.txt\tsrc/moved/a.txt", "removed\tfile\tsrc/empty.txt"}));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 8, lines.end()),
            (std::vector<std::string>{"added: 1 folder(s), 1 file(s)", "removed: 0 folder(s), 1 file(s)", "changed: 1",
                                      "moved: 1"}));

  CommandResult json = Cli({"diff", "--json", Volume("before.vkt"), Volume("after.vkt")});
  EXPECT_EQ(json.exitStatus, 1);
  std::vector<nlohmann::json> objects = JsonLines(json.out);
  ASSERT_EQ(objects.size(), 6u) << json.out;
  std::map<std::string, nlohmann::json> byChange;
  for (size_t i = 0; i + 1 < objects.size(); ++i) {
    byChange[objects[i].at("change").get<std::string>() + " " + objects[i].at("path").get<std::string>()] = objects[i];
  }
  std::vector<std::string> changes;
  for (const auto& [key, value] : byChange) changes.push_back(key);
  EXPECT_EQ(changes, (std::vector<std::string>{"added src/added.txt", "added src/moved", "changed src/docs/b c.txt",
                                               "moved src/moved/a.txt", "removed src/empty.txt"}));
  EXPECT_EQ(byChange["changed src/docs/b c.txt"].at("changes"), nlohmann::json({"content"}));
  EXPECT_EQ(byChange["moved src/moved/a.txt"].at("oldPath"), "src/a.txt");
  EXPECT_EQ(byChange["moved src/moved/a.txt"].at("newSize"), 5);
  EXPECT_EQ(byChange["removed src/empty.txt"].at("oldSize"), 0);
  EXPECT_FALSE(byChange["removed src/empty.txt"].contains("newSize"));
  const nlohmann::json& summary = objects.back();
  EXPECT_EQ(summary.at("change"), "summary");
  EXPECT_EQ(summary.at("equal"), false);
  EXPECT_EQ(summary.at("added"), nlohmann::json({{"folders", 1}, {"files", 1}}));
  EXPECT_EQ(summary.at("removed"), nlohmann::json({{"folders", 0}, {"files", 1}}));
  EXPECT_EQ(summary.at("changed"), 1);
  EXPECT_EQ(summary.at("moved"), 1);

  // The same volume twice: equal, status 0; a file that is no volume: status 2.
  CommandResult same = Cli({"diff", "--json", Volume("after.vkt"), Volume("after.vkt")});
  EXPECT_EQ(same.exitStatus, 0);
  EXPECT_EQ(JsonLines(same.out).back().at("equal"), true);
  testing::WriteFileBytes(Home("junk.vkt"), "junk");
  EXPECT_EQ(Cli({"diff", Volume("after.vkt"), Home("junk.vkt")}).exitStatus, 2);
}

}  // namespace
}  // namespace volumist
