#include "browse/md5_check_file.h"

#include "browse/messages.h"
#include "catalog/value_format.h"
#include "catalog/volume_writer.h"

namespace volumist::browse {

Md5CheckList MakeMd5CheckList(std::span<const ItemRow> rows) {
  Md5CheckList list;
  for (const ItemRow& row : rows) {
    const bool isFile = row.kind == RowKind::kFile || row.kind == RowKind::kArchive;
    if (!isFile || !row.hasSignatures || !row.signatures.hasMd5) continue;
    std::string name;
    bool escaped = false;
    for (char c : row.name) {
      switch (c) {
        case '\\': name += "\\\\", escaped = true; break;
        case '\n': name += "\\n", escaped = true; break;
        case '\r': name += "\\r", escaped = true; break;
        default: name += c;
      }
    }
    if (escaped) list.text += '\\';
    list.text += FormatMd5(row.signatures) + "  " + name + "\n";
    ++list.files;
  }
  return list;
}

bool WriteMd5CheckFile(platform::FileSystem& fileSystem, Prompter& prompter, const std::string& path,
                       std::span<const ItemRow> rows) {
  Md5CheckList list = MakeMd5CheckList(rows);
  if (list.files == 0) {
    prompter.ShowError(messages::kNoMd5InList);
    return false;
  }
  // The writer's own words about temporary files are not shown; one message says it failed.
  SilentPrompter silent;
  VolumeWriter writer(fileSystem, silent, 64 * 1024);
  bool written = writer.OpenReplacing(path) == platform::FileError::kNone;
  if (written) {
    writer.Write(list.text.data(), list.text.size());
    written = writer.Finish() == VolumeWriter::FinishResult::kDone;
  }
  if (!written) prompter.ShowError(messages::kMd5CheckFileNotWritten);
  return written;
}

}  // namespace volumist::browse
