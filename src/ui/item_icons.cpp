#include "ui/item_icons.h"

#include <QMimeDatabase>

#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

QIcon ItemIcons::IconOf(const browse::ItemRow& row) {
  if (row.kind != browse::RowKind::kFile) return ItemKindIcon(row.kind);
  return FileIcon(ToQString(row.extension));
}

QIcon ItemIcons::FileIcon(const QString& extension) {
  const QString key = extension.toLower();
  auto found = byExtension_.constFind(key);
  if (found != byExtension_.constEnd()) return *found;
  QIcon icon;
  if (key.isEmpty()) {
    icon = ItemKindIcon(browse::RowKind::kFile);
  } else {
    static const QMimeDatabase database;
    QMimeType type = database.mimeTypeForFile(QStringLiteral("x.") + key, QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), FileKindIcon(type.genericIconName())));
  }
  byExtension_.insert(key, icon);
  return icon;
}

}  // namespace volumist::ui
