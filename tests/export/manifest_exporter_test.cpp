// The lists made from volumes written by the tests: md5 and SFV manifests, ed2k links and CSV, with
// their paths relative to the source's root, the items each leaves out, the escapes of awkward names,
// a CSV read back by an RFC 4180 reader, and the output file's failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/folder_contents.h"
#include "catalog/item_path.h"
#include "export/manifest_exporter.h"
#include "export/manifest_rows.h"
#include "export/messages.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

constexpr int64_t kTime = 1262304000;  // 01.01.2010 00:00 UTC

// A file whose signatures are made from `seed`, so each file's are different and known.
MemoryNode Signed(std::string name, std::string extension, uint64_t size, uint8_t seed) {
  MemoryNode node = MemoryNode::File(std::move(name), std::move(extension), size, kTime);
  node.hasSignatures = true;
  node.signatures.hasCrc32 = node.signatures.hasMd4 = node.signatures.hasMd5 = true;
  node.signatures.crc32 = 0x01020300u + seed;
  for (size_t i = 0; i < 16; ++i) {
    node.signatures.md5[i] = static_cast<uint8_t>(seed * 16 + i);
    node.signatures.md4[i] = static_cast<uint8_t>(255 - seed * 16 - i);
  }
  return node;
}

std::string Hex(const std::array<uint8_t, 16>& bytes, bool upper = false) {
  std::string text;
  for (uint8_t byte : bytes) {
    char two[3];
    std::snprintf(two, sizeof two, upper ? "%02X" : "%02x", byte);
    text += two;
  }
  return text;
}

std::string Crc(uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", crc);
  return text;
}

// A CSV document (RFC 4180) as rows of fields; nothing when it is malformed.
std::optional<std::vector<std::vector<std::string>>> ParseCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  size_t i = 0;
  bool fieldStarted = false;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"' && field.empty() && !fieldStarted) {
      fieldStarted = true;
      ++i;
      for (;;) {
        if (i >= text.size()) return std::nullopt;
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\r') return std::nullopt;
      continue;
    }
    if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      fieldStarted = false;
      ++i;
    } else if (c == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') return std::nullopt;
      row.push_back(std::move(field));
      field.clear();
      fieldStarted = false;
      rows.push_back(std::move(row));
      row.clear();
      i += 2;
    } else if (c == '\n' || c == '"') {
      return std::nullopt;  // a bare line feed or quote outside quotes
    } else {
      field += c;
      fieldStarted = true;
      ++i;
    }
  }
  if (!row.empty() || !field.empty()) return std::nullopt;  // the last row lacks its line end
  return rows;
}

class ManifestExporterTest : public ::testing::Test {
 protected:
  void Load(std::vector<MemorySource> sources, std::vector<bool> folder) {
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(VolumePath(), "Backup", folder), std::move(sources), prompter_))
        << ::testing::PrintToString(prompter_.Errors());
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(VolumePath()));
  }
  std::string VolumePath() const { return dir_.File("v.vkt"); }
  std::string OutputPath() const { return dir_.File("list.out"); }

  // Runs the export of `format` into the output file and returns what it holds.
  std::string Export(ManifestFormat format, ExportOptions options = {},
                     const std::vector<std::string>& start = {}) {
    options.outputPath = OutputPath();
    if (!start.empty()) {
      std::optional<ContentItem> item = testing::FindItem(*volume_, start);
      if (!item) {
        ADD_FAILURE() << "no item " << ::testing::PrintToString(start);
        return "";
      }
      options.startPosition = item->key;
    }
    std::unique_ptr<ManifestRowWriter> rows = MakeManifestRows(format, options, volume_->Header().volumeName);
    ManifestExporter exporter(*volume_, options, platform::FileSystem::Default(), prompter_);
    EXPECT_TRUE(exporter.Run(*rows)) << ::testing::PrintToString(prompter_.Errors());
    totals_ = exporter.Totals();
    std::string bytes = testing::ReadFileBytes(OutputPath());
    EXPECT_EQ(totals_.outputBytes, bytes.size());
    return bytes;
  }

  TempDir dir_;
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
  ManifestTotals totals_;
};

