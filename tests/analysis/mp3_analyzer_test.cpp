// The MP3 analyzer on files built here byte by byte: ID3v2.3 and v2.4 tags, ID3v1 tags, frame
// headers, and Xing, Info and VBRI headers.
#include <gtest/gtest.h>

#include <cstring>

#include "analysis/media_format.h"
#include "analysis/mp3_analyzer.h"
#include "analysis/mp3_values.h"
#include "imaging/memory_file.h"
#include "testing/media_builder.h"

namespace volumist {
namespace {

using testing::Be32;
using testing::Id3v1Tag;
using testing::Id3v2Tag;
using testing::Mp3Audio;
using testing::Mp3FrameHeader;
using testing::XingHeader;

testing::Id3Frame Text(const std::string& id, const std::string& text, uint8_t encoding = 0) {
  return testing::Id3Text(id, text, encoding);
}

const std::string kCbrHeader = testing::Mp3CbrHeader();

struct Analysis {
  bool ok = false;
  Mp3Info info;
};

Analysis Analyze(const std::string& bytes) {
  MemoryFile file({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  Analysis result;
  result.ok = AnalyzeMp3(file, result.info);
  return result;
}

TEST(Mp3AnalyzerTest, Id3v23TextsWithoutId3v1) {
  std::string file = Id3v2Tag(3, {Text("TIT2", "Title"), Text("TPE1", "Artist"), Text("TALB", "Album"), Text("TYER", "1999")}, 20) +
                     Mp3Audio(kCbrHeader, "", 4000);
  Analysis a = Analyze(file);
  ASSERT_TRUE(a.ok);
  EXPECT_FALSE(a.info.isEmpty);
  EXPECT_EQ(a.info.title, "Title");
  EXPECT_EQ(a.info.artist, "Artist");
  EXPECT_EQ(a.info.album, "Album");
  EXPECT_EQ(a.info.year, "1999");
  EXPECT_EQ(a.info.comment, "");
  EXPECT_EQ(a.info.genre, 0);
}

TEST(Mp3AnalyzerTest, FramesAfterALargeFrameAreReadInBothVersions) {
  // Version 2.3 sizes are plain numbers: a 300-byte picture frame (0x12C) read as syncsafe would
  // give 172 and lose every frame after it.
  std::string picture(300, '\x7F');
  for (int major : {3, 4}) {
    SCOPED_TRACE(major);
    std::string file = Id3v2Tag(major, {testing::Id3Frame{"APIC", picture}, Text("TIT2", "T"), Text("TPE1", "Band"),
                                     testing::Id3Frame{"COMM", std::string("\0eng", 4) + std::string("desc\0Nice", 9)}, Text("TALB", "Record")}) +
                       Mp3Audio(kCbrHeader, "", 1000);
    Analysis a = Analyze(file);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.info.title, "T");
    EXPECT_EQ(a.info.artist, "Band");
    EXPECT_EQ(a.info.album, "Record");
    EXPECT_EQ(a.info.comment, "Nice");
  }
}

TEST(Mp3AnalyzerTest, Id3v22TagsWithShortIdentifiers) {
  auto frame = [](const std::string& id, const std::string& body) {
    return id + std::string{'\0', '\0', static_cast<char>(body.size())} + body;
  };
  std::string frames = frame("TT2", std::string("\0Old song", 9)) + frame("TP1", std::string("\0Old band", 9)) +
                       frame("PIC", std::string(40, '\x33')) + frame("TAL", std::string("\0Old album", 10)) +
                       frame("TYE", std::string("\0" "1998", 5)) + std::string(8, '\0');
  std::string tag = std::string("ID3\2\0\0", 6) + testing::Syncsafe(static_cast<uint32_t>(frames.size())) + frames;
  Analysis a = Analyze(tag + Mp3Audio(kCbrHeader, "", 1000));
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.info.title, "Old song");
  EXPECT_EQ(a.info.artist, "Old band");
  EXPECT_EQ(a.info.album, "Old album");
  EXPECT_EQ(a.info.year, "1998");
}

TEST(Mp3AnalyzerTest, Id3v1ReplacesEverythingWhenTheId3v2TagHasNoTitle) {
  std::string file = Id3v2Tag(3, {Text("TPE1", "V2 artist"), Text("TALB", "V2 album")}) + Mp3Audio(kCbrHeader, "", 2000) +
                     Id3v1Tag("V1 title", "V1 artist", "", "2001", std::string("Comment\0\x07", 9), 17);
  Analysis a = Analyze(file);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.info.title, "V1 title");
  EXPECT_EQ(a.info.artist, "V1 artist");
  EXPECT_EQ(a.info.album, "");
  EXPECT_EQ(a.info.year, "2001");
  EXPECT_EQ(a.info.comment, "Comment");  // the ID3v1.1 track number falls away
  EXPECT_EQ(a.info.genre, 17);
}

TEST(Mp3AnalyzerTest, TextsBecomeUtf8) {
  struct Case {
    const char* name;
    std::string frameText;
    uint8_t encoding;
    std::string expected;
  };
  const Case cases[] = {
      {"UTF-16 little-endian with mark", std::string("\xFF\xFES\0o\0n\0g\0", 10), 1, "Song"},
      {"UTF-16 big-endian with mark", std::string("\xFE\xFF\0S\0o\0n\0g", 10), 1, "Song"},
      {"UTF-16 big-endian without mark", std::string("\0G\0r\0\xFC\0\xDF\0e", 10), 2, "Gr\xC3\xBC\xC3\x9F" "e"},
      {"UTF-16 surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), 1, "\xF0\x9F\x98\x80"},
      {"UTF-16 unpaired surrogate", std::string("\xFF\xFE\x3D\xD8" "A\0", 6), 1, "\xEF\xBF\xBD" "A"},
      {"ISO-8859-1", "Caf\xE9", 0, "Caf\xC3\xA9"},
      {"UTF-8 stays", "Caf\xC3\xA9", 3, "Caf\xC3\xA9"},
      {"text ends at its NUL, blanks trimmed", std::string("Name  \0junk", 11), 0, "Name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a = Analyze(Id3v2Tag(4, {Text("TIT2", c.frameText, c.encoding)}) + Mp3Audio(kCbrHeader, "", 1000));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.info.title, c.expected);
  }
  // ID3v1 texts: ISO-8859-1 unless they are valid UTF-8.
  Analysis v1 = Analyze(Mp3Audio(kCbrHeader, "", 1000) + Id3v1Tag("M\xF6tley", "Bj\xC3\xB6rk", "", "", "", 0));
  EXPECT_EQ(v1.info.title, "M\xC3\xB6tley");
  EXPECT_EQ(v1.info.artist, "Bj\xC3\xB6rk");
}

TEST(Mp3AnalyzerTest, LongTextsAreCutOnACharacterBoundary) {
  struct Case {
    const char* name;
    std::string text;
    size_t expectedLength;
  };
  std::string euros;
  for (int i = 0; i < 100; ++i) euros += "\xE2\x82\xAC";
  const Case cases[] = {
      {"300 bytes keep 254", std::string(300, 'a'), 254},
      {"255 bytes stay whole", std::string(255, 'b'), 255},
      {"256 bytes keep 254", std::string(256, 'c'), 254},
      {"three-byte characters cut before the 254th byte", euros, 252},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a = Analyze(Id3v2Tag(3, {Text("TIT2", c.text, 3), Text("TPE1", "After")}) + Mp3Audio(kCbrHeader, "", 1000));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.info.title.size(), c.expectedLength);
    EXPECT_EQ(a.info.title, c.text.substr(0, c.expectedLength));
    EXPECT_EQ(a.info.artist, "After");
  }
}

TEST(Mp3AnalyzerTest, DamagedTagsEndTheTagButNotTheAnalysis) {
  // The second frame claims more bytes than the tag holds; the first text stays.
  std::string tag = Id3v2Tag(3, {Text("TIT2", "Kept"), Text("TPE1", "Lost")});
  tag[10 + 15 + 7] = '\x70';  // TPE1's size (after TIT2's 15 bytes): 0x70, beyond the tag
  Analysis a = Analyze(tag + Mp3Audio(kCbrHeader, "", 1000));
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.info.title, "Kept");
  EXPECT_EQ(a.info.artist, "");
  // A size with a top bit set is no valid tag: no texts, but the frame is still found.
  std::string bad = Id3v2Tag(3, {Text("TIT2", "Gone")});
  bad[6] = '\x80';
  Analysis b = Analyze(bad + Mp3Audio(kCbrHeader, "", 1000));
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(b.info.title, "");
}

TEST(Mp3AnalyzerTest, ConstantBitrateLengthAndHeaderBits) {
  std::string file = Id3v2Tag(3, {Text("TIT2", "x")}) + Mp3Audio(kCbrHeader, "", 160000);
  Analysis a = Analyze(file);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.info.vbrBitrate, -1);
  EXPECT_EQ(Mp3Bitrate(a.info).kbps, 128u);
  EXPECT_FALSE(Mp3Bitrate(a.info).isVbr);
  EXPECT_EQ(Mp3SampleRate(a.info), 44100u);
  EXPECT_EQ(a.info.lengthSeconds, 160000u * 8 / 1000 / 128);
  // Version 3, rate index 0, bitrate index 9, layer code 0 (Layer III).
  EXPECT_EQ(a.info.mpegHeaderBits, 3 | (0 << 2) | (9 << 4) | (0 << 8));
  EXPECT_EQ(FormatMp3Bitrate(a.info, true), "128");
}

