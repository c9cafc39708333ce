// A scan started from the window against volumist-cli scan of the same tree, in interleaved rounds
// on the offscreen platform: the wall time of each (the window's from its start to the end handled
// on the GUI thread), the statistics bar's repaints per second while the window scans, and the time
// from "Stop" to the end handled by the window. Both scan with the default options of a fresh
// configuration (archive listings on, every other analyzer off). Prints medians and spreads.
//
//   QT_QPA_PLATFORM=offscreen build/window_scan_timing [SOURCE] [ROUNDS]     (default /usr 5)
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "ui/program.h"

namespace {

using namespace volumist;

// CPU time of the calling thread, in milliseconds.
double ThreadCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

class PaintCounter final : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class NoDialogs final : public ui::DialogRunner {
 public:
  int Run(QDialog&) override { return QDialog::Rejected; }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const char* what, const std::vector<double>& values, const char* unit) {
  auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::printf("%-42s median %9.2f %s   min %9.2f   max %9.2f   (%zu runs)\n", what, Median(values), unit, *low, *high,
              values.size());
}

// Runs the event loop until the window has handled the end of its scan; false when it failed.
bool WaitForEnd(ui::MainWindow& window) {
  QEventLoop loop;
  bool succeeded = false;
  QObject::connect(&window, &ui::MainWindow::ScanFinished, &loop, [&](bool ok) {
    succeeded = ok;
    loop.quit();
  });
  if (window.IsScanning()) loop.exec();
  return succeeded;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string source = argc > 1 ? argv[1] : "/usr";
  int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::string cli = (std::filesystem::path(argv[0]).parent_path() / "volumist-cli").string();
  testing::TempDir dir;
  std::string volumes = dir.File("volumes");
  std::filesystem::create_directories(volumes);
  const std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + dir.File("cli-config"),
                                                "XDG_DATA_HOME=" + dir.File("cli-data")};
  auto runCli = [&](const std::string& file) {
    testing::CommandResult result =
        testing::RunCommand(cli, {"scan", "--yes", "--file", file, "Source=" + source}, "", environment);
    if (result.exitStatus != 0) std::fprintf(stderr, "volumist-cli scan failed: %s", result.err.c_str());
    return result.exitStatus == 0;
  };

  QApplication application(argc, argv);
  SilentPrompter quiet;
  NoDialogs dialogs;
  ui::WindowServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &quiet;
  services.dialogs = &dialogs;
  services.trayAvailable = [] { return false; };
  services.drives = ui::SystemDrives();
  ui::ProgramSession session(platform::FileSystem::Default(), SettingsLocations{dir.File("config"), volumes},
                             std::move(services));
  session.Settings().ShowSplash = false;
  ui::MainWindow& window = session.Window();
  window.Start();
  PaintCounter counter;
  window.Statistics()->installEventFilter(&counter);
  auto job = [&](const std::string& file) {
    ScanJob scan = session.Settings().scanJob;
    scan.mode = ScanMode::kNewVolume;
    scan.volumeName = "Bench";
    scan.volumeFileName = file;
    scan.scanAgain = false;
    scan.sources = {ScanSource{-1, "Source", source, true}};
    return scan;
  };

  // The first scan warms the cache and is not counted.
  if (!runCli(dir.File("warm.vkt"))) return 1;
  std::vector<double> cliMs, windowMs, ratios, paintsPerSecond, guiCpuMs, stopMs;
  for (int round = 0; round < rounds; ++round) {
    double cliTime = 0, windowTime = 0;
    for (int turn = 0; turn < 2; ++turn) {
      // Interleaved: the command line first in even rounds, the window first in odd ones.
      bool cliTurn = (turn == 0) == (round % 2 == 0);
      std::string file = volumes + "/bench.vkt";
      std::filesystem::remove(file);
      QElapsedTimer clock;
      clock.start();
      if (cliTurn) {
        if (!runCli(file)) return 1;
        cliTime = clock.nsecsElapsed() / 1e6;
      } else {
        int paintsBefore = counter.paints;
        double cpuBefore = ThreadCpuMs();
        if (!window.StartScan(job(file)) || !WaitForEnd(window)) {
          std::fprintf(stderr, "the window's scan failed\n");
          return 1;
        }
        windowTime = clock.nsecsElapsed() / 1e6;
        guiCpuMs.push_back(ThreadCpuMs() - cpuBefore);
        paintsPerSecond.push_back((counter.paints - paintsBefore) / (windowTime / 1000.0));
      }
    }
    cliMs.push_back(cliTime);
    windowMs.push_back(windowTime);
    ratios.push_back(windowTime / cliTime);
  }
  // Stop in the middle of the walk: from the command to the end handled by the window.
  for (int round = 0; round < rounds; ++round) {
    std::string file = volumes + "/stopped.vkt";
    if (!window.StartScan(job(file))) return 1;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 300 + 100 * round) QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!window.IsScanning()) {
      std::fprintf(stderr, "the scan ended before it could be stopped\n");
      return 1;
    }
    QElapsedTimer clock;
    clock.start();
    window.Run(browse::Command::kStop);
    if (WaitForEnd(window)) {
      std::fprintf(stderr, "the stopped scan was not stopped\n");
      return 1;
    }
    stopMs.push_back(clock.nsecsElapsed() / 1e6);
  }

  std::string load;
  std::getline(std::ifstream("/proc/loadavg"), load);
  std::printf("scan of %s, %d interleaved rounds, load average at the end: %s\n", source.c_str(), rounds,
              load.substr(0, load.find(' ', load.find(' ', load.find(' ') + 1) + 1)).c_str());
  Report("volumist-cli scan", cliMs, "ms");
  Report("scan started from the window", windowMs, "ms");
  Report("window / volumist-cli (per round)", ratios, "x ");
  std::printf("%-42s %9.2f x\n", "median window / median volumist-cli", Median(windowMs) / Median(cliMs));
  Report("statistics bar repaints per second", paintsPerSecond, "/s");
  Report("GUI thread CPU during the window's scan", guiCpuMs, "ms");
  Report("Stop to the end handled by the window", stopMs, "ms");
  session.Settings().ShowSplash = true;
  static_cast<void>(session.Finish());
  return 0;
}
