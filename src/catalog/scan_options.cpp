#include "catalog/scan_options.h"

#include "catalog/coding.h"

namespace volumist {
namespace {

// Bits of the three masks, as stored.
namespace mask_a {
constexpr uint32_t kIncludeHiddenSystem = 0x1;
constexpr uint32_t kEjectAfterScan = 0x2;
constexpr uint32_t kDescriptionPrompt = 0x4;
constexpr uint32_t kSaveAttributes = 0x8;
constexpr uint32_t kDropEmptyFolders = 0x10;
constexpr uint32_t kScanSubfolders = 0x20;
constexpr uint32_t kUsedSingleSource = 0x40;
constexpr uint32_t kUsedMultipleSources = 0x80;
constexpr uint32_t kComputeSignatures = 0x8000000;
constexpr uint32_t kSignatureCrc32 = 0x10000000;
constexpr uint32_t kSignatureMd4 = 0x20000000;
constexpr uint32_t kSignatureMd5 = 0x40000000;
}  // namespace mask_a
namespace mask_b {
constexpr uint32_t kAnalyzeArchives = 0x1;
constexpr uint32_t kArchiveKindByContent = 0x2;
constexpr uint32_t kFirstArchiveKind = 0x4;
}  // namespace mask_b
namespace mask_c {
constexpr uint32_t kAnalyzeImages = 0x1;
constexpr uint32_t kFirstImageType = 0x2;
constexpr uint32_t kQuickResize = 0x8000;
constexpr uint32_t kAccurateCompressing = 0x10000;
constexpr uint32_t kAnalyzeVideo = 0x20000;
constexpr uint32_t kVideoAvi = 0x40000;
constexpr uint32_t kVideoMpeg = 0x80000;
constexpr uint32_t kAnalyzeAudio = 0x4000000;
constexpr uint32_t kAudioMp3 = 0x8000000;
}  // namespace mask_c

template <typename Visit>
void ForEachSwitch(Visit visit, auto& options) {
  visit(0, mask_a::kIncludeHiddenSystem, options.includeHiddenSystem);
  visit(0, mask_a::kEjectAfterScan, options.ejectAfterScan);
  visit(0, mask_a::kDescriptionPrompt, options.descriptionPrompt);
  visit(0, mask_a::kSaveAttributes, options.saveAttributes);
  visit(0, mask_a::kDropEmptyFolders, options.dropEmptyFolders);
  visit(0, mask_a::kScanSubfolders, options.scanSubfolders);
  visit(0, mask_a::kUsedSingleSource, options.usedSingleSource);
  visit(0, mask_a::kUsedMultipleSources, options.usedMultipleSources);
  visit(0, mask_a::kComputeSignatures, options.computeSignatures);
  visit(0, mask_a::kSignatureCrc32, options.signatureCrc32);
  visit(0, mask_a::kSignatureMd4, options.signatureMd4);
  visit(0, mask_a::kSignatureMd5, options.signatureMd5);
  visit(1, mask_b::kAnalyzeArchives, options.analyzeArchives);
  visit(1, mask_b::kArchiveKindByContent, options.archiveKindByContent);
  for (int i = 0; i < kArchiveKindCount; ++i) visit(1, mask_b::kFirstArchiveKind << i, options.archiveKinds[i]);
  visit(2, mask_c::kAnalyzeImages, options.analyzeImages);
  for (int i = 0; i < kImageTypeCount; ++i) visit(2, mask_c::kFirstImageType << i, options.imageTypes[i]);
  visit(2, mask_c::kQuickResize, options.quickResize);
  visit(2, mask_c::kAccurateCompressing, options.accurateCompressing);
  visit(2, mask_c::kAnalyzeVideo, options.analyzeVideo);
  visit(2, mask_c::kVideoAvi, options.videoAvi);
  visit(2, mask_c::kVideoMpeg, options.videoMpeg);
  visit(2, mask_c::kAnalyzeAudio, options.analyzeAudio);
  visit(2, mask_c::kAudioMp3, options.audioMp3);
}

}  // namespace

OptionsSummary EncodeOptionsSummary(const ScanOptions& options) {
  uint32_t masks[3] = {};
  ForEachSwitch([&masks](int mask, uint32_t bit, bool value) {
    if (value) masks[mask] |= bit;
  }, options);
  OptionsSummary summary{};
  for (int i = 0; i < 3; ++i) EncodeFixed(summary.data() + 4 * i, masks[i], 4);
  summary[12] = static_cast<uint8_t>(options.fileTypeGroup);
  return summary;
}

ScanOptions DecodeOptionsSummary(const OptionsSummary& summary) {
  uint32_t masks[3];
  for (int i = 0; i < 3; ++i) masks[i] = static_cast<uint32_t>(DecodeFixed(summary.data() + 4 * i, 4));
  ScanOptions options;
  ForEachSwitch([&masks](int mask, uint32_t bit, bool& value) { value = (masks[mask] & bit) != 0; }, options);
  options.fileTypeGroup = summary[12];
  return options;
}

}  // namespace volumist

namespace volumist {

void MergeOptions(ScanOptions& job, const ScanOptions& volume) {
  if (job.fileTypeGroup != volume.fileTypeGroup) job.fileTypeGroup = 0;
  ScanOptions kept = job;
  OptionsSummary merged = EncodeOptionsSummary(job);
  OptionsSummary stored = EncodeOptionsSummary(volume);
  for (int i = 0; i < 12; ++i) merged[i] |= stored[i];
  merged[12] = static_cast<uint8_t>(job.fileTypeGroup);
  job = DecodeOptionsSummary(merged);
  job.usedSingleSource = kept.usedSingleSource;
  job.usedMultipleSources = kept.usedMultipleSources;
  job.quickResize = kept.quickResize;
  job.accurateCompressing = kept.accurateCompressing;
}

}  // namespace volumist