TEST(Mp3AnalyzerTest, VariableBitrateHeaders) {
  struct Case {
    const char* name;
    std::string header;
    std::string vbr;
    size_t sideInformation;
    int32_t expectedVbr;
    uint32_t expectedKbps;
  };
  const Case cases[] = {
      {"Xing with 1000 frames, 418000 bytes", kCbrHeader, XingHeader("Xing", 1, 1000), 32, 128, 128},
      {"Xing without frame count: constant", kCbrHeader, XingHeader("Xing", 0, 1000), 32, -1, 128},
      {"Xing with 0 frames: constant", kCbrHeader, XingHeader("Xing", 1, 0), 32, -1, 128},
      {"Xing whose count makes the bitrate 0: constant", kCbrHeader, XingHeader("Xing", 1, 4000000), 32, -1, 128},
      {"Info (constant bitrate marker)", kCbrHeader, XingHeader("Info", 1, 1000), 32, -1, 128},
      {"Xing behind mono side information", Mp3FrameHeader(3, 1, 9, 0, 3), XingHeader("Xing", 1, 1000), 17, 128, 128},
      // MPEG-2 Layer III frames hold 576 samples: bytes = 72 * bitrate / rate. 418 * 22050 / 72000 = 128.
      {"Xing of MPEG-2 Layer III", Mp3FrameHeader(2, 1, 8, 0), XingHeader("Xing", 1, 1000), 17, 128, 128},
      {"VBRI 32 bytes after the header", kCbrHeader,
       std::string("VBRI") + std::string(10, '\0') + Be32(500), 32, 256, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a = Analyze(Mp3Audio(c.header, c.vbr, 418000, c.sideInformation));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.info.vbrBitrate, c.expectedVbr);
    EXPECT_EQ(Mp3Bitrate(a.info).kbps, c.expectedKbps);
    EXPECT_EQ(a.info.lengthSeconds, 418000u * 8 / 1000 / c.expectedKbps);
    if (c.expectedVbr > 0) {
      EXPECT_EQ(FormatMp3Bitrate(a.info, true), std::to_string(c.expectedKbps) + " VBR");
    }
  }
}

