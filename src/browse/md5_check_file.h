// "Create MD5 check file": the MD5 digests the scan stored for the files of a list, written in the
// form md5sum reads ("md5sum -c FILE" in the folder checks the files against them): one line per
// file, the 32 lower-case hex digits, two blanks and the name. A name holding a backslash, a line
// feed or a carriage return is written escaped ("\\", "\n", "\r") on a line that starts with a
// backslash, as md5sum writes and reads such names. Files without an MD5 digest, folders and the up
// entry are left out.
#pragma once

#include <span>
#include <string>

#include "browse/item_row.h"
#include "catalog/prompter.h"
#include "platform/file_system.h"

namespace volumist::browse {

struct Md5CheckList {
  std::string text;
  int files = 0;  // the lines written
};

Md5CheckList MakeMd5CheckList(std::span<const ItemRow> rows);

// Writes the check list of `rows` to `path`, replacing a file there only once it is complete.
// Shows "No file of this list has an MD5 signature." when there is nothing to write, and "The MD5
// check file could not be written." when writing fails. `prompter` is used during the call only.
bool WriteMd5CheckFile(platform::FileSystem& fileSystem, Prompter& prompter, const std::string& path,
                       std::span<const ItemRow> rows);

}  // namespace volumist::browse
