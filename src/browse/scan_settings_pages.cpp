#include "browse/scan_settings_pages.h"

#include "analysis/archive_kind.h"
#include "catalog/media_info.h"

namespace volumist::browse {
namespace {

template <int kKind>
bool* ArchiveKind(ScanOptions& options) {
  return &options.archiveKinds[kKind - 1];
}

template <int kType>
bool* ImageType(ScanOptions& options) {
  return &options.imageTypes[kType - kFirstImageType];
}

// The archive kinds in the list's order; GZ (compressed TAR) has no entry and keeps its switch.
constexpr SettingsEntry kArchiveEntries[] = {
    {"*.ZIP, *.WSZ, *.WMZ", &ArchiveKind<kArchiveZip>},
    {"*.RAR, [ + multivolumes *.R00, *.R01, ...]", &ArchiveKind<kArchiveRar>},
    {"*.ACE, [ + multivolumes *.C00, *.C01, ...]", &ArchiveKind<kArchiveAce>},
    {"*.ARJ, [ + multivolumes *.A00, *.A01, ...]", &ArchiveKind<kArchiveArj>},
    {"*.CAB", &ArchiveKind<kArchiveCab>},
    {"*.JAR", &ArchiveKind<kArchiveJar>},
    {"*.LZH, *.LHA, *.LZS", &ArchiveKind<kArchiveLzh>},
    {"*.ZOO", &ArchiveKind<kArchiveZoo>},
    {"*.TAR", &ArchiveKind<kArchiveTar>},
    {"*.HA", &ArchiveKind<kArchiveHa>},
};
constexpr SettingsEntry kArchiveSwitches[] = {
    {"Ultimate archives search (slow)", [](ScanOptions& o) { return &o.archiveKindByContent; }},
    // Shown for what it promises; no option of the scan stores checksums of archive members.
    {"Get and save CRC32 from archives", nullptr},
};

constexpr SettingsEntry kAudioEntries[] = {
    {"*.MP3    - MPEG Layer III audio files (ID3v1.0/1.1 and ID3v2.0 tags)",
     [](ScanOptions& o) { return &o.audioMp3; }},
};

constexpr SettingsEntry kVideoEntries[] = {
    {"*.AVI    - Microsoft Audio/Video Interleaved files", [](ScanOptions& o) { return &o.videoAvi; }},
    {"*.MPG, *.MPEG, *.MP2    - MPEG files", [](ScanOptions& o) { return &o.videoMpeg; }},
};

constexpr SettingsEntry kGraphicsEntries[] = {
    {"*.BMP    - Bitmap Images", &ImageType<kMediaBmp>},
    {"*.JPG, *.JPEG   - JPEG: JFIF Compliant Images", &ImageType<kMediaJpeg>},
    {"*.GIF    - CompuServe Images", &ImageType<kMediaGif>},
    {"*.PNG    - Portable Network Graphics Images", &ImageType<kMediaPng>},
    {"*.ICO    - Icon Images", &ImageType<kMediaIco>},
    {"*.TGA    - Targa Bitmaps", &ImageType<kMediaTga>},
    {"*.PCX    - ZSoft Paintbrush Images", &ImageType<kMediaPcx>},
    {"*.WMF    - Windows Metafailes", &ImageType<kMediaWmf>},
    {"*.TIF, *.TIFF   - Tagged Images", &ImageType<kMediaTiff>},
    {"*.WBMP   - Wireless Bitmaps", &ImageType<kMediaWbmp>},
};

constexpr SettingsEntry kSignatureEntries[] = {
    {"CRC32 Checksum    - 32-bit cyclic redundancy checksum", [](ScanOptions& o) { return &o.signatureCrc32; }},
    {"MD4 Checksum    - (eDonkey2000 hash, than you can create links by this hash)",
     [](ScanOptions& o) { return &o.signatureMd4; }},
    {"MD5 Checksum", [](ScanOptions& o) { return &o.signatureMd5; }},
};

constexpr std::string_view kArchiveLines[] = {
    "Look inside compressed files and get directory structure",
    "from them (also, if it's possible - extract CRC32 checksums)).",
};
constexpr std::string_view kAudioLines[] = {
    "Save some information from audio files (length, title, artist,",
    "album, some comments, bitrate, samples...)",
    "All info can be seen in Audio page in file list.",
};
constexpr std::string_view kVideoLines[] = {
    "Save some information from video files (length, codecs, size,",
    "bitrates, audio info...)",
    "All info can be seen in Video page in file list.",
};
constexpr std::string_view kGraphicsLines[] = {
    "Create and save thumbnails, width, height and",
    "colors from graphic files.",
    "All info can be seen in Images/Thumbnails page in file list.",
};
constexpr std::string_view kSignatureLines[] = {
    "Calculate signatures for each file (very slow).",
    "Can be used for comparing and some service functions.",
    "All info can be seen in Signatures page in file list.",
};

const SettingsPageForm kPages[] = {
    {SettingsPage::kArchives, "Archives", "Analyse contents of Archives", kArchiveLines, kArchiveEntries,
     kArchiveSwitches},
    {SettingsPage::kAudio, "Audio", "Audio formats", kAudioLines, kAudioEntries, {}},
    {SettingsPage::kVideo, "Video", "Video formats", kVideoLines, kVideoEntries, {}},
    {SettingsPage::kGraphics, "Graphics", "Graphics formats", kGraphicsLines, kGraphicsEntries, {}},
    {SettingsPage::kSignatures, "Signatures", "Signatures calculation", kSignatureLines, kSignatureEntries, {}},
};

}  // namespace

std::span<const SettingsPageForm> SettingsPages() { return kPages; }

const SettingsPageForm& LayoutOf(SettingsPage page) { return kPages[static_cast<size_t>(page)]; }

std::vector<bool> ReadEntries(const ScanOptions& options, std::span<const SettingsEntry> entries) {
  // The accessors take a non-const struct; a copy keeps `options` untouched.
  ScanOptions copy = options;
  std::vector<bool> checked;
  checked.reserve(entries.size());
  for (const SettingsEntry& entry : entries) checked.push_back(entry.field != nullptr && *entry.field(copy));
  return checked;
}

void StoreEntries(ScanOptions& options, std::span<const SettingsEntry> entries, const std::vector<bool>& checked) {
  for (size_t i = 0; i < entries.size() && i < checked.size(); ++i) {
    if (entries[i].field != nullptr) *entries[i].field(options) = checked[i];
  }
}

}  // namespace volumist::browse
