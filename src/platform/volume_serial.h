// The 32-bit volume serial number of a mounted file system, from what identifies its medium. Pure
// functions, so that the rules can be tested on recorded identifiers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace volumist::platform {

// FNV-1a over the bytes of `text`: stable across runs, builds and machines.
uint32_t StableHash32(std::string_view text);

// The serial of a file system of type `fileSystemType` (as probed from the medium where known,
// e.g. "ntfs" for a "fuseblk" mount) with the UUID text `uuid`:
// - FAT and exFAT: their own volume serial, the eight hex digits of "ABCD-1234";
// - NTFS: the low 32 bits of its 64-bit serial (the last eight of its sixteen hex digits);
// - a UUID written as hex digits (8-4-4-4-12 groups, or one run of at least eight digits): its
//   first 32 bits;
// - another UUID text (ISO 9660 gives its creation time): a stable hash of the whole text;
// - no UUID: a stable hash of `identity`, what else tells the medium apart (the share of a network
//   drive, the device and label of a disk); 0 only when `identity` is empty too.
// A hash that comes out as 0 is made 1, so that 0 keeps meaning "nothing identifies the medium".
uint32_t DeriveSerialNumber(std::string_view fileSystemType, std::string_view uuid, std::string_view identity);

// The value of a run of exactly eight hex digits; nothing when `digits` is anything else.
std::optional<uint32_t> ParseHex32(std::string_view digits);

}  // namespace volumist::platform
