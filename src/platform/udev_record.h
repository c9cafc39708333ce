// The device database that udev keeps for every block device (/run/udev/data/b<major>:<minor>),
// readable without the rights that reading the device itself needs. Pure functions over its text.
#pragma once

#include <string>
#include <string_view>

#include "platform/drive_system.h"

namespace volumist::platform {

// Undoes udev's "\xHH" escapes ("My\x20Disk" is "My Disk"); other text stays as it is.
std::string DecodeUdevText(std::string_view text);

// Label, UUID and type from the record's "E:ID_FS_LABEL_ENC=", "E:ID_FS_UUID_ENC=" and
// "E:ID_FS_TYPE=" lines (the plain ID_FS_LABEL and ID_FS_UUID when the encoded ones are missing).
VolumeIdentity IdentityFromUdevRecord(std::string_view text);

}  // namespace volumist::platform
