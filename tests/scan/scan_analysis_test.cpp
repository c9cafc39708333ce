// Scans of folders holding archives, media files and signed files, read back from the volume.
#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/column_text.h"
#include "analysis/md5.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "catalog/folder_contents.h"
#include "scan/file_reads.h"
#include "scan/scan_engine.h"
#include "testing/deep_tree.h"
#include "testing/media_builder.h"
#include "testing/picture_builder.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "../analysis/external_tool.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"

namespace volumist {
namespace {

using testing::TempDir;
using testing::TreeBuilder;

class ScanAnalysisTest : public ::testing::Test {
 protected:
  ScanAnalysisTest() : tree_(source_.path()) {}

  bool Scan(ScanJob job) {
    job.volumeFileName = out_.File("v.vkt");
    job.volumeName = "V";
    job.sources = {{-1, "Root", source_.path(), true}};
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ScanEngine engine(volume_->StopFlag(), {}, 2);
    return volume_->CreateVolume(job, engine);
  }

  // Every item below the root as "path kind size", in tree order.
  std::vector<std::string> Items() {
    std::vector<std::string> lines;
    TreeWalker walker(*volume_, false);
    walker.Start();
    for (auto step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      EXPECT_NE(step, TreeWalker::Step::kDamaged);
      if (step == TreeWalker::Step::kDamaged) break;
      std::string path;
      for (const std::string& part : walker.Path()) path += part + "/";
      if (step == TreeWalker::Step::kFolder) lines.push_back(path + " folder");
      if (step == TreeWalker::Step::kArchive) lines.push_back(path + " archive " + std::to_string(walker.Archive().size.Value()));
      if (step == TreeWalker::Step::kFile) {
        lines.push_back(path + walker.File().name.Text() + walker.File().extension.Text() + " " +
                        std::to_string(walker.File().size.Value()));
      }
    }
    return lines;
  }

  // The first file record named `name` (with extension) anywhere in the volume.
  std::optional<ContentItem> FindFile(const std::string& name) {
    std::optional<ContentItem> found;
    std::function<void(const NestingFields*)> look = [&](const NestingFields* container) {
      std::vector<ContentItem> items;
      auto collect = [&](const ContentItem& item) {
        items.push_back(item);
        return true;
      };
      container ? ReadFolderContents(*volume_, *container, collect) : ReadTopLevel(*volume_, collect);
      for (const ContentItem& item : items) {
        if (found) return;
        if (item.kind == RecordKind::kFile && item.file.name.Text() + item.file.extension.Text() == name) found = item;
        if (item.kind == RecordKind::kFolder) look(&item.folder);
        if (item.kind == RecordKind::kArchive) look(&item.archive);
      }
    };
    look(nullptr);
    return found;
  }

