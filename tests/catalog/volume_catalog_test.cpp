// Opening, extending and renaming volumes, and reading damaged ones.
#include <gtest/gtest.h>

#include "catalog/coding.h"
#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_format.h"
#include "testing/byte_builder.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

// Every record of the tree as "key kind name".
std::vector<std::string> Records(VolumeCatalog& volume) {
  std::vector<std::string> lines;
  TreeWalker walker(volume, true);
  walker.Start();
  for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    if (step == TreeWalker::Step::kDamaged) {
      lines.push_back("damaged");
      break;
    }
    std::string key = std::to_string(walker.Key()) + " ";
    switch (step) {
      case TreeWalker::Step::kFolder: lines.push_back(key + "folder " + walker.Folder().name.Text()); break;
      case TreeWalker::Step::kArchive: lines.push_back(key + "archive " + walker.Archive().name.Text()); break;
      case TreeWalker::Step::kFile: lines.push_back(key + "file " + walker.File().name.Text()); break;
      case TreeWalker::Step::kLeave: lines.push_back(key + "leave"); break;
      case TreeWalker::Step::kSourceMark: lines.push_back(key + "mark " + std::to_string(walker.SourceMarkNumber())); break;
      default: break;
    }
  }
  return lines;
}

// Appends a description area and index to a volume without descriptions and points the header at
// them. Returns the area's bytes (area and index).
std::string AppendDescriptions(const std::string& path, const std::vector<std::pair<uint32_t, std::string>>& texts) {
  std::string bytes = testing::ReadFileBytes(path);
  uint32_t start = static_cast<uint32_t>(bytes.size());
  ByteBuilder area;
  area.U32(static_cast<uint32_t>(texts.size()));
  std::vector<std::pair<uint32_t, uint32_t>> index;
  for (const auto& [key, text] : texts) {
    index.emplace_back(key, static_cast<uint32_t>(area.size()));
    area.U32(key).U16(static_cast<uint16_t>(text.size())).Raw(text);
  }
  uint32_t indexStart = start + static_cast<uint32_t>(area.size());
  area.U8(0xA0).U32(static_cast<uint32_t>(index.size()));
  for (const auto& [key, offset] : index) area.U32(key).U32(offset);
  ByteBuilder field;
  field.U32(indexStart);
  bytes.replace(22, 4, field.bytes());
  testing::WriteFileBytes(path, bytes + area.bytes());
  return area.bytes();
}

class VolumeCatalogTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, ScanJob job, std::vector<MemorySource> sources) {
    job.volumeFileName = dir_.File(name);
    EXPECT_TRUE(testing::WriteVolume(job, std::move(sources), prompter_));
    return job.volumeFileName;
  }
  static MemorySource Source(std::vector<MemoryNode> children) {
    MemorySource source;
    source.children = std::move(children);
    return source;
  }

  TempDir dir_;
  RecordingPrompter prompter_;
};

