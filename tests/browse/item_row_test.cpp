// Rows of item lists made from a volume's records and from search results: their kinds, keys and
// description keys, their cell texts (the same as the command line's for every column), and the
// "File data" pane's lines.
#include <gtest/gtest.h>

#include "analysis/column_text.h"
#include "browse/file_data.h"
#include "browse/item_row.h"
#include "browse_volume.h"

namespace volumist::browse {
namespace {

using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

MemoryNode WithMedia(MemoryNode node, uint8_t type, decltype(MediaInfo::body) body) {
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = type;
  node.mediaInfo.body = std::move(body);
  return node;
}

class ItemRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Mp3Info song;
    song.title = "Title", song.artist = "Artist", song.album = "Album", song.comment = "", song.year = "1999";
    song.lengthSeconds = 187, song.mpegHeaderBits = 3 | (9 << 4), song.vbrBitrate = 131, song.isEmpty = false;
    AviInfo movie;
    movie.width = 640, movie.height = 480, movie.frameCount = 1500, movie.framesPerSecond = 25, movie.videoCodec = 5;
    movie.audioCodec = 85, movie.audioBitrate = 128000, movie.audioSampleRate = 44100, movie.audioChannels = 2;
    movie.isEmpty = false;
    ImageInfo picture;
    picture.width = 1024, picture.height = 768, picture.bitsPerPixel = 8, picture.thumbnail = {1, 2, 3};
    picture.isEmpty = false;
    MemoryNode signedFile = MemoryNode::File("sum", ".bin", 1234567, 1070633220);
    signedFile.hasSignatures = true;
    signedFile.signatures.hasCrc32 = true, signedFile.signatures.crc32 = 0xCAFE;
    signedFile.signatures.hasMd4 = true, signedFile.signatures.md4[15] = 0xCD;
    signedFile.signatures.attrHidden = true;
    MemoryNode signedSong = WithMedia(MemoryNode::File("signed", ".mp3", 3000), kMediaMp3, song);
    signedSong.hasSignatures = true;
    signedSong.signatures.hasMd5 = true;
    MemorySource drive;
    drive.children = {WithMedia(MemoryNode::File("song", ".mp3", 3000, 1000000000), kMediaMp3, song),
                      WithMedia(MemoryNode::File("movie", ".avi", 3000), kMediaAvi, movie),
                      WithMedia(MemoryNode::File("photo", ".gif", 3000), kMediaGif, picture),
                      signedFile,
                      signedSong,
                      MemoryNode::Folder("folder.d", {MemoryNode::File("x", "", 5)}),
                      MemoryNode::Archive("pack", ".tar.gz", 300, 9, {MemoryNode::Folder("in")}),
                      MemoryNode::File("noext", "", 7)};
    MemorySource folder;
    folder.children = {MemoryNode::File("inside", ".txt", 1)};
    ASSERT_TRUE(volume_.Write({drive, folder}, {false, true}));
    std::optional<FolderListing> top = ReadFolderListing(volume_.Volume(), kRootKey);
    ASSERT_TRUE(top.has_value());
    rows_ = top->rows;
    ASSERT_TRUE(ReadTopLevel(volume_.Volume(), [&](const ContentItem& item) {
                  items_.push_back(item);
                  return true;
                }) == ListingEnd::kComplete);
    ASSERT_EQ(rows_.size(), 9u);
    ASSERT_EQ(items_.size(), 9u);
  }

  testing::BrowseVolume volume_;
  std::vector<ItemRow> rows_;
  std::vector<ContentItem> items_;
};

TEST_F(ItemRowTest, KindsKeysAndDescriptionKeys) {
  struct Expected {
    const char* name;
    RowKind kind;
    const char* extension;
  } expected[] = {
      {"song.mp3", RowKind::kFile, "mp3"},   {"movie.avi", RowKind::kFile, "avi"},   {"photo.gif", RowKind::kFile, "gif"},
      {"sum.bin", RowKind::kFile, "bin"},    {"signed.mp3", RowKind::kFile, "mp3"},  {"folder.d", RowKind::kFolder, ""},
      {"pack.tar.gz", RowKind::kArchive, "tar.gz"}, {"noext", RowKind::kFile, ""},       {"Source1", RowKind::kSourceRoot, ""},
  };
  for (size_t i = 0; i < rows_.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    const ItemRow& row = rows_[i];
    EXPECT_EQ(row.name, expected[i].name);
    EXPECT_EQ(row.kind, expected[i].kind);
    EXPECT_EQ(row.extension, expected[i].extension);
    EXPECT_EQ(row.containerKey, kRootKey);
    EXPECT_EQ(row.key, items_[i].kind == RecordKind::kFile ? items_[i].key : items_[i].DescriptionKey());
    // The description key is the one the catalog stores descriptions under.
    EXPECT_EQ(row.DescriptionKey(), items_[i].DescriptionKey());
  }
  EXPECT_TRUE(rows_[5].IsFolderLike());
  EXPECT_TRUE(rows_[8].IsFolderLike());
  EXPECT_FALSE(rows_[6].IsFolderLike());
  EXPECT_TRUE(rows_[6].hasSubfolders);
  EXPECT_EQ(rows_[6].archiveKind, 9);

  ItemRow up = UpRow(kRootKey, rows_[5].key);
  EXPECT_EQ(up.name, "..");
  EXPECT_TRUE(up.IsFolderLike());
  EXPECT_FALSE(up.DescriptionKey().has_value());
  EXPECT_EQ(up.description, "Up to one level...");
  EXPECT_EQ(CellText(up, ColumnId::kType), "<UP>");
  EXPECT_EQ(CellText(up, ColumnId::kSize), "");
  EXPECT_EQ(CellText(up, ColumnId::kDescription), "Up to one level...");
}

