// Media analysis of every file of a folder, as a scan with audio, video and image analysis on runs
// it (thumbnails included), on one thread or several; and the making of the MP3 and video corpora
// that bench/media_bench.sh measures. Not a Google Benchmark: the script interleaves it with the
// peer tools on the same files and takes medians.
//
//   build/media_analysis_bench analyse FOLDER [THREADS]
//   build/media_analysis_bench make-mp3 FOLDER AUDIO.mp3 COUNT
//   build/media_analysis_bench make-video FOLDER COUNT
//   build/media_analysis_bench make-wmf FOLDER COUNT
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "analysis/media_analysis.h"
#include "catalog/scan_entry.h"
#include "testing/byte_builder.h"
#include "testing/media_builder.h"
#include "testing/picture_builder.h"
#include "testing/temp_dir.h"
#include "testing/wmf_builder.h"

using namespace volumist;

namespace {

// Analyses the files in listing order; each worker takes the next file, and the results land in
// their files' slots, so the order of the records would be the listing order whatever the threads.
int Analyse(const std::string& folder, int threads) {
  auto listing = platform::FileSystem::Default().ListDirectory(folder);
  if (!listing) {
    std::fprintf(stderr, "cannot list %s\n", folder.c_str());
    return 1;
  }
  std::vector<std::string> names;
  for (const auto& item : *listing) {
    if (!item.isDirectory) names.push_back(item.name);
  }
  ScanOptions options;
  options.analyzeAudio = options.analyzeVideo = options.analyzeImages = true;
  std::vector<MediaInfo> results(names.size());
  std::atomic<size_t> next{0};
  auto start = std::chrono::steady_clock::now();
  auto work = [&] {
    for (size_t i = next++; i < names.size(); i = next++) {
      ScanEntry entry;
      entry.SetName(names[i]);
      results[i].mediaType = MediaTypeOfExtension(entry.extension);
      if (results[i].mediaType != kMediaNone) AnalyzeMedia(platform::JoinPath(folder, names[i]), options, results[i]);
    }
  };
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  size_t analysed = 0;
  for (const MediaInfo& media : results) analysed += media.HasBody() ? 1 : 0;
  std::printf("files %zu analysed %zu seconds %.4f per_second %.1f\n", names.size(), analysed, seconds,
              names.size() / seconds);
  return analysed == names.size() ? 0 : 1;
}

// COUNT copies of a real MP3 stream, each with its own ID3v2.3 tag (texts, a long comment and a
// 20 KB picture frame before the album, as players write them) and an ID3v1 tag.
int MakeMp3(const std::string& folder, const std::string& audioPath, int count) {
  std::string audio = testing::ReadFileBytes(audioPath);
  // Skip an ID3 tag the encoder may have written.
  if (audio.compare(0, 3, "ID3") == 0 && audio.size() > 10) {
    size_t size = (size_t(audio[6] & 0x7F) << 21) | (size_t(audio[7] & 0x7F) << 14) | (size_t(audio[8] & 0x7F) << 7) |
                  size_t(audio[9] & 0x7F);
    audio.erase(0, 10 + size);
  }
  std::string picture = std::string("\0image/jpeg\0\3\0", 14) + std::string(20000, '\x5A');
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    std::string tag = testing::Id3v2Tag(3, {testing::Id3Text("TIT2", "Title of song " + n),
                                            testing::Id3Text("TPE1", "Artist " + std::to_string(i % 17)),
                                            {"APIC", picture},
                                            {"COMM", std::string("\0eng\0", 5) + std::string(300, 'c')},
                                            testing::Id3Text("TALB", "Album " + std::to_string(i % 23)),
                                            testing::Id3Text("TYER", "2004")}, 256);
    std::string v1 = testing::Id3v1Tag("Title of song " + n, "Artist", "Album", "2004", "", 12);
    testing::WriteFileBytes(folder + "/song" + n + ".mp3", tag + audio + v1);
  }
  return 0;
}

