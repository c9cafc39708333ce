// AnalyzeMedia: the choice of analyzer by the scan options, and a tree holding every media kind
// analysed as the scan does, written into a volume and read back with its view-column texts; and a
// cross-check on files made by real producers (lame, sox, ImageMagick) where they are installed.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <optional>
#include <thread>

#include "analysis/column_text.h"
#include "analysis/media_analysis.h"
#include "analysis/mp3_values.h"
#include "catalog/folder_contents.h"
#include "catalog/scan_entry.h"
#include "imaging/picture.h"
#include "testing/byte_builder.h"
#include "testing/media_builder.h"
#include "testing/picture_builder.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"
#include "testing/wmf_builder.h"

namespace volumist {
namespace {

ScanOptions AllOn() {
  ScanOptions options;
  options.analyzeAudio = options.analyzeVideo = options.analyzeImages = true;
  options.imageTypes.fill(true);
  return options;
}

TEST(MediaAnalysisTest, OptionsChooseTheAnalyzer) {
  struct Case {
    const char* name;
    void (*change)(ScanOptions&);
    uint8_t type;
    bool chosen;
  };
  const Case cases[] = {
      {"avi", [](ScanOptions&) {}, kMediaAvi, true},
      {"avi without video", [](ScanOptions& o) { o.analyzeVideo = false; }, kMediaAvi, false},
      {"avi switched off", [](ScanOptions& o) { o.videoAvi = false; }, kMediaAvi, false},
      {"mpeg with avi off", [](ScanOptions& o) { o.videoAvi = false; }, kMediaMpeg, true},
      {"mpeg switched off", [](ScanOptions& o) { o.videoMpeg = false; }, kMediaMpeg, false},
      {"mp3", [](ScanOptions&) {}, kMediaMp3, true},
      {"mp3 without audio", [](ScanOptions& o) { o.analyzeAudio = false; }, kMediaMp3, false},
      {"mp3 switched off", [](ScanOptions& o) { o.audioMp3 = false; }, kMediaMp3, false},
      {"png", [](ScanOptions&) {}, kMediaPng, true},
      {"png without images", [](ScanOptions& o) { o.analyzeImages = false; }, kMediaPng, false},
      {"png switched off", [](ScanOptions& o) { o.imageTypes[kMediaPng - kFirstImageType] = false; }, kMediaPng, false},
      {"jpeg with png off", [](ScanOptions& o) { o.imageTypes[kMediaPng - kFirstImageType] = false; }, kMediaJpeg, true},
      {"wbmp", [](ScanOptions&) {}, kMediaWbmp, true},
      {"no type", [](ScanOptions&) {}, kMediaNone, false},
  };
  testing::TempDir dir;
  std::string mp3 = dir.File("a.mp3");
  testing::WriteFileBytes(mp3, testing::Mp3Audio(testing::Mp3CbrHeader(), "", 1000));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanOptions options = AllOn();
    c.change(options);
    EXPECT_EQ(MediaAnalysisChosen(c.type, options), c.chosen);
  }
  // A chosen analyzer that fails, and one not chosen, leave the type without a body.
  MediaInfo media;
  media.mediaType = kMediaMp3;
  ScanOptions off = AllOn();
  off.audioMp3 = false;
  AnalyzeMedia(mp3, off, media);
  EXPECT_EQ(media.mediaType, kMediaMp3);
  EXPECT_FALSE(media.HasBody());
  AnalyzeMedia(mp3, AllOn(), media);
  EXPECT_NE(media.Mp3(), nullptr);
  media.mediaType = kMediaAvi;
  AnalyzeMedia(mp3, AllOn(), media);
  EXPECT_FALSE(media.HasBody());
}

// Analyses every file of `files` (name -> bytes) as the scan does, writes them into a volume and
// returns the items read back, by name.
std::map<std::string, ContentItem> ScanAndReadBack(const testing::TempDir& dir,
                                                   const std::vector<std::pair<std::string, std::string>>& files,
                                                   const ScanOptions& options) {
  testing::MemorySource source;
  for (const auto& [name, bytes] : files) {
    if (!bytes.empty()) testing::WriteFileBytes(dir.File(name), bytes);
    ScanEntry entry;
    entry.SetName(name);
    testing::MemoryNode node = testing::MemoryNode::File(entry.baseName, entry.extension, bytes.size());
    node.mediaInfo.mediaType = MediaTypeOfExtension(entry.extension);
    node.hasMediaInfo = node.mediaInfo.mediaType != kMediaNone;
    if (node.hasMediaInfo) AnalyzeMedia(dir.File(name), options, node.mediaInfo);
    source.children.push_back(node);
  }
  testing::RecordingPrompter prompter;
  ScanJob job = testing::MakeJob(dir.File("media.vkt"), "Media", {false});
  EXPECT_TRUE(testing::WriteVolume(job, {source}, prompter));
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  EXPECT_TRUE(volume.OpenVolume(dir.File("media.vkt")));
  std::map<std::string, ContentItem> items;
  EXPECT_EQ(ReadTopLevel(volume, [&](const ContentItem& item) {
              items[ColumnText(item, ColumnId::kName)] = item;
              return true;
            }),
            ListingEnd::kComplete);
  return items;
}

std::string Columns(const ContentItem& item, std::initializer_list<ColumnId> columns) {
  std::string joined;
  bool first = true;
  for (ColumnId column : columns) {
    joined += (first ? "" : "|") + ColumnText(item, column);
    first = false;
  }
  return joined;
}

TEST(MediaAnalysisTest, TreeOfEveryMediaKindReadBackWithItsColumns) {
  using namespace testing;
  std::vector<uint8_t> palette(16 * 3, 0x80);
  ByteBuilder tga;
  tga.U8(0).U8(0).U8(2).Zeros(5).U16(0).U16(0).U16(200).U16(100).U8(24).U8(0).Zeros(200 * 100 * 3);
  ByteBuilder pcx;
  pcx.U8(0x0A).U8(5).U8(1).U8(8).U16(0).U16(0).U16(1).U16(0).U16(72).U16(72).Zeros(48).U8(0).U8(3).U16(2).U16(1).Zeros(58);
  pcx.U8(10).U8(20).U8(30).U8(40).U8(50).U8(60);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"song.MP3", Id3v2Tag(3, {Id3Text("TIT2", "Song"), Id3Text("TPE1", "Band")}) +
                       Mp3Audio(Mp3CbrHeader(), XingHeader("Xing", 1, 1000), 418000)},
      {"movie.avi", AviFile(AviVideoStream("XVID", 1, 25) + AviAudioStream(0x55, 2, 44100, 16000))},
      {"clip.mpg", Mpeg1Stream(kLayer2AudioWord, 65 * 90000)},
      {"photo.jpg", EncodeJpegFile(PatternImage(1024, 768))},
      {"icon.gif", EncodeGif(4, 4, std::vector<uint8_t>(16, 3), {palette})},
      {"shot.png", EncodePng(PatternImage(1, 5000))},
      {"scan.tiff", EncodeTiff(PatternImage(300, 300))},
      {"flat.tga", tga.bytes()},
      {"paint.pcx", pcx.bytes()},
      {"phone.wbmp", std::string("\0\0\x10\x08", 4) + std::string(16, '\xF0')},
      {"drawing.wmf", UemfShapes(FourColours(), 24)},
      {"broken.wmf", std::string("\xD7\xCD\xC6\x9A", 4) + std::string(60, '\0')},
      {"fake.bmp", "not a bitmap"},
      {"notes.txt", "text"},
      {"scan.tif", EncodeTiff(PatternImage(10, 10))},
  };
  TempDir dir;
  std::map<std::string, ContentItem> items = ScanAndReadBack(dir, files, AllOn());
  ASSERT_EQ(items.size(), files.size());
  EXPECT_EQ(Columns(items["song.MP3"], {ColumnId::kTitle, ColumnId::kArtist, ColumnId::kKbps, ColumnId::kKhz, ColumnId::kLength}),
            "Song|Band|128 VBR|44100|0:26");
  EXPECT_EQ(Columns(items["movie.avi"], {ColumnId::kLengthFrames, ColumnId::kFrameSize, ColumnId::kRatio, ColumnId::kFps, ColumnId::kVideoCodec,
                                          ColumnId::kVideoAudioKbps, ColumnId::kVideoAudioKhz, ColumnId::kChannels, ColumnId::kAudioCodec}),
            "1:00 (1500)|640 x 480|4:3|25.000|Xvid MPEG-4 Codec|128 kbps|44100|2 Stereo|MPEG Layer-III");
  EXPECT_EQ(Columns(items["clip.mpg"], {ColumnId::kLengthFrames, ColumnId::kFrameSize, ColumnId::kVideoCodec, ColumnId::kAudioCodec}),
            "1:05 (1625)|352 x 288|MPEG-1|MPEG Layer-II");
  struct Picture {
    const char* name;
    const char* info;
  };
  const Picture pictures[] = {
      {"photo.jpg", "1024 x 768\n16 Million Colors\n24 bits"}, {"icon.gif", "4 x 4\n16 Colors\n4 bits"},
      {"shot.png", "1 x 5000\n16 Million Colors\n24 bits"},    {"scan.tiff", "300 x 300\n16 Million Colors\n24 bits"},
      {"flat.tga", "200 x 100\n16 Million Colors\n24 bits"},   {"paint.pcx", "2 x 1\n16 Million Colors\n24 bits"},
      {"phone.wbmp", "16 x 8\n2 Colors\n1 bits"},    {"drawing.wmf", "576 x 192\n16 Million Colors\n24 bits"},
  };
  for (const Picture& p : pictures) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(ColumnText(items[p.name], ColumnId::kImageInfo), p.info);
    ASSERT_NE(items[p.name].file.mediaInfo.Image(), nullptr);
    EXPECT_GT(items[p.name].file.mediaInfo.Image()->thumbnailLength, 0);
  }
  // The damaged metafile and the false bitmap keep their media type without information; the text
  // file and the .tif file have no media block.
  for (const char* name : {"broken.wmf", "fake.bmp"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(items[name].file.tag.hasMediaInfo);
    EXPECT_FALSE(items[name].file.mediaInfo.HasBody());
    EXPECT_EQ(ColumnText(items[name], ColumnId::kImageInfo), "");
  }
  EXPECT_FALSE(items["notes.txt"].file.tag.hasMediaInfo);
  EXPECT_FALSE(items["scan.tif"].file.tag.hasMediaInfo);

  // With every analysis off the blocks hold the types only.
  std::map<std::string, ContentItem> plain = ScanAndReadBack(dir, files, ScanOptions{});
  for (const char* name : {"song.MP3", "movie.avi", "photo.jpg"}) {
    EXPECT_TRUE(plain[name].file.tag.hasMediaInfo);
    EXPECT_FALSE(plain[name].file.mediaInfo.HasBody());
  }
}

