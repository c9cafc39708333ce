// volumist-screenshots OUT_FOLDER: builds the main window over the volume directory of the current
// settings (scripts/screenshots.sh prepares a sample one), and saves pictures of its states as PNG
// files: the idle window with the first volume loaded, and the window while a scan runs.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "ui/program.h"

namespace {

using namespace volumist;
using namespace volumist::ui;

// Choosers and dialogs are never opened here.
class NoFolders final : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget*, const QString&, const std::string&) override { return std::nullopt; }
};

bool Save(QWidget& widget, const QString& folder, const char* name) {
  QString path = QDir(folder).filePath(QLatin1String(name));
  bool saved = widget.grab().save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
  return saved;
}

void Settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: volumist-screenshots OUT_FOLDER SCAN_SOURCE\n");
    return 2;
  }
  if (!HasDisplay()) {
    std::fprintf(stderr, "volumist-screenshots: no display (run it under xvfb-run)\n");
    return 2;
  }
  QApplication application(argc, argv);
  QString out = QString::fromLocal8Bit(argv[1]);
  std::string scanSource = argv[2];
  std::optional<SettingsLocations> locations = DefaultSettingsLocations();
  if (!locations) return 1;

  MessageBoxPrompter prompter;
  NoFolders folders;
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
  services.trayAvailable = [] { return false; };
  services.drives = SystemDrives();
  ProgramSession session(platform::FileSystem::Default(), *locations, std::move(services));
  session.Settings().ShowSplash = false;
  MainWindow& window = session.Window();
  window.Start();
  window.setWindowState(Qt::WindowNoState);
  window.setGeometry(0, 0, 1366, 768);
  Settle(300);
  // The first volume of the list, loaded as a click would load it.
  window.Volumes()->List()->setCurrentIndex(window.VolumesModel()->index(0, 0));
  Settle(300);
  bool ok = Save(window, out, "main-window.png");

  // A scan of a real folder, caught while it runs.
  ScanJob job = session.Settings().scanJob;
  job.mode = ScanMode::kNewVolume;
  job.volumeName = "Screenshot scan";
  job.volumeFileName = session.Settings().VolumeDirectory() + "/Screenshot scan.vkt";
  job.computeSignatures = true;
  job.signatureMd5 = true;
  job.scanAgain = false;
  job.sources = {ScanSource{-1, "Source", scanSource, true}};
  if (window.StartScan(job)) {
    Settle(700);
    ok = Save(window, out, "main-window-scanning.png") && ok;
    window.Run(browse::Command::kStop);
    QElapsedTimer clock;
    clock.start();
    while (window.IsScanning() && clock.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  } else {
    ok = false;
  }
  session.Settings().ShowSplash = true;
  static_cast<void>(session.Finish());
  return ok ? 0 : 1;
}
