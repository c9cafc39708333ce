#include "ui/program.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "browse/program_start.h"
#include "scan/drive_info.h"
#include "ui/icons.h"
#include "ui/prompters.h"
#include "ui/services.h"

namespace volumist::ui {
namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool HasDisplay() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"); }

DriveControl SystemDrives() {
  DriveControl drives;
  drives.isCdDrive = [](const std::string& path) { return IsCdDrive(path); };
  drives.setDoor = [](bool open, const std::string& path) { SetDoor(open, path); };
  drives.isMediumPresent = [](const SourceEntry& entry) { return IsMediumPresent(entry); };
  drives.checkMedium = [](const SourceEntry& entry) { return CheckSourceMedium(entry); };
  drives.describeSource = [](const ScanSource& source, SourceEntry& entry) {
    ReadMediaInfo(entry, source.path, source.sourceName, source.isFolderSource, entry.sourceIndex);
  };
  return drives;
}

ProgramSession::ProgramSession(platform::FileSystem& fileSystem, SettingsLocations locations, WindowServices services)
    : settings_(fileSystem, std::move(locations)) {
  static_cast<void>(settings_.Load());
  window_ = std::make_unique<MainWindow>(settings_, std::move(services));
}

ProgramSession::~ProgramSession() { static_cast<void>(Finish()); }

bool ProgramSession::Finish() {
  if (finished_) return true;
  finished_ = true;
  window_.reset();
  return settings_.Save();
}

int RunWindowProgram(int argc, char** argv) {
  // QApplication takes its own options (-platform, -style...) out of argc and argv.
  QApplication application(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  browse::WindowArguments arguments = browse::ParseWindowArguments(args);
  if (arguments.action == browse::WindowArguments::Action::kUsageError) {
    std::fprintf(stderr, "volumist: %s\nTry 'volumist --help' for more information.\n", arguments.problem.c_str());
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("zarn-volumist"));
  QApplication::setDesktopFileName(QStringLiteral("org.zarnvolumist.volumist"));
  InitResources();
  QApplication::setWindowIcon(ProgramIcon());

  std::optional<SettingsLocations> locations = DefaultSettingsLocations();
  if (!locations) {
    std::fprintf(stderr, "volumist: there is no home folder for the settings and the volumes\n");
    return 1;
  }
  MessageBoxPrompter prompter;
  QtFolderChooser folders;
  QtFileChooser files;
  DesktopLauncher launcher;
  ModalDialogRunner dialogs;
  WindowServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &prompter;
  services.folderChooser = &folders;
  services.fileChooser = &files;
  services.launcher = &launcher;
  services.dialogs = &dialogs;
  services.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  services.drives = SystemDrives();
  services.listDrives = [](uint32_t filterMask) { return ListDrives(filterMask); };

  ProgramSession session(platform::FileSystem::Default(), *locations, std::move(services));
  prompter.SetParent(&session.Window());
  session.Window().Start();
  if (arguments.volumeFile) static_cast<void>(session.Window().OpenVolumeFile(*arguments.volumeFile));
  int status = application.exec();
  static_cast<void>(session.Finish());
  return status;
}

}  // namespace volumist::ui
