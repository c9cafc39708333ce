// The small icons of item-list rows: our own for folders, the up entry, source roots and
// archives; for files the desktop theme's icon of the file's type as the MIME database names it
// from the extension alone (no file needs to exist), cached per extension, falling back to our own
// icons of the type's kind (audio, video, picture, text, archive) and then to the generic file icon.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include "browse/item_row.h"

namespace volumist::ui {

class ItemIcons {
 public:
  QIcon IconOf(const browse::ItemRow& row);
  // The icon of a file with extension `extension` (without its dot).
  QIcon FileIcon(const QString& extension);

 private:
  QHash<QString, QIcon> byExtension_;
};

}  // namespace volumist::ui
