// A volume written from a tree with every kind of record reads back field by field.
#include <gtest/gtest.h>

#include "catalog/folder_contents.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

MemoryNode WithMedia(MemoryNode node, uint8_t type, decltype(MediaInfo::body) body) {
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = type;
  node.mediaInfo.body = std::move(body);
  return node;
}

MemoryNode WithSignatures(MemoryNode node, bool crc, bool md4, bool md5, bool hidden) {
  node.hasSignatures = true;
  SignatureBlock& s = node.signatures;
  s.hasCrc32 = crc;
  s.crc32 = crc ? 0xCAFEBABE : 0;
  s.hasMd4 = md4;
  s.hasMd5 = md5;
  for (int i = 0; i < 16; ++i) {
    if (md4) s.md4[i] = static_cast<uint8_t>(i * 7);
    if (md5) s.md5[i] = static_cast<uint8_t>(255 - i);
  }
  s.attrHidden = hidden;
  s.attrReadOnly = !hidden;
  s.attrArchive = true;
  return node;
}

std::vector<MemorySource> RichSources() {
  AviInfo avi;
  avi.width = 640;
  avi.height = 480;
  avi.frameCount = 132710;
  avi.videoCodec = 7;
  avi.framesPerSecond = 25.0f;
  avi.audioCodec = 0x55;
  avi.audioBitrate = 128000;
  avi.audioSampleRate = 44100;
  avi.audioChannels = 2;
  avi.isEmpty = false;
  MpegInfo mpeg;
  mpeg.width = 352;
  mpeg.height = 288;
  mpeg.frameRateCode = 3;
  mpeg.audioLayer = 2;
  mpeg.audioBitrateIndex = 11;
  mpeg.audioRateCode = 1;
  mpeg.audioChannelMode = 3;
  mpeg.lengthSeconds = 93.5f;
  mpeg.isEmpty = false;
  Mp3Info mp3;
  mp3.title = "Title";
  mp3.artist = "Artist \xC3\xA9";
  mp3.album = "Album";
  mp3.comment = "Comment";
  mp3.year = "2003";
  mp3.genre = 17;
  mp3.lengthSeconds = 187;
  mp3.mpegHeaderBits = 0x0197;
  mp3.vbrBitrate = 128;
  mp3.isEmpty = false;
  Mp3Info bare;  // no comment, year, genre or VBR bitrate
  bare.title = "Only a title";
  bare.lengthSeconds = 5;
  bare.isEmpty = false;
  ImageInfo image;
  image.width = 4000;
  image.height = 3000;
  image.bitsPerPixel = 24;
  image.thumbnail = {0xFF, 0xD8, 0x01, 0x02, 0xFF, 0xD9};
  image.thumbnailLength = 6;
  image.isEmpty = false;

  MemorySource folderSource;
  folderSource.volumeLabel = "DATA";
  folderSource.fileSystemName = "ext4";
  folderSource.driveType = kDriveFixed;
  folderSource.serialNumber = 0x12345678;
  folderSource.totalBytes = 500107862016ull;
  folderSource.freeBytes = 123456789;
  folderSource.children = {
      MemoryNode::Folder("Music", {WithMedia(MemoryNode::File("song", ".mp3", 4000000, 1070633220), kMediaMp3, mp3),
                                   WithMedia(MemoryNode::File("short", ".MP3", 100), kMediaMp3, bare),
                                   MemoryNode::Folder("Empty")}),
      MemoryNode::Folder("Video.2003", {WithMedia(MemoryNode::File("film", ".avi", 734003200), kMediaAvi, avi),
                                        WithMedia(MemoryNode::File("clip", ".mpg", 5000), kMediaMpeg, mpeg),
                                        WithMedia(MemoryNode::File("broken", ".mpeg", 10), kMediaMpeg, {})}),
      WithMedia(MemoryNode::File("photo", ".jpg", 3500000), kMediaJpeg, image),
      WithSignatures(MemoryNode::File("signed", ".bin", 65536), true, true, true, false),
      WithSignatures(MemoryNode::File("attributes only", "", 0), false, false, false, true),
      MemoryNode::Archive("pack", ".zip", 20000, 1,
                          {MemoryNode::Folder("docs", {MemoryNode::File("readme", ".txt", 1200)}),
                           WithSignatures(MemoryNode::File("inner", ".dat", 70000), true, false, false, false)}),
      MemoryNode::File("huge", ".iso", 5368709120ull),
  };
  MemorySource driveSource;
  driveSource.volumeLabel = "CDROM";
  driveSource.fileSystemName = "iso9660";
  driveSource.driveType = kDriveCdRom;
  driveSource.children = {MemoryNode::File("autorun", ".inf", 40), MemoryNode::Folder("setup", {MemoryNode::File("a", ".exe", 1)})};
  MemorySource secondFolder;
  secondFolder.children = {MemoryNode::File("x", ".txt", 3)};
  MemorySource secondDrive;
  secondDrive.children = {MemoryNode::Folder("only", {MemoryNode::Folder("deeper", {MemoryNode::File("z", "", 16777216)})})};
  return {folderSource, driveSource, secondFolder, secondDrive};
}