// One folder source: plain files, awkward names, a file without signatures and a listed archive.
MemorySource AwkwardSource() {
  MemorySource source;
  MemoryNode unsigned_ = MemoryNode::File("plain", ".bin", 3, kTime);
  MemoryNode pack = Signed("pack", ".zip", 300, 5);
  pack.kind = MemoryNode::Kind::kArchive;
  pack.archiveKind = 1;
  pack.children = {MemoryNode::File("member", ".txt", 10, kTime), Signed("signed-member", ".txt", 11, 6)};
  source.children = {
      MemoryNode::Folder("Docs", {Signed("a", ".txt", 10, 1), Signed("back\\slash", "", 20, 2),
                                  MemoryNode::Folder("Deep", {Signed("b c", ".txt", 30, 3)})}),
      Signed("line\nbreak", "", 40, 4), Signed(";semi", "", 45, 7), unsigned_, pack};
  return source;
}

TEST_F(ManifestExporterTest, ChecksumListsHoldTheFilesOnDiskRelativeToTheSourceRoot) {
  Load({AwkwardSource()}, {true});
  const MemorySource source = AwkwardSource();
  const auto& docs = source.children[0].children;
  const MemoryNode& a = docs[0];
  const MemoryNode& back = docs[1];
  const MemoryNode& bc = docs[2].children[0];
  const MemoryNode& line = source.children[1];
  const MemoryNode& semi = source.children[2];
  const MemoryNode& pack = source.children[4];

  struct Case {
    ManifestFormat format;
    std::string expected;
    ManifestTotals totals;  // outputBytes not compared
  };
  const Case cases[] = {
      {ManifestFormat::kMd5,
       Hex(a.signatures.md5) + "  Docs/a.txt\n" + "\\" + Hex(back.signatures.md5) + "  Docs/back\\\\slash\n" +
           Hex(bc.signatures.md5) + "  Docs/Deep/b c.txt\n" + "\\" + Hex(line.signatures.md5) + "  line\\nbreak\n" +
           Hex(semi.signatures.md5) + "  ;semi\n" + Hex(pack.signatures.md5) + "  pack.zip\n",
       {6, 1, 0, 2, 0}},
      {ManifestFormat::kSfv,
       "; Generated by Zarn Volumist from the volume \"Backup\"\n"
       "; Paths are relative to the scanned folder; check them from there.\n;\n"
       "Docs/a.txt " + Crc(a.signatures.crc32) + "\nDocs/back\\slash " + Crc(back.signatures.crc32) +
           "\nDocs/Deep/b c.txt " + Crc(bc.signatures.crc32) + "\npack.zip " + Crc(pack.signatures.crc32) + "\n",
       {4, 1, 2, 2, 0}},
      {ManifestFormat::kEd2k,
       "ed2k://|file|a.txt|10|" + Hex(a.signatures.md4, true) + "|/\n" + "ed2k://|file|back\\slash|20|" +
           Hex(back.signatures.md4, true) + "|/\n" + "ed2k://|file|b c.txt|30|" + Hex(bc.signatures.md4, true) +
           "|/\n" + "ed2k://|file|line%0Abreak|40|" + Hex(line.signatures.md4, true) + "|/\n" +
           "ed2k://|file|;semi|45|" + Hex(semi.signatures.md4, true) + "|/\n" + "ed2k://|file|pack.zip|300|" +
           Hex(pack.signatures.md4, true) + "|/\n",
       {6, 1, 0, 2, 0}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(static_cast<int>(test.format));
    EXPECT_EQ(Export(test.format), test.expected);
    EXPECT_EQ(totals_.written, test.totals.written);
    EXPECT_EQ(totals_.noSignature, test.totals.noSignature);
    EXPECT_EQ(totals_.unwritable, test.totals.unwritable);
    EXPECT_EQ(totals_.archiveMembers, test.totals.archiveMembers);
  }
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(ManifestExporterTest, PathsStayRelativeToTheSourceRootWhateverTheStart) {
  MemorySource drive;
  drive.children = {MemoryNode::Folder("top", {Signed("x", ".bin", 1, 8)}), Signed("y", ".bin", 2, 9)};
  MemorySource folder;
  folder.children = {MemoryNode::Folder("sub", {MemoryNode::Folder("deeper", {Signed("z", ".bin", 3, 10)})})};
  struct Case {
    std::string name;
    std::vector<bool> folderSources;
    std::vector<MemorySource> sources;
    std::vector<std::string> start;
    ExportOptions options;
    std::vector<std::string> paths;
  };
  ExportOptions flat;
  flat.includeSubfolders = false;
  const Case cases[] = {
      {"drive source, whole", {false}, {drive}, {}, {}, {"top/x.bin", "y.bin"}},
      {"drive source, a folder", {false}, {drive}, {"top"}, {}, {"top/x.bin"}},
      {"folder source, a folder", {true}, {folder}, {"Source0", "sub", "deeper"}, {}, {"sub/deeper/z.bin"}},
      {"folder source, without subfolders", {true}, {folder}, {"Source0", "sub"}, flat, {}},
      {"drive source, without subfolders", {false}, {drive}, {}, flat, {"y.bin"}},
      {"two sources: the source's name first", {true, false}, {folder, drive}, {},
       {}, {"Source0/sub/deeper/z.bin", "Source1/top/x.bin", "Source1/y.bin"}},
      {"two sources, from a folder", {true, false}, {folder, drive}, {"Source0", "sub"}, {}, {"Source0/sub/deeper/z.bin"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::filesystem::remove(VolumePath());
    Load(test.sources, test.folderSources);
    std::string list = Export(ManifestFormat::kMd5, test.options, test.start);
    std::vector<std::string> paths;
    for (size_t begin = 0; begin < list.size();) {
      size_t end = list.find('\n', begin);
      paths.push_back(list.substr(begin + 34, end - begin - 34));
      begin = end + 1;
    }
    EXPECT_EQ(paths, test.paths) << list;
  }
}

TEST_F(ManifestExporterTest, CsvReadsBackWithEveryAwkwardText) {
  MemorySource source;
  source.volumeLabel = "LABEL";
  source.fileSystemName = "ext4";
  source.serialNumber = 0x12AB34CD;
  MemoryNode pack = Signed("pack", ".zip", 300, 5);
  pack.kind = MemoryNode::Kind::kArchive;
  pack.archiveKind = 1;
  pack.children = {MemoryNode::File("member", ".txt", 10, kTime)};
  source.children = {MemoryNode::Folder("a,b", {MemoryNode::File("say \"hi\"", ".txt", 7, kTime),
                                                MemoryNode::File("two\r\nlines", "", 8, kTime)}),
                     MemoryNode::File("caf\xE9", ".txt", 9, kTime), Signed("sig", ".dat", 12, 3), pack};
  Load({source}, {false});
  ASSERT_TRUE(volume_->SetDescription(testing::FindItem(*volume_, {"sig.dat"})->DescriptionKey(), "said, \"so\"\nok"));
  ASSERT_TRUE(volume_->SaveDescriptions());

  ExportOptions all;
  for (int id = 1; id <= kExportColumnCount; ++id) all.SetColumnEnabled(id, true);
  all.saveArchiveContent = true;
  auto rows = ParseCsv(Export(ManifestFormat::kCsv, all));
  ASSERT_TRUE(rows.has_value());
  const std::vector<std::string> header = {"Kind",  "Name",        "Type",   "Size",  "Date/Time", "Attributes",
                                           "Description", "Full path", "Label", "File system", "Serial",
                                           "CRC32", "MD4",         "MD5"};
  ASSERT_FALSE(rows->empty());
  EXPECT_EQ((*rows)[0], header);
  for (const auto& row : *rows) EXPECT_EQ(row.size(), header.size()) << ::testing::PrintToString(row);

  struct Expected {
    std::string kind, name, type, size, path;
  };
  const Expected expected[] = {
      {"folder", "a,b", "", "15", "a,b"},
      {"file", "say \"hi\".txt", "txt", "7", "a,b/say \"hi\".txt"},
      {"file", "two\r\nlines", "", "8", "a,b/two\\x0d\\x0alines"},
      {"file", "caf\xEF\xBF\xBD.txt", "txt", "9", "caf\\xe9.txt"},
      {"file", "sig.dat", "dat", "12", "sig.dat"},
      {"archive", "pack.zip", "zip", "300", "pack.zip"},
      {"file", "member.txt", "txt", "10", "pack.zip/member.txt"},
  };
  ASSERT_EQ(rows->size(), std::size(expected) + 1);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const auto& row = (*rows)[i + 1];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(row[0], expected[i].kind);
    EXPECT_EQ(row[1], expected[i].name);
    EXPECT_EQ(row[2], expected[i].type);
    EXPECT_EQ(row[3], expected[i].size);
    EXPECT_EQ(row[7], expected[i].path);
    EXPECT_EQ(row[8], "LABEL");
    EXPECT_EQ(row[9], "ext4");
    EXPECT_EQ(row[10], "12AB-34CD");
    // The path reads back as the item's names.
    std::string problem;
    auto names = ParseItemPath(row[7], problem);
    ASSERT_TRUE(names.has_value()) << problem;
    EXPECT_TRUE(testing::FindItem(*volume_, *names).has_value()) << row[7];
  }
  const auto& sig = (*rows)[5];
  EXPECT_EQ(sig[6], "said, \"so\"\nok");
  MemoryNode signedNode = Signed("sig", ".dat", 12, 3);
  EXPECT_EQ(sig[11], "01020303");
  EXPECT_EQ(sig[12], Hex(signedNode.signatures.md4, true));
  EXPECT_EQ(sig[13], Hex(signedNode.signatures.md5));
  EXPECT_EQ((*rows)[1][4], "");  // a folder has no time
  EXPECT_EQ((*rows)[2][4], "01.01.2010 00:00");
  EXPECT_EQ(totals_.written, std::size(expected));
}

TEST_F(ManifestExporterTest, CsvColumnsFollowTheChosenOrder) {
  MemorySource source;
  source.children = {MemoryNode::File("f", ".txt", 5, kTime)};
  Load({source}, {false});
  ExportOptions options;
  options.saveSignatures = false;
  options.columnOrder = {6, 2, 1, 3, 4, 5, 7, 8, 9};
  for (int id = 1; id <= kExportColumnCount; ++id) options.SetColumnEnabled(id, id == 6 || id == 2);
  EXPECT_EQ(Export(ManifestFormat::kCsv, options), "Kind,Name,Full path,Size\r\nfile,f.txt,f.txt,5\r\n");
}

TEST_F(ManifestExporterTest, OutputFileFailuresLeaveItAsItWas) {
  MemorySource source;
  source.children = {Signed("f", ".txt", 5, 1)};
  Load({source}, {false});
  std::filesystem::create_directory(dir_.File("folder"));
  struct Case {
    std::string output;
    const char* message;
  };
  const Case cases[] = {
      {VolumePath(), messages::kListWouldReplaceVolume},
      {dir_.File("folder"), messages::kListTargetNotRegular},
      {"", messages::kCouldNotWriteList},
  };
  const std::string before = testing::ReadFileBytes(VolumePath());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.output);
    prompter_.entries.clear();
    ExportOptions options;
    options.outputPath = test.output;
    auto rows = MakeManifestRows(ManifestFormat::kMd5, options, "");
    ManifestExporter exporter(*volume_, options, platform::FileSystem::Default(), prompter_);
    EXPECT_FALSE(exporter.Run(*rows));
    EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{test.message});
  }
  EXPECT_EQ(testing::ReadFileBytes(VolumePath()), before);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("folder")));
}