// Length and bitrate count the audio frames only: not the ID3v2 tag at the start with its padding
// and pictures, nor the tags appended at the end (ID3v1, APE, Lyrics3, an ID3v2.4 tag with footer).
TEST(Mp3AnalyzerTest, TagsAreNotCountedAsAudio) {
  const std::string picture = std::string(1, '\0') + "image/jpeg" + std::string(1, '\0') + '\3' + std::string(1, '\0') +
                              std::string(200000, 'p');
  const std::string v1 = Id3v1Tag("t", "a", "b", "2001", "c", 1);
  const std::string ape = testing::ApeTag(std::string("\x05\0\0\0\0\0\0\0Title\0Hello", 18) + std::string(50000, 'x'), 1, true);
  const std::string apeV1 = testing::ApeTag(std::string(40000, 'y'), 3, false);
  const std::string lyrics2 = testing::Lyrics3v2Tag("IND00003110LYR00005hello" + std::string(3000, 'l'));
  const std::string lyrics1 = testing::Lyrics3v1Tag(std::string(5000, 'w'));
  struct Case {
    const char* what;
    std::string before;  // between the start of the file and the audio
    std::string after;   // after the audio
  };
  const Case cases[] = {
      {"no tag", "", ""},
      {"ID3v2 with 30 KB of padding", Id3v2Tag(3, {Text("TIT2", "Padded")}, 30000), ""},
      {"ID3v2 with a 200 KB picture", Id3v2Tag(3, {Text("TIT2", "Covered"), {"APIC", picture}}), ""},
      {"ID3v1", "", v1},
      {"APE with its header", "", ape},
      {"APE with its header, then ID3v1", "", ape + v1},
      {"APE version 1", "", apeV1},
      {"Lyrics3 version 2, then ID3v1", "", lyrics2 + v1},
      {"Lyrics3 version 1, then ID3v1", "", lyrics1 + v1},
      {"APE, Lyrics3 and ID3v1", Id3v2Tag(4, {Text("TIT2", "All")}, 4000), ape + lyrics2 + v1},
      {"ID3v2.4 appended with its footer", "", testing::Id3v2AppendedTag({Text("TIT2", "End"), {"APIC", picture}})},
  };
  for (bool variable : {false, true}) {
    // 128 kbit/s either way: 1000 frames of 418 bytes at 44100 Hz.
    std::string audio = Mp3Audio(kCbrHeader, variable ? XingHeader("Xing", 1, 1000) : "", 418000);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (variable ? ", VBR" : ", CBR"));
      Analysis a = Analyze(c.before + audio + c.after);
      ASSERT_TRUE(a.ok);
      EXPECT_EQ(a.info.vbrBitrate, variable ? 128 : -1);
      EXPECT_EQ(Mp3Bitrate(a.info).kbps, 128u);
      EXPECT_EQ(a.info.lengthSeconds, 418000u * 8 / 1000 / 128);
    }
  }
  // Footers that do not hold up (a size beyond the file, a Lyrics3 size that is no number, a tag
  // whose start is not where its footer says) count like any other bytes after the audio.
  std::string audio = Mp3Audio(kCbrHeader, XingHeader("Xing", 1, 1000), 418000);
  std::string badApe = std::string(60000, 'j') + testing::ApeTag("", 0, false);
  badApe.replace(badApe.size() - 20, 4, std::string("\xFF\xFF\xFF\x0F", 4));
  std::string badLyrics = testing::Lyrics3v2Tag(std::string(60000, 'l'));
  badLyrics[badLyrics.size() - 10] = 'x';
  std::string movedLyrics = testing::Lyrics3v2Tag(std::string(60000, 'l'));
  movedLyrics.replace(0, 11, "lyricsbegin");
  for (const std::string& tail : {badApe, badLyrics, movedLyrics}) {
    Analysis tagged = Analyze(audio + tail);
    Analysis filler = Analyze(audio + std::string(tail.size(), 'U'));
    ASSERT_TRUE(tagged.ok);
    EXPECT_GT(filler.info.vbrBitrate, 128);
    EXPECT_EQ(tagged.info.vbrBitrate, filler.info.vbrBitrate);
    EXPECT_EQ(tagged.info.lengthSeconds, filler.info.lengthSeconds);
  }
}

