// Start of the window program with 1,000 volumes in the active directory: from reading the settings
// to the first paint of the main window (offscreen), and the core's read of the volume list alone,
// in the same run. Prints the median and the spread of REPETITIONS runs (default 9).
//
//   QT_QPA_PLATFORM=offscreen build/window_start_timing [REPETITIONS]
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"
#include "ui/program.h"

namespace {

using namespace volumist;

class FirstPaint final : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

class NoDialogs final : public ui::DialogRunner {
 public:
  int Run(QDialog&) override { return QDialog::Rejected; }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Report(const char* what, const std::vector<double>& ms) {
  auto [low, high] = std::minmax_element(ms.begin(), ms.end());
  std::printf("%-44s median %8.1f ms   min %8.1f   max %8.1f   (%zu runs)\n", what, Median(ms), *low, *high, ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  testing::TempDir dir;
  std::string volumes = dir.File("volumes");
  std::filesystem::create_directories(volumes);
  SilentPrompter quiet;
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "volume%04d.vkt", i);
    ScanJob job = testing::MakeJob(volumes + "/" + name, "Volume " + std::to_string(i), {true});
    testing::MemorySource source;
    for (int f = 0; f < 20; ++f) source.children.push_back(testing::MemoryNode::File("f" + std::to_string(f), ".txt", 100));
    if (!testing::WriteVolume(job, {source}, quiet)) return 1;
  }
  SettingsLocations locations{dir.File("config"), volumes};
  {
    ProgramSettings settings(platform::FileSystem::Default(), locations);
    settings.ShowSplash = false;
    if (!settings.Save()) return 1;
  }

  QApplication application(argc, argv);
  NoDialogs dialogs;
  std::vector<double> listOnly, toFirstPaint;
  for (int run = 0; run < repetitions; ++run) {
    {
      QElapsedTimer clock;
      clock.start();
      NoVolumeHost host;
      VolumeList list(platform::FileSystem::Default(), quiet, host);
      list.SetDirectory(volumes);
      if (!list.RefreshVolumeList(false) || list.Entries().size() != 1000) return 1;
      listOnly.push_back(clock.nsecsElapsed() / 1e6);
    }
    {
      QElapsedTimer clock;
      clock.start();
      ui::WindowServices services;
      services.fileSystem = &platform::FileSystem::Default();
      services.prompter = &quiet;
      services.dialogs = &dialogs;
      services.trayAvailable = [] { return false; };
      ui::ProgramSession session(platform::FileSystem::Default(), locations, std::move(services));
      FirstPaint paint;
      session.Window().installEventFilter(&paint);
      session.Window().Start();
      while (!paint.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
      toFirstPaint.push_back(clock.nsecsElapsed() / 1e6);
      if (session.Window().VolumesModel()->rowCount() != 1000) return 1;
    }
  }
  Report("volume list read alone (1,000 volumes)", listOnly);
  Report("start to first paint (1,000 volumes)", toFirstPaint);
  return 0;
}
