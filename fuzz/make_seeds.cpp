// Writes seed inputs for the fuzzers into a folder: small but complete volumes with every record
// kind, so that fuzzing starts from valid structure.
#include <cstdio>
#include <fstream>
#include <string>

#include "catalog/volume_catalog.h"
#include "testing/byte_builder.h"
#include "testing/compressed_bytes.h"
#include "testing/media_builder.h"
#include "testing/memory_file_system.h"
#include "testing/memory_tree.h"
#include "testing/picture_builder.h"
#include "testing/wmf_builder.h"

using namespace volumist;
using testing::MemoryNode;
using testing::MemorySource;

namespace {

bool WriteSeed(const std::string& folder, const std::string& name, ScanJob job, std::vector<MemorySource> sources) {
  testing::MemoryFileSystem fileSystem;
  SilentPrompter prompter;
  VolumeCatalog volume(fileSystem, prompter);
  volume.SetStaysClosed(true);
  job.volumeFileName = "/seed.vkt";
  testing::MemoryTreeWriter contents(std::move(sources));
  if (!volume.CreateVolume(job, contents)) return false;
  std::ofstream out(folder + "/" + name, std::ios::binary);
  const std::string* bytes = fileSystem.Get("/seed.vkt");
  out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  return static_cast<bool>(out);
}

bool WriteBytes(const std::string& folder, const std::string& name, const std::string& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Small media files for the analyzer fuzzers. Picture seeds start with the byte that makes the
// image fuzzer choose their format (its order: JPEG, BMP, GIF, ICO, TGA, PCX, PNG, TIFF, WBMP, WMF).
bool WriteMediaSeeds(const std::string& folder) {
  using namespace testing;
  bool ok = WriteBytes(folder, "tagged.mp3",
                       Id3v2Tag(3, {Id3Text("TIT2", "t"), Id3Text("COMM", std::string("eng\0c", 5))}) +
                           Mp3Audio(Mp3CbrHeader(), XingHeader("Xing", 1, 10), 600) + Id3v1Tag("a", "b", "c", "1999", "d", 1));
  ok = ok && WriteBytes(folder, "utf16.mp3", Id3v2Tag(4, {Id3Text("TPE1", std::string("\xFF\xFE" "a\0", 4), 1)}) +
                                                 Mp3Audio(Mp3FrameHeader(2, 1, 5, 1, 3), std::string("VBRI") + std::string(14, '\0'), 300, 9));
  ok = ok && WriteBytes(folder, "movie.avi", AviFile(AviVideoStream("XVID", 1, 25) + AviAudioStream(0x55, 2, 44100, 16000)));
  ok = ok && WriteBytes(folder, "vcd.mpg", Mpeg1Stream(kLayer2AudioWord, 90000, 2000));
  ok = ok && WriteBytes(folder, "dvd.mpg", Mpeg2Pack(1000, 2) + MpegPacket(0xE0, std::string("\x81\x80\x00", 3) + MpegSequenceHeader(720, 576, 3)) +
                                               MpegPacket(0xC0, std::string("\x81\x80\x00", 3) + MpegAudioFrame(kMpeg2AudioWord)) + Mpeg2Pack(90000, 0));
  RgbImage image = PatternImage(12, 9);
  std::vector<uint8_t> indexes(12 * 9, 1);
  ok = ok && WriteBytes(folder, "picture-0.jpg", std::string(1, '\0') + EncodeJpegFile(image, 50));
  ok = ok && WriteBytes(folder, "picture-1.bmp", std::string(1, '\1') + ByteBuilder().Raw("BM").U32(70).U32(0).U32(54)
                                                          .U32(40).U32(2).U32(2).U16(1).U16(24).Zeros(24).Zeros(16).bytes());
  ok = ok && WriteBytes(folder, "picture-2.gif", std::string(1, '\2') + EncodeGif(12, 9, indexes, {{0, 0, 0, 9, 9, 9}, true, 0}));
  std::string iconPng = EncodePng(PatternImage(4, 4));
  ok = ok && WriteBytes(folder, "picture-3.ico", std::string(1, '\3') + ByteBuilder().U16(0).U16(1).U16(1).U8(4).U8(4).U16(0)
                                                          .U16(1).U16(32).U32(static_cast<uint32_t>(iconPng.size())).U32(22)
                                                          .bytes() + iconPng);
  ok = ok && WriteBytes(folder, "picture-4.tga", std::string(1, '\4') + ByteBuilder().U8(0).U8(0).U8(10).Zeros(9).U16(2).U16(2)
                                                          .U8(24).U8(0x20).U8(0x83).Raw("abc").bytes());
  ok = ok && WriteBytes(folder, "picture-5.pcx", std::string(1, '\5') + ByteBuilder().U8(10).U8(5).U8(1).U8(8).U16(0).U16(0)
                                                          .U16(1).U16(0).Zeros(52).U8(1).U16(2).Zeros(60).U8(0xC2).U8(7).bytes());
  ok = ok && WriteBytes(folder, "picture-6.png", std::string(1, '\6') + EncodePng(image, {PngOptions::Kind::kPalette}));
  ok = ok && WriteBytes(folder, "picture-7.tiff", std::string(1, '\7') + EncodeTiff(image));
  ok = ok && WriteBytes(folder, "picture-8.wbmp", std::string(1, '\x08') + std::string("\0\0\x08\x02\xA5\x5A", 6));
  ok = ok && WriteBytes(folder, "picture-9-shapes.wmf", std::string(1, '\x09') + UemfShapes(FourColours(), 8));
  ok = ok && WriteBytes(folder, "picture-9-records.wmf", std::string(1, '\x09') + WmfOfEveryRecord());
  return ok;
}

// Small archives of every kind for archive_reader_fuzzer, each behind its kind code (the fuzzer's
// first byte): a folder and a file in each.
bool WriteArchiveSeeds(const std::string& folder) {
  using testing::ByteBuilder;
  auto cstring = [](const std::string& text) { return text + std::string(1, '\0'); };
  std::vector<std::pair<int, std::string>> seeds;
  std::string zipName = "d/f.txt";
  ByteBuilder zip;
  zip.Raw("PK\x03\x04").Zeros(22).U16(7).U16(0).Raw(zipName);
  zip.Raw("PK\x01\x02").Zeros(12).U32(1).U32(1).U32(1).U16(7).Zeros(8).U32(0x20).U32(0).Raw(zipName);
  zip.Raw("PK\x05\x06").U16(0).U16(0).U16(1).U16(1).U32(53).U32(37).U16(0);
  seeds.push_back({1, zip.bytes()});
  seeds.push_back({2, ByteBuilder().Raw(std::string("Rar!\x1A\x07\x00", 7)).U16(0).U8(0x73).U16(0).U16(13).Zeros(6)
                          .U16(0).U8(0x74).U16(0).U16(39).U32(1).U32(1).U8(2).U32(0).U16(0).U16(0x2F85).U8(29).U8(0x30)
                          .U16(7).U32(0x20).Raw("d\\f.txt").Raw("x").U16(0).U8(0x7B).U16(0).U16(7).bytes()});
  seeds.push_back({3, ByteBuilder().Raw("MSCF").U32(0).U32(60).U32(0).U32(44).U32(0).U8(3).U8(1).U16(1).U16(1)
                          .Zeros(6).Zeros(8).U32(1).U32(0).U16(0).U16(0x2F85).U16(0).U16(0x20).Raw(cstring("d\\f.txt")).bytes()});
  seeds.push_back({4, ByteBuilder().U16(0).U16(10).U8(0).U16(0).Raw("**ACE**").U16(0).U16(38).U8(1).U16(0).U32(1)
                          .U32(1).U32(0x2F850000).U32(0x20).U32(0).U32(0).U16(0).U16(7).Raw("d\\f.txt").Raw("x").bytes()});
  std::string arjBasic = ByteBuilder().U8(30).U8(11).U8(1).U8(0).U8(0x10).U8(1).U8(0).U8(0).U32(0x2F850000).U32(1)
                             .U32(1).U32(0).U32(0).U8(0).U8(0).Raw(cstring("d/f.txt")).Raw(cstring("")).bytes();
  std::string arjMain = ByteBuilder().U8(30).U8(11).U8(1).U8(0).U8(0x10).U8(1).U8(2).U8(0).Zeros(22)
                            .Raw(cstring("a.arj")).Raw(cstring("")).bytes();
  seeds.push_back({5, ByteBuilder().U8(0x60).U8(0xEA).U16(static_cast<uint16_t>(arjMain.size())).Raw(arjMain).U32(0).U16(0)
                          .U8(0x60).U8(0xEA).U16(static_cast<uint16_t>(arjBasic.size())).Raw(arjBasic).U32(0).U16(0)
                          .Raw("x").U8(0x60).U8(0xEA).U16(0).bytes()});
  seeds.push_back({7, ByteBuilder().U8(29).U8(0).Raw("-lh0-").U32(1).U32(1).U16(0).U16(0x2F85).U8(0x20).U8(0).U8(7)
                          .Raw("d\\f.txt").U16(0).Raw("x").U8(0).bytes()});
  std::string tag("\xDC\xA7\xC4\xFD", 4);
  seeds.push_back({8, ByteBuilder().Padded("ZOO 2.10 Archive.\x1A", 20).Raw(tag).U32(34).U32(0).U8(2).U8(0)
                          .Raw(tag).U8(2).U8(0).U32(34 + 51 + 5 + 14 + 8).U32(0).U16(0x2F85).U16(0).U16(0).U32(1)
                          .U32(1).Zeros(10).Padded("f.txt", 13).U16(14 + 8).U8(0).U16(0).U8(6).U8(2)
                          .Raw(cstring("f.txt")).Raw(cstring("d")).Zeros(8)
                          .Raw(tag).Zeros(34).Zeros(13).bytes()});
  std::string tar(1536, '\0');
  tar.replace(0, 7, "d/f.txt");
  tar.replace(124, 11, "00000000001");
  tar.replace(136, 11, "00000000000");
  tar[156] = '0';
  unsigned sum = 8 * ' ';
  for (size_t i = 0; i < 512; ++i) sum += static_cast<unsigned char>(tar[i]);
  char checksum[8];
  std::snprintf(checksum, sizeof checksum, "%06o", sum);
  tar.replace(148, 7, std::string(checksum, 7));
  tar[512] = 'x';
  // TAR seeds carry the compression byte of the fuzzer: plain, and compressed by the fuzzer with
  // each method; and, under the GZ kind, compressed already, so that mutations reach the
  // decompressors.
  for (char method = 0; method <= 4; ++method) seeds.push_back({9, std::string(1, method) + tar});
  for (int method = 1; method <= 4; ++method) {
    seeds.push_back({10, std::string(1, '\0') + testing::CompressedBytes(tar, static_cast<Compression>(method))});
  }
  seeds.push_back({11, ByteBuilder().Raw("HA").U16(1).U8(0).U32(1).U32(1).U32(0).U32(0).Raw(cstring("d\xFF"))
                           .Raw(cstring("f.txt")).U8(2).U8(1).U8(0x20).Raw("x").bytes()});
  for (size_t i = 0; i < seeds.size(); ++i) {
    const auto& [kind, bytes] = seeds[i];
    std::ofstream out(folder + "/archive-" + std::to_string(i) + "-kind" + std::to_string(kind) + ".bin", std::ios::binary);
    out.put(static_cast<char>(kind - 1));  // the fuzzer's kind byte: code = byte % 11 + 1
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FOLDER\n");
    return 2;
  }
  std::string folder = argv[1];
  ScanJob job;
  job.volumeName = "Seed";
  job.sources = {{-1, "Folder", "/f", true}, {-1, "Drive", "/d", false}};
  MemoryNode mp3 = MemoryNode::File("song", ".mp3", 5000);
  mp3.hasMediaInfo = true;
  mp3.mediaInfo.mediaType = kMediaMp3;
  Mp3Info tags;
  tags.title = "t";
  tags.comment = "c";
  tags.year = "1999";
  tags.genre = 3;
  tags.vbrBitrate = 160;
  mp3.mediaInfo.body = tags;
  MemoryNode picture = MemoryNode::File("p", ".png", 100);
  picture.hasMediaInfo = true;
  picture.mediaInfo.mediaType = kMediaPng;
  ImageInfo image;
  image.thumbnail = {1, 2, 3};
  picture.mediaInfo.body = image;
  MemoryNode signedFile = MemoryNode::File("s", ".bin", 70000);
  signedFile.hasSignatures = true;
  signedFile.signatures.hasCrc32 = signedFile.signatures.hasMd4 = signedFile.signatures.hasMd5 = true;
  MemorySource first;
  first.children = {MemoryNode::Folder("a", {mp3, picture, MemoryNode::Folder("b", {signedFile})}),
                    MemoryNode::Archive("z", ".zip", 10, 1, {MemoryNode::Folder("in", {MemoryNode::File("x", "", 1)})})};
  MemorySource second;
  second.children = {MemoryNode::File("top", ".txt", 3)};
  bool ok = WriteSeed(folder, "two-sources.vkt", job, {first, second});
  job.sources.resize(1);
  ok = ok && WriteSeed(folder, "one-file.vkt", job, {second});
  ok = ok && WriteMediaSeeds(folder);
  ok = ok && WriteArchiveSeeds(folder);
  return ok ? 0 : 1;
}