TEST(Mp3AnalyzerTest, SampleRatesOfEveryVersion) {
  struct Case {
    int version, rate;
    uint32_t hz;
  };
  const Case cases[] = {{3, 0, 44100}, {3, 1, 48000}, {3, 2, 32000}, {2, 0, 22050}, {2, 1, 24000},
                        {2, 2, 16000}, {0, 0, 11025}, {0, 1, 12000}, {0, 2, 8000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hz);
    Analysis a = Analyze(Mp3Audio(Mp3FrameHeader(c.version, 1, 5, c.rate), "", 1000));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(Mp3SampleRate(a.info), c.hz);
    EXPECT_EQ(FormatMp3SampleRate(a.info), std::to_string(c.hz));
  }
}

TEST(Mp3AnalyzerTest, FrameSearchBoundsAndRejectedHeaders) {
  std::string tag = Id3v2Tag(3, {Text("TIT2", "x")});
  // The header may start 20480 bytes after the tag, not one byte later.
  EXPECT_TRUE(Analyze(tag + std::string(20480, '\0') + Mp3Audio(kCbrHeader, "", 100)).ok);
  EXPECT_FALSE(Analyze(tag + std::string(20481, '\0') + Mp3Audio(kCbrHeader, "", 100)).ok);
  const std::string rejected[] = {
      Mp3FrameHeader(1, 1, 9, 0),  // reserved version
      Mp3FrameHeader(3, 0, 9, 0),  // reserved layer
      Mp3FrameHeader(3, 1, 0, 0),  // free bitrate
      Mp3FrameHeader(3, 1, 15, 0), // bad bitrate
      Mp3FrameHeader(3, 1, 9, 3),  // reserved sample rate
      Be32(0xFFFB9002),         // emphasis 2
  };
  for (const std::string& header : rejected) EXPECT_FALSE(Analyze(header + std::string(100, '\0')).ok);
  Analysis text = Analyze(std::string(30000, 'a'));
  EXPECT_FALSE(text.ok);
  EXPECT_TRUE(text.info.isEmpty);
  EXPECT_FALSE(Analyze("").ok);
}