// Reads the contents of a container (or the top level) back into nodes.
std::vector<MemoryNode> ReadBack(VolumeCatalog& volume, const NestingFields* container, platform::File& file) {
  std::vector<ContentItem> items;
  auto collect = [&](const ContentItem& item) {
    items.push_back(item);
    return true;
  };
  ListingEnd end = container ? ReadFolderContents(volume, *container, collect) : ReadTopLevel(volume, collect);
  EXPECT_EQ(end, ListingEnd::kComplete);
  std::vector<MemoryNode> nodes;
  for (const ContentItem& item : items) {
    MemoryNode node;
    const FileRecord* record = nullptr;
    switch (item.kind) {
      case RecordKind::kFolder:
        node = MemoryNode::Folder(item.folder.name.Text(), ReadBack(volume, &item.folder, file));
        break;
      case RecordKind::kArchive:
        node = MemoryNode::Archive(item.archive.name.Text(), item.archive.extension.Text(), item.archive.size.Value(),
                                   item.archive.archiveKind, ReadBack(volume, &item.archive, file));
        record = &item.archive;
        break;
      default:
        node = MemoryNode::File(item.file.name.Text(), item.file.extension.Text(), item.file.size.Value());
        record = &item.file;
        node.hasMediaInfo = record->tag.hasMediaInfo;
        node.mediaInfo = record->mediaInfo;
        if (auto* image = std::get_if<ImageInfo>(&node.mediaInfo.body)) {
          image->thumbnail.resize(image->thumbnailLength);
          file.ReadAt(image->thumbnailOffset, std::as_writable_bytes(std::span(image->thumbnail)));
          image->thumbnailOffset = 0;
        }
        break;
    }
    if (record) {
      node.time = record->modifiedTime.Value();
      node.hasSignatures = record->tag.hasSignatures;
      node.signatures = record->signatures;
    }
    nodes.push_back(std::move(node));
  }
  return nodes;
}

void ExpectSameNodes(const std::vector<MemoryNode>& expected, const std::vector<MemoryNode>& actual,
                     const std::string& where) {
  ASSERT_EQ(expected.size(), actual.size()) << where;
  for (size_t i = 0; i < expected.size(); ++i) {
    const MemoryNode& e = expected[i];
    const MemoryNode& a = actual[i];
    std::string path = where + "/" + e.name + e.extension;
    SCOPED_TRACE(path);
    EXPECT_EQ(e.kind, a.kind);
    EXPECT_EQ(e.name, a.name);
    EXPECT_EQ(e.extension, a.extension);
    if (e.kind != MemoryNode::Kind::kFolder) {
      EXPECT_EQ(e.size, a.size);
      EXPECT_EQ(e.time, a.time);
      EXPECT_EQ(e.hasSignatures, a.hasSignatures);
      if (e.hasSignatures) {
      EXPECT_EQ(e.signatures, a.signatures);
    }
    }
    if (e.kind == MemoryNode::Kind::kArchive) {
      EXPECT_EQ(e.archiveKind, a.archiveKind);
    }
    if (e.kind == MemoryNode::Kind::kFile) {
      EXPECT_EQ(e.hasMediaInfo, a.hasMediaInfo);
      // A file whose analysis gave nothing is stored with media type 0.
      EXPECT_EQ(e.mediaInfo.HasBody() ? e.mediaInfo.mediaType : 0, a.mediaInfo.mediaType);
      EXPECT_EQ(e.mediaInfo.body, a.mediaInfo.body);
    }
    ExpectSameNodes(e.children, a.children, path);
  }
}

