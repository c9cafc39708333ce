// The 13-byte options summary and the merge of a volume's options into a job.
#include <gtest/gtest.h>

#include "catalog/scan_options.h"

namespace volumist {
namespace {

TEST(OptionsSummaryTest, DefaultsEncodeToTheirBits) {
  OptionsSummary summary = EncodeOptionsSummary(ScanOptions{});
  // Mask A: hidden/system, eject, attributes, subfolders, multiple sources.
  // Mask B: archives and the eleven archive kinds. Mask C: image types 5-13 and 16, quick resize,
  // accurate compressing, AVI, MPEG, MP3.
  const OptionsSummary expected = {0xAB, 0x00, 0x00, 0x00, 0xFD, 0x1F, 0x00, 0x00, 0xFE, 0x93, 0x0D, 0x08, 0x00};
  EXPECT_EQ(summary, expected);
}

TEST(OptionsSummaryTest, EverySwitchHasItsOwnBit) {
  // Turning on all switches and then each one off in turn must clear exactly one bit.
  ScanOptions all;
  bool* switches[] = {&all.includeHiddenSystem, &all.ejectAfterScan, &all.descriptionPrompt, &all.saveAttributes,
                      &all.dropEmptyFolders, &all.scanSubfolders, &all.usedSingleSource, &all.usedMultipleSources,
                      &all.analyzeArchives, &all.archiveKindByContent, &all.analyzeImages, &all.quickResize,
                      &all.accurateCompressing, &all.analyzeVideo, &all.videoAvi, &all.videoMpeg,
                      &all.analyzeAudio, &all.audioMp3, &all.computeSignatures, &all.signatureCrc32,
                      &all.signatureMd5, &all.signatureMd4};
  for (bool* flag : switches) *flag = true;
  all.archiveKinds.fill(true);
  all.imageTypes.fill(true);
  all.fileTypeGroup = 13;
  OptionsSummary full = EncodeOptionsSummary(all);
  EXPECT_EQ(DecodeOptionsSummary(full), all);

  auto bitCount = [](const OptionsSummary& s) {
    int n = 0;
    for (int i = 0; i < 12; ++i) n += __builtin_popcount(s[i]);
    return n;
  };
  EXPECT_EQ(bitCount(full), 22 + 11 + 12);
  for (bool* flag : switches) {
    *flag = false;
    EXPECT_EQ(bitCount(EncodeOptionsSummary(all)), 22 + 11 + 12 - 1);
    EXPECT_EQ(DecodeOptionsSummary(EncodeOptionsSummary(all)), all);
    *flag = true;
  }
  EXPECT_EQ(full[12], 13);
}

TEST(OptionsSummaryTest, KnownBitPositions) {
  ScanOptions options;
  options = DecodeOptionsSummary({0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(options.signatureMd5);   // 0x40000000
  EXPECT_FALSE(options.signatureMd4);
  options = DecodeOptionsSummary({0, 0, 0, 0x20, 0, 0x10, 0, 0, 0, 0, 0, 0x04, 7});
  EXPECT_TRUE(options.signatureMd4);   // 0x20000000
  EXPECT_TRUE(options.archiveKinds[10]);  // 0x1000: kind 11
  EXPECT_EQ(std::count(options.archiveKinds.begin(), options.archiveKinds.end(), true), 1);
  EXPECT_TRUE(options.analyzeAudio);   // 0x4000000
  EXPECT_EQ(options.fileTypeGroup, 7u);
  // Bits that name no option are ignored.
  options = DecodeOptionsSummary({0x00, 0x01, 0, 0, 0, 0x60, 0, 0, 0, 0x60, 0, 0, 0});
  EXPECT_EQ(EncodeOptionsSummary(options), (OptionsSummary{}));
}

TEST(MergeOptionsTest, TurnsOnWhatTheVolumeRecordsAndKeepsFourSwitches) {
  ScanOptions job;
  job.computeSignatures = false;
  job.usedSingleSource = false;
  job.quickResize = false;
  job.fileTypeGroup = 12;
  ScanOptions volume = job;
  volume.computeSignatures = volume.signatureMd4 = true;
  volume.usedSingleSource = true;
  volume.quickResize = true;
  volume.fileTypeGroup = 7;
  volume.includeHiddenSystem = false;  // never turns a switch off

  MergeOptions(job, volume);
  EXPECT_TRUE(job.computeSignatures);
  EXPECT_TRUE(job.signatureMd4);
  EXPECT_FALSE(job.usedSingleSource);
  EXPECT_FALSE(job.quickResize);
  EXPECT_TRUE(job.includeHiddenSystem);
  EXPECT_EQ(job.fileTypeGroup, 0u);
}

TEST(MergeOptionsTest, EqualGroupsAreKept) {
  ScanOptions job;
  job.fileTypeGroup = 10;
  ScanOptions volume = job;
  MergeOptions(job, volume);
  EXPECT_EQ(job.fileTypeGroup, 10u);
}

}  // namespace
}  // namespace volumist