TEST(MediaAnalysisTest, ThreadsAnalysingAtOnceGetTheSameResults) {
  using namespace testing;
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) {
    std::string n = std::to_string(i);
    paths.push_back(dir.File("p" + n + ".png"));
    WriteFileBytes(paths.back(), EncodePng(PatternImage(300 + 10 * i, 200)));
    paths.push_back(dir.File("j" + n + ".jpg"));
    WriteFileBytes(paths.back(), EncodeJpegFile(PatternImage(640, 480 + i)));
    paths.push_back(dir.File("s" + n + ".mp3"));
    WriteFileBytes(paths.back(), Id3v2Tag(4, {Id3Text("TIT2", "Song " + n)}) + Mp3Audio(Mp3CbrHeader(), "", 1000 + i));
  }
  auto analyse = [&](size_t i) {
    MediaInfo media;
    ScanEntry entry;
    entry.SetName(platform::BaseNameOf(paths[i]));
    media.mediaType = MediaTypeOfExtension(entry.extension);
    AnalyzeMedia(paths[i], AllOn(), media);
    return media;
  };
  std::vector<MediaInfo> alone;
  for (size_t i = 0; i < paths.size(); ++i) alone.push_back(analyse(i));
  std::vector<MediaInfo> together(paths.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < paths.size(); i = next++) together[i] = analyse(i);
  };
  std::thread helper(work);
  work();
  helper.join();
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    ASSERT_TRUE(alone[i].HasBody());
    EXPECT_TRUE(alone[i].body == together[i].body);
  }
}