class VolumeRoundTripTest : public ::testing::Test {
 protected:
  TempDir dir_;
  RecordingPrompter prompter_;
};

TEST_F(VolumeRoundTripTest, EveryRecordKindReadsBackFieldByField) {
  ScanJob job = testing::MakeJob(dir_.File("rich.vkt"), "Rich volume", {true, false, true, false});
  job.computeSignatures = true;
  std::vector<MemorySource> sources = RichSources();
  ASSERT_TRUE(testing::WriteVolume(job, sources, prompter_));

  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("rich.vkt")));
  const VolumeHeader& header = volume.Header();
  EXPECT_EQ(header.volumeName, "Rich volume");
  EXPECT_EQ(header.scanOptions, job.Options());
  // Sizes: folders 4 000 000 + 100 + 734 003 200 + 5000 + 10 + 3 500 000 + 65 536 + 0 + 20 000 (the
  // archive's own size) + 5 368 709 120, then 40 + 1, 3, 16 777 216.
  uint64_t expectedContent = 4000000ull + 100 + 734003200 + 5000 + 10 + 3500000 + 65536 + 20000 + 5368709120ull +
                             41 + 3 + 16777216;
  EXPECT_EQ(header.contentSize.Value(), expectedContent);
  Counters counters = header.counters.Snapshot();
  EXPECT_EQ(counters.folderCount, 8u);       // root, Music, Empty, Video.2003; setup; root; only, deeper
  EXPECT_EQ(counters.fileCount, 14u);        // nine files and the archive in the first source, 2 + 1 + 1
  EXPECT_EQ(counters.archiveCount, 1u);
  EXPECT_EQ(counters.totalFolderCount, 9u);  // and docs in the archive
  EXPECT_EQ(counters.totalFileCount, 16u);    // and readme and inner
  EXPECT_EQ(header.treeEnd, volume.VolumeFileSize().Value());
  EXPECT_EQ(header.descriptionsStart, header.treeEnd);
  EXPECT_EQ(header.descriptionIndexStart, header.treeEnd);

  ASSERT_EQ(volume.Sources().size(), 4u);
  const SourceEntry& first = volume.Sources()[0];
  EXPECT_TRUE(first.isFolderSource);
  EXPECT_EQ(first.sourceIndex, 0);
  EXPECT_EQ(first.sourceName.Text(), "Source0");
  EXPECT_EQ(first.rootPath.Text(), "/source0");
  EXPECT_EQ(first.volumeLabel.Text(), "DATA");
  EXPECT_EQ(first.fileSystemName.Text(), "ext4");
  EXPECT_EQ(first.driveType, kDriveFixed);
  EXPECT_EQ(first.serialNumber, 0x12345678u);
  EXPECT_EQ(first.totalBytes, 500107862016ull);
  EXPECT_EQ(first.freeBytes, 123456789u);
  EXPECT_EQ(first.options, job.Options());
  EXPECT_TRUE(first.scanAgain);
  const SourceEntry& second = volume.Sources()[1];
  EXPECT_FALSE(second.isFolderSource);
  EXPECT_EQ(second.sourceIndex, 1);
  EXPECT_EQ(second.driveType, kDriveCdRom);
  // The key ranges follow one another, each separated by the next source's 3-byte mark.
  for (size_t i = 0; i + 1 < volume.Sources().size(); ++i) {
    EXPECT_EQ(volume.Sources()[i].treeEndKey + 3, volume.Sources()[i + 1].treeStartKey);
  }
  EXPECT_EQ(volume.Sources()[0].treeStartKey, 3u);
  EXPECT_EQ(volume.AbsoluteOffset(volume.Sources()[3].treeEndKey), header.treeEnd);

  auto file = platform::FileSystem::Default().OpenForRead(dir_.File("rich.vkt"));
  ASSERT_TRUE(file);
  std::vector<MemoryNode> expected = {
      MemoryNode::Folder("Source0", sources[0].children),
  };
  expected.insert(expected.end(), sources[1].children.begin(), sources[1].children.end());
  expected.push_back(MemoryNode::Folder("Source2", sources[2].children));
  expected.insert(expected.end(), sources[3].children.begin(), sources[3].children.end());
  ExpectSameNodes(expected, ReadBack(volume, nullptr, *file.file), "");
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(VolumeRoundTripTest, KeysLevelsAndParentsFollowTheTree) {
  ScanJob job = testing::MakeJob(dir_.File("keys.vkt"), "Keys", {true, false});
  ASSERT_TRUE(testing::WriteVolume(job, RichSources(), prompter_));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("keys.vkt")));

  // Walk everything; every nested record must lie inside its parent's range, at one level deeper.
  struct Open {
    RecordKey self;
    RecordKey end;
    int level;
    bool sourceRoot;
  };
  std::vector<Open> open;
  TreeWalker walker(volume, false);
  walker.Start();
  int sourceIndex = -1;
  int records = 0;
  for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
    ASSERT_NE(step, TreeWalker::Step::kDamaged);
    const SourceEntry* source = sourceIndex >= 0 ? &volume.Sources()[sourceIndex] : nullptr;
    if (step == TreeWalker::Step::kSourceMark) {
      ++sourceIndex;
      EXPECT_EQ(walker.SourceMarkNumber(), sourceIndex);
      EXPECT_EQ(walker.Key() + 3, volume.Sources()[sourceIndex].treeStartKey);
      continue;
    }
    if (step == TreeWalker::Step::kLeave) {
      ASSERT_FALSE(open.empty());
      // The folder end sits at endKey - 1; the root of a folder source has a second end after it.
      EXPECT_EQ(walker.Key() + (open.back().sourceRoot ? 2 : 1), open.back().end);
      open.pop_back();
      continue;
    }
    ++records;
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(volume.FindSourceForKey(walker.Key()) == source);
    const NestingFields* nested = step == TreeWalker::Step::kFolder    ? static_cast<const NestingFields*>(&walker.Folder())
                                  : step == TreeWalker::Step::kArchive ? &walker.Archive()
                                                                       : nullptr;
    if (nested) {
      EXPECT_EQ(nested->selfKey, walker.Key());
      EXPECT_GT(nested->endKey, nested->selfKey);
      int expectedLevel = open.empty() ? 0 : open.back().level + 1;
      EXPECT_EQ(nested->level, expectedLevel);
      RecordKey expectedParent = open.empty() ? source->treeStartKey : open.back().self;
      EXPECT_EQ(nested->parentKey, expectedParent);
      if (!open.empty()) {
      EXPECT_LE(nested->endKey, open.back().end);
    }
      bool sourceRoot = step == TreeWalker::Step::kFolder && walker.Folder().tag.isSourceRoot;
      EXPECT_EQ(sourceRoot, open.empty() && source->isFolderSource);
      open.push_back({nested->selfKey, nested->endKey, nested->level, sourceRoot});
    }
  }
  EXPECT_TRUE(open.empty());
  EXPECT_EQ(records, 20);  // 17 in the folder source, 3 in the drive source
}

