// volumist-screenshots OUT_FOLDER: builds the main window over the volume directory of the current
// settings (scripts/screenshots.sh prepares a sample one), and saves pictures of its states as PNG
// files: the idle window with the first volume loaded, the scan dialog on both pages, the tree and
// settings dialogs, the properties dialog, and the window while a scan runs.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "browse/properties_rules.h"
#include "catalog/folder_contents.h"
#include "scan/drive_info.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/dialogs/scan_settings_dialog.h"
#include "ui/dialogs/scan_tree_dialog.h"
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

// The first file below the first top-level folder of `volume`, as the file list would offer it.
std::optional<browse::PropertiesItem> FirstFile(VolumeCatalog& volume) {
  std::optional<ContentItem> top;
  static_cast<void>(ReadTopLevel(volume, [&](const ContentItem& item) {
    if (item.kind == RecordKind::kFolder) top = item;
    return !top;
  }));
  if (!top) return std::nullopt;
  std::optional<browse::PropertiesItem> file;
  static_cast<void>(ReadFolderContents(volume, top->folder, [&](const ContentItem& item) {
    if (item.kind == RecordKind::kFile) file = browse::PropertiesItem{item, top->key, false};
    return !file;
  }));
  return file;
}

// The scan dialog on both pages, the tree dialog, the settings dialog and the properties dialog.
bool SaveDialogs(MainWindow& window, ProgramSettings& settings, const QString& out, Prompter& prompter) {
  NoFolders folders;
  ModalDialogRunner dialogs;
  ScanDialogServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &prompter;
  services.folderChooser = &folders;
  services.dialogs = &dialogs;
  services.listDrives = [](uint32_t mask) { return ListDrives(mask); };
  services.volumeDirectory = settings.VolumeDirectory();
  ScanJob job = settings.scanJob;
  job.mode = ScanMode::kNewVolume;
  job.analyzeArchives = job.computeSignatures = true;
  bool ok = true;
  std::vector<ScanSource> sources = {{-1, "Shared documentation", "/usr/share/doc", true},
                                     {-1, "Icons", "/usr/share/icons", true},
                                     {-1, "Fonts", "/usr/share/fonts", true}};
  {
    CScanDrivesDialog dialog(job, ScanPage::kSingleSource, services, &window);
    dialog.show();
    Settle(200);
    QTreeView* drives = dialog.SinglePage()->DriveList();
    if (drives->model()->rowCount() > 0) {
      drives->selectionModel()->setCurrentIndex(drives->model()->index(0, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    Settle(200);
    ok = Save(dialog, out, "scan-dialog-single.png") && ok;
    dialog.Pages()->setCurrentWidget(dialog.AdvancedPage());
    dialog.AdvancedPage()->SourceModel()->SetSources(sources);
    Settle(200);
    ok = Save(dialog, out, "scan-dialog-multiple.png") && ok;
  }
  {
    CDialog_Scan_Tree tree(sources, ListDrives(kDriveFilterAll), platform::FileSystem::Default(), prompter, true,
                           &window);
    tree.show();
    Settle(200);
    FolderTreeModel* model = tree.TreeModel();
    for (int row = 0; row < model->rowCount(); ++row) {
      QModelIndex root = model->index(row, 0);
      if (model->PathOf(root) != "/") continue;
      tree.Tree()->expand(root);
      Settle(100);
      for (int child = 0; child < model->rowCount(root); ++child) {
        QModelIndex index = model->index(child, 0, root);
        if (model->PathOf(index) != "/usr") continue;
        tree.Tree()->expand(index);
        tree.Tree()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
      }
    }
    Settle(200);
    ok = Save(tree, out, "scan-tree-dialog.png") && ok;
  }
  {
    CDialog_Scan_SAll dialog(job.Options(), browse::SettingsPage::kArchives, &window);
    dialog.show();
    Settle(200);
    ok = Save(dialog, out, "scan-settings-dialog.png") && ok;
  }
  if (VolumeCatalog* volume = window.LoadedVolume()) {
    std::optional<browse::PropertiesItem> item = FirstFile(*volume);
    CDialogProperties dialog(
        browse::GatherProperties(*volume, item, [](const SourceEntry& entry) { return IsMediumPresent(entry); }),
        prompter, &window);
    dialog.Tabs()->setCurrentWidget(dialog.MediaPage());
    dialog.show();
    Settle(200);
    ok = Save(dialog, out, "properties-dialog.png") && ok;
    dialog.Tabs()->setCurrentWidget(dialog.VolumePage());
    Settle(100);
    ok = Save(dialog, out, "properties-dialog-volume.png") && ok;
  } else {
    ok = false;
  }
  return ok;
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
  ok = SaveDialogs(window, session.Settings(), out, prompter) && ok;

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
