// The XML export of volumes written by the tests: both forms compared with whole expected documents,
// the columns, archives, start folders, the sections and wrappers, failures of the output file and
// damaged volumes. Every document written is also read by xmllint.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>

#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "export/messages.h"
#include "export/xml_exporter.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"
#include "testing/xml_check.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

constexpr int64_t kTime = 1262304000;  // 01.01.2010 00:00 UTC
// The volume file's own time in the documents: 02.01.2010 03:04 UTC.
constexpr int64_t kVolumeFileTime = kTime + 86400 + 3 * 3600 + 4 * 60;

// Expected documents are written with "\n"; the export ends every line with CR LF.
std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The lines between "<CONTENT>" and "</CONTENT>".
std::string Content(const std::string& document) {
  size_t begin = document.find("<CONTENT>\r\n");
  size_t end = document.find("</CONTENT>\r\n");
  if (begin == std::string::npos || end == std::string::npos || end < begin) return "<no CONTENT>";
  begin += 11;
  return document.substr(begin, end - begin);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

MemoryNode WithCrc(MemoryNode node, uint32_t crc) {
  node.hasSignatures = true;
  node.signatures.hasCrc32 = true;
  node.signatures.crc32 = crc;
  return node;
}

MemoryNode Song() {
  MemoryNode node = MemoryNode::File("song", ".mp3", 4000000, kTime);
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = kMediaMp3;
  Mp3Info info;
  info.title = "Title";
  info.artist = "Art <1>";
  info.year = "2001";
  info.lengthSeconds = 187;
  info.mpegHeaderBits = 3 | (0 << 2) | (9 << 4);  // MPEG-1 Layer III, 44100 Hz, 128 kbit/s
  info.vbrBitrate = -1;
  info.isEmpty = false;
  node.mediaInfo.body = info;
  return node;
}

MemoryNode Clip() {
  MemoryNode node = MemoryNode::File("clip", ".avi", 2000000, kTime);
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = kMediaAvi;
  AviInfo info;
  info.width = 640;
  info.height = 480;
  info.frameCount = 1500;
  info.videoCodec = 5;  // Xvid
  info.framesPerSecond = 25;
  info.audioCodec = 85;  // MPEG Layer-III
  info.audioBitrate = 128000;
  info.audioSampleRate = 44100;
  info.audioChannels = 2;
  info.isEmpty = false;
  node.mediaInfo.body = info;
  return node;
}

MemoryNode Picture() {
  MemoryNode node = MemoryNode::File("pic", ".png", 100, kTime);
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = kMediaPng;
  ImageInfo info;
  info.width = 10;
  info.height = 10;
  info.bitsPerPixel = 24;
  info.thumbnail = {1, 2, 3};
  info.thumbnailLength = 3;
  info.isEmpty = false;
  node.mediaInfo.body = info;
  return node;
}

// A folder source with a folder, files with signatures and media, and a listed archive.
MemorySource SmallSource() {
  MemorySource source;
  source.volumeLabel = "DATA";
  source.fileSystemName = "ext4";
  source.serialNumber = 0x1234ABCD;
  MemoryNode cafe = WithCrc(MemoryNode::File("caf\xC3\xA9", ".txt", 1234, kTime), 0x0A1B2C3D);
  cafe.signatures.attrArchive = true;
  MemoryNode pack = MemoryNode::Archive("pack", ".zip", 300, 1,
                                        {MemoryNode::Folder("inner", {MemoryNode::File("a", ".txt", 10, kTime)}),
                                         MemoryNode::File("b", ".txt", 20, kTime)});
  pack.time = kTime;
  source.children = {MemoryNode::Folder("Tom & Jerry", {cafe}), MemoryNode::File("README", "", 5, kTime + 60), Song(),
                     Clip(), pack};
  return source;
}

class XmlExporterTest : public ::testing::Test {
 protected:
  // Writes the volume "v.vkt" from `sources` and loads it.
  void Load(std::vector<MemorySource> sources, std::vector<bool> folder, const std::string& name = "Small & Co") {
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(VolumePath(), name, folder), std::move(sources), prompter_))
        << ::testing::PrintToString(prompter_.Errors());
    Reopen();
  }
  void Reopen() {
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(VolumePath()));
  }
  std::string VolumePath() const { return dir_.File("v.vkt"); }

  // The item at a path of names ("Source0", "pack.zip", ...).
  ContentItem Find(const std::vector<std::string>& path) {
    std::optional<ContentItem> item = testing::FindItem(*volume_, path);
    if (!item) ADD_FAILURE() << "no item " << ::testing::PrintToString(path);
    return item.value_or(ContentItem{});
  }

  void Describe(const std::vector<std::string>& path, const std::string& text) {
    RecordKey key = path.empty() ? 0 : Find(path).DescriptionKey();
    ASSERT_TRUE(volume_->SetDescription(key, text));
  }

  // Runs an export to out.xml; the document, proved well-formed by xmllint.
  std::string Export(ExportOptions options) {
    options.outputPath = OutputPath();
    XmlExporter exporter(*volume_, options, platform::FileSystem::Default(), prompter_);
    if (!exporter.Run()) {
      ADD_FAILURE() << "export failed";
      return {};
    }
    EXPECT_EQ(testing::XmlParseErrors(OutputPath()), "");
    return testing::ReadFileBytes(OutputPath());
  }
  std::string OutputPath() const { return dir_.File("out.xml"); }

  TempDir dir_;
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
};

