// On-disk constants of the volume file. Everything here is written to disk: never renumber.
// docs/volume-format.md describes the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace volumist::format {

inline constexpr std::string_view kVolumeMagic = "QVCT-VF17A";
inline constexpr char kVolumeExtension[] = ".vkt";

// Header field offsets from the start of the file.
inline constexpr uint64_t kHeaderOffset = 10;       // treeStart
inline constexpr uint64_t kCountersOffset = 26;     // folderCount
inline constexpr uint64_t kOptionsOffset = 46;      // 13-byte options summary
inline constexpr uint64_t kContentSizeOffset = 59;  // 8 bytes
inline constexpr uint64_t kVolumeNameOffset = 67;
inline constexpr size_t kVolumeNameFieldSize = 256;
inline constexpr size_t kVolumeNameMaxLength = 255;
inline constexpr uint64_t kSourceListOffset = 323;
inline constexpr size_t kHeaderSize = 313;          // offsets 10 to 322
inline constexpr size_t kRewrittenHeaderSize = 57;  // keys, counters, options, content size
inline constexpr size_t kOptionsSummarySize = 13;

// Tag bytes.
inline constexpr uint8_t kTagNone = 0x00;
inline constexpr uint8_t kTagSourceMark = 0x20;
inline constexpr uint8_t kTagFolder = 0x80;
inline constexpr uint8_t kTagFolderSourceRoot = 0x02;  // flag on kTagFolder
inline constexpr uint8_t kTagFile = 0xC0;
inline constexpr uint8_t kTagArchive = 0xE0;
inline constexpr uint8_t kTagFolderEnd = 0x0F;
inline constexpr uint8_t kTagFolderEndWithSubfolders = 0x1F;
inline constexpr uint8_t kTagDescriptionIndex = 0xA0;

// Flags of file and archive tags.
inline constexpr uint8_t kTagHasMediaInfo = 0x01;
inline constexpr uint8_t kTagWidthMask = 0x06;
inline constexpr uint8_t kTagHasSignatures = 0x08;
inline constexpr uint8_t kFolderEndHasSubfolders = 0x10;

// Size width codes (bits 1-2 of a file or archive tag) and the byte widths they stand for.
inline constexpr uint8_t kWidthCode2 = 6;
inline constexpr uint8_t kWidthCode3 = 4;
inline constexpr uint8_t kWidthCode4 = 2;
inline constexpr uint8_t kWidthCode5 = 0;
inline constexpr int kFolderSizeWidth = 5;
inline constexpr uint64_t kMaxStoredSize = (uint64_t{1} << 40) - 1;  // largest 5-byte value

// Source entry flags and option byte.
inline constexpr uint8_t kSourceIsFolder = 0x01;
inline constexpr uint8_t kSourceScanAgain = 0x01;

// Signature block flags.
inline constexpr uint8_t kSignatureCrc32 = 0x01;
inline constexpr uint8_t kSignatureMd5 = 0x02;
inline constexpr uint8_t kSignatureMd4 = 0x04;
inline constexpr uint8_t kAttributeArchive = 0x08;
inline constexpr uint8_t kAttributeHidden = 0x10;
inline constexpr uint8_t kAttributeSystem = 0x20;
inline constexpr uint8_t kAttributeReadOnly = 0x40;

// MP3 body flags.
inline constexpr uint8_t kMp3HasYear = 0x01;
inline constexpr uint8_t kMp3HasGenre = 0x02;
inline constexpr uint8_t kMp3HasComment = 0x04;
inline constexpr uint8_t kMp3HasVbrBitrate = 0x08;

inline constexpr size_t kAviBodySize = 20;
inline constexpr size_t kMpegBodySize = 13;
inline constexpr size_t kImageBodyFixedSize = 7;

// Description area.
inline constexpr size_t kDescriptionMaxStoredLength = 512;

// Buffer sizes of the writer.
inline constexpr size_t kVolumeBufferSize = 65536;
inline constexpr size_t kWriteMargin = 32;

}  // namespace volumist::format