// The path of an installed program, or "" when it is missing.
std::string ToolPath(const std::string& tool) {
  testing::CommandResult found = testing::RunCommand("/bin/sh", {"-c", "command -v " + tool});
  std::vector<std::string> lines = testing::Lines(found.out);
  return found.exitStatus == 0 && !lines.empty() ? lines[0] : std::string();
}

TEST(MediaAnalysisTest, Mp3FilesOfARealEncoder) {
  std::string lame = ToolPath("lame"), sox = ToolPath("sox");
  if (lame.empty() || sox.empty()) GTEST_SKIP() << "lame or sox is not installed";
  testing::TempDir dir;
  std::string wav = dir.File("tone.wav");
  ASSERT_EQ(testing::RunCommand(sox, {"-n", "-r", "44100", "-c", "2", wav, "synth", "3", "sine", "440"}).exitStatus, 0);
  std::string comment(200, 'c');
  std::string cbr = dir.File("cbr.mp3");
  ASSERT_EQ(testing::RunCommand(lame, {"--quiet", "-b", "192", "--id3v2-only", "--tt", "Real title", "--ta", "Real artist",
                                         "--tl", "Real album", "--ty", "2004", "--tc", comment, wav, cbr})
                .exitStatus,
            0);
  std::string vbr = dir.File("vbr.mp3");
  ASSERT_EQ(testing::RunCommand(lame, {"--quiet", "-V", "2", "--id3v1-only", "--tt", "V1 title", wav, vbr}).exitStatus, 0);
  MediaInfo media;
  media.mediaType = kMediaMp3;
  AnalyzeMedia(cbr, AllOn(), media);
  ASSERT_NE(media.Mp3(), nullptr);
  const Mp3Info& constant = *media.Mp3();
  EXPECT_EQ(constant.title, "Real title");
  EXPECT_EQ(constant.artist, "Real artist");
  EXPECT_EQ(constant.album, "Real album");
  EXPECT_EQ(constant.year, "2004");
  EXPECT_EQ(constant.comment.substr(0, 30), comment.substr(0, 30));
  EXPECT_EQ(Mp3Bitrate(constant).kbps, 192u);
  EXPECT_FALSE(Mp3Bitrate(constant).isVbr);  // lame marks constant files with an "Info" header
  EXPECT_EQ(Mp3SampleRate(constant), 44100u);
  EXPECT_EQ(constant.lengthSeconds, 3u);
  AnalyzeMedia(vbr, AllOn(), media);
  ASSERT_NE(media.Mp3(), nullptr);
  EXPECT_EQ(media.Mp3()->title, "V1 title");
  EXPECT_TRUE(Mp3Bitrate(*media.Mp3()).isVbr);
  EXPECT_GE(media.Mp3()->lengthSeconds, 2u);
  EXPECT_LE(media.Mp3()->lengthSeconds, 3u);
}

