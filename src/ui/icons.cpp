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
    default: return {};
  }
}

}  // namespace volumist::ui