// The small volume with descriptions, and the volume file's time fixed.
class SmallVolumeTest : public XmlExporterTest {
 protected:
  void SetUp() override {
    Load({SmallSource()}, {true});
    Describe({}, "The volume's own text is not exported");
    Describe({"Source0", "Tom & Jerry"}, "first line\nsecond line");
    Describe({"Source0", "README"}, "read <me> \"now\" & 'then'");
    Describe({"Source0", "pack.zip"}, "zipped");
    ASSERT_TRUE(volume_->SaveDescriptions());
    std::filesystem::last_write_time(
        VolumePath(), std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(kVolumeFileTime))));
    Reopen();
  }

  // An expected document with the volume file's path and size filled in.
  std::string Expected(std::string_view text) {
    return Replace(Replace(Crlf(text), "{FILE}", VolumePath()), "{SIZE}",
                   std::to_string(std::filesystem::file_size(VolumePath())));
  }
};

TEST_F(SmallVolumeTest, ElementForm) {
  std::string document = Export(ExportOptions{});
  EXPECT_EQ(document, Expected(R"xml(<?xml version="1.0"?>
<!-- Generated by Zarn Volumist Export Generator -->
<ROOT>
<VOLUME>
<NAME>Small &amp; Co</NAME>
<FILENAME>{FILE}</FILENAME>
<FILES>5</FILES>
<FOLDERS>2</FOLDERS>
<ARCHIVES>1</ARCHIVES>
<TOTAL_FILES>7</TOTAL_FILES>
<TOTAL_FOLDERS>3</TOTAL_FOLDERS>
<VOLUME_CONTENT_SIZE>6001539</VOLUME_CONTENT_SIZE>
<VOLUME_FILE_SIZE>{SIZE}</VOLUME_FILE_SIZE>
<VOLUME_FILE_TIME>02.01.2010 03:04</VOLUME_FILE_TIME>
<CONTENT>
<ITEM Type="Folder">
<NAME>Source0</NAME>
<SIZE>6001539</SIZE>
<DESCRIPTION></DESCRIPTION>
<PATH>\</PATH>
<ITEM Type="Folder">
<NAME>Tom &amp; Jerry</NAME>
<SIZE>1234</SIZE>
<DESCRIPTION>first line second line</DESCRIPTION>
<PATH>\Source0\</PATH>
<ITEM Type="File">
<NAME>caf&#233;.txt</NAME>
<EXT>txt</EXT>
<SIZE>1234</SIZE>
<TIME>01.01.2010 00:00</TIME>
<ATTRIBUTES>-a--</ATTRIBUTES>
<DESCRIPTION></DESCRIPTION>
<PATH>\Source0\Tom &amp; Jerry\</PATH>
<SIGNATURES>
<CRC32>0a1b2c3d</CRC32>
</SIGNATURES>
</ITEM>
</ITEM>
<ITEM Type="File">
<NAME>README</NAME>
<EXT></EXT>
<SIZE>5</SIZE>
<TIME>01.01.2010 00:01</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION>read &lt;me&gt; &quot;now&quot; &amp; 'then'</DESCRIPTION>
<PATH>\Source0\</PATH>
</ITEM>
<ITEM Type="File">
<NAME>song.mp3</NAME>
<EXT>mp3</EXT>
<SIZE>4000000</SIZE>
<TIME>01.01.2010 00:00</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION></DESCRIPTION>
<PATH>\Source0\</PATH>
<EXTRA_INFORMATION>
<AUDIO TITLE="Title" ARTIST="Art &lt;1&gt;" ALBUM="" COMMENT="" YEAR="2001" LENGTH="3:07" BITRATE="128" FREQUENCY="44100">
</AUDIO>
</EXTRA_INFORMATION>
</ITEM>
<ITEM Type="File">
<NAME>clip.avi</NAME>
<EXT>avi</EXT>
<SIZE>2000000</SIZE>
<TIME>01.01.2010 00:00</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION></DESCRIPTION>
<PATH>\Source0\</PATH>
<EXTRA_INFORMATION>
<VIDEO FRAME_SIZE="640 x 480" LENGTH="1:00 (1500)" FPS="25.000" VIDEO_CODEC="Xvid MPEG-4 Codec" SAMPLE_RATE="44100" BITRATE="128 kbps" CHANNELS="2 Stereo" AUDIO_CODEC="MPEG Layer-III">
</VIDEO>
</EXTRA_INFORMATION>
</ITEM>
<ITEM Type="File">
<NAME>pack.zip</NAME>
<EXT>zip</EXT>
<SIZE>300</SIZE>
<TIME>01.01.2010 00:00</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION>zipped</DESCRIPTION>
<PATH>\Source0\</PATH>
</ITEM>
</ITEM>
</CONTENT>
<TOTALS>
<TOTAL_FOLDERS>2</TOTAL_FOLDERS>
<TOTAL_FILES>5</TOTAL_FILES>
<TOTAL_ARCHIVES>1</TOTAL_ARCHIVES>
</TOTALS>
</VOLUME>
</ROOT>
)xml"));
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(SmallVolumeTest, AttributeForm) {
  ExportOptions options;
  options.attributeForm = true;
  std::string document = Export(options);
  EXPECT_EQ(document, Expected(R"xml(<?xml version="1.0"?>
<!-- Generated by Zarn Volumist Export Generator -->
<ROOT>
<VOLUME NAME="Small &amp; Co" FILENAME="{FILE}" FILES="5" FOLDERS="2" ARCHIVES="1" TOTAL_FILES="7" TOTAL_FOLDERS="3" VOLUME_CONTENT_SIZE="6001539" VOLUME_FILE_SIZE="{SIZE}" VOLUME_FILE_TIME="02.01.2010 03:04">
<CONTENT>
<FOLDER FolderType="DIRECTORY" NAME="Source0" SIZE="6001539" DESCRIPTION="" PATH="\">
<FOLDER FolderType="DIRECTORY" NAME="Tom &amp; Jerry" SIZE="1234" DESCRIPTION="first line second line" PATH="\Source0\">
<FILE NAME="caf&#233;.txt" EXT="txt" SIZE="1234" TIME="01.01.2010 00:00" ATTRIBUTES="-a--" DESCRIPTION="" PATH="\Source0\Tom &amp; Jerry\">
<SIGNATURES>
<CRC32>0a1b2c3d</CRC32>
</SIGNATURES>
</FILE>
</FOLDER>
<FILE NAME="README" EXT="" SIZE="5" TIME="01.01.2010 00:01" ATTRIBUTES="----" DESCRIPTION="read &lt;me&gt; &quot;now&quot; &amp; 'then'" PATH="\Source0\">
</FILE>
<FILE NAME="song.mp3" EXT="mp3" SIZE="4000000" TIME="01.01.2010 00:00" ATTRIBUTES="----" DESCRIPTION="" PATH="\Source0\">
<EXTRA_INFORMATION>
<AUDIO TITLE="Title" ARTIST="Art &lt;1&gt;" ALBUM="" COMMENT="" YEAR="2001" LENGTH="3:07" BITRATE="128" FREQUENCY="44100">
</AUDIO>
</EXTRA_INFORMATION>
</FILE>
<FILE NAME="clip.avi" EXT="avi" SIZE="2000000" TIME="01.01.2010 00:00" ATTRIBUTES="----" DESCRIPTION="" PATH="\Source0\">
<EXTRA_INFORMATION>
<VIDEO FRAME_SIZE="640 x 480" LENGTH="1:00 (1500)" FPS="25.000" VIDEO_CODEC="Xvid MPEG-4 Codec" SAMPLE_RATE="44100" BITRATE="128 kbps" CHANNELS="2 Stereo" AUDIO_CODEC="MPEG Layer-III">
</VIDEO>
</EXTRA_INFORMATION>
</FILE>
<FILE  NAME="pack.zip" EXT="zip" SIZE="300" TIME="01.01.2010 00:00" ATTRIBUTES="----" DESCRIPTION="zipped" PATH="\Source0\">
</FILE>
</FOLDER>
</CONTENT>
<TOTALS TOTAL_FOLDERS="2" TOTAL_FILES="5" TOTAL_ARCHIVES="1"></TOTALS>
</VOLUME>
</ROOT>
)xml"));
}

// Each switch that is off leaves out its part, and only that.
TEST_F(SmallVolumeTest, SectionsAndWrappers) {
  const std::string full = Export(ExportOptions{});
  const struct {
    const char* name;
    void (*change)(ExportOptions&);
    std::vector<std::string> removed;  // lines of the full document that go
  } cases[] = {
      {"no volume information", [](ExportOptions& o) { o.saveVolumeInfo = false; },
       {"<FILENAME>", "<FILES>", "<FOLDERS>", "<ARCHIVES>", "<TOTAL_FILES>7", "<TOTAL_FOLDERS>3", "<VOLUME_CONTENT_SIZE>",
        "<VOLUME_FILE_SIZE>", "<VOLUME_FILE_TIME>"}},
      {"no signatures", [](ExportOptions& o) { o.saveSignatures = false; },
       {"<SIGNATURES>", "<CRC32>", "</SIGNATURES>"}},
      {"no media", [](ExportOptions& o) { o.saveMedia = false; },
       {"<EXTRA_INFORMATION>", "<AUDIO ", "</AUDIO>", "<VIDEO ", "</VIDEO>", "</EXTRA_INFORMATION>"}},
      {"no totals", [](ExportOptions& o) { o.saveTotals = false; },
       {"<TOTALS>", "<TOTAL_FOLDERS>2", "<TOTAL_FILES>5", "<TOTAL_ARCHIVES>", "</TOTALS>"}},
      {"no ROOT", [](ExportOptions& o) { o.writeRoot = false; }, {"<ROOT>", "</ROOT>"}},
      {"no CONTENT", [](ExportOptions& o) { o.writeContent = false; }, {"<CONTENT>", "</CONTENT>"}},
      {"no VOLUME", [](ExportOptions& o) { o.writeVolume = false; },
       {"<VOLUME>", "<NAME>Small", "<FILENAME>", "<FILES>", "<FOLDERS>", "<ARCHIVES>", "<TOTAL_FILES>7",
        "<TOTAL_FOLDERS>3", "<VOLUME_CONTENT_SIZE>", "<VOLUME_FILE_SIZE>", "<VOLUME_FILE_TIME>", "</VOLUME>"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExportOptions options;
    c.change(options);
    std::string expected;
    for (const std::string& line : testing::Lines(full)) {
      bool removed = std::any_of(c.removed.begin(), c.removed.end(),
                                 [&line](const std::string& start) { return line.rfind(start, 0) == 0; });
      if (!removed) expected += line + "\n";
    }
    EXPECT_EQ(Export(options), expected);
  }
}

// The wrappers never leave the document with more than one top-level element.
TEST_F(SmallVolumeTest, RootIsWrittenWhenTheWrappersWouldLeaveSeveralTopElements) {
  const struct {
    bool content;
    bool totals;
    bool needsRoot;
  } cases[] = {{false, false, true}, {false, true, true}, {true, true, true}, {true, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "content " << c.content << " totals " << c.totals);
    ExportOptions options;
    options.writeRoot = options.writeVolume = false;
    options.writeContent = c.content;
    options.saveTotals = c.totals;
    EXPECT_EQ(NeedsRootElement(options), c.needsRoot);
    std::string document = Export(options);
    EXPECT_EQ(document.find("<ROOT>\r\n") != std::string::npos, c.needsRoot);
  }
  ExportOptions withVolume;
  withVolume.writeRoot = withVolume.writeContent = false;
  EXPECT_FALSE(NeedsRootElement(withVolume));
  EXPECT_TRUE(prompter_.entries.empty());
}

// A tiny drive source: a folder "Docs" with one file, with label, file system and serial.
class ColumnsTest : public XmlExporterTest {
 protected:
  void SetUp() override {
    MemorySource source;
    source.volumeLabel = "DATA";
    source.fileSystemName = "ext4";
    source.serialNumber = 0x1234ABCD;
    source.children = {MemoryNode::Folder("Docs", {MemoryNode::File("a", ".txt", 10, kTime)})};
    Load({source}, {false});
  }
};

TEST_F(ColumnsTest, OrderAndChoice) {
  const struct {
    const char* name;
    std::array<uint8_t, 9> order;
    std::vector<int> enabled;
    bool attributeForm;
    std::string_view content;
  } cases[] = {
      {"defaults", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs" SIZE="10" DESCRIPTION="" PATH="\">
<FILE NAME="a.txt" EXT="txt" SIZE="10" TIME="01.01.2010 00:00" ATTRIBUTES="----" DESCRIPTION="" PATH="\Docs\">
</FILE>
</FOLDER>
)"},
      {"path before size", {6, 2, 1, 3, 4, 5, 7, 8, 9}, {6, 2}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs" PATH="\" SIZE="10">
<FILE NAME="a.txt" PATH="\Docs\" SIZE="10">
</FILE>
</FOLDER>
)"},
      {"path before size, elements", {6, 2, 1, 3, 4, 5, 7, 8, 9}, {6, 2}, false,
       R"(<ITEM Type="Folder">
<NAME>Docs</NAME>
<PATH>\</PATH>
<SIZE>10</SIZE>
<ITEM Type="File">
<NAME>a.txt</NAME>
<PATH>\Docs\</PATH>
<SIZE>10</SIZE>
</ITEM>
</ITEM>
)"},
      {"all, reversed", {9, 8, 7, 6, 5, 4, 3, 2, 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs" SERIAL="1234-ABCD" FILESYSTEM="ext4" LABEL="DATA" PATH="\" DESCRIPTION="" SIZE="10">
<FILE NAME="a.txt" SERIAL="1234-ABCD" FILESYSTEM="ext4" LABEL="DATA" PATH="\Docs\" DESCRIPTION="" ATTRIBUTES="----" TIME="01.01.2010 00:00" SIZE="10" EXT="txt">
</FILE>
</FOLDER>
)"},
      {"source columns, elements", {7, 8, 9, 1, 2, 3, 4, 5, 6}, {7, 8, 9}, false,
       R"(<ITEM Type="Folder">
<NAME>Docs</NAME>
<LABEL>DATA</LABEL>
<FILESYSTEM>ext4</FILESYSTEM>
<SERIAL>1234-ABCD</SERIAL>
<ITEM Type="File">
<NAME>a.txt</NAME>
<LABEL>DATA</LABEL>
<FILESYSTEM>ext4</FILESYSTEM>
<SERIAL>1234-ABCD</SERIAL>
</ITEM>
</ITEM>
)"},
      {"only what folders lack", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 3, 4}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs">
<FILE NAME="a.txt" EXT="txt" TIME="01.01.2010 00:00" ATTRIBUTES="----">
</FILE>
</FOLDER>
)"},
      {"none", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs">
<FILE NAME="a.txt">
</FILE>
</FOLDER>
)"},
      // A damaged stored order: repeated ids and ids of no column are written once or not at all.
      {"repeated and unknown ids", {6, 0, 6, 12, 2, 2, 6, 0, 2}, {2, 6}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Docs" PATH="\" SIZE="10">
<FILE NAME="a.txt" PATH="\Docs\" SIZE="10">
</FILE>
</FOLDER>
)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExportOptions options;
    options.columnOrder = c.order;
    options.columnEnabled.fill(false);
    for (int id : c.enabled) options.SetColumnEnabled(id, true);
    options.attributeForm = c.attributeForm;
    EXPECT_EQ(Content(Export(options)), Crlf(c.content));
  }
}

// A drive source holding a listed archive with a folder, an entry with a CRC and one with
// attributes only.
class ArchiveTest : public XmlExporterTest {
 protected:
  void SetUp() override {
    MemoryNode attributesOnly = MemoryNode::File("b", ".txt", 20, kTime);
    attributesOnly.hasSignatures = true;
    attributesOnly.signatures.attrReadOnly = true;
    MemorySource source;
    source.children = {WithCrc(MemoryNode::Archive("pack", ".zip", 300, 1,
                                                   {MemoryNode::Folder("inner", {WithCrc(MemoryNode::File("a", ".txt", 10), 0x11)}),
                                                    attributesOnly}),
                               0xDEADBEEF)};
    Load({source}, {false});
  }
};

TEST_F(ArchiveTest, WithAndWithoutContent) {
  const struct {
    bool content;
    bool attributeForm;
    bool subfolders;
    std::string_view expected;
    const char* totals;
  } cases[] = {
      {true, true, true,
       R"(<FOLDER FolderType="ARCHIVE" NAME="pack.zip" PATH="\">
<SIGNATURES>
<CRC32>deadbeef</CRC32>
</SIGNATURES>
<FOLDER FolderType="DIRECTORY" NAME="inner" PATH="\pack.zip/">
<FILE NAME="a.txt" PATH="\pack.zip/inner\">
<SIGNATURES>
<CRC32>00000011</CRC32>
</SIGNATURES>
</FILE>
</FOLDER>
<FILE NAME="b.txt" PATH="\pack.zip/">
</FILE>
</FOLDER>
)",
       R"(<TOTALS TOTAL_FOLDERS="1" TOTAL_FILES="3" TOTAL_ARCHIVES="1"></TOTALS>)"},
      // Folders inside an archive are descended into also without subfolders.
      {true, true, false,
       R"(<FOLDER FolderType="ARCHIVE" NAME="pack.zip" PATH="\">
<SIGNATURES>
<CRC32>deadbeef</CRC32>
</SIGNATURES>
<FOLDER FolderType="DIRECTORY" NAME="inner" PATH="\pack.zip/">
<FILE NAME="a.txt" PATH="\pack.zip/inner\">
<SIGNATURES>
<CRC32>00000011</CRC32>
</SIGNATURES>
</FILE>
</FOLDER>
<FILE NAME="b.txt" PATH="\pack.zip/">
</FILE>
</FOLDER>
)",
       R"(<TOTALS TOTAL_FOLDERS="1" TOTAL_FILES="3" TOTAL_ARCHIVES="1"></TOTALS>)"},
      {false, true, true,
       R"(<FILE  NAME="pack.zip" PATH="\">
<SIGNATURES>
<CRC32>deadbeef</CRC32>
</SIGNATURES>
</FILE>
)",
       R"(<TOTALS TOTAL_FOLDERS="0" TOTAL_FILES="1" TOTAL_ARCHIVES="1"></TOTALS>)"},
      {true, false, true,
       R"(<ITEM Type="Archive">
<NAME>pack.zip</NAME>
<PATH>\</PATH>
<SIGNATURES>
<CRC32>deadbeef</CRC32>
</SIGNATURES>
<ITEM Type="Folder">
<NAME>inner</NAME>
<PATH>\pack.zip/</PATH>
<ITEM Type="File">
<NAME>a.txt</NAME>
<PATH>\pack.zip/inner\</PATH>
<SIGNATURES>
<CRC32>00000011</CRC32>
</SIGNATURES>
</ITEM>
</ITEM>
<ITEM Type="File">
<NAME>b.txt</NAME>
<PATH>\pack.zip/</PATH>
</ITEM>
</ITEM>
)",
       "<TOTALS>\n<TOTAL_FOLDERS>1</TOTAL_FOLDERS>\n<TOTAL_FILES>3</TOTAL_FILES>\n<TOTAL_ARCHIVES>1</TOTAL_ARCHIVES>\n</TOTALS>"},
      {false, false, true,
       R"(<ITEM Type="File">
<NAME>pack.zip</NAME>
<PATH>\</PATH>
<SIGNATURES>
<CRC32>deadbeef</CRC32>
</SIGNATURES>
</ITEM>
)",
       "<TOTALS>\n<TOTAL_FOLDERS>0</TOTAL_FOLDERS>\n<TOTAL_FILES>1</TOTAL_FILES>\n<TOTAL_ARCHIVES>1</TOTAL_ARCHIVES>\n</TOTALS>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "content " << c.content << " attributes " << c.attributeForm << " subfolders "
                                    << c.subfolders);
    ExportOptions options;
    options.saveArchiveContent = c.content;
    options.attributeForm = c.attributeForm;
    options.includeSubfolders = c.subfolders;
    options.columnEnabled.fill(false);
    options.SetColumnEnabled(6, true);
    std::string document = Export(options);
    EXPECT_EQ(Content(document), Crlf(c.expected));
    EXPECT_NE(document.find(Crlf(c.totals)), std::string::npos) << document;
  }
}

