// How the scan meets archives: the kind by extension and by content, the order in which ReadArchive
// decides, and the listed tree written into a real volume and read back (records, sizes, CRCs,
// counters, sub-folder flags, and the dropping of empty folders and archives).
#include <gtest/gtest.h>

#include "analysis/archive_kind.h"
#include "analysis/archive_listing.h"
#include "analysis/signatures.h"
#include "catalog/folder_contents.h"
#include "catalog/record_writer.h"
#include "catalog/tree_walk.h"
#include "catalog/value_format.h"
#include "catalog/volume_catalog.h"
#include "testing/byte_builder.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::ByteBuilder;

// A ZIP with one central header per name (sizes 10, 20, ...), every entry with a CRC.
std::string SmallZip(const std::vector<std::string>& names, uint32_t firstSize = 10) {
  ByteBuilder local;
  ByteBuilder central;
  uint32_t size = firstSize;
  for (const std::string& name : names) {
    uint32_t offset = static_cast<uint32_t>(local.size());
    local.Raw("PK\x03\x04").Zeros(22).U16(static_cast<uint16_t>(name.size())).U16(0).Raw(name);
    central.Raw("PK\x01\x02").U16(20).U16(20).U16(0).U16(0).U16(0x7000).U16(0x2F85).U32(0xC0C0A000 + size);
    central.U32(size).U32(size).U16(static_cast<uint16_t>(name.size())).U16(0).U16(0).U16(0).U16(0).U32(0x20);
    central.U32(offset).Raw(name);
    size = firstSize ? size + 10 : 0;
  }
  ByteBuilder end;
  end.Raw("PK\x05\x06").U16(0).U16(0).U16(static_cast<uint16_t>(names.size())).U16(static_cast<uint16_t>(names.size()));
  end.U32(static_cast<uint32_t>(central.size())).U32(static_cast<uint32_t>(local.size())).U16(0);
  return local.bytes() + central.bytes() + end.bytes();
}

// A RAR with one file "inside.txt" of 5 bytes.
std::string SmallRar() {
  std::string name = "inside.txt";
  return ByteBuilder()
      .Raw(std::string("Rar!\x1A\x07\x00", 7))
      .U16(0).U8(0x73).U16(0).U16(13).Zeros(6)
      .U16(0).U8(0x74).U16(0).U16(static_cast<uint16_t>(32 + name.size())).U32(5).U32(5).U8(2).U32(0)
      .U16(0).U16(0x2F85).U8(29).U8(0x30).U16(static_cast<uint16_t>(name.size())).U32(0x20).Raw(name).Raw("12345")
      .U16(0).U8(0x7B).U16(0).U16(7)
      .bytes();
}

TEST(ArchiveKindTest, ByExtension) {
  struct Case {
    const char* extension;
    ArchiveKind kind;
  };
  const Case cases[] = {
      {"zip", kArchiveZip}, {"ZIP", kArchiveZip}, {"wsz", kArchiveZip}, {"wmz", kArchiveZip}, {"rar", kArchiveRar},
      {"r01", kArchiveRar}, {"R99", kArchiveRar}, {"r1", kArchiveNone}, {"rx1", kArchiveNone}, {"ace", kArchiveAce},
      {"c00", kArchiveAce}, {"arj", kArchiveArj}, {"a42", kArchiveArj}, {"cab", kArchiveCab}, {"jar", kArchiveJar},
      {"lzh", kArchiveLzh}, {"LHA", kArchiveLzh}, {"lzs", kArchiveLzh}, {"zoo", kArchiveZoo}, {"tar", kArchiveTar},
      {"ha", kArchiveHa},   {"gz", kArchiveGz},   {"tgz", kArchiveGz},   {"TGZ", kArchiveGz},   {"xz", kArchiveGz},
      {"txz", kArchiveGz},  {"bz2", kArchiveGz},  {"tbz", kArchiveGz},   {"zst", kArchiveGz},   {"tbz2", kArchiveNone},
      {"zipx", kArchiveNone}, {"", kArchiveNone}, {"h", kArchiveNone},  {"hax", kArchiveNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extension);
    EXPECT_EQ(ArchiveKindByExtension(c.extension), c.kind);
  }
}