  TempDir source_;
  TempDir out_;
  TempDir work_;
  TreeBuilder tree_;
  testing::RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
};

TEST_F(ScanAnalysisTest, ArchivesAreListedWithTheirOwnSizeAndCounted) {
  if (testing::FindProgram("zip").empty() || testing::FindProgram("tar").empty()) GTEST_SKIP() << "zip or tar missing";
  TreeBuilder staging(work_.path());
  staging.File("music/a.mp3", 100).File("music/deep/b.mp3", 200).File("notes.txt", 30);
  tree_.Folder("box");
  ASSERT_EQ(testing::RunCommand("/bin/sh", {"-c", "cd \"$0\" && zip -qr \"$1\" music notes.txt", work_.path(),
                                            tree_.Path("box/pack.zip")})
                .exitStatus,
            0);
  ASSERT_EQ(testing::RunCommand("/bin/sh", {"-c", "cd \"$0\" && tar -cf \"$1\" notes.txt", work_.path(),
                                            tree_.Path("box/texts.tar")})
                .exitStatus,
            0);
  tree_.File("box/plain.txt", 5);
  uint64_t zipSize = std::filesystem::file_size(tree_.Path("box/pack.zip"));
  uint64_t tarSize = std::filesystem::file_size(tree_.Path("box/texts.tar"));

  // Music only: the ZIP is listed although zip is no music extension, and keeps only its music;
  // the TAR, holding no music, is dropped with empty folders, and so is the text file.
  ScanJob music;
  music.fileTypeGroup = 10;
  music.dropEmptyFolders = true;
  ASSERT_TRUE(Scan(music));
  std::vector<std::string> items = Items();
  std::vector<std::string> expected = {"Root/ folder", "Root/box/ folder", "Root/box/pack.zip/ archive " + std::to_string(zipSize),
                                       "Root/box/pack.zip/music/ folder", "Root/box/pack.zip/music/a.mp3 100",
                                       "Root/box/pack.zip/music/deep/ folder", "Root/box/pack.zip/music/deep/b.mp3 200"};
  EXPECT_EQ(items, expected);
  Counters counters = volume_->Header().counters.Snapshot();
  EXPECT_EQ(counters.archiveCount, 1u);
  EXPECT_EQ(counters.totalFolderCount, counters.folderCount + 2);
  EXPECT_EQ(counters.totalFileCount, counters.fileCount + 2);
  // The archive adds its own size to its folder, not its contents'.
  EXPECT_EQ(volume_->Header().contentSize.Value(), zipSize);

  // All files: both archives listed, sizes of the files on disk and of the archives.
  ASSERT_TRUE(Scan(ScanJob{}));
  EXPECT_EQ(volume_->Header().counters.Snapshot().archiveCount, 2u);
  EXPECT_EQ(volume_->Header().contentSize.Value(), zipSize + tarSize + 5);
  // With archives off they are ordinary files.
  ScanJob off;
  off.analyzeArchives = false;
  ASSERT_TRUE(Scan(off));
  EXPECT_EQ(volume_->Header().counters.Snapshot().archiveCount, 0u);
  EXPECT_TRUE(FindFile("pack.zip").has_value());
}

TEST_F(ScanAnalysisTest, SignaturesOfFilesAndOfArchiveEntries) {
  if (testing::FindProgram("zip").empty()) GTEST_SKIP() << "zip missing";
  std::string content(100000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 256);
  tree_.Text("data.bin", content).Fifo("pipe.bin").Symlink("link.bin", "data.bin");
  TreeBuilder(work_.path()).Text("inner.bin", content);
  ASSERT_EQ(testing::RunCommand("/bin/sh", {"-c", "cd \"$0\" && zip -q \"$1\" inner.bin", work_.path(), tree_.Path("a.zip")})
                .exitStatus,
            0);
  ScanJob job;
  job.computeSignatures = job.signatureCrc32 = job.signatureMd4 = job.signatureMd5 = true;
  ASSERT_TRUE(Scan(job));
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
  Md5 md5;
  md5.Update(content.data(), content.size());
  auto data = FindFile("data.bin");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->file.signatures.crc32, crc);
  EXPECT_TRUE(data->file.signatures.hasMd4);
  EXPECT_EQ(data->file.signatures.md5, md5.Finish());
  // Inside the archive only the CRC-32 of its directory is known.
  auto inner = FindFile("inner.bin");
  ASSERT_TRUE(inner);
  EXPECT_TRUE(inner->file.signatures.hasCrc32);
  EXPECT_EQ(inner->file.signatures.crc32, crc);
  EXPECT_FALSE(inner->file.signatures.hasMd4 || inner->file.signatures.hasMd5);
  // A pipe and a link are recorded without reading them: attributes only.
  for (const char* name : {"pipe.bin", "link.bin"}) {
    auto item = FindFile(name);
    ASSERT_TRUE(item) << name;
    EXPECT_TRUE(item->file.tag.hasSignatures);
    EXPECT_FALSE(item->file.signatures.hasCrc32 || item->file.signatures.hasMd4 || item->file.signatures.hasMd5) << name;
  }
}

TEST_F(ScanAnalysisTest, MediaFilesShowTheirColumns) {
  using namespace testing;
  tree_.Text("song.mp3", Id3v2Tag(3, {Id3Text("TIT2", "Title"), Id3Text("TPE1", "Artist")}) +
                             Mp3Audio(Mp3CbrHeader(), "", 40000) + Id3v1Tag("", "", "", "", "", 0))
      .Text("film.avi", AviFile(AviVideoStream("XVID", 1, 25) + AviAudioStream(0x55, 2, 44100, 16000)))
      .Text("clip.mpg", Mpeg1Stream(kLayer2AudioWord, 90000 * 60, 20000))
      .Text("photo.jpg", EncodeJpegFile(PatternImage(400, 300)))
      .Text("icon.png", EncodePng(PatternImage(16, 16)))
      .Text("notes.txt", "plain");
  ScanJob job;
  job.analyzeAudio = job.analyzeVideo = job.analyzeImages = true;
  ASSERT_TRUE(Scan(job));
  auto text = [&](const char* name, ColumnId column) {
    auto item = FindFile(name);
    return item ? ColumnText(*item, column) : std::string("(missing)");
  };
  EXPECT_EQ(text("song.mp3", ColumnId::kTitle), "Title");
  EXPECT_EQ(text("song.mp3", ColumnId::kArtist), "Artist");
  EXPECT_EQ(text("song.mp3", ColumnId::kKbps), "128");
  EXPECT_EQ(text("song.mp3", ColumnId::kKhz), "44100");
  EXPECT_EQ(text("film.avi", ColumnId::kFrameSize), "640 x 480");
  EXPECT_EQ(text("film.avi", ColumnId::kFps), "25.000");
  EXPECT_EQ(text("film.avi", ColumnId::kLengthFrames), "1:00 (1500)");
  EXPECT_EQ(text("clip.mpg", ColumnId::kFrameSize), "352 x 288");
  EXPECT_EQ(text("photo.jpg", ColumnId::kImageSize), "400 x 300");
  EXPECT_EQ(text("photo.jpg", ColumnId::kImageColors), "16 Million Colors");
  EXPECT_EQ(text("icon.png", ColumnId::kImageSize), "16 x 16");
  EXPECT_EQ(text("notes.txt", ColumnId::kTitle), "");
  // Every picture carries a thumbnail in the volume.
  auto photo = FindFile("photo.jpg");
  ASSERT_TRUE(photo);
  const ImageInfo* image = photo->file.mediaInfo.Image();
  ASSERT_NE(image, nullptr);
  EXPECT_GT(image->thumbnailLength, 100);
}

// Every reader that opens files during a scan reaches files deeper than the path limit: the
// signatures, the archive listing and the media analysers.
TEST_F(ScanAnalysisTest, FilesDeeperThanThePathLimitAreReadByEveryAnalyser) {
  using namespace testing;
  const bool haveZip = !FindProgram("zip").empty();
  DeepTree deep(source_.path(), 300);
  ASSERT_GT(deep.DeepestPath().size(), 4096u);
  std::string content(100000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 256);
  deep.WriteFile("data.bin", content);
  deep.WriteFile("song.mp3", Id3v2Tag(3, {Id3Text("TIT2", "Deep title")}) + Mp3Audio(Mp3CbrHeader(), "", 40000));
  deep.WriteFile("icon.png", EncodePng(PatternImage(16, 16)));
  if (haveZip) {
    TreeBuilder(work_.path()).Text("inner.bin", content);
    ASSERT_EQ(RunCommand("/bin/sh", {"-c", "cd \"$0\" && zip -q pack.zip inner.bin", work_.path()}).exitStatus, 0);
    deep.WriteFile("pack.zip", ReadFileBytes(work_.File("pack.zip")));
  }
  ScanJob job;
  job.computeSignatures = job.signatureCrc32 = job.signatureMd4 = job.signatureMd5 = true;
  job.analyzeAudio = job.analyzeImages = true;
  ASSERT_TRUE(Scan(job));
  auto data = FindFile("data.bin");
  ASSERT_TRUE(data);
  Md5 md5;
  md5.Update(content.data(), content.size());
  EXPECT_EQ(data->file.signatures.md5, md5.Finish());
  EXPECT_EQ(data->file.signatures.crc32,
            static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()))));
  auto text = [&](const char* name, ColumnId column) {
    auto item = FindFile(name);
    return item ? ColumnText(*item, column) : std::string("(missing)");
  };
  EXPECT_EQ(text("song.mp3", ColumnId::kTitle), "Deep title");
  EXPECT_EQ(text("icon.png", ColumnId::kImageSize), "16 x 16");
  if (haveZip) {
    EXPECT_EQ(volume_->Header().counters.Snapshot().archiveCount, 1u);
    EXPECT_TRUE(FindFile("inner.bin").has_value());
  }
}

}  // namespace
}  // namespace volumist

