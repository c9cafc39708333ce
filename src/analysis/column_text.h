// The cell texts of the file-list columns, for every front end (the desktop list, volumist-cli):
// from an item of a folder's contents and a column id to the text shown. Toolkit-free.
#pragma once

#include <string>
#include <string_view>

#include "catalog/column_set.h"
#include "catalog/folder_contents.h"

namespace volumist {

// What a row knows that its record does not: the texts the caller holds for the Description,
// Volume and Folder columns, and whether the row is the parent-folder ("..") entry.
struct ColumnContext {
  std::string_view description;
  std::string_view volumeName;
  std::string_view folderPath;
  bool isUpEntry = false;
};

// The text of column `columnId` for `item`. Empty where the column shows nothing for such an item
// (audio columns without audio information, Modified for folders...). Drawn columns give no text:
// the icon (1), the Size% bar (4) and the thumbnail (32); the drawn lines of Image Info (33) come
// as its text, the lines separated by "\n" (size, colours when the depth has a name, bits).
std::string ColumnText(const ContentItem& item, ColumnId columnId, const ColumnContext& context = {});

}  // namespace volumist
