// --json of info, ls and volumes, read back with a JSON parser: the members, their order and
// types, names that are not UTF-8 (escaped, flagged, and unescaped to the original bytes), and
// whether each volume's disks are present now.
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "cli/json_lines.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::MemberNames;
using testing::MemoryNode;
using testing::MemorySource;
using testing::OrderedJson;
using testing::ParseJsonLines;
using testing::TextMember;

const std::string kLatin1Volume = "Caf\xE9 disk";        // "Café disk" in Latin-1
const std::string kLatin1File = "r\xE9sum\xE9";          // "résumé"
const std::string kControlFile = "bell\x07";             // a control byte

class CliJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(Vols());
    MemorySource source;
    source.children = {MemoryNode::Folder("docs", {MemoryNode::File(kLatin1File, ".txt", 1234, 1070633220),
                                                   MemoryNode::File(kControlFile, "", 5, 0)}),
                       MemoryNode::File("plain", ".txt", 10, 1000000000)};
    testing::RecordingPrompter prompter;
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(Vols() + "/latin.vkt", kLatin1Volume, {true}), {source}, prompter));
  }

  std::string Vols() const { return home_.File("vols"); }

  testing::CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", Vols()});
    return testing::RunCommand(VOLUMIST_CLI_PATH, args, "",
                               {"TZ=UTC", "XDG_CONFIG_HOME=" + home_.File("config"),
                                "XDG_DATA_HOME=" + home_.File("data")});
  }

  // The `volumes --json` object of the file `fileName`.
  OrderedJson VolumeLine(const std::string& fileName) {
    auto result = Cli({"volumes", "--json"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const OrderedJson& volume : ParseJsonLines(result.out)) {
      if (volume["file"] == fileName) return volume;
    }
    ADD_FAILURE() << "no " << fileName << " in\n" << result.out;
    return OrderedJson::object();
  }

  testing::TempDir home_;
};