TEST_F(VolumeCatalogTest, AddingSourcesKeepsOldKeysAndDescriptions) {
  ScanJob first = testing::MakeJob("", "Grown", {true});
  first.computeSignatures = first.signatureMd5 = true;
  first.fileTypeGroup = 7;
  std::string path = Make("grown.vkt", first,
                          {Source({MemoryNode::Folder("docs", {MemoryNode::File("a", ".txt", 3)}),
                                   MemoryNode::File("b", ".bin", 4)})});
  VolumeCatalog before(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(before.OpenVolume(path));
  std::vector<std::string> oldRecords = Records(before);
  const uint32_t oldTreeStart = before.Header().treeStart;
  before.CloseVolume();
  // Descriptions of the volume (key 0), of the folder docs (key 3 is the root; docs follows it) and
  // of the file a.txt.
  std::string area = AppendDescriptions(path, {{0, "the volume"}, {26, "a folder"}, {50, "a file"}});

  ScanJob second = testing::MakeJob(path, "ignored", {false});
  second.sources[0].sourceName = "A much longer source name that moves the tree";
  second.fileTypeGroup = 12;
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  testing::MemoryTreeWriter contents({Source({MemoryNode::File("c", "", 100), MemoryNode::Folder("e")})});
  ASSERT_TRUE(volume.AddToVolume(second, contents));
  EXPECT_TRUE(prompter_.entries.empty());

  ASSERT_TRUE(volume.IsLoaded());
  const VolumeHeader& header = volume.Header();
  EXPECT_EQ(header.volumeName, "Grown");
  EXPECT_GT(header.treeStart, oldTreeStart);
  // The old tree is unchanged under its old keys; the new source follows with mark number 0.
  std::vector<std::string> records = Records(volume);
  ASSERT_GE(records.size(), oldRecords.size());
  EXPECT_EQ(std::vector<std::string>(records.begin(), records.begin() + oldRecords.size()), oldRecords);
  std::vector<std::string> added(records.begin() + oldRecords.size(), records.end());
  RecordKey markKey = volume.Sources()[0].treeEndKey;
  EXPECT_EQ(added, (std::vector<std::string>{std::to_string(markKey) + " mark 0",
                                             std::to_string(markKey + 3) + " file c.",
                                             std::to_string(markKey + 13) + " folder e",
                                             std::to_string(markKey + 34) + " leave"}));
  // Descriptions moved as a whole and still name the same records.
  std::string bytes = testing::ReadFileBytes(path);
  EXPECT_EQ(bytes.substr(header.descriptionsStart), area);
  EXPECT_EQ(header.descriptionIndexStart - header.descriptionsStart, area.size() - 1 - 4 - 3 * 8);
  EXPECT_EQ(header.treeEnd, header.descriptionsStart);
  // Sources, counters, sizes and options add up.
  ASSERT_EQ(volume.Sources().size(), 2u);
  EXPECT_EQ(volume.Sources()[1].sourceIndex, 1);
  EXPECT_FALSE(volume.Sources()[1].isFolderSource);
  EXPECT_EQ(volume.Sources()[1].treeStartKey, markKey + 3);
  EXPECT_EQ(header.contentSize.Value(), 7u + 100u);
  EXPECT_EQ(header.counters.Snapshot(), (Counters{3, 3, 0, 3, 3}));
  EXPECT_TRUE(header.scanOptions.computeSignatures);
  EXPECT_TRUE(header.scanOptions.signatureMd5);
  EXPECT_EQ(header.scanOptions.fileTypeGroup, 0u);
  EXPECT_EQ(volume.Sources()[1].options, header.scanOptions);
  EXPECT_EQ(second.Options(), header.scanOptions);  // the job now records what the volume does
  EXPECT_EQ(volume.Sources()[0].options.fileTypeGroup, 7u);  // the first source keeps its own options
}

TEST_F(VolumeCatalogTest, AddingToAMissingOrForeignFileFails) {
  ScanJob job = testing::MakeJob(dir_.File("missing.vkt"), "X", {true});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  testing::MemoryTreeWriter contents({Source({})});
  EXPECT_FALSE(volume.AddToVolume(job, contents));
  testing::WriteFileBytes(dir_.File("foreign.vkt"), std::string(400, 'x'));
  job.volumeFileName = dir_.File("foreign.vkt");
  EXPECT_FALSE(volume.AddToVolume(job, contents));
  EXPECT_EQ(prompter_.Errors(),
            (std::vector<std::string>{messages::kCouldNotOpenForAdding, messages::kCouldNotOpenVolume}));
  EXPECT_EQ(testing::ReadFileBytes(dir_.File("foreign.vkt")), std::string(400, 'x'));
}

TEST_F(VolumeCatalogTest, MagicMustMatchInEveryByte) {
  std::string path = Make("magic.vkt", testing::MakeJob("", "M", {true}), {Source({})});
  std::string good = testing::ReadFileBytes(path);
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(path));
  for (size_t i = 0; i < format::kVolumeMagic.size(); ++i) {
    std::string bad = good;
    bad[i] ^= 0x20;
    testing::WriteFileBytes(path, bad);
    EXPECT_FALSE(volume.OpenVolume(path)) << i;
    EXPECT_FALSE(volume.IsLoaded());
  }
  EXPECT_EQ(prompter_.Errors(), std::vector<std::string>(10, messages::kCouldNotOpenForRead));
  prompter_.entries.clear();
  volume.SetQuiet(true);
  EXPECT_FALSE(volume.OpenVolume(dir_.File("nothing.vkt")));
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeCatalogTest, VolumeNamesUpTo255BytesAreWrittenInPlace) {
  std::string path = Make("name.vkt", testing::MakeJob("", "Old", {true}),
                          {Source({MemoryNode::File("kept", "", 1)})});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(path));
  std::string before = testing::ReadFileBytes(path);

  std::string longest(255, 'n');
  ASSERT_TRUE(volume.SetVolumeName(longest));
  EXPECT_TRUE(volume.IsLoaded());
  EXPECT_EQ(volume.Header().volumeName, longest);
  std::string after = testing::ReadFileBytes(path);
  EXPECT_EQ(after.substr(67, 256), longest + '\0');
  EXPECT_EQ(after.substr(0, 67), before.substr(0, 67));
  EXPECT_EQ(after.substr(323), before.substr(323));

  EXPECT_FALSE(volume.SetVolumeName(std::string(256, 'n')));
  EXPECT_EQ(testing::ReadFileBytes(path), after);
  ASSERT_TRUE(volume.SetVolumeName("Short"));
  EXPECT_EQ(testing::ReadFileBytes(path).substr(67, 256), "Short" + std::string(251, '\0'));
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeCatalogTest, RenamingAFileThatIsNoVolumeFails) {
  std::string path = Make("bad.vkt", testing::MakeJob("", "Old", {true}), {Source({})});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(path));
  std::string bytes = testing::ReadFileBytes(path);
  bytes[3] = '?';
  testing::WriteFileBytes(path, bytes);
  EXPECT_FALSE(volume.SetVolumeName("New"));
  EXPECT_EQ(prompter_.Errors(),
            (std::vector<std::string>{messages::kBadVolumeCannotRename, messages::kCouldNotOpenForRead}));
  EXPECT_EQ(testing::ReadFileBytes(path), bytes);
}