namespace volumist {
namespace {

// The progress line names the file whose reading began first among those still being read.
TEST(FileReadsTest, TheOldestReadStillUnderWayIsNamed) {
  auto entry = [](const std::string& name) {
    ScanEntry made;
    made.directory = "/d";
    made.SetName(name);
    return made;
  };
  const ScanEntry a = entry("a.bin"), b = entry("b"), c = entry("c.txt");
  EXPECT_FALSE(OldestFileRead());
  auto first = std::make_unique<FileReadMark>(a);
  auto second = std::make_unique<FileReadMark>(b);
  auto third = std::make_unique<FileReadMark>(c);
  ASSERT_TRUE(OldestFileRead());
  EXPECT_EQ(OldestFileRead()->path, "/d/a.bin");
  const auto started = OldestFileRead()->start;
  second.reset();  // one in the middle ends first
  EXPECT_EQ(OldestFileRead()->path, "/d/a.bin");
  first.reset();
  ASSERT_TRUE(OldestFileRead());
  EXPECT_EQ(OldestFileRead()->path, "/d/c.txt");
  EXPECT_GE(OldestFileRead()->start, started);
  auto fourth = std::make_unique<FileReadMark>(a);
  third.reset();
  EXPECT_EQ(OldestFileRead()->path, "/d/a.bin");
  fourth.reset();
  EXPECT_FALSE(OldestFileRead());
}

}  // namespace
}  // namespace volumist
