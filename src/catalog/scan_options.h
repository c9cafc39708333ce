// ScanOptions: what a scan records and how. Stored as a 13-byte summary in the volume header, in
// every source entry and in the configuration file.
#pragma once

#include <array>
#include <cstdint>

namespace volumist {

inline constexpr int kArchiveKindCount = 11;  // archive kind codes 1 to 11
inline constexpr int kFirstImageType = 5;     // media types 5 to 16 have image switches
inline constexpr int kImageTypeCount = 12;

struct ScanOptions {
  uint32_t fileTypeGroup = 0;        // 0 to 13; 0 records every file
  bool includeHiddenSystem = true;
  bool ejectAfterScan = true;
  bool descriptionPrompt = false;
  bool saveAttributes = true;
  bool dropEmptyFolders = false;
  bool scanSubfolders = true;
  bool usedSingleSource = false;
  bool usedMultipleSources = true;
  bool analyzeArchives = true;
  bool archiveKindByContent = false;
  std::array<bool, kArchiveKindCount> archiveKinds = {true, true, true, true, true, true,
                                                      true, true, true, true, true};
  bool analyzeImages = false;
  bool quickResize = true;
  bool accurateCompressing = true;
  // Media types 5 to 16; 14 and 15 name no picture format and stay off.
  std::array<bool, kImageTypeCount> imageTypes = {true, true, true, true, true, true,
                                                  true, true, true, false, false, true};
  bool analyzeVideo = false;
  bool videoAvi = true;
  bool videoMpeg = true;
  bool analyzeAudio = false;
  bool audioMp3 = true;
  bool computeSignatures = false;
  bool signatureCrc32 = false;
  bool signatureMd5 = false;
  bool signatureMd4 = false;

  bool ArchiveKindEnabled(int kind) const { return kind >= 1 && kind <= kArchiveKindCount && archiveKinds[kind - 1]; }
  bool ImageTypeEnabled(int type) const {
    return type >= kFirstImageType && type < kFirstImageType + kImageTypeCount && imageTypes[type - kFirstImageType];
  }

  friend bool operator==(const ScanOptions&, const ScanOptions&) = default;
};

using OptionsSummary = std::array<uint8_t, 13>;

OptionsSummary EncodeOptionsSummary(const ScanOptions& options);
// Sets every option from its bit; bits that name no option are ignored.
ScanOptions DecodeOptionsSummary(const OptionsSummary& summary);

}  // namespace volumist

namespace volumist {

// Makes `job` record at least what a volume's options record, before sources are added to it:
// every switch on in `volume` is turned on in `job`, except the two source-page marks and the two
// image quality switches, which keep the job's values; a differing file-type group becomes 0 (all
// files). No switch is turned off.
void MergeOptions(ScanOptions& job, const ScanOptions& volume);

}  // namespace volumist
