// A volume with something for every view of the file list, written by our own writer for the
// window's tests: audio files with tags, AVI and MPEG videos (one with a NaN frame rate), pictures
// with real JPEG thumbnails (one thumbnail damaged), files with signatures, folders, an archive, and
// a folder source. Its header says it was scanned with audio, video, pictures and signatures.
//
//   Media (drive source)
//     Music/        01 Morning.mp3, 02 Evening.mp3, notes.txt
//     Video/        clip.avi, broken.avi (fps NaN), old.mpg
//     Pictures/     red.jpg (100 x 75 red thumbnail), wide.png, damaged.gif (thumbnail bytes garbage)
//     Sums/         hashed.bin (CRC32, MD4, MD5), plain.bin
//     Empty/        Inner/ (nothing in either)
//     pack.zip      { inside.txt }
//     top.txt
//   Extra (folder source)  Extra/ { -rf }
#pragma once

#include <string>

namespace volumist::ui::testing {

// Writes the volume to `path` with the volume name "Media"; false when it could not be written. The
// folder source "Extra" was scanned from `extraRoot`, the drive source from "/source0".
bool WriteSampleVolume(const std::string& path, const std::string& extraRoot = "/source1");

}  // namespace volumist::ui::testing