TEST_F(VolumeRoundTripTest, CompactModeJoinsNameDotAndExtension) {
  ScanJob job = testing::MakeJob(dir_.File("compact.vkt"), "Compact", {false});
  MemorySource source;
  source.children = {MemoryNode::File("readme", "", 1), MemoryNode::File("a", ".txt", 2),
                     MemoryNode::Archive("b", ".zip", 3, 1, {MemoryNode::File("c", ".d", 1)})};
  ASSERT_TRUE(testing::WriteVolume(job, {source}, prompter_));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume.OpenVolume(dir_.File("compact.vkt")));

  for (bool compact : {false, true}) {
    std::vector<std::pair<std::string, std::string>> names;
    TreeWalker walker(volume, compact);
    walker.Start();
    for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      if (step == TreeWalker::Step::kFile) names.emplace_back(walker.File().name.Text(), walker.File().extension.Text());
      if (step == TreeWalker::Step::kArchive) {
        names.emplace_back(walker.Archive().name.Text(), walker.Archive().extension.Text());
      }
    }
    using Names = std::vector<std::pair<std::string, std::string>>;
    if (compact) {
      EXPECT_EQ(names, (Names{{"readme.", "."}, {"a.txt", ".txt"}, {"b.zip", ".zip"}, {"c.d", ".d"}}));
    } else {
      EXPECT_EQ(names, (Names{{"readme", ""}, {"a", ".txt"}, {"b", ".zip"}, {"c", ".d"}}));
    }
  }
}

}  // namespace
}  // namespace volumist
