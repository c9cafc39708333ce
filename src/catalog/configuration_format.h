// On-disk constants of configuration.cfg. Everything here is written to disk: never renumber.
// docs/configuration-format.md describes the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace volumist::config_format {

inline constexpr char kFileName[] = "configuration.cfg";
inline constexpr std::string_view kMagic = "QVCT-CONFIGa";
inline constexpr size_t kFileSize = 605;

// Field offsets.
inline constexpr size_t kVolumeDirectoryOffset = 12;
inline constexpr size_t kVolumeDirectoryFieldSize = 500;
inline constexpr size_t kVolumeDirectoryMaxLength = 499;  // leaves room for the NUL
inline constexpr size_t kGeneralSwitchesOffset = 512;
inline constexpr size_t kListMasksOffset = 516;    // six 32-bit masks
inline constexpr size_t kSearchMasksOffset = 540;  // six 32-bit masks
inline constexpr int kStoredMaskCount = 6;
inline constexpr size_t kOptionsSummaryOffset = 564;
inline constexpr size_t kScanAgainOffset = 577;
inline constexpr size_t kSearchSwitchesOffset = 578;
inline constexpr size_t kExportMaskPOffset = 582;
inline constexpr size_t kExportMaskQOffset = 586;
inline constexpr size_t kColumnOrderOffset = 590;
inline constexpr size_t kColumnOrderFieldSize = 15;  // nine entries, then six 0 bytes

// General switches.
inline constexpr uint32_t kShowTooltips = 0x1;
inline constexpr uint32_t kExplorerMode = 0x2;
inline constexpr uint32_t kShowSplash = 0x4;

inline constexpr uint8_t kScanAgain = 0x01;

// Search switches.
inline constexpr uint32_t kCaseSensitive = 0x1;
inline constexpr uint32_t kLookInArchives = 0x2;
inline constexpr uint32_t kOnlyInArchives = 0x4;
inline constexpr uint32_t kInSubfolders = 0x8;
inline constexpr uint32_t kFindFolders = 0x10;
inline constexpr uint32_t kGetDescriptions = 0x20;

// Export mask P.
inline constexpr uint32_t kSaveVolumeInfo = 0x1;
inline constexpr uint32_t kSaveArchiveContent = 0x2;
inline constexpr uint32_t kSaveSignatures = 0x4;
inline constexpr uint32_t kSaveMedia = 0x8;
inline constexpr uint32_t kSaveTotals = 0x10;
inline constexpr uint32_t kExtraSwitch = 0x20;
inline constexpr uint32_t kIncludeSubfolders = 0x40;
inline constexpr uint32_t kFirstColumnEnabled = 0x4000;  // column id 1; id n is 0x4000 << (n - 1)

// Export mask Q.
inline constexpr uint32_t kAttributeForm = 0x1;
inline constexpr uint32_t kWriteRoot = 0x2;
inline constexpr uint32_t kWriteVolume = 0x4;
inline constexpr uint32_t kWriteContent = 0x8;

}  // namespace volumist::config_format
