// volumist-cli ls --long: the audio, video, signature and picture fields after the path.
#include <gtest/gtest.h>

#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::Lines;
using testing::MemoryNode;

TEST(CliLongTest, LsLongPrintsMediaAndSignatureFields) {
  testing::TempDir dir;
  MemoryNode song = MemoryNode::File("song", ".mp3", 3000);
  song.hasMediaInfo = true;
  song.mediaInfo.mediaType = kMediaMp3;
  Mp3Info tags;
  tags.title = "A\ttitle", tags.artist = "Artist", tags.year = "1999", tags.lengthSeconds = 187;
  tags.mpegHeaderBits = 3 | (9 << 4), tags.vbrBitrate = 131;
  song.mediaInfo.body = tags;
  MemoryNode movie = MemoryNode::File("movie", ".avi", 4000);
  movie.hasMediaInfo = true;
  movie.mediaInfo.mediaType = kMediaAvi;
  AviInfo video;
  video.width = 640, video.height = 480, video.frameCount = 1500, video.framesPerSecond = 25, video.videoCodec = 5;
  movie.mediaInfo.body = video;
  MemoryNode photo = MemoryNode::File("photo", ".png", 5000);
  photo.hasMediaInfo = true;
  photo.mediaInfo.mediaType = kMediaPng;
  ImageInfo picture;
  picture.width = 1024, picture.height = 768, picture.bitsPerPixel = 24, picture.thumbnail = {1, 2, 3};
  photo.mediaInfo.body = picture;
  photo.hasSignatures = true;
  photo.signatures.hasCrc32 = true, photo.signatures.crc32 = 0x1234abcd;
  testing::MemorySource source;
  source.children = {song, movie, photo, MemoryNode::Folder("empty")};
  testing::RecordingPrompter prompter;
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir.File("v.vkt"), "V", {false}), {source}, prompter));

  auto result = testing::RunCommand(VOLUMIST_CLI_PATH, {"ls", dir.File("v.vkt"), "--long"}, "", {"TZ=UTC"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::string none(23 * 2, '-');
  for (size_t i = 0; i < none.size(); i += 2) none[i] = '\t';
  EXPECT_EQ(Lines(result.out),
            (std::vector<std::string>{
                "file\t3000\t01.01.1970 00:00\t-\tsong.mp3\tA title\tArtist\t-\t-\t1999\t131 VBR\t44100\t3:07"
                "\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-",
                "file\t4000\t01.01.1970 00:00\t-\tmovie.avi\t-\t-\t-\t-\t-\t-\t-\t-\t1:00 (1500)\t640 x 480\t4:3\t25.000"
                "\tXvid MPEG-4 Codec\t-\t-\t-\t- No audio -\t-\t-\t-\t-\t-\t-",
                "file\t5000\t01.01.1970 00:00\t----\tphoto.png\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-"
                "\t1234abcd\t-\t-\t1024 x 768\t16 Million Colors\t24 bits",
                "folder\t0\t-\t-\tempty" + none,
            }));
  // -l is the same, also with -R; without it the lines keep their five fields.
  auto recursive = testing::RunCommand(VOLUMIST_CLI_PATH, {"ls", dir.File("v.vkt"), "-R", "-l"}, "", {"TZ=UTC"});
  EXPECT_EQ(recursive.out, result.out);
  auto plain = testing::RunCommand(VOLUMIST_CLI_PATH, {"ls", dir.File("v.vkt")}, "", {"TZ=UTC"});
  EXPECT_EQ(Lines(plain.out)[0], "file\t3000\t01.01.1970 00:00\t-\tsong.mp3");
  auto help = testing::RunCommand(VOLUMIST_CLI_PATH, {"help", "ls"});
  EXPECT_NE(help.out.find("TITLE ARTIST ALBUM COMMENT YEAR KBPS KHZ LENGTH"), std::string::npos);
}

}  // namespace
}  // namespace volumist
