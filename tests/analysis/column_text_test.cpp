// The cell texts of the file-list columns for items read back from a volume.
#include <gtest/gtest.h>

#include "analysis/column_text.h"
#include "catalog/folder_contents.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;

MemoryNode WithMedia(MemoryNode node, uint8_t type, decltype(MediaInfo::body) body) {
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = type;
  node.mediaInfo.body = std::move(body);
  return node;
}

class ColumnTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Mp3Info song;
    song.title = "Title", song.artist = "Artist", song.album = "Album", song.comment = "Comment", song.year = "1999";
    song.lengthSeconds = 187, song.mpegHeaderBits = 3 | (9 << 4), song.vbrBitrate = 131;
    AviInfo movie;
    movie.width = 640, movie.height = 480, movie.frameCount = 1500, movie.framesPerSecond = 25, movie.videoCodec = 5;
    movie.audioCodec = 85, movie.audioBitrate = 128000, movie.audioSampleRate = 44100, movie.audioChannels = 2;
    MpegInfo clip;
    clip.width = 352, clip.height = 288, clip.frameRateCode = 3, clip.audioLayer = 2, clip.audioBitrateIndex = 11;
    clip.lengthSeconds = 65;
    ImageInfo picture;
    picture.width = 1024, picture.height = 768, picture.bitsPerPixel = 8, picture.thumbnail = {1, 2, 3};
    MemoryNode signedFile = MemoryNode::File("sum", ".bin", 1234567, 1070633220);
    signedFile.hasSignatures = true;
    signedFile.signatures.hasCrc32 = true, signedFile.signatures.crc32 = 0xCAFE;
    signedFile.signatures.hasMd5 = true, signedFile.signatures.md5[0] = 0xAB;
    signedFile.signatures.hasMd4 = true, signedFile.signatures.md4[15] = 0xCD;
    signedFile.signatures.attrReadOnly = true;
    MemoryNode notAnalysed = MemoryNode::File("plain", ".mp3", 10);
    notAnalysed.hasMediaInfo = true;
    notAnalysed.mediaInfo.mediaType = kMediaMp3;
    testing::MemorySource source;
    source.children = {WithMedia(MemoryNode::File("song", ".mp3", 3000), kMediaMp3, song),
                       WithMedia(MemoryNode::File("movie", ".avi", 3000), kMediaAvi, movie),
                       WithMedia(MemoryNode::File("clip", ".mpg", 3000), kMediaMpeg, clip),
                       WithMedia(MemoryNode::File("photo", ".gif", 3000), kMediaGif, picture),
                       signedFile,
                       notAnalysed,
                       MemoryNode::Folder("folder.d", {MemoryNode::File("x", "", 5)}),
                       MemoryNode::Archive("pack", ".zip", 300, 1, {})};
    ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("v.vkt"), "V", {false}), {source}, prompter_));
    ASSERT_TRUE(volume_.OpenVolume(dir_.File("v.vkt")));
    ASSERT_EQ(ReadTopLevel(volume_, [&](const ContentItem& item) { items_.push_back(item); return true; }),
              ListingEnd::kComplete);
    ASSERT_EQ(items_.size(), 8u);
  }

  // The texts of `columns` for item `index`, joined by "|".
  std::string Texts(size_t index, std::initializer_list<ColumnId> columns, const ColumnContext& context = {}) {
    std::string joined;
    bool first = true;
    for (ColumnId column : columns) {
      joined += (first ? "" : "|") + ColumnText(items_[index], column, context);
      first = false;
    }
    return joined;
  }

  testing::TempDir dir_;
  testing::RecordingPrompter prompter_;
  VolumeCatalog volume_{platform::FileSystem::Default(), prompter_};
  std::vector<ContentItem> items_;
};