// A folder source "Source0" with Docs (two sub-folders and a file) and an archive with folders.
class StartFolderTest : public XmlExporterTest {
 protected:
  void SetUp() override {
    MemorySource source;
    source.children = {
        MemoryNode::Folder("Docs", {MemoryNode::Folder("A", {MemoryNode::File("x", ".txt", 1)}), MemoryNode::Folder("B"),
                                    MemoryNode::File("d", ".txt", 2)}),
        MemoryNode::Archive("pack", ".zip", 50, 1,
                            {MemoryNode::Folder("in", {MemoryNode::Folder("deep", {MemoryNode::File("z", ".txt", 4)}),
                                                       MemoryNode::File("y", ".txt", 3)})}),
    };
    Load({source}, {true});
  }

  ExportOptions From(const std::vector<std::string>& path, bool subfolders) {
    ExportOptions options;
    options.attributeForm = true;
    options.columnEnabled.fill(false);
    options.SetColumnEnabled(6, true);
    options.includeSubfolders = subfolders;
    options.startPosition = path.empty() ? 0 : Find(path).key;
    return options;
  }
};

TEST_F(StartFolderTest, WithAndWithoutSubfolders) {
  const struct {
    std::vector<std::string> start;
    bool subfolders;
    std::string_view expected;
    const char* totals;
  } cases[] = {
      {{"Source0", "Docs"}, true,
       R"(<FOLDER FolderType="DIRECTORY" NAME="A" PATH="\Source0\Docs\">
<FILE NAME="x.txt" PATH="\Source0\Docs\A\">
</FILE>
</FOLDER>
<FOLDER FolderType="DIRECTORY" NAME="B" PATH="\Source0\Docs\">
</FOLDER>
<FILE NAME="d.txt" PATH="\Source0\Docs\">
</FILE>
)",
       R"(TOTAL_FOLDERS="2" TOTAL_FILES="2" TOTAL_ARCHIVES="0")"},
      {{"Source0", "Docs"}, false,
       R"(<FOLDER FolderType="DIRECTORY" NAME="A" PATH="\Source0\Docs\">
</FOLDER>
<FOLDER FolderType="DIRECTORY" NAME="B" PATH="\Source0\Docs\">
</FOLDER>
<FILE NAME="d.txt" PATH="\Source0\Docs\">
</FILE>
)",
       R"(TOTAL_FOLDERS="2" TOTAL_FILES="1" TOTAL_ARCHIVES="0")"},
      // An archive as the start: its entries, although archive contents are not saved, and its
      // folders, although subfolders are not wanted.
      {{"Source0", "pack.zip"}, false,
       R"(<FOLDER FolderType="DIRECTORY" NAME="in" PATH="\Source0\pack.zip/">
<FOLDER FolderType="DIRECTORY" NAME="deep" PATH="\Source0\pack.zip/in\">
<FILE NAME="z.txt" PATH="\Source0\pack.zip/in\deep\">
</FILE>
</FOLDER>
<FILE NAME="y.txt" PATH="\Source0\pack.zip/in\">
</FILE>
</FOLDER>
)",
       R"(TOTAL_FOLDERS="2" TOTAL_FILES="2" TOTAL_ARCHIVES="0")"},
      // A folder inside an archive: the archive above it is found through the parent keys.
      {{"Source0", "pack.zip", "in"}, false,
       R"(<FOLDER FolderType="DIRECTORY" NAME="deep" PATH="\Source0\pack.zip/in\">
<FILE NAME="z.txt" PATH="\Source0\pack.zip/in\deep\">
</FILE>
</FOLDER>
<FILE NAME="y.txt" PATH="\Source0\pack.zip/in\">
</FILE>
)",
       R"(TOTAL_FOLDERS="1" TOTAL_FILES="2" TOTAL_ARCHIVES="0")"},
      // The whole volume without subfolders: the source's root folder alone.
      {{}, false,
       R"(<FOLDER FolderType="DIRECTORY" NAME="Source0" PATH="\">
</FOLDER>
)",
       R"(TOTAL_FOLDERS="1" TOTAL_FILES="0" TOTAL_ARCHIVES="0")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.start.size() << " levels, subfolders " << c.subfolders);
    std::string document = Export(From(c.start, c.subfolders));
    EXPECT_EQ(Content(document), Crlf(c.expected));
    EXPECT_NE(document.find(c.totals), std::string::npos) << document;
  }
}

