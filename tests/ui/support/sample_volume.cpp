#include "ui/support/sample_volume.h"

#include <limits>

#include "catalog/prompter.h"
#include "imaging/jpeg_encoder.h"
#include "testing/volume_fixture.h"

namespace volumist::ui::testing {
namespace {

using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

MemoryNode WithMedia(MemoryNode node, uint8_t type, decltype(MediaInfo::body) body) {
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = type;
  node.mediaInfo.body = std::move(body);
  return node;
}

MemoryNode Song(const std::string& name, const std::string& title, uint32_t seconds) {
  Mp3Info song;
  song.title = title;
  song.artist = "Harbour Lights";
  song.album = "Coastlines";
  song.year = "2004";
  song.lengthSeconds = seconds;
  song.mpegHeaderBits = 3 | (9 << 4);
  song.isEmpty = false;
  return WithMedia(MemoryNode::File(name, ".mp3", 4000000, 1100000000), kMediaMp3, song);
}

MemoryNode Avi(const std::string& name, float fps, uint32_t frames) {
  AviInfo movie;
  movie.width = 640, movie.height = 480, movie.frameCount = frames, movie.framesPerSecond = fps, movie.videoCodec = 5;
  movie.audioCodec = 85, movie.audioBitrate = 128000, movie.audioSampleRate = 44100, movie.audioChannels = 2;
  movie.isEmpty = false;
  return WithMedia(MemoryNode::File(name, ".avi", 90000000, 1200000000), kMediaAvi, movie);
}

std::vector<uint8_t> Thumbnail(uint32_t width, uint32_t height, uint8_t red, uint8_t green, uint8_t blue) {
  RgbImage image;
  image.width = width;
  image.height = height;
  for (uint32_t i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), {red, green, blue});
  return EncodeJpeg(image, 90).value_or(std::vector<uint8_t>{});
}

MemoryNode Picture(const std::string& name, const std::string& extension, uint8_t type, uint16_t width,
                   uint16_t height, uint8_t bits, std::vector<uint8_t> thumbnail) {
  ImageInfo picture;
  picture.width = width, picture.height = height, picture.bitsPerPixel = bits;
  picture.thumbnailLength = static_cast<uint16_t>(thumbnail.size());
  picture.thumbnail = std::move(thumbnail);
  picture.isEmpty = false;
  return WithMedia(MemoryNode::File(name, extension, 250000, 1300000000), type, picture);
}

}  // namespace

bool WriteSampleVolume(const std::string& path, const std::string& extraRoot) {
  MpegInfo clip;
  clip.width = 352, clip.height = 288, clip.frameRateCode = 3, clip.audioLayer = 2, clip.audioBitrateIndex = 11;
  clip.lengthSeconds = 65, clip.isEmpty = false;
  MemoryNode hashed = MemoryNode::File("hashed", ".bin", 5000000000, 1400000000);
  hashed.hasSignatures = true;
  hashed.signatures.hasCrc32 = true, hashed.signatures.crc32 = 0x0A1B2C3D;
  hashed.signatures.hasMd4 = true;
  hashed.signatures.hasMd5 = true;
  for (uint8_t i = 0; i < 16; ++i) hashed.signatures.md4[i] = static_cast<uint8_t>(0x10 + i), hashed.signatures.md5[i] = i;
  std::vector<uint8_t> garbage(300, 0x5A);

  MemorySource drive;
  drive.driveType = 5;
  drive.serialNumber = 0xCAFE1234;
  drive.children = {
      MemoryNode::Folder("Music", {Song("01 Morning", "Morning Tide", 187), Song("02 Evening", "Evening Calm", 241),
                                   MemoryNode::File("notes", ".txt", 1200, 1000000000)}),
      MemoryNode::Folder("Video", {Avi("clip", 25, 1500), Avi("broken", std::numeric_limits<float>::quiet_NaN(), 10),
                                   WithMedia(MemoryNode::File("old", ".mpg", 20000000, 900000000), kMediaMpeg, clip)}),
      MemoryNode::Folder("Pictures", {Picture("red", ".jpg", kMediaJpeg, 1024, 768, 24, Thumbnail(100, 75, 220, 20, 20)),
                                      Picture("wide", ".png", kMediaPng, 1600, 400, 8, Thumbnail(100, 25, 20, 20, 220)),
                                      Picture("damaged", ".gif", kMediaGif, 320, 200, 8, garbage)}),
      MemoryNode::Folder("Sums", {hashed, MemoryNode::File("plain", ".bin", 10, 1400000000)}),
      MemoryNode::Folder("Empty", {MemoryNode::Folder("Inner")}),
      MemoryNode::Archive("pack", ".zip", 3000, 1, {MemoryNode::File("inside", ".txt", 500)}),
      MemoryNode::File("top", ".txt", 100, 1000000000),
  };
  MemorySource extra;
  extra.children = {MemoryNode::File("-rf", "", 1)};
  ScanJob job = ::volumist::testing::MakeJob(path, "Media", {false, true});
  job.sources[1].sourceName = "Extra";
  job.sources[1].path = extraRoot;
  job.analyzeAudio = true;
  job.analyzeVideo = true;
  job.analyzeImages = true;
  job.computeSignatures = true;
  job.signatureCrc32 = job.signatureMd4 = job.signatureMd5 = true;
  SilentPrompter quiet;
  return ::volumist::testing::WriteVolume(job, {drive, extra}, quiet);
}

}  // namespace volumist::ui::testing
