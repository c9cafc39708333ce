// Browsing a volume of 1,000,000 files in the window program (offscreen), in one process:
//   - load: from choosing the volume in the list to the root shown and the file list's first paint;
//   - big folder: from opening a folder of 100,000 files (sorted by name) to the list's first paint;
//   - paging: the longest frame (scroll one page, paint the list) while paging from the top of that
//     folder to its end, the 99th percentile and the median frame;
// and, in the same run, the core's read of that folder alone (browse::ReadFolderListing) and its
// sort by name alone (browse::SortRows). Prints the median, min and max of REPETITIONS runs (default 5)
// of the wall time, and the median of the process's CPU time, which other work on the machine
// disturbs less.
//
//   QT_QPA_PLATFORM=offscreen build/browse_timing [REPETITIONS]
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "browse/folder_listing.h"
#include "browse/row_sort.h"
#include "catalog/record_writer.h"
#include "testing/temp_dir.h"
#include "ui/program.h"

namespace {

using namespace volumist;

constexpr int kBigFolderFiles = 100000;
constexpr int kGroups = 200;
constexpr int kFoldersPerGroup = 90;
constexpr int kFilesPerFolder = 50;  // 200 x 90 x 50 = 900,000 beside the big folder

// One folder source: "big" with 100,000 files, then 200 groups of 90 folders of 50 files, every file
// with an attribute block, written record by record as a scan writes them.
class MillionFiles final : public ContentWriter {
 public:
  void DescribeSource(const ScanSource&, SourceEntry& entry) override { entry.driveType = kDriveFixed; }
  bool WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex, ScanStatistics& counters,
                    uint64_t& totalSize) override {
    auto contents = [&](VolumeWriter& writer, FolderRecord* root, uint8_t level, RecordKey parentKey, uint64_t& size) {
      char name[40];
      FileRecord file;
      file.tag.hasSignatures = true;
      file.extension.Set(".dat");
      auto folderOf = [&](const char* folderName, uint8_t folderLevel, RecordKey parent, int files, int first,
                          FolderRecord* above) {
        FolderRecord folder;
        folder.name.Set(folderName);
        folder.level = folderLevel;
        folder.parentKey = parent;
        WriteFolderRecord(writer, folder);
        above->hasSubfolders = true;
        uint64_t folderSize = 0;
        for (int i = 0; i < files; ++i) {
          // Names in an order unlike the sorted one, so that the sort has work to do.
          std::snprintf(name, sizeof name, "file-%07d", (first + i) * 7919 % 1000003);
          file.name.Set(name);
          file.size.Set(static_cast<uint64_t>(i % 977) * 4096 + 17);
          file.modifiedTime.Set(1600000000 + i * 60);
          file.signatures.attrArchive = (i & 1) != 0;
          WriteFileRecord(writer, file);
          folderSize += file.size.Value();
        }
        static_cast<void>(WriteFolderEnd(writer, folder, job.Options(), folderSize));
        counters.RaiseFolder();
        return std::make_pair(folder, folderSize);
      };
      auto [big, bigSize] = folderOf("big", level, parentKey, kBigFolderFiles, 0, root);
      static_cast<void>(big);
      size += bigSize;
      for (int group = 0; group < kGroups; ++group) {
        FolderRecord groupFolder;
        std::snprintf(name, sizeof name, "group %03d", group);
        groupFolder.name.Set(name);
        groupFolder.level = level;
        groupFolder.parentKey = parentKey;
        WriteFolderRecord(writer, groupFolder);
        root->hasSubfolders = true;
        uint64_t groupSize = 0;
        for (int f = 0; f < kFoldersPerGroup; ++f) {
          char folderName[40];
          std::snprintf(folderName, sizeof folderName, "folder %05d", group * kFoldersPerGroup + f);
          int first = kBigFolderFiles + (group * kFoldersPerGroup + f) * kFilesPerFolder;
          groupSize += folderOf(folderName, static_cast<uint8_t>(level + 1), groupFolder.selfKey, kFilesPerFolder, first,
                                &groupFolder)
                           .second;
        }
        static_cast<void>(WriteFolderEnd(writer, groupFolder, job.Options(), groupSize));
        size += groupSize;
      }
      WriteFolderEnd(writer, *root, job.Options(), size);
      return writer.ok();
    };
    return WriteSourceFrame(out, sources[firstIndex], 0, job.Options(), contents, totalSize);
  }
};

class NoDialogs final : public ui::DialogRunner {
 public:
  int Run(QDialog&) override { return QDialog::Rejected; }
};

class PaintWatch final : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Wall and CPU time of one measure, in milliseconds.
class Stopwatch {
 public:
  Stopwatch() { Restart(); }
  void Restart() {
    wall_.restart();
    cpu_ = CpuMilliseconds();
  }
  void Take(std::vector<double>& wall, std::vector<double>& cpu) const {
    wall.push_back(wall_.nsecsElapsed() / 1e6);
    cpu.push_back(CpuMilliseconds() - cpu_);
  }

 private:
  QElapsedTimer wall_;
  double cpu_ = 0;
};

struct Measure {
  std::vector<double> wall;
  std::vector<double> cpu;
};