TEST_F(VolumeCatalogTest, DescriptionsAfterTheTreeAreNeverReadAsRecords) {
  // A drive source's top entries end at treeEnd, whatever the description count looks like.
  std::string path = Make("desc.vkt", testing::MakeJob("", "D", {false}),
                          {Source({MemoryNode::File("a", "", 1), MemoryNode::File("b", "", 2)})});
  AppendDescriptions(path, {{0x82, "looks like a folder tag"}, {1, "x"}});
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(path));
  std::vector<std::string> names;
  EXPECT_EQ(ReadTopLevel(volume,
                         [&](const ContentItem& item) {
                           names.push_back(item.file.name.Text());
                           return true;
                         }),
            ListingEnd::kComplete);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
}

TEST_F(VolumeCatalogTest, ZeroOrUnknownTagsEndAFolder) {
  std::string path = Make("tags.vkt", testing::MakeJob("", "T", {false}),
                          {Source({MemoryNode::File("a", "", 1), MemoryNode::File("b", "", 2),
                                   MemoryNode::File("c", "", 3)})});
  std::string bytes = testing::ReadFileBytes(path);
  VolumeCatalog reader(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(reader.OpenVolume(path));
  uint32_t treeStart = reader.Header().treeStart;
  reader.CloseVolume();
  // Records: mark (3 bytes), a (1 + 2 + 1 + 2 + 4 = 10 bytes), b, c.
  for (char tag : {'\x00', '\x30'}) {
    std::string changed = bytes;
    changed[treeStart + 3 + 10] = tag;
    testing::WriteFileBytes(path, changed);
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume.OpenVolume(path));
    std::vector<std::string> names;
    ListingEnd end = ReadTopLevel(volume, [&](const ContentItem& item) {
      names.push_back(item.file.name.Text());
      return true;
    });
    EXPECT_EQ(names, std::vector<std::string>{"a"});
    EXPECT_EQ(end, tag == 0 ? ListingEnd::kComplete : ListingEnd::kDamaged);
  }
}

TEST_F(VolumeCatalogTest, HostileEndKeysEndTheListing) {
  std::string path = Make("keys.vkt", testing::MakeJob("", "K", {false}),
                          {Source({MemoryNode::Folder("f", {MemoryNode::File("a", "", 1)}), MemoryNode::File("b", "", 2)})});
  std::string bytes = testing::ReadFileBytes(path);
  VolumeCatalog reader(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(reader.OpenVolume(path));
  uint32_t treeStart = reader.Header().treeStart;
  reader.CloseVolume();
  // The folder record at key 3: tag, name (2 bytes), size (5), level (1), self (4), end (4).
  size_t endKeyAt = treeStart + 3 + 1 + 2 + 5 + 1 + 4;
  for (uint32_t endKey : {0u, 3u, 12u, 0xFFFFFFFFu, 100000u}) {
    SCOPED_TRACE(endKey);
    std::string changed = bytes;
    ByteBuilder key;
    key.U32(endKey);
    changed.replace(endKeyAt, 4, key.bytes());
    testing::WriteFileBytes(path, changed);
    VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume.OpenVolume(path));
    int items = 0;
    EXPECT_EQ(ReadTopLevel(volume, [&](const ContentItem&) { return ++items > 0; }), ListingEnd::kDamaged);
    EXPECT_EQ(items, 0);
  }
}