TEST(ManifestTextTest, Escapes) {
  struct Case {
    std::string text;
    std::string csv;
    std::string utf8;
    std::string md5;  // empty: no escape needed
  };
  const Case cases[] = {
      {"plain", "plain", "plain", ""},
      {"a,b", "\"a,b\"", "a,b", ""},
      {"q\"q", "\"q\"\"q\"", "q\"q", ""},
      {"l\nf", "\"l\nf\"", "l\nf", "l\\nf"},
      {"c\rr", "\"c\rr\"", "c\rr", "c\\rr"},
      {"b\\s", "b\\s", "b\\s", "b\\\\s"},
      {"\xC3\xA9", "\xC3\xA9", "\xC3\xA9", ""},
      {"x\xFFy\xC3", "x\xFFy\xC3", "x\xEF\xBF\xBDy\xEF\xBF\xBD", ""},
      {"\xED\xA0\x80", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", ""},
      // Longer fields are searched eight bytes at a time: a mark in each lane and in the tail.
      {"0123456789abcdef", "0123456789abcdef", "0123456789abcdef", ""},
      {"0123456,89abcdef", "\"0123456,89abcdef\"", "0123456,89abcdef", ""},
      {"01234567\"9abcdef", "\"01234567\"\"9abcdef\"", "01234567\"9abcdef", ""},
      {"0123456789abcdef\r", "\"0123456789abcdef\r\"", "0123456789abcdef\r", "0123456789abcdef\\r"},
      {"\n123456789abcdefgh", "\"\n123456789abcdefgh\"", "\n123456789abcdefgh", "\\n123456789abcdefgh"},
      {"path/to/a file, \xC3\xA9t\xC3\xA9.txt", "\"path/to/a file, \xC3\xA9t\xC3\xA9.txt\"",
       "path/to/a file, \xC3\xA9t\xC3\xA9.txt", ""},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    std::string csv;
    AppendCsvField(csv, test.text);
    EXPECT_EQ(csv, test.csv);
    std::string utf8;
    AppendValidUtf8(utf8, test.text);
    EXPECT_EQ(utf8, test.utf8);
    EXPECT_EQ(NeedsMd5Escape(test.text), !test.md5.empty());
    if (!test.md5.empty()) {
      std::string md5;
      AppendMd5EscapedPath(md5, test.text);
      EXPECT_EQ(md5, test.md5);
    }
  }
}

}  // namespace
}  // namespace volumist