void Report(const char* what, const Measure& m) {
  auto [low, high] = std::minmax_element(m.wall.begin(), m.wall.end());
  std::printf("%-52s median %8.2f ms   min %8.2f   max %8.2f   cpu median %8.2f ms  (%zu runs)\n", what,
              Median(m.wall), *low, *high, Median(m.cpu), m.wall.size());
}

// Processes events until `watch` saw a paint.
void UntilPainted(PaintWatch& watch) {
  while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  testing::TempDir dir;
  const std::string volumes = dir.File("volumes");
  std::filesystem::create_directories(volumes);
  SilentPrompter quiet;
  {
    VolumeCatalog volume(platform::FileSystem::Default(), quiet);
    volume.SetStaysClosed(true);
    ScanJob job;
    job.volumeFileName = volumes + "/million.vkt";
    job.volumeName = "One million files";
    job.sources = {{-1, "Generated", "/generated", true}};
    MillionFiles contents;
    if (!volume.CreateVolume(job, contents)) return 1;
  }
  const SettingsLocations locations{dir.File("config"), volumes};

  QApplication application(argc, argv);
  NoDialogs dialogs;
  ui::WindowServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &quiet;
  services.dialogs = &dialogs;
  services.trayAvailable = [] { return false; };
  ui::ProgramSession session(platform::FileSystem::Default(), locations, std::move(services));
  session.Settings().ShowSplash = false;
  ui::MainWindow& window = session.Window();
  window.Start();
  window.setWindowState(Qt::WindowNoState);
  window.setGeometry(0, 0, 1366, 768);
  window.show();
  QApplication::processEvents();
  ui::BrowsePane& pane = *window.Browse();
  ui::ItemList& list = *pane.FileList();
  QTreeView& report = *list.ReportView();
  PaintWatch watch;
  report.viewport()->installEventFilter(&watch);

  Measure load, readAlone, sortAlone, bigFolder, longestFrame, slowFrame, medianFrame;
  for (int run = 0; run < repetitions; ++run) {
    // Load: the volume chosen in the list, its root shown.
    if (!window.UnloadVolume()) return 1;
    window.Volumes()->List()->setCurrentIndex(QModelIndex());
    QApplication::processEvents();
    watch.painted = false;
    Stopwatch clock;
    window.Volumes()->List()->setCurrentIndex(window.VolumesModel()->index(0, 0));
    UntilPainted(watch);
    clock.Take(load.wall, load.cpu);
    VolumeCatalog* volume = window.LoadedVolume();
    if (volume == nullptr || list.Model()->rowCount() != 1) return 1;

    // The core alone: the folder read, and its sort by name.
    pane.ActivateRow(0);  // the source's folder: "big" and the groups
    RecordKey bigKey = 0;
    for (int row = 0; row < list.Model()->rowCount(); ++row) {
      if (list.Model()->RowAt(row)->name == "big") bigKey = list.Model()->RowAt(row)->key;
    }
    clock.Restart();
    std::optional<browse::FolderListing> listing = browse::ReadFolderListing(*volume, bigKey);
    clock.Take(readAlone.wall, readAlone.cpu);
    if (!listing || listing->rows.size() != kBigFolderFiles + 1) return 1;
    clock.Restart();
    static_cast<void>(browse::SortRows(listing->rows, ColumnId::kName, browse::SortOrder::kAscending));
    clock.Take(sortAlone.wall, sortAlone.cpu);
    listing.reset();

    // The window: the big folder opened and sorted by name, to its first paint.
    QApplication::processEvents();
    watch.painted = false;
    clock.Restart();
    if (!pane.OpenFolder(bigKey, false)) return 1;
    UntilPainted(watch);
    clock.Take(bigFolder.wall, bigFolder.cpu);
    if (list.Model()->rowCount() != kBigFolderFiles + 1) return 1;

    // Paging to the end: each frame scrolls one page and paints the list.
    QScrollBar* bar = report.verticalScrollBar();
    Measure frames;
    while (bar->value() < bar->maximum()) {
      clock.Restart();
      bar->setValue(bar->value() + bar->pageStep());
      report.viewport()->repaint();
      clock.Take(frames.wall, frames.cpu);
    }
    longestFrame.wall.push_back(*std::max_element(frames.wall.begin(), frames.wall.end()));
    longestFrame.cpu.push_back(*std::max_element(frames.cpu.begin(), frames.cpu.end()));
    auto percentile99 = [](std::vector<double> values) {
      std::sort(values.begin(), values.end());
      return values[values.size() * 99 / 100];
    };
    slowFrame.wall.push_back(percentile99(frames.wall));
    slowFrame.cpu.push_back(percentile99(frames.cpu));
    medianFrame.wall.push_back(Median(frames.wall));
    medianFrame.cpu.push_back(Median(frames.cpu));
    if (run == 0) std::printf("(%zu frames to page through %d rows)\n", frames.wall.size(), kBigFolderFiles + 1);
  }
  Report("load to root shown and list painted (1,000,000 files)", load);
  Report("core: read of the 100,000-file folder alone", readAlone);
  Report("core: sort of its rows by name alone", sortAlone);
  Report("100,000-file folder opened, sorted, list painted", bigFolder);
  Report("paging to the end: longest frame", longestFrame);
  Report("paging to the end: 99th percentile frame", slowFrame);
  Report("paging to the end: median frame", medianFrame);
  return 0;
}