// A file of any size whose first bytes are given; the rest reads as zeros.
class LargeFile final : public platform::File {
 public:
  LargeFile(std::string head, uint64_t size) : head_(std::move(head)), size_(size) {}
  std::optional<size_t> ReadAt(uint64_t offset, std::span<std::byte> out) override {
    if (offset >= size_) return size_t{0};
    size_t n = static_cast<size_t>(std::min<uint64_t>(out.size(), size_ - offset));
    for (size_t i = 0; i < n; ++i) out[i] = offset + i < head_.size() ? std::byte(head_[offset + i]) : std::byte{0};
    return n;
  }
  bool WriteAt(uint64_t, std::span<const std::byte>) override { return false; }
  std::optional<uint64_t> Size() override { return size_; }
  bool Truncate(uint64_t) override { return false; }
  bool Sync() override { return false; }
  bool Close() override { return true; }

 private:
  std::string head_;
  uint64_t size_;
};

TEST(Mp3AnalyzerTest, LengthOfHugeFilesDoesNotWrap) {
  LargeFile file(kCbrHeader, 300ull * 1024 * 1024);
  Mp3Info info;
  ASSERT_TRUE(AnalyzeMp3(file, info));
  EXPECT_EQ(info.lengthSeconds, 19660u);
  LargeFile enormous(kCbrHeader, 5000ull * 1024 * 1024 * 1024);  // 5 TB
  ASSERT_TRUE(AnalyzeMp3(enormous, info));
  EXPECT_EQ(info.lengthSeconds, 5000ull * 1024 * 1024 * 1024 / 125 / 128);
}

TEST(Mp3AnalyzerTest, ComparatorsPutFilesWithoutAudioLast) {
  Mp3Info a, b;
  a.title = "apple", b.title = "Banana";
  a.lengthSeconds = 200, b.lengthSeconds = 100;
  a.mpegHeaderBits = 3 | (9 << 4), b.mpegHeaderBits = 3 | (11 << 4);  // 128 and 192 kbit/s
  for (int direction : {1, -1}) {
    SCOPED_TRACE(direction);
    EXPECT_EQ(CompareMp3(&a, &b, Mp3Field::kTitle, direction), -direction);
    EXPECT_EQ(CompareMp3(&a, &b, Mp3Field::kLength, direction), direction);
    EXPECT_EQ(CompareMp3(&a, &b, Mp3Field::kBitrate, direction), -direction);
    EXPECT_EQ(CompareMp3(&a, &a, Mp3Field::kArtist, direction), 0);
    EXPECT_EQ(CompareMp3(nullptr, &a, Mp3Field::kTitle, direction), 1);
    EXPECT_EQ(CompareMp3(&a, nullptr, Mp3Field::kTitle, direction), -1);
  }
  EXPECT_TRUE(MatchesMp3Bitrate(&a, Comparison::kLessOrEqual, 128));
  EXPECT_FALSE(MatchesMp3Bitrate(&a, Comparison::kLess, 128));
  EXPECT_TRUE(MatchesMp3Bitrate(&b, Comparison::kGreater, 128));
  EXPECT_TRUE(MatchesMp3Bitrate(&b, Comparison::kNotEqual, 128));
  EXPECT_FALSE(MatchesMp3Bitrate(nullptr, Comparison::kNotEqual, 128));
}

}  // namespace
}  // namespace volumist