TEST_F(CliJsonTest, InfoIsOneDocument) {
  auto result = Cli({"info", "--json", "latin.vkt"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  OrderedJson info = OrderedJson::parse(result.out, nullptr, false);
  ASSERT_FALSE(info.is_discarded()) << result.out;
  EXPECT_EQ(MemberNames(info),
            (std::vector<std::string>{"file", "name", "nameEscaped", "fileSize", "modified", "modifiedIso",
                                      "contentSize", "folders", "files", "archives", "totalFolders", "totalFiles",
                                      "tree", "descriptions", "options", "sources", "damage"}));
  EXPECT_EQ(TextMember(info, "file"), Vols() + "/latin.vkt");
  EXPECT_EQ(info["nameEscaped"], true);
  EXPECT_EQ(TextMember(info, "name"), kLatin1Volume);
  EXPECT_EQ(info["fileSize"], std::filesystem::file_size(Vols() + "/latin.vkt"));
  EXPECT_EQ(info["contentSize"], 1234 + 5 + 10);
  EXPECT_EQ(info["files"], 3);
  EXPECT_TRUE(info["damage"].is_null());
  EXPECT_TRUE(info["tree"]["start"].is_number_unsigned());
  ASSERT_EQ(info["sources"].size(), 1u);
  const OrderedJson& source = info["sources"][0];
  EXPECT_EQ(source["name"], "Source0");
  EXPECT_EQ(source["kind"], "folder");
  EXPECT_EQ(source["rootPath"], "/source0");
  EXPECT_TRUE(source["serialNumber"].is_number_unsigned());

  // The text form gives the same values.
  auto text = Cli({"info", "latin.vkt"});
  for (const std::string& line : {std::string("files: 3"), "folders in total: " + info["totalFolders"].dump(),
                                  "content size: " + info["contentSize"].dump()}) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(Cli({"info", "--jsn", "latin.vkt"}).exitStatus, 2);
}

TEST_F(CliJsonTest, LsWritesOneItemPerLine) {
  auto result = Cli({"ls", "-R", "--json", "latin.vkt"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::vector<OrderedJson> items = ParseJsonLines(result.out);
  // The same items, in the same order, as the text listing.
  std::vector<std::string> lines = Lines(Cli({"ls", "-R", "latin.vkt"}).out);
  ASSERT_EQ(items.size(), lines.size()) << result.out;
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_TRUE(lines[i].ends_with("\t" + items[i]["path"].get<std::string>())) << lines[i];
  }
  std::map<std::string, OrderedJson> byName;
  for (const OrderedJson& item : items) byName[TextMember(item, "name")] = item;

  struct Case {
    std::string name;  // the original bytes
    const char* kind;
    bool escaped;
    uint64_t size;
    bool hasTime;
  } cases[] = {
      {"Source0", "folder", false, 1249, false},
      {"docs", "folder", false, 1239, false},
      {kLatin1File + ".txt", "file", true, 1234, true},
      {kControlFile, "file", true, 5, true},
      {"plain.txt", "file", false, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(byName.contains(c.name));
    const OrderedJson& item = byName[c.name];
    EXPECT_EQ(item["kind"], c.kind);
    EXPECT_EQ(item.contains("nameEscaped"), c.escaped);
    EXPECT_EQ(item["size"], c.size);
    EXPECT_EQ(item.contains("time"), c.hasTime);
    EXPECT_EQ(item.contains("timeIso"), c.hasTime);
    // The path is in the form every command takes back.
    auto itself = Cli({"ls", "-d", "--json", "latin.vkt", item["path"].get<std::string>()});
    ASSERT_EQ(itself.exitStatus, 0) << itself.err;
    std::vector<OrderedJson> again = ParseJsonLines(itself.out);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0], item);
  }
  const OrderedJson& resume = byName[kLatin1File + ".txt"];
  EXPECT_EQ(resume["time"], 1070633220);
  EXPECT_EQ(resume["timeIso"], "2003-12-05T14:07:00Z");
  EXPECT_EQ(MemberNames(resume),
            (std::vector<std::string>{"kind", "path", "name", "nameEscaped", "size", "time", "timeIso"}));
}

TEST_F(CliJsonTest, VolumesSayWhetherTheirDisksArePresent) {
  // A volume scanned from a folder that exists, on the disk it was scanned from.
  const std::string folder = home_.File("photos");
  std::filesystem::create_directories(folder + "/2024");
  testing::WriteFileBytes(folder + "/2024/a.jpg", "picture");
  auto scan = Cli({"scan", "--name", "Photos", "--file", "photos.vkt", folder});
  ASSERT_EQ(scan.exitStatus, 0) << scan.err << scan.out;

  OrderedJson photos = VolumeLine("photos.vkt");
  EXPECT_EQ(MemberNames(photos),
            (std::vector<std::string>{"name", "file", "volumeFile", "size", "created", "createdIso", "modified",
                                      "modifiedIso", "presence", "sources"}));
  EXPECT_EQ(photos["presence"], "present");
  ASSERT_EQ(photos["sources"].size(), 1u);
  const OrderedJson& source = photos["sources"][0];
  EXPECT_EQ(MemberNames(source),
            (std::vector<std::string>{"name", "kind", "rootPath", "presence", "mountPoint", "currentPath"}));
  EXPECT_EQ(source["presence"], "present");
  EXPECT_EQ(TextMember(source, "currentPath"), folder);
  EXPECT_TRUE(folder.starts_with(TextMember(source, "mountPoint")));

  // The volume whose name is not UTF-8 has a folder source that does not exist.
  OrderedJson latin = VolumeLine("latin.vkt");
  EXPECT_EQ(latin["nameEscaped"], true);
  EXPECT_EQ(TextMember(latin, "name"), kLatin1Volume);
  EXPECT_EQ(latin["presence"], "absent");
  ASSERT_EQ(latin["sources"].size(), 1u);
  EXPECT_EQ(latin["sources"][0]["presence"], "missing");
  EXPECT_FALSE(latin["sources"][0].contains("mountPoint"));

  // A file with the volume magic but no header that can be read is listed, its presence unknown.
  testing::WriteFileBytes(Vols() + "/cut.vkt", testing::ReadFileBytes(Vols() + "/latin.vkt").substr(0, 12));
  OrderedJson cut = VolumeLine("cut.vkt");
  EXPECT_EQ(cut["presence"], "unknown");
  EXPECT_TRUE(cut["sources"].is_array() && cut["sources"].empty());

  // The text list has the same word in its last field.
  auto text = Cli({"volumes"});
  EXPECT_NE(text.out.find("\tphotos.vkt\t"), std::string::npos);
  for (const std::string& line : Lines(text.out)) {
    const std::string expected = line.find("\tphotos.vkt\t") != std::string::npos ? "\tpresent"
                                 : line.find("\tcut.vkt\t") != std::string::npos   ? "\tunknown"
                                                                                   : "\tabsent";
    EXPECT_TRUE(line.ends_with(expected)) << line;
  }

  // The folder removed: absent.
  std::filesystem::remove_all(folder);
  photos = VolumeLine("photos.vkt");
  EXPECT_EQ(photos["presence"], "absent");
  EXPECT_EQ(photos["sources"][0]["presence"], "missing");
}

}  // namespace
}  // namespace volumist
