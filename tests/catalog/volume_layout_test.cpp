// The bytes of a tiny volume, checked against bytes written out by hand.
#include <gtest/gtest.h>

#include "catalog/volume_catalog.h"
#include "testing/byte_builder.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using testing::MemoryNode;
using testing::MemorySource;

// The options summary of a job with default options.
const char kDefaultSummary[] = "\xAB\x00\x00\x00\xFD\x1F\x00\x00\xFE\x93\x0D\x08\x00";

// One folder source "Src" holding the folder "Sub" with a.txt (5 bytes) and the file "b" (70 000
// bytes, no extension).
std::string TinyVolumeBytes() {
  ByteBuilder tree;
  tree.U8(0x20).U16(0);                                                    // key 0: source mark 0
  tree.U8(0x82).Str("Src").Fixed(70005, 5).U8(0).U32(3).U32(76).U32(3);    // key 3: root folder
  tree.U8(0x80).Str("Sub").Fixed(5, 5).U8(1).U32(26).U32(63).U32(3);       // key 26: Sub
  tree.U8(0xC6).Str("a").Str("txt").U16(5).U32(0x01020304);                // key 49: a.txt, 2-byte size
  tree.U8(0x0F);                                                           // key 62: end of Sub
  tree.U8(0xC4).Str("b").Str("").U24(70000).U32(0);                        // key 63: b, 3-byte size
  tree.U8(0x1F);                                                           // key 74: end of the walk of Src
  tree.U8(0x1F);                                                           // key 75: end of the source
  EXPECT_EQ(tree.size(), 76u);

  ByteBuilder source;
  source.U8(0x01).U16(0).Str("Src").Str("LBL").Str("ext4").Str("/x").U8(3).U32(0x12345678).U64(1000).U64(500);
  source.Raw(std::string_view(kDefaultSummary, 13)).U8(0x01).U32(3).U32(76);
  EXPECT_EQ(source.size(), 62u);

  const uint32_t treeStart = 323 + 2 + 62;
  const uint32_t treeEnd = treeStart + 76;
  ByteBuilder file;
  file.Raw("QVCT-VF17A").U32(treeStart).U32(treeEnd).U32(treeEnd).U32(treeEnd);
  file.U32(2).U32(2).U32(0).U32(2).U32(2);  // folders, files, archives, total folders, total files
  file.Raw(std::string_view(kDefaultSummary, 13)).U64(70005).Padded("Tiny", 256);
  EXPECT_EQ(file.size(), 323u);
  file.U16(1).Raw(source.bytes()).Raw(tree.bytes());
  return file.bytes();
}

TEST(VolumeLayoutTest, TinyVolumeMatchesHandWrittenBytes) {
  testing::TempDir dir;
  testing::RecordingPrompter prompter;
  ScanJob job;
  job.volumeFileName = dir.File("tiny.vkt");
  job.volumeName = "Tiny";
  job.sources.push_back({-1, "Src", "/x", true});
  MemorySource contents;
  contents.volumeLabel = "LBL";
  contents.fileSystemName = "ext4";
  contents.driveType = 3;
  contents.serialNumber = 0x12345678;
  contents.totalBytes = 1000;
  contents.freeBytes = 500;
  contents.children = {MemoryNode::Folder("Sub", {MemoryNode::File("a", ".txt", 5, 0x01020304)}),
                       MemoryNode::File("b", "", 70000)};
  ASSERT_TRUE(testing::WriteVolume(job, {contents}, prompter));
  std::string expected = TinyVolumeBytes();
  std::string actual = testing::ReadFileBytes(dir.File("tiny.vkt"));
  EXPECT_EQ(testing::FirstDifference(expected, actual), "");
  // Nothing but the volume is left in the folder.
  EXPECT_EQ(testing::ListNames(dir.path()), std::vector<std::string>{"tiny.vkt"});
}

TEST(VolumeLayoutTest, HandWrittenVolumeReadsBack) {
  testing::TempDir dir;
  testing::RecordingPrompter prompter;
  testing::WriteFileBytes(dir.File("hand.vkt"), TinyVolumeBytes());
  VolumeCatalog volume(platform::FileSystem::Default(), prompter);
  ASSERT_TRUE(volume.OpenVolume(dir.File("hand.vkt")));
  EXPECT_EQ(volume.Header().volumeName, "Tiny");
  EXPECT_EQ(volume.Header().contentSize.Value(), 70005u);
  EXPECT_EQ(volume.Header().counters.Snapshot(), (Counters{2, 2, 0, 2, 2}));
  ASSERT_EQ(volume.Sources().size(), 1u);
  EXPECT_EQ(volume.Sources()[0].serialNumber, 0x12345678u);
  EXPECT_EQ(volume.Sources()[0].options, ScanOptions{});
}

}  // namespace
}  // namespace volumist