TEST_F(StartFolderTest, GivenStartPathIsTheBaseOfThePaths) {
  const struct {
    std::vector<std::string> start;
    const char* startPath;
    const char* firstPath;
  } cases[] = {
      {{"Source0", "Docs"}, "\\Elsewhere\\Docs\\", R"(PATH="\Elsewhere\Docs\")"},
      {{"Source0", "Docs"}, "\\Elsewhere\\Docs", R"(PATH="\Elsewhere\Docs\")"},
      {{"Source0", "pack.zip"}, "\\Elsewhere\\pack.zip", R"(PATH="\Elsewhere\pack.zip/")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.startPath);
    ExportOptions options = From(c.start, true);
    options.startPath = c.startPath;
    std::string content = Content(Export(options));
    EXPECT_NE(content.find(std::string(c.firstPath) + ">\r\n"), std::string::npos) << content;
  }
}

// A start folder deeper than 255 levels, where the level byte of the records cannot count: the path
// of the start is found through the parent keys.
TEST_F(XmlExporterTest, StartFolderDeeperThanTheLevelByte) {
  constexpr int kDepth = 257;
  MemoryNode bottom = MemoryNode::Folder("d" + std::to_string(kDepth), {MemoryNode::File("bottom", ".txt", 7)});
  for (int depth = kDepth - 1; depth >= 1; --depth) bottom = MemoryNode::Folder("d" + std::to_string(depth), {bottom});
  MemorySource source;
  source.children = {bottom};
  Load({source}, {true});
  std::vector<std::string> path = {"Source0"};
  std::string expectedPath = "\\Source0\\";
  for (int depth = 1; depth <= kDepth; ++depth) {
    path.push_back("d" + std::to_string(depth));
    expectedPath += "d" + std::to_string(depth) + "\\";
  }
  ExportOptions options;
  options.attributeForm = true;
  options.columnEnabled.fill(false);
  options.SetColumnEnabled(6, true);
  options.startPosition = Find(path).key;
  EXPECT_EQ(Content(Export(options)), Crlf("<FILE NAME=\"bottom.txt\" PATH=\"" + expectedPath + "\">\n</FILE>\n"));
}

// Names beyond ASCII, bytes that are not UTF-8 and control bytes: the document holds references,
// and a parser reads the characters back.
TEST_F(XmlExporterTest, ParserReadsTheCharactersBack) {
  MemorySource source;
  source.children = {MemoryNode::File("caf\xC3\xA9", ".txt", 1), MemoryNode::File("\xE6\x97\xA5\xE6\x9C\xAC", "", 2),
                     MemoryNode::File("bad\xE9", "", 3), MemoryNode::File("tab\there", "", 4),
                     MemoryNode::File("\xF0\x9F\x98\x80", ".txt", 5)};
  Load({source}, {false}, "Caf\xC3\xA9 <&>");
  ExportOptions options;
  options.attributeForm = true;
  std::string document = Export(options);
  for (const char* reference : {R"(NAME="caf&#233;.txt")", R"(NAME="&#26085;&#26412;")", R"(NAME="bad&#233;")",
                                R"(NAME="tab here")", R"(NAME="&#128512;.txt")", R"(NAME="Caf&#233; &lt;&amp;&gt;")"}) {
    EXPECT_NE(document.find(reference), std::string::npos) << reference;
  }
  EXPECT_EQ(document.find_first_of(std::string("\x80\xFF\t", 3)), std::string::npos) << "not plain ASCII";
  const std::pair<const char*, const char*> parsed[] = {
      {"string(//FILE[1]/@NAME)", "caf\xC3\xA9.txt"},
      {"string(//FILE[2]/@NAME)", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"string(//FILE[3]/@NAME)", "bad\xC3\xA9"},  // the byte 0xE9 read as Latin-1
      {"string(//FILE[4]/@NAME)", "tab here"},
      {"string(//FILE[5]/@NAME)", "\xF0\x9F\x98\x80.txt"},
      {"string(//VOLUME/@NAME)", "Caf\xC3\xA9 <&>"},
  };
  for (const auto& [xpath, value] : parsed) {
    EXPECT_EQ(testing::XmlString(OutputPath(), xpath), value) << xpath;
  }
}

TEST_F(XmlExporterTest, PictureGetsAnEmptyMediaSection) {
  MemorySource source;
  source.children = {Picture()};
  Load({source}, {false});
  ExportOptions options;
  options.attributeForm = true;
  options.columnEnabled.fill(false);
  EXPECT_EQ(Content(Export(options)), Crlf(R"(<FILE NAME="pic.png">
<EXTRA_INFORMATION>
</EXTRA_INFORMATION>
</FILE>
)"));
}

TEST_F(XmlExporterTest, EmptyVolumeAndSecondFolderEnd) {
  // Two folder sources: each root has a second folder end that closes nothing.
  Load({MemorySource{}, MemorySource{}}, {true, true});
  ExportOptions options;
  options.attributeForm = true;
  options.columnEnabled.fill(false);
  EXPECT_EQ(Content(Export(options)), Crlf(R"(<FOLDER FolderType="DIRECTORY" NAME="Source0">
</FOLDER>
<FOLDER FolderType="DIRECTORY" NAME="Source1">
</FOLDER>
)"));
}

// Failures of the output file: the file that was there stays, nothing else is left behind.
TEST_F(SmallVolumeTest, OutputFailuresKeepTheOldFile) {
  const struct {
    const char* name;
    void (*arrange)(testing::FaultFileSystem&);
    const char* message;
  } cases[] = {
      {"first write", [](testing::FaultFileSystem& fs) { fs.failWritesFrom = 1; }, messages::kCouldNotWriteExport},
      {"disk full", [](testing::FaultFileSystem& fs) { fs.diskSpace = 1000; }, messages::kCouldNotWriteExport},
      {"sync", [](testing::FaultFileSystem& fs) { fs.failSync = true; }, messages::kCouldNotWriteExport},
      {"rename", [](testing::FaultFileSystem& fs) { fs.failRename = true; }, messages::kCouldNotWriteExport},
      {"create", [](testing::FaultFileSystem& fs) { fs.failCreate = true; }, messages::kCantCreateTemporaryFile},
  };
  TempDir out;
  const std::string target = out.File("out.xml");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::WriteFileBytes(target, "old document");
    testing::FaultFileSystem faults;
    c.arrange(faults);
    ExportOptions options;
    options.outputPath = target;
    RecordingPrompter prompter;
    XmlExporter exporter(*volume_, options, faults, prompter);
    EXPECT_FALSE(exporter.Run());
    EXPECT_EQ(prompter.Errors(), std::vector<std::string>{c.message});
    EXPECT_EQ(testing::ReadFileBytes(target), "old document");
    EXPECT_EQ(testing::ListNames(out.path()), std::vector<std::string>{"out.xml"});
  }
}

// A stop asked through the progress leaves the output as it was, without a message; a progress
// that lets it go on changes nothing in the document, and is told of the walk from its start.
TEST_F(SmallVolumeTest, ProgressCanStopTheExport) {
  const std::string plain = Export(ExportOptions{});
  for (const bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "stopped" : "let go on");
    testing::WriteFileBytes(OutputPath(), "old document");
    ExportOptions options;
    options.outputPath = OutputPath();
    XmlExporter exporter(*volume_, options, platform::FileSystem::Default(), prompter_);
    std::vector<std::pair<uint64_t, uint64_t>> told;
    exporter.SetProgress([&](uint64_t done, uint64_t total) {
      told.emplace_back(done, total);
      return !stop;
    });
    EXPECT_EQ(exporter.Run(), !stop);
    EXPECT_EQ(exporter.Stopped(), stop);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front().first, 0u);
    EXPECT_GT(told.front().second, 0u);
    EXPECT_EQ(testing::ReadFileBytes(OutputPath()), stop ? "old document" : plain);
    EXPECT_EQ(testing::ListNames(dir_.path()), (std::vector<std::string>{"out.xml", "v.vkt"}));
    EXPECT_TRUE(prompter_.Errors().empty());
  }
}

TEST_F(SmallVolumeTest, ReplacesAnExistingFile) {
  testing::WriteFileBytes(OutputPath(), std::string(100000, 'x'));
  std::string document = Export(ExportOptions{});
  EXPECT_EQ(document.rfind("<?xml", 0), 0u);
  EXPECT_EQ(document.substr(document.size() - 9), "</ROOT>\r\n");
}

TEST_F(SmallVolumeTest, NothingWithoutAVolumeOrAnOutputPath) {
  VolumeCatalog unloaded(platform::FileSystem::Default(), prompter_);
  ExportOptions options;
  options.outputPath = OutputPath();
  XmlExporter notLoaded(unloaded, options, platform::FileSystem::Default(), prompter_);
  EXPECT_FALSE(notLoaded.Run());
  // The caller has said "Please, load some volume first.".
  EXPECT_TRUE(prompter_.entries.empty());

  XmlExporter noPath(*volume_, ExportOptions{}, platform::FileSystem::Default(), prompter_);
  EXPECT_FALSE(noPath.Run());
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kCouldNotWriteExport});
  EXPECT_FALSE(std::filesystem::exists(OutputPath()));
}