TEST_F(ItemRowTest, CellTextsAreTheColumnTextsOfTheRecords) {
  for (size_t i = 0; i < rows_.size(); ++i) {
    for (int id = 1; id <= 36; ++id) {
      ColumnId column = static_cast<ColumnId>(id);
      SCOPED_TRACE(rows_[i].name + " column " + std::to_string(id));
      EXPECT_EQ(CellText(rows_[i], column), ColumnText(items_[i], column));
    }
  }
  EXPECT_EQ(CellText(rows_[8], ColumnId::kType), "<VOL>");
  EXPECT_EQ(CellText(rows_[0], ColumnId::kKbps), "131 VBR");
}

TEST_F(ItemRowTest, SearchResultsCarryTheirVolumeAndFolder) {
  SearchResult result;
  result.kind = SearchResult::Kind::kFile;
  result.name = "found.txt";
  result.extension = "txt";
  result.size = 2048;
  result.key = 77;
  result.parentKey = 12;
  result.containerKey = 40;
  result.folder = std::make_shared<const ResultFolder>(ResultFolder{"Source0\\sub\\", {"Source0", "sub"}});
  result.volume = std::make_shared<const ResultVolume>(ResultVolume{"Backup", "/v/b.vkt", 3});
  result.description = "said";
  ItemRow row = RowFromResult(result);
  EXPECT_EQ(row.kind, RowKind::kFile);
  EXPECT_EQ(row.DescriptionKey(), 78u);
  EXPECT_EQ(row.containerKey, 40u);
  EXPECT_TRUE(row.descriptionRead);
  EXPECT_EQ(CellText(row, ColumnId::kVolume), "Backup");
  EXPECT_EQ(CellText(row, ColumnId::kFolder), "Source0\\sub\\");
  EXPECT_EQ(CellText(row, ColumnId::kDescription), "said");
  EXPECT_EQ(CellText(row, ColumnId::kSize), "2 048");
  result.description.reset();
  EXPECT_FALSE(RowFromResult(result).descriptionRead);
}

TEST_F(ItemRowTest, FileDataLinesPerKindOfInformation) {
  struct Case {
    size_t row;
    std::string text;
  } cases[] = {
      {0, "Length:  3:07\r\nTitle:  Title\r\nArtist:  Artist\r\nAlbum:  Album\r\nYear:  1999\r\nkbps:  131 VBR\r\n"
          "kHz:  44100\r\n"},
      {1, "Length(frames):  1:00 (1500)\r\nFrame size:  640 x 480\r\nFPS:  25.000\r\nVideo codec:  Xvid MPEG-4 Codec\r\n"
          "kHz:  44100\r\nkbps:  128 kbps\r\nChannels:  2 Stereo\r\nAudio Codec:  MPEG Layer-III\r\n"},
      {2, "Image size:  1024 x 768\r\nImage colors:  256 Colors\r\n"},
      {3, "CRC32:  0000cafe\r\neDonkey Hash (MD4):  000000000000000000000000000000CD\r\n"},
      // Audio first, then signatures.
      {4, "Length:  3:07\r\nTitle:  Title\r\nArtist:  Artist\r\nAlbum:  Album\r\nYear:  1999\r\nkbps:  131 VBR\r\n"
          "kHz:  44100\r\nRSA MD5:  00000000000000000000000000000000\r\n"},
      {5, ""},
      {6, ""},
      {7, ""},
      {8, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rows_[c.row].name);
    EXPECT_EQ(FileDataText(rows_[c.row]), c.text);
  }
  EXPECT_EQ(FileDataText(UpRow(0, 5)), "");
  EXPECT_EQ(FileDataLines(rows_[2]), (std::vector<FileDataLine>{{"Image size", "1024 x 768"},
                                                                {"Image colors", "256 Colors"}}));
}

}  // namespace
}  // namespace volumist::browse
