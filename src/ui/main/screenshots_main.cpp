// volumist-screenshots OUT_FOLDER SCAN_SOURCE MEDIA_FOLDER: builds the main window over the volume
// directory of the current settings (scripts/screenshots.sh prepares a sample one), and saves
// pictures of its states as PNG files: the idle window with the first volume loaded, the window
// while a scan runs, each view mode of the file list over a scan of MEDIA_FOLDER (sample songs and
// pictures made by the script, two small video headers written here), the ed2k link dialog, the scan
// dialog on both pages, the tree and settings dialogs, the search dialog with results of every
// volume, the export dialog, and the properties dialog.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "analysis/ed2k_link.h"
#include "browse/list_menus.h"
#include "browse/properties_rules.h"
#include "catalog/folder_contents.h"
#include "scan/drive_info.h"
#include "ui/dialogs/change_report_dialog.h"
#include "ui/dialogs/verify_dialog.h"
#include "ui/dialogs/ed2k_dialog.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/dialogs/scan_settings_dialog.h"
#include "ui/dialogs/scan_tree_dialog.h"
#include "ui/dialogs/duplicates_dialog.h"
#include "ui/dialogs/search_dialog.h"
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
std::optional<browse::PropertiesItem> FirstFileOf(VolumeCatalog& volume) {
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
    DiskFolderModel* model = tree.TreeModel();
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
  {
    // The search dialog over every volume of the sample, with its results.
    SearchDialogContext context;
    context.criteria = &settings.searchOptions;
    context.results = &window.SearchResults();
    context.columnSets = &settings.searchColumnSets;
    context.prompter = &prompter;
    context.workerPrompter = &window.ThreadSafe();
    context.fileSystem = &platform::FileSystem::Default();
    context.threads = 2;
    context.volumeName = window.LoadedVolume() ? std::optional<std::string>(window.LoadedVolume()->Header().volumeName)
                                               : std::nullopt;
    context.now = CatalogTime(QDateTime::currentSecsSinceEpoch());
    context.sources = [&window] {
      SearchRun::Sources read;
      if (VolumeCatalog* loaded = window.LoadedVolume()) read.loaded = LoadedFileOf(*loaded);
      for (const VolumeListEntry& entry : window.VolumeEntries().Entries()) read.volumePaths.push_back(entry.filePath);
      return read;
    };
    SearchDialog dialog(context, &window);
    dialog.resize(1000, 700);
    dialog.MaskField()->setText(QStringLiteral("*dialog*"));
    dialog.AllVolumesBox()->setChecked(true);
    dialog.show();
    Settle(200);
    dialog.StartSearch();
    QElapsedTimer clock;
    clock.start();
    while (dialog.Searching() && clock.elapsed() < 30000) Settle(50);
    dialog.Results()->SelectRow(2);
    Settle(200);
    ok = Save(dialog, out, "search-dialog.png") && ok;
  }
  {
    // Copies over every volume of the sample: content groups where the sources hold signatures,
    // name and size groups elsewhere.
    DuplicatesDialogContext context;
    for (const VolumeListEntry& entry : window.VolumeEntries().Entries()) context.volumePaths.push_back(entry.filePath);
    context.prompter = &prompter;
    context.fileSystem = &platform::FileSystem::Default();
    context.threads = 2;
    DuplicatesDialog dialog(context, &window);
    dialog.resize(1000, 640);
    dialog.MinimumSize()->setText(QStringLiteral("4K"));
    dialog.show();
    Settle(200);
    dialog.StartSearch();
    QElapsedTimer clock;
    clock.start();
    while (dialog.Searching() && clock.elapsed() < 30000) Settle(50);
    Settle(100);
    for (int row = 0; row < std::min(dialog.Model()->rowCount(), 4); ++row) {
      dialog.Results()->expand(dialog.Model()->index(row, 0));
    }
    const QModelIndex first = dialog.Model()->index(0, 0);
    if (dialog.Model()->rowCount(first) > 1) dialog.Results()->setCurrentIndex(dialog.Model()->index(1, 0, first));
    Settle(200);
    ok = Save(dialog, out, "duplicates-dialog.png") && ok;
  }
  {
    QtFileChooser files;
    ExportDialogServices exportServices;
    exportServices.prompter = &prompter;
    exportServices.fileChooser = &files;
    CDialog_Export dialog(settings.exportOptions, exportServices, &window);
    dialog.show();
    dialog.ColumnList()->setCurrentRow(1);
    Settle(200);
    ok = Save(dialog, out, "export-dialog.png") && ok;
  }
  if (VolumeCatalog* volume = window.LoadedVolume()) {
    std::optional<browse::PropertiesItem> item = FirstFileOf(*volume);
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
  {
    // The report at the end of a rescan, as a rescan of a photo folder would make it.
    ChangeReport report;
    report.volumeName = "Holiday 2003";
    report.volumeFile = "/home/user/Volumes/Holiday 2003.vkt";
    SourceChanges source;
    source.name = "Trip";
    source.path = "/home/user/holiday";
    auto item = [](ItemKind kind, const char* path, uint8_t changes = 0, const char* oldPath = "") {
      ItemChange change;
      change.kind = kind;
      change.path = path;
      change.changes = changes;
      change.oldPath = oldPath;
      return change;
    };
    source.added = {item(ItemKind::kFolder, "Trip/photos/day 3"), item(ItemKind::kFile, "Trip/photos/day 3/harbour.jpg"),
                    item(ItemKind::kFile, "Trip/photos/day 3/lighthouse.jpg")};
    source.removed = {item(ItemKind::kFile, "Trip/photos/blurred.jpg")};
    source.changed = {item(ItemKind::kFile, "Trip/notes.txt", kChangedSize | kChangedTime | kChangedContent),
                      item(ItemKind::kArchive, "Trip/pack.zip", kChangedTime)};
    source.moved = {item(ItemKind::kFile, "Trip/photos/day 1/summer.jpg", 0, "Trip/photos/summer.jpg")};
    report.sources.push_back(source);
    report.carriedDescriptions = 6;
    report.lostDescriptions = {{"Trip/photos/blurred.jpg", "The one with the thumb in front"}};
    report.lostDescriptionsFile = "/home/user/Volumes/Holiday 2003.lost-descriptions.txt";
    report.written = true;
    ChangeReportDialog dialog(report, &window);
    dialog.show();
    Settle(200);
    ok = Save(dialog, out, "rescan-report-dialog.png") && ok;
  }
  {
    // A real verification of the backup volume the script made and then changed.
    const std::string file = settings.VolumeDirectory() + "/backup.vkt";
    VerifyDialog dialog(file, "Backup disk", VerifyJob{}, &window);
    dialog.show();
    dialog.Start();
    QElapsedTimer clock;
    clock.start();
    while (dialog.IsRunning() && clock.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    Settle(200);
    ok = Save(dialog, out, "verify-dialog.png") && ok;
  }
  return ok;
}

bool WaitForScan(MainWindow& window) {
  QElapsedTimer clock;
  clock.start();
  while (window.IsScanning() && clock.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  return !window.IsScanning();
}

// The head of an AVI file as a video tool writes it: the main header, a video stream and an MP3
// audio stream, and an empty movie list. What the scan reads of a video is all in there.
std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}
std::string Le16(uint16_t value) { return Le32(value).substr(0, 2); }
std::string Chunk(const std::string& id, const std::string& body) { return id + Le32(static_cast<uint32_t>(body.size())) + body; }
std::string List(const std::string& type, const std::string& body) { return Chunk("LIST", type + body); }

bool WriteSampleAvi(const std::string& path, uint32_t frames, uint32_t width, uint32_t height, uint32_t rate,
                    uint32_t scale, const char* codec) {
  std::string main = Le32(1000000 * scale / rate) + std::string(12, '\0') + Le32(frames) + std::string(12, '\0') +
                     Le32(width) + Le32(height) + std::string(16, '\0');
  std::string video = "vids" + std::string(codec, 4) + std::string(12, '\0') + Le32(scale) + Le32(rate) + std::string(24, '\0');
  std::string audio = "auds" + std::string(4, '\0') + std::string(12, '\0') + Le32(1) + Le32(44100) + std::string(24, '\0');
  std::string wave = Le16(0x55) + Le16(2) + Le32(44100) + Le32(16000) + Le16(4) + Le16(16) + Le16(0);
  std::string streams = List("strl", Chunk("strh", video) + Chunk("strf", std::string(40, '\0'))) +
                        List("strl", Chunk("strh", audio) + Chunk("strf", wave));
  std::string body = "AVI " + List("hdrl", Chunk("avih", main) + streams) + List("movi", "");
  std::ofstream out(path, std::ios::binary);
  out << "RIFF" << Le32(static_cast<uint32_t>(body.size())) << body;
  return static_cast<bool>(out);
}

// Opens the folder named `name` in the list shown (a row of the folder shown).
void OpenRow(BrowsePane& pane, const std::string& name) {
  ItemList& list = *pane.FileList();
  for (int row = 0; row < list.Model()->rowCount(); ++row) {
    if (list.Model()->RowAt(row)->name == name) {
      pane.ActivateRow(row);
      return;
    }
  }
  std::fprintf(stderr, "no row %s\n", name.c_str());
}

void SelectRow(BrowsePane& pane, const std::string& name) {
  ItemList& list = *pane.FileList();
  for (int row = 0; row < list.Model()->rowCount(); ++row) {
    if (list.Model()->RowAt(row)->name == name) {
      list.SelectRow(row);
      pane.RefreshPanes();
      return;
    }
  }
}

void ShowView(BrowsePane& pane, int view) {
  ItemList& list = *pane.FileList();
  const std::vector<int>& tabs = list.ViewTabs();
  for (size_t i = 0; i < tabs.size(); ++i) {
    if (tabs[i] == view) list.TabBar()->setCurrentIndex(static_cast<int>(i));
  }
}

// The first file of the list shown, or "".
std::string FirstFile(BrowsePane& pane) {
  ItemList& list = *pane.FileList();
  for (int row = 0; row < list.Model()->rowCount(); ++row) {
    if (list.Model()->RowAt(row)->kind == browse::RowKind::kFile) return list.Model()->RowAt(row)->name;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: volumist-screenshots OUT_FOLDER SCAN_SOURCE MEDIA_FOLDER\n");
    return 2;
  }
  if (!HasDisplay()) {
    std::fprintf(stderr, "volumist-screenshots: no display (run it under xvfb-run)\n");
    return 2;
  }
  QApplication application(argc, argv);
  QString out = QString::fromLocal8Bit(argv[1]);
  std::string scanSource = argv[2];
  std::string media = argv[3];
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
  // The project's own sources, loaded as a click would load them (the first volume when absent).
  int sourcesRow = 0;
  for (int row = 0; row < window.VolumesModel()->rowCount(); ++row) {
    if (window.VolumesModel()->index(row, 0).data().toString() == QLatin1String("Project sources")) sourcesRow = row;
  }
  window.Volumes()->List()->setCurrentIndex(window.VolumesModel()->index(sourcesRow, 0));
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
    ok = WaitForScan(window) && ok;
  } else {
    ok = false;
  }

  // The sample media, scanned with everything a scan can record, shown in every view.
  ok = WriteSampleAvi(media + "/Video/harbour.avi", 4500, 720, 576, 25, 1, "XVID") && ok;
  ok = WriteSampleAvi(media + "/Video/timelapse.avi", 1800, 1280, 720, 30000, 1001, "DIVX") && ok;
  ScanJob mediaJob = session.Settings().scanJob;
  mediaJob.mode = ScanMode::kNewVolume;
  mediaJob.volumeName = "Media sample";
  mediaJob.volumeFileName = session.Settings().VolumeDirectory() + "/media-sample.vkt";
  mediaJob.analyzeAudio = mediaJob.analyzeVideo = mediaJob.analyzeImages = true;
  mediaJob.computeSignatures = mediaJob.signatureCrc32 = mediaJob.signatureMd4 = mediaJob.signatureMd5 = true;
  mediaJob.scanAgain = false;
  mediaJob.descriptionPrompt = false;
  mediaJob.ejectAfterScan = false;
  mediaJob.sources = {ScanSource{-1, "Media", media, true}};
  if (!window.StartScan(mediaJob) || !WaitForScan(window)) return 1;
  Settle(300);
  BrowsePane& pane = *window.Browse();
  OpenRow(pane, "Media");
  OpenRow(pane, "Music");
  SelectRow(pane, FirstFile(pane));
  static_cast<void>(window.SetDescription(*pane.SelectedRow()->DescriptionKey(), "Recorded at the harbour, early morning."));
  pane.RefreshPanes();
  Settle(200);
  ShowView(pane, kViewMain);
  Settle(200);
  ok = Save(window, out, "view-main.png") && ok;
  ShowView(pane, kViewAudio);
  Settle(200);
  ok = Save(window, out, "view-audio.png") && ok;
  ShowView(pane, kViewSignatures);
  Settle(200);
  ok = Save(window, out, "view-signatures.png") && ok;
  window.Run(browse::Command::kUp);
  OpenRow(pane, "Video");
  SelectRow(pane, FirstFile(pane));
  ShowView(pane, kViewVideo);
  Settle(200);
  ok = Save(window, out, "view-video.png") && ok;
  window.Run(browse::Command::kUp);
  OpenRow(pane, "Pictures");
  SelectRow(pane, FirstFile(pane));
  ShowView(pane, kViewImages);
  Settle(300);
  ok = Save(window, out, "view-images.png") && ok;
  ShowView(pane, kViewThumbnails);
  pane.FileList()->SetTileStyle({100, true, true});
  Settle(300);
  ok = Save(window, out, "view-thumbnails.png") && ok;

  // The link dialog of the first song, shown without waiting for it.
  window.Run(browse::Command::kUp);
  OpenRow(pane, "Music");
  SelectRow(pane, FirstFile(pane));
  const browse::ItemRow* song = pane.SelectedRow();
  if (song != nullptr && song->hasSignatures) {
    std::string link = BuildEd2kLink(song->name, song->size, song->signatures);
    CDialog_Edonkey2K dialog(link, &window);
    dialog.show();
    Settle(300);
    ok = Save(dialog, out, "ed2k-dialog.png") && ok;
    dialog.accept();
  } else {
    ok = false;
  }
  // The sample's description is dropped with the window.
  window.Run(browse::Command::kUndo);
  session.Settings().ShowSplash = true;
  static_cast<void>(session.Finish());
  return ok ? 0 : 1;
}