TEST_F(ColumnTextTest, AudioVideoSignatureAndImageColumns) {
  EXPECT_EQ(Texts(0, {ColumnId::kTitle, ColumnId::kArtist, ColumnId::kAlbum, ColumnId::kComment, ColumnId::kYear, ColumnId::kKbps,
                      ColumnId::kKhz, ColumnId::kLength, ColumnId::kGenre}),
            "Title|Artist|Album|Comment|1999|131 VBR|44100|3:07|");
  EXPECT_EQ(Texts(1, {ColumnId::kLengthFrames, ColumnId::kFrameSize, ColumnId::kRatio, ColumnId::kFps, ColumnId::kVideoCodec,
                      ColumnId::kVideoAudioKbps, ColumnId::kVideoAudioKhz, ColumnId::kChannels, ColumnId::kAudioCodec}),
            "1:00 (1500)|640 x 480|4:3|25.000|Xvid MPEG-4 Codec|128 kbps|44100|2 Stereo|MPEG Layer-III");
  EXPECT_EQ(Texts(2, {ColumnId::kLengthFrames, ColumnId::kFrameSize, ColumnId::kFps, ColumnId::kVideoCodec, ColumnId::kVideoAudioKbps,
                      ColumnId::kVideoAudioKhz, ColumnId::kChannels, ColumnId::kAudioCodec}),
            "1:05 (1625)|352 x 288|25.000|MPEG-1|224 kbps|44100|2 Stereo|MPEG Layer-II");
  EXPECT_EQ(Texts(3, {ColumnId::kImageSize, ColumnId::kImageColors, ColumnId::kImageInfo, ColumnId::kThumbnail}),
            "1024 x 768|256 Colors|1024 x 768\n256 Colors\n8 bits|");
  EXPECT_EQ(Texts(4, {ColumnId::kCrc32, ColumnId::kMd4, ColumnId::kMd5, ColumnId::kAttributes}),
            "0000cafe|000000000000000000000000000000CD|ab000000000000000000000000000000|r---");
  // Media columns stay empty for items of other kinds and for a file whose analysis gave nothing.
  for (size_t i : {0u, 1u, 4u, 5u, 6u, 7u}) {
    SCOPED_TRACE(i);
    if (i != 0) {
      EXPECT_EQ(Texts(i, {ColumnId::kTitle, ColumnId::kKbps, ColumnId::kLength}), "||");
    }
    if (i != 1) {
      EXPECT_EQ(Texts(i, {ColumnId::kFrameSize, ColumnId::kVideoCodec, ColumnId::kAudioCodec}), "||");
    }
    EXPECT_EQ(Texts(i, {ColumnId::kImageSize, ColumnId::kImageInfo}), "|");
  }
  EXPECT_EQ(Texts(0, {ColumnId::kCrc32, ColumnId::kAttributes}), "|");
}

TEST_F(ColumnTextTest, MainColumnsAndCallerTexts) {
  EXPECT_EQ(Texts(4, {ColumnId::kName, ColumnId::kType, ColumnId::kSize, ColumnId::kModified, ColumnId::kSizePercent, ColumnId::kIcon}),
            "sum.bin|bin|1 234 567|05.12.2003 14:07||");
  EXPECT_EQ(Texts(6, {ColumnId::kName, ColumnId::kType, ColumnId::kSize, ColumnId::kModified, ColumnId::kAttributes}), "folder.d|<DIR>|5||");
  EXPECT_EQ(Texts(7, {ColumnId::kName, ColumnId::kType, ColumnId::kSize}), "pack.zip|zip|300");
  ColumnContext context{"A description", "Volume 1", "/music/old"};
  EXPECT_EQ(Texts(0, {ColumnId::kDescription, ColumnId::kVolume, ColumnId::kFolder}, context), "A description|Volume 1|/music/old");
  ColumnContext up{"Up to one level...", "", "", true};
  EXPECT_EQ(Texts(6, {ColumnId::kName, ColumnId::kType, ColumnId::kSize, ColumnId::kDescription}, up), "..|<UP>||Up to one level...");
  EXPECT_EQ(ColumnTitle(ColumnId::kLengthFrames), "Length(frames)");
  EXPECT_EQ(ColumnTitle(ColumnId::kVideoAudioKhz), "kHz");
  EXPECT_EQ(ColumnTitle(ColumnId::kIcon), "");
  EXPECT_EQ(ColumnTitle(static_cast<ColumnId>(36)), "");
}

TEST(ColumnTextRootTest, SourceRootsAreVolumes) {
  testing::TempDir dir;
  testing::RecordingPrompter prompter;
  testing::MemorySource source;
  source.children = {MemoryNode::File("a", ".txt", 1)};
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir.File("v.vkt"), "V", {true}), {source}, prompter));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  ASSERT_TRUE(volume.OpenVolume(dir.File("v.vkt")));
  std::vector<ContentItem> items;
  ASSERT_EQ(ReadTopLevel(volume, [&](const ContentItem& item) { items.push_back(item); return true; }), ListingEnd::kComplete);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(ColumnText(items[0], ColumnId::kType), "<VOL>");
  EXPECT_EQ(ColumnText(items[0], ColumnId::kName), "Source0");
}

}  // namespace
}  // namespace volumist