// Every truncation and every single-byte change of a small volume is read without a crash and
// without reading out of bounds (the sanitizer build checks that): opening fails with the message,
// or listings end.
TEST_F(VolumeCatalogTest, DamagedVolumesNeverCrashTheReaders) {
  std::string path = Make("small.vkt", testing::MakeJob("", "S", {true, false}),
                          {Source({MemoryNode::Folder("f", {MemoryNode::File("a", ".txt", 1)}),
                                   MemoryNode::Archive("z", ".zip", 9, 1, {MemoryNode::File("in", "", 1)})}),
                           Source({MemoryNode::File("b", "", 2)})});
  const std::string good = testing::ReadFileBytes(path);
  RecordingPrompter quiet;
  auto exercise = [&](const std::string& bytes) {
    testing::WriteFileBytes(path, bytes);
    VolumeCatalog volume(platform::FileSystem::Default(), quiet);
    if (!volume.OpenVolume(path)) return;
    Records(volume);
    std::function<void(const NestingFields*, int)> listAll = [&](const NestingFields* container, int depth) {
      if (depth > 8) return;
      std::vector<ContentItem> items;
      auto collect = [&](const ContentItem& item) {
        items.push_back(item);
        return true;
      };
      if (container) {
        ReadFolderContents(volume, *container, collect);
      } else {
        ReadTopLevel(volume, collect);
      }
      for (const ContentItem& item : items) {
        if (item.kind == RecordKind::kFolder) listAll(&item.folder, depth + 1);
        if (item.kind == RecordKind::kArchive) listAll(&item.archive, depth + 1);
      }
    };
    listAll(nullptr, 0);
    for (const SourceEntry& source : volume.Sources().Entries()) volume.FindSourceForKey(source.treeStartKey);
  };
  for (size_t length = 0; length < good.size(); ++length) exercise(good.substr(0, length));
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x1F}, uint8_t{0x80}}) {
      std::string bad = good;
      bad[i] = static_cast<char>(value);
      exercise(bad);
    }
  }
  // Truncated files never open: their header points past their end.
  for (const auto& entry : quiet.entries) EXPECT_EQ(entry.text, messages::kCouldNotOpenForRead);
}

}  // namespace
}  // namespace volumist

namespace volumist {
namespace {

// A volume that opens but whose header or description index is damaged says so, and what can be
// read of it still reads.
TEST_F(VolumeCatalogTest, DamagedHeadersAndIndexesAreReported) {
  std::string path = Make("d.vkt", testing::MakeJob("", "D", {false}), {Source({MemoryNode::File("a", "", 1)})});
  const std::string bare = testing::ReadFileBytes(path);
  AppendDescriptions(path, {{0, "the volume"}, {FileDescriptionKey(3), "a file"}});
  const std::string good = testing::ReadFileBytes(path);
  const uint32_t areaStart = static_cast<uint32_t>(bare.size());
  const uint32_t indexStart = static_cast<uint32_t>(DecodeFixed(reinterpret_cast<const uint8_t*>(good.data()) + 22, 4));
  auto field = [](uint32_t value) { return ByteBuilder().U32(value).bytes(); };
  struct Case {
    const char* what;
    std::string bytes;
    VolumeDamage damage;
    size_t descriptions;  // that still read
  };
  std::vector<Case> cases = {
      {"intact", good, VolumeDamage::kNone, 2},
      {"no descriptions at all", bare, VolumeDamage::kNone, 0},
      {"index mark overwritten", std::string(good).replace(indexStart, 1, "\x01"), VolumeDamage::kDescriptionIndex, 0},
      {"count beyond the pairs", std::string(good).replace(indexStart + 1, 4, field(3)), VolumeDamage::kDescriptionIndex, 2},
      {"bytes after the index", good + "xx", VolumeDamage::kDescriptionIndex, 2},
      {"pair pointing past the area", std::string(good).replace(indexStart + 5 + 4, 4, field(5000)),
       VolumeDamage::kDescriptionIndex, 1},
      {"area without an index", std::string(good).replace(22, 4, field(static_cast<uint32_t>(good.size()))),
       VolumeDamage::kDescriptionIndex, 0},
      {"index inside the area's count", std::string(good).replace(22, 4, field(areaStart + 2)),
       VolumeDamage::kDescriptionIndex, 0},
      {"tree ending before the descriptions", std::string(good).replace(14, 4, field(areaStart - 1)),
       VolumeDamage::kAreasApart, 2},
      {"a byte between tree and descriptions",
       std::string(good).insert(areaStart, 1, '\0').replace(18, 8, field(areaStart + 1) + field(indexStart + 1)),
       VolumeDamage::kAreasApart, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::WriteFileBytes(path, c.bytes);
    RecordingPrompter quiet;
    VolumeCatalog volume(platform::FileSystem::Default(), quiet);
    ASSERT_TRUE(volume.OpenVolume(path));
    EXPECT_EQ(volume.Damage(), c.damage);
    EXPECT_TRUE(quiet.entries.empty());
    size_t found = volume.GetDescription(0).has_value() + volume.GetDescription(FileDescriptionKey(3)).has_value();
    EXPECT_EQ(found, c.descriptions);
    // Without its descriptions a volume is not read as far as its index.
    ASSERT_TRUE(volume.OpenVolume(path, false));
    EXPECT_EQ(volume.Damage(), c.damage == VolumeDamage::kAreasApart ? c.damage : VolumeDamage::kNone);
  }
}

}  // namespace
}  // namespace volumist
