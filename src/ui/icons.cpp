#include "ui/icons.h"

// Q_INIT_RESOURCE names a function at global scope.
static void InitUiResources() { Q_INIT_RESOURCE(resources); }

namespace volumist::ui {
namespace {

QIcon Ours(const char* name) { return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))); }

// The theme's icon when it has one (it then follows the desktop's look), else ours.
QIcon Themed(const char* themeName, const char* ours) {
  return QIcon::fromTheme(QLatin1String(themeName), Ours(ours));
}

}  // namespace

void InitResources() {
  static bool done = false;
  if (!done) {
    InitUiResources();
    done = true;
  }
}

QIcon ProgramIcon() { return Ours("volumist"); }

QIcon VolumeIcon() { return Ours("volume"); }

QIcon VolumePresenceIcon(VolumePresence presence) {
  switch (presence) {
    case VolumePresence::kPresent: return Ours("volume-present");
    case VolumePresence::kPartly: return Ours("volume-partly");
    case VolumePresence::kAbsent: break;
  }
  return Ours("volume-absent");
}

QIcon CommandIcon(browse::Command command) {
  using C = browse::Command;
  switch (command) {
    case C::kVolumes: return Ours("volumes");
    case C::kApply: return Themed("document-save", "apply");
    case C::kUndo: return Themed("edit-undo", "undo");
    case C::kNewVolume: return Ours("new");
    case C::kAddToVolume: return Ours("add");
    case C::kUpdate: return Themed("view-refresh", "update");
    case C::kSearch: return Themed("edit-find", "search");
    case C::kExport: return Ours("export");
    case C::kOptions: return Themed("preferences-system", "options");
    case C::kHelp: return Themed("help-browser", "help");
    case C::kStop: return Themed("process-stop", "stop");
    case C::kBack: return Themed("go-previous", "back");
    case C::kForward: return Themed("go-next", "forward");
    case C::kUp: return Themed("go-up", "up");
    case C::kRoot: return Themed("go-top", "root");
    case C::kProperties: return Themed("document-properties", "properties");
    default: return {};
  }
}

QIcon ItemKindIcon(browse::RowKind kind) {
  using K = browse::RowKind;
  switch (kind) {
    case K::kFolder: return Themed("folder", "folder");
    case K::kUp: return Ours("folder-up");
    case K::kSourceRoot: return Ours("source-root");
    case K::kArchive: return Themed("package-x-generic", "archive");
    default: return Ours("file");
  }
}

QIcon FileKindIcon(const QString& genericIconName) {
  if (genericIconName.startsWith(QLatin1String("audio"))) return Ours("file-audio");
  if (genericIconName.startsWith(QLatin1String("video"))) return Ours("file-video");
  if (genericIconName.startsWith(QLatin1String("image"))) return Ours("file-image");
  if (genericIconName.startsWith(QLatin1String("text"))) return Ours("file-text");
  if (genericIconName.startsWith(QLatin1String("package"))) return Ours("archive");
  return Ours("file");
}

QIcon MoveUpIcon() { return Themed("go-up", "move-up"); }

QIcon MoveDownIcon() { return Themed("go-down", "move-down"); }

QIcon ResetColumnsIcon() { return Ours("reset-columns"); }

}  // namespace volumist::ui