TEST(ArchiveKindTest, BySignatureLooksOnlyAtBytesRead) {
  auto kind = [](const std::string& bytes) {
    return ArchiveKindBySignature({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  };
  EXPECT_EQ(kind(std::string("PK\x03\x04rest", 8)), kArchiveZip);
  EXPECT_EQ(kind(std::string("Rar!\x1A\x07\x00", 7)), kArchiveRar);
  EXPECT_EQ(kind("MSCF"), kArchiveCab);
  EXPECT_EQ(kind(std::string("\0\0\0\0\0\0\0**ACE**", 14)), kArchiveAce);
  EXPECT_EQ(kind(std::string("\x60\xEA\0\0\0\0\0\0\0\0\x02", 11)), kArchiveArj);
  EXPECT_EQ(kind(std::string("\x60\xEA\0\0\0\0\0\0\0\0\x01", 11)), kArchiveNone);
  EXPECT_EQ(kind("xx-lh5-"), kArchiveLzh);
  EXPECT_EQ(kind("xx-lz4-"), kArchiveLzh);
  EXPECT_EQ(kind(std::string("ZOO 2.10 Archive.\x1A\0\0\xDC\xA7\xC4\xFD", 24)), kArchiveZoo);
  EXPECT_EQ(kind("ZOO "), kArchiveNone);
  EXPECT_EQ(kind(std::string("Rar!\x1A\x07", 6)), kArchiveNone);  // cut short
  EXPECT_EQ(kind("xx-lh5"), kArchiveNone);
  EXPECT_EQ(kind(""), kArchiveNone);
  EXPECT_EQ(kind("HA\x01\x00"), kArchiveNone);  // HA, TAR and GZ only by extension
}

class ReadArchiveTest : public ::testing::Test {
 protected:
  ScanEntry Put(const std::string& name, const std::string& bytes) {
    testing::WriteFileBytes(dir_.File(name), bytes);
    ScanEntry entry;
    entry.directory = dir_.path();
    entry.SetName(name);
    entry.size = bytes.size();
    return entry;
  }
  uint8_t KindOf(const ScanEntry& entry) {
    std::unique_ptr<ListedArchive> listed = ReadArchive(entry, options_);
    return listed ? listed->Kind() : 0;
  }
  testing::TempDir dir_;
  ScanOptions options_;
};

TEST_F(ReadArchiveTest, KindByContentOnlyWhenAskedThenByExtension) {
  ScanEntry volumePart = Put("archive.r01", SmallRar());
  ScanEntry rarNamedZip = Put("data.zip", SmallRar());
  ScanEntry zipWithoutExtension = Put("download", SmallZip({"a.txt"}));
  ScanEntry tarNamedGz = Put("plain.gz", std::string(1024, '\0'));
  ScanEntry gzip = Put("x.gz", std::string("\x1F\x8B\x08\x00", 4) + std::string(600, '\0'));
  ScanEntry notZip = Put("fake.zip", "this is text");
  ScanEntry notTar = Put("fake.tar", std::string(1024, 't'));

  options_.archiveKindByContent = false;
  EXPECT_EQ(KindOf(volumePart), kArchiveRar);
  EXPECT_EQ(KindOf(rarNamedZip), 0);  // handed to the ZIP reader, which refuses it
  EXPECT_EQ(KindOf(zipWithoutExtension), 0);
  EXPECT_EQ(KindOf(tarNamedGz), kArchiveGz);
  EXPECT_EQ(KindOf(gzip), 0);
  EXPECT_EQ(KindOf(notZip), 0);
  EXPECT_EQ(KindOf(notTar), 0);

  options_.archiveKindByContent = true;
  EXPECT_EQ(KindOf(volumePart), kArchiveRar);
  EXPECT_EQ(KindOf(rarNamedZip), kArchiveRar);
  EXPECT_EQ(KindOf(zipWithoutExtension), kArchiveZip);
  EXPECT_EQ(KindOf(tarNamedGz), kArchiveGz);  // no signature: the extension decides
  EXPECT_EQ(KindOf(gzip), 0);
}

TEST_F(ReadArchiveTest, SwitchesTurnKindsAndListingOff) {
  ScanEntry zip = Put("pack.zip", SmallZip({"a.txt"}));
  ScanEntry jar = Put("lib.jar", SmallZip({"a.class"}));
  EXPECT_EQ(KindOf(zip), kArchiveZip);
  EXPECT_EQ(KindOf(jar), kArchiveJar);
  options_.archiveKinds[kArchiveZip - 1] = false;
  EXPECT_EQ(KindOf(zip), 0);
  EXPECT_EQ(KindOf(jar), kArchiveJar);
  options_.archiveKinds[kArchiveZip - 1] = true;
  options_.analyzeArchives = false;
  EXPECT_EQ(KindOf(zip), 0);
  options_.analyzeArchives = true;
  EXPECT_EQ(KindOf(Put("missing.zip", "")), 0);
  ScanEntry gone = zip;
  gone.SetName("gone.zip");
  EXPECT_EQ(KindOf(gone), 0);
}

// Writes a folder source holding the given files the way the scan does: each file offered to
// ReadArchive first, a listed archive written as its record, its tree and its end.
class ArchiveScanWriter final : public ContentWriter {
 public:
  explicit ArchiveScanWriter(std::vector<ScanEntry> files) : files_(std::move(files)) {}
  void DescribeSource(const ScanSource&, SourceEntry&) override {}
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                    ScanStatistics& counters, uint64_t& totalSize) override {
    const ScanOptions& options = job.Options();
    auto contents = [&](VolumeWriter& writer, FolderRecord* root, uint8_t level, RecordKey parentKey,
                        uint64_t& size) {
      uint64_t rootSize = 0;
      for (const ScanEntry& entry : files_) {
        std::unique_ptr<ListedArchive> listed = ReadArchive(entry, options);
        if (!listed) {
          FileRecord file;
          file.name.Set(entry.baseName);
          file.extension.Set(entry.extension);
          file.size.Set(entry.size);
          WriteFileRecord(writer, file);
          counters.RaiseFile();
          rootSize += entry.size;
          continue;
        }
        ArchiveRecord archive;
        archive.name.Set(entry.baseName);
        archive.extension.Set(entry.extension);
        archive.size.Set(entry.size);
        archive.archiveKind = listed->Kind();
        archive.tag.hasSignatures = RecordsSignatureBlock(options);
        if (archive.tag.hasSignatures) archive.signatures = FillSignatureBlock(entry, options);
        archive.level = level;
        archive.parentKey = parentKey;
        WriteArchiveRecord(writer, archive);
        if (root) root->hasSubfolders = true;
        uint64_t total = listed->WriteToCatalog(writer, level + 1, archive.selfKey, options, counters);
        archive.hasSubfolders = listed->HasTopFolders();
        if (WriteFolderEnd(writer, archive, options, total)) {
          counters.RaiseArchive();
          rootSize += entry.size;
        }
      }
      if (root != nullptr && WriteFolderEnd(writer, *root, options, rootSize)) counters.RaiseFolder();
      size += rootSize;
      return writer.ok();
    };
    return WriteSourceFrame(out, sources[firstIndex], 0, options, contents, totalSize);
  }

 private:
  std::vector<ScanEntry> files_;
};

class ArchiveVolumeTest : public ReadArchiveTest {
 protected:
  // Writes the volume and returns every record as "KIND PATH SIZE [CRC] [+sub]" lines.
  std::vector<std::string> WriteAndWalk(std::vector<ScanEntry> files) {
    ScanJob job = testing::MakeJob(dir_.File("v.vkt"), "Archives", {true});
    job.Options() = options_;
    ArchiveScanWriter contents(std::move(files));
    {
      VolumeCatalog writing(platform::FileSystem::Default(), prompter_);
      writing.SetStaysClosed(true);
      EXPECT_TRUE(writing.CreateVolume(job, contents));
    }
    EXPECT_TRUE(volume_.OpenVolume(dir_.File("v.vkt")));
    std::vector<std::string> lines;
    TreeWalker walker(volume_, false);
    walker.Start();
    auto path = [&](const std::string& name, size_t open) {
      std::string text;
      for (size_t i = 0; i < open; ++i) text += walker.Path()[i] + "/";
      return text + name;
    };
    for (TreeWalker::Step step = walker.Next(); step != TreeWalker::Step::kEnd; step = walker.Next()) {
      if (step == TreeWalker::Step::kDamaged) {
        ADD_FAILURE() << "damaged volume";
        break;
      }
      if (step == TreeWalker::Step::kFolder) {
        lines.push_back("folder " + path(walker.Folder().name.Text(), walker.Depth() - 1) + " " +
                        std::to_string(walker.Folder().size.Value()));
      } else if (step == TreeWalker::Step::kArchive) {
        const ArchiveRecord& a = walker.Archive();
        lines.push_back("archive " + path(a.name.Text() + a.extension.Text(), walker.Depth() - 1) + " " +
                        std::to_string(a.size.Value()) + " kind " + std::to_string(a.archiveKind));
      } else if (step == TreeWalker::Step::kFile) {
        const FileRecord& f = walker.File();
        std::string line = "file " + path(f.name.Text() + f.extension.Text(), walker.Depth()) + " " +
                           std::to_string(f.size.Value());
        if (f.tag.hasSignatures) line += " " + FormatCrc32(f.signatures) + FormatAttributes(f.signatures);
        EXPECT_FALSE(f.tag.hasMediaInfo);
        lines.push_back(line);
      }
    }
    return lines;
  }

  testing::RecordingPrompter prompter_;
  VolumeCatalog volume_{platform::FileSystem::Default(), prompter_};
};

TEST_F(ArchiveVolumeTest, ListedTreeReadsBackWithCountersAndSizes) {
  options_.computeSignatures = options_.signatureCrc32 = true;
  options_.saveAttributes = true;
  std::vector<std::string> names = {"docs/", "docs/a.txt", "docs/sub/b.mp3", "top.txt"};
  ScanEntry zip = Put("pack.zip", SmallZip(names));
  ScanEntry plain = Put("notes.txt", "hello");
  std::vector<std::string> lines = WriteAndWalk({zip, plain});
  size_t zipSize = zip.size;
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "folder Source0 " + std::to_string(zipSize + 5),
                       "archive Source0/pack.zip " + std::to_string(zipSize) + " kind 1",
                       "file Source0/pack.zip/top.txt 40 c0c0a028-a--",
                       "folder Source0/pack.zip/docs 50",
                       "file Source0/pack.zip/docs/a.txt 20 c0c0a014-a--",
                       "folder Source0/pack.zip/docs/sub 30",
                       "file Source0/pack.zip/docs/sub/b.mp3 30 c0c0a01e-a--",
                       "file Source0/notes.txt 5",
                   }));
  Counters counters = volume_.Header().counters.Snapshot();
  EXPECT_EQ(counters, (Counters{1, 2, 1, 3, 5}));

  // The archive's end carries the sub-folder flag, so a tree view knows it can be opened.
  std::vector<ContentItem> top;
  ASSERT_EQ(ReadTopLevel(volume_, [&](const ContentItem& item) { return top.push_back(item), true; }),
            ListingEnd::kComplete);
  std::vector<ContentItem> inRoot;
  ReadFolderContents(volume_, top.at(0).folder, [&](const ContentItem& item) { return inRoot.push_back(item), true; });
  ASSERT_EQ(inRoot.at(0).kind, RecordKind::kArchive);
  EXPECT_TRUE(inRoot.at(0).hasSubfolders);
  EXPECT_TRUE(top.at(0).hasSubfolders);
  EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(ArchiveVolumeTest, EmptyFoldersAndArchivesAreDroppedWhenAsked) {
  options_.fileTypeGroup = 10;  // "- Music files"
  // The text files of the first archive are filtered out, leaving its folders; the second holds
  // only a zero-byte song; the third lists a song of 10 bytes.
  ScanEntry texts = Put("texts.zip", SmallZip({"docs/a.txt", "b.txt"}));
  ScanEntry silence = Put("silence.zip", SmallZip({"quiet.mp3"}, 0));
  ScanEntry music = Put("music.zip", SmallZip({"cd/song.mp3", "cd/cover.txt"}));
  std::vector<std::string> kept = WriteAndWalk({texts, silence, music});
  EXPECT_EQ(kept.size(), 8u);
  EXPECT_NE(std::find(kept.begin(), kept.end(), "folder Source0/texts.zip/docs 0"), kept.end());

  options_.dropEmptyFolders = true;
  std::vector<std::string> dropped = WriteAndWalk({texts, silence, music});
  EXPECT_EQ(dropped, (std::vector<std::string>{
                         "folder Source0 " + std::to_string(music.size),
                         "archive Source0/music.zip " + std::to_string(music.size) + " kind 1",
                         "folder Source0/music.zip/cd 10",
                         "file Source0/music.zip/cd/song.mp3 10 -a--",
                     }));
  // Files and folders written before a drop stay counted; only kept archives count as archives.
  Counters counters = volume_.Header().counters.Snapshot();
  EXPECT_EQ(counters.archiveCount, 1u);
  EXPECT_EQ(counters.fileCount, 1u);
  EXPECT_EQ(counters.totalFileCount, 3u);  // the song inside music.zip, the silent song, music.zip
}

}  // namespace
}  // namespace volumist