// COUNT AVI files and COUNT MPEG-1 system streams of about 2 MB each (header lists and packets as
// real files have them; the movie data is filler).
int MakeVideo(const std::string& folder, int count) {
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    std::string avi = testing::AviFile(testing::AviVideoStream("XVID", 1001, 30000) +
                                       testing::AviAudioStream(0x55, 2, 44100, 16000),
                                       testing::AviMainHeader(3000 + i, 640, 480));
    avi += std::string(2 * 1024 * 1024, '\x11');
    testing::WriteFileBytes(folder + "/movie" + n + ".avi", avi);
    testing::WriteFileBytes(folder + "/clip" + n + ".mpg",
                            testing::Mpeg1Stream(testing::kLayer2AudioWord, 90000 * (60 + i), 2 * 1024 * 1024));
  }
  return 0;
}

// COUNT metafiles like clip art exported by drawing programs: a placeable header of 8 x 6 inches
// in twips, about 600 shapes (stars of 20 to 60 points with outlines, polylines, ellipses, rounded
// rectangles, hatched fills) in changing pens and brushes, and a 64 x 64 bitmap; about 100 KB each.
int MakeWmf(const std::string& folder, int count) {
  using testing::WmfRecord;
  RgbImage photo = testing::PatternImage(64, 64);
  std::string dib = testing::PackedDib24(photo);
  for (int n = 0; n < count; ++n) {
    uint32_t seed = 7u + static_cast<uint32_t>(n);
    auto next = [&seed](int below) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 8) % below; };
    std::vector<std::string> records = {WmfRecord(0x0103, {8}), WmfRecord(0x020B, {0, 0}), WmfRecord(0x020C, {8640, 11520}),
                                        WmfRecord(0x0106, {2})};
    for (int shape = 0; shape < 600; ++shape) {
      int colour = next(0xFFFFFF);
      records.push_back(WmfRecord(0x02FA, {0, 10 + next(40), 0, colour & 0xFFFF, colour >> 16}));
      records.push_back(WmfRecord(0x02FC, {next(8) == 0 ? 2 : 0, (colour >> 4) & 0xFFFF, colour >> 20, next(6)}));
      records.push_back(WmfRecord(0x012D, {0}));
      records.push_back(WmfRecord(0x012D, {1}));
      int x = next(11520), y = next(8640), r = 200 + next(1500);
      int kind = next(10);
      if (kind < 6) {
        int points = 20 + next(41);
        std::vector<int> words = {points};
        for (int i = 0; i < points; ++i) {
          double a = 2 * 3.14159265 * i / points, radius = (i % 2 == 0 ? r : r / 2);
          words.push_back(x + static_cast<int>(radius * std::cos(a)));
          words.push_back(y + static_cast<int>(radius * std::sin(a)));
        }
        testing::ByteBuilder body;
        for (int w : words) body.U16(static_cast<uint16_t>(w));
        records.push_back(testing::WmfRecordClaiming(static_cast<uint32_t>(3 + words.size()), kind < 5 ? 0x0324 : 0x0325,
                                                     body.bytes()));
      } else if (kind < 8) {
        records.push_back(WmfRecord(0x0418, {y + r, x + r, y - r, x - r}));
      } else {
        records.push_back(WmfRecord(0x061C, {r / 4, r / 4, y + r, x + r, y - r, x - r}));
      }
      records.push_back(WmfRecord(0x01F0, {0}));
      records.push_back(WmfRecord(0x01F0, {1}));
    }
    records.push_back(WmfRecord(0x0F43, {0x0020, 0x00CC, 0, 64, 64, 0, 0, 2000, 2000, 6000, 8000}, dib));
    testing::WriteFileBytes(folder + "/clipart" + std::to_string(n) + ".wmf",
                            testing::WmfFile(records, testing::Placeable{0, 0, 11520, 8640, 1440}, 2));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "analyse") return Analyse(args[1], args.size() > 2 ? std::atoi(args[2].c_str()) : 1);
  if (args.size() == 4 && args[0] == "make-mp3") return MakeMp3(args[1], args[2], std::atoi(args[3].c_str()));
  if (args.size() == 3 && args[0] == "make-video") return MakeVideo(args[1], std::atoi(args[2].c_str()));
  if (args.size() == 3 && args[0] == "make-wmf") return MakeWmf(args[1], std::atoi(args[2].c_str()));
  std::fprintf(stderr,
               "usage: media_analysis_bench analyse FOLDER [THREADS]\n"
               "       media_analysis_bench make-mp3 FOLDER AUDIO.mp3 COUNT\n"
               "       media_analysis_bench make-video FOLDER COUNT\n"
               "       media_analysis_bench make-wmf FOLDER COUNT\n");
  return 2;
}