TEST_F(SmallVolumeTest, NeverReplacesTheVolumeItReads) {
  const std::string volumeBytes = testing::ReadFileBytes(VolumePath());
  testing::CurrentDirectoryGuard inside(dir_.path());
  for (const std::string& path : {VolumePath(), std::string("v.vkt"), dir_.path() + "/./v.vkt"}) {
    SCOPED_TRACE(path);
    prompter_.entries.clear();
    ExportOptions options;
    options.outputPath = path;
    XmlExporter exporter(*volume_, options, platform::FileSystem::Default(), prompter_);
    EXPECT_FALSE(exporter.Run());
    EXPECT_EQ(prompter_.Errors(), std::vector<std::string>{messages::kExportWouldReplaceVolume});
    EXPECT_EQ(testing::ReadFileBytes(VolumePath()), volumeBytes);
  }
}

// Damaged volumes end the export with a message; the old output stays, the walk never loops.
TEST_F(SmallVolumeTest, DamagedVolumes) {
  volume_->CloseVolume();
  const std::string pristine = testing::ReadFileBytes(VolumePath());
  Reopen();
  const uint64_t treeStart = volume_->Header().treeStart;
  const ContentItem root = Find({"Source0"});
  const ContentItem folder = Find({"Source0", "Tom & Jerry"});
  const ContentItem readme = Find({"Source0", "README"});
  const ContentItem pack = Find({"Source0", "pack.zip"});
  const ContentItem inner = Find({"Source0", "pack.zip", "inner"});
  volume_->CloseVolume();
  auto putKey = [](std::string& bytes, uint64_t offset, uint32_t key) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(key >> (8 * i));
  };
  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    bool subfolders;
    bool archiveContent;
    RecordKey start;
  } cases[] = {
      {"unknown tag", [&](std::string& b) { b[treeStart + readme.key] = 0x05; }, true, false, 0},
      {"end key before the folder", [&](std::string& b) { putKey(b, folder.folder.endKeyOffset, 0); }, true, false, 0},
      // Without subfolders the walk steps over the root folder by its end key.
      {"end key past the tree", [&](std::string& b) { putKey(b, root.folder.endKeyOffset, 0x7FFFFFF0); }, false, false,
       0},
      // Inside the tree, but past the end of the archive that holds it.
      {"end key past its archive", [&](std::string& b) { putKey(b, inner.folder.endKeyOffset, pack.archive.endKey + 1); },
       true, true, 0},
      {"folder end missing", [&](std::string& b) { b[treeStart + folder.folder.endKey - 1] = 0x00; }, true, false, 0},
      {"start is a file", [](std::string&) {}, true, false, readme.key},
      {"start's parent is itself", [&](std::string& b) { putKey(b, folder.folder.endKeyOffset + 4, folder.key); }, true,
       false, folder.key},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = pristine;
    c.damage(bytes);
    testing::WriteFileBytes(VolumePath(), bytes);
    testing::WriteFileBytes(OutputPath(), "old document");
    RecordingPrompter prompter;
    VolumeCatalog volume(platform::FileSystem::Default(), prompter);
    ASSERT_TRUE(volume.OpenVolume(VolumePath()));
    ExportOptions options;
    options.outputPath = OutputPath();
    options.includeSubfolders = c.subfolders;
    options.saveArchiveContent = c.archiveContent;
    options.startPosition = c.start;
    XmlExporter exporter(volume, options, platform::FileSystem::Default(), prompter);
    EXPECT_FALSE(exporter.Run());
    EXPECT_EQ(prompter.Errors(), std::vector<std::string>{messages::kExportVolumeDamaged});
    EXPECT_EQ(testing::ReadFileBytes(OutputPath()), "old document");
    EXPECT_EQ(testing::ListNames(dir_.path()), (std::vector<std::string>{"out.xml", "v.vkt"}));
  }
}

}  // namespace
}  // namespace volumist