// Length and bitrate come from the audio alone: the same audio encoded by lame with a padded ID3v2
// tag, a large cover picture, an ID3v1 tag or both gives the same values as without any tag.
TEST(MediaAnalysisTest, Mp3TagsDoNotCountAsAudio) {
  std::string lame = ToolPath("lame"), sox = ToolPath("sox"), convert = ToolPath("convert");
  if (lame.empty() || sox.empty() || convert.empty()) GTEST_SKIP() << "lame, sox or ImageMagick is not installed";
  testing::TempDir dir;
  std::string wav = dir.File("tone.wav");
  ASSERT_EQ(testing::RunCommand(sox, {"-n", "-r", "44100", "-c", "2", wav, "synth", "37.3", "sine", "440"}).exitStatus, 0);
  std::string cover = dir.File("cover.jpg");  // noise does not compress: about 260 KB
  ASSERT_EQ(testing::RunCommand(convert, {"-size", "360x360", "xc:", "+noise", "Random", "-quality", "95", cover}).exitStatus, 0);
  ASSERT_GT(testing::ReadFileBytes(cover).size(), 200'000u);
  const std::vector<std::string> tags[] = {
      {},
      {"--pad-id3v2-size", "30000", "--tt", "Padded"},
      {"--ti", cover},
      {"--id3v1-only", "--tt", "One"},
      {"--add-id3v2", "--tt", "Both", "--ti", cover},
  };
  for (const std::vector<std::string>& mode : {std::vector<std::string>{"-b", "128"}, std::vector<std::string>{"-V", "2"}}) {
    SCOPED_TRACE(mode[0]);
    std::optional<Mp3Info> untagged;
    for (size_t i = 0; i < std::size(tags); ++i) {
      SCOPED_TRACE(i);
      std::string mp3 = dir.File("out" + std::to_string(i) + ".mp3");
      std::vector<std::string> args = {"--quiet"};
      args.insert(args.end(), mode.begin(), mode.end());
      args.insert(args.end(), tags[i].begin(), tags[i].end());
      args.insert(args.end(), {wav, mp3});
      ASSERT_EQ(testing::RunCommand(lame, args).exitStatus, 0);
      MediaInfo media;
      media.mediaType = kMediaMp3;
      AnalyzeMedia(mp3, AllOn(), media);
      ASSERT_NE(media.Mp3(), nullptr);
      const Mp3Info& info = *media.Mp3();
      EXPECT_EQ(info.lengthSeconds, 37u);
      if (!untagged) {
        untagged = info;
        continue;
      }
      EXPECT_EQ(info.vbrBitrate, untagged->vbrBitrate);
      EXPECT_EQ(Mp3Bitrate(info).kbps, Mp3Bitrate(*untagged).kbps);
    }
    EXPECT_EQ(Mp3Bitrate(*untagged).isVbr, mode[0] == "-V");
    if (mode[0] == "-b") {
      EXPECT_EQ(Mp3Bitrate(*untagged).kbps, 128u);
    }
  }
}

TEST(MediaAnalysisTest, PicturesOfARealConverter) {
  std::string convert = ToolPath("convert");
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  testing::TempDir dir;
  std::string source = dir.File("source.png");
  ASSERT_EQ(testing::RunCommand(convert, {"-size", "120x90", "gradient:red-blue", source}).exitStatus, 0);
  struct Case {
    std::string name;
    std::vector<std::string> options;
    uint16_t width, height;
    uint8_t bits;
  };
  const Case cases[] = {
      {"out.bmp", {"-type", "TrueColor"}, 120, 90, 24},
      {"out.gif", {}, 120, 90, 7},  // 120 colours of the gradient: a table of 128 entries
      {"out.pcx", {}, 120, 90, 24},
      {"out.tga", {}, 120, 90, 24},
      {"out.tiff", {"-depth", "8"}, 120, 90, 24},
      {"deep.tiff", {"-depth", "16"}, 120, 90, 48},
      {"out.jpg", {}, 120, 90, 24},
      {"out.ico", {"-define", "icon:auto-resize=64,32"}, 64, 64, 32},
      {"out.wbmp", {"-monochrome"}, 120, 90, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {source};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir.File(c.name));
    ASSERT_EQ(testing::RunCommand(convert, args).exitStatus, 0);
    ScanEntry entry;
    entry.SetName(c.name);
    MediaInfo media;
    media.mediaType = MediaTypeOfExtension(entry.extension);
    AnalyzeMedia(dir.File(c.name), AllOn(), media);
    ASSERT_NE(media.Image(), nullptr);
    EXPECT_EQ(media.Image()->width, c.width);
    EXPECT_EQ(media.Image()->height, c.height);
    EXPECT_EQ(media.Image()->bitsPerPixel, c.bits);
    Picture thumbnail;
    ASSERT_TRUE(thumbnail.LoadFromMemory(media.Image()->thumbnail, PictureFormat::kJpeg));
    EXPECT_EQ(thumbnail.Width(), std::min<uint32_t>(c.width, 100));
  }
}

}  // namespace
}  // namespace volumist
