// A search of every volume started from the window's search dialog against `volumist-cli search
// --all` of the same mask over the same volume directory, in interleaved rounds on the offscreen
// platform: the wall time of each (the dialog's from "Search" to the final count shown, every
// result in its list), and the longest stall of the GUI thread while the results arrive, measured
// as the lateness of a 10 ms timer. Prints medians and spreads.
//
//   QT_QPA_PLATFORM=offscreen build/window_search_timing VOLUME_DIR [MASK] [ROUNDS]
//       (default "*config*" 7; bench/search.sh makes the volume directory, kept with SEARCH_CORPUS)
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

#include "browse/search_dialog_rules.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/program.h"

namespace {

using namespace volumist;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const char* what, const std::vector<double>& values, const char* unit) {
  auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::printf("%-44s median %9.2f %s   min %9.2f   max %9.2f   (%zu runs)\n", what, Median(values), unit, *low, *high,
              values.size());
}

// Runs the search dialog's rounds instead of a modal loop.
class SearchRounds final : public ui::DialogRunner {
 public:
  explicit SearchRounds(const std::string& mask) : mask_(mask) {}

  int Run(QDialog& dialog) override {
    auto* search = qobject_cast<ui::SearchDialog*>(&dialog);
    if (search == nullptr) return QDialog::Rejected;
    search->MaskField()->setText(QString::fromStdString(mask_));
    search->AllVolumesBox()->setChecked(true);
    search->MaximumField()->setText(QStringLiteral("100000"));
    search->show();
    QEventLoop loop;
    QObject::connect(search, &ui::SearchDialog::SearchFinished, &loop, &QEventLoop::quit);
    // The 10 ms timer's lateness: how long the GUI thread kept it waiting.
    QTimer ticker;
    ticker.setInterval(10);
    QElapsedTimer sinceTick;
    double longest = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6 - 10.0);
      sinceTick.restart();
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    search->StartSearch();
    if (search->Searching()) loop.exec();
    elapsedMs = clock.nsecsElapsed() / 1e6;
    ticker.stop();
    stallMs = longest;
    results = static_cast<size_t>(search->Results()->Model()->rowCount());
    shownCount = search->StatusText().toStdString();
    search->reject();
    return QDialog::Rejected;
  }

  double elapsedMs = 0;
  double stallMs = 0;
  size_t results = 0;
  std::string shownCount;

 private:
  std::string mask_;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_search_timing VOLUME_DIR [MASK] [ROUNDS]\n");
    return 2;
  }
  const std::string volumes = std::filesystem::absolute(argv[1]).string();
  const std::string mask = argc > 2 ? argv[2] : "*config*";
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
  const std::string cli = (std::filesystem::path(argv[0]).parent_path() / "volumist-cli").string();
  testing::TempDir dir;
  const std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + dir.File("cli-config"),
                                                "XDG_DATA_HOME=" + dir.File("cli-data")};
  size_t cliLines = 0;
  auto runCli = [&] {
    testing::CommandResult result = testing::RunCommand(
        cli, {"--dir", volumes, "search", "--all", "--max", "100000", mask}, "", environment);
    if (result.exitStatus != 0) std::fprintf(stderr, "volumist-cli search failed: %s", result.err.c_str());
    cliLines = static_cast<size_t>(std::count(result.out.begin(), result.out.end(), '\n'));
    return result.exitStatus == 0;
  };

  QApplication application(argc, argv);
  SilentPrompter quiet;
  SearchRounds rounds_(mask);
  ui::WindowServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &quiet;
  services.dialogs = &rounds_;
  services.trayAvailable = [] { return false; };
  services.drives = ui::SystemDrives();
  ui::ProgramSession session(platform::FileSystem::Default(), SettingsLocations{dir.File("config"), volumes},
                             std::move(services));
  session.Settings().ShowSplash = false;
  ui::MainWindow& window = session.Window();
  window.Start();

  // The first search of each warms the cache and is not counted.
  if (!runCli()) return 1;
  window.Run(browse::Command::kSearchAllVolumes);
  std::vector<double> cliMs, windowMs, ratios, stallMs;
  for (int round = 0; round < rounds; ++round) {
    double cliTime = 0;
    for (int turn = 0; turn < 2; ++turn) {
      // Interleaved: the command line first in even rounds, the window first in odd ones.
      if ((turn == 0) == (round % 2 == 0)) {
        QElapsedTimer clock;
        clock.start();
        if (!runCli()) return 1;
        cliTime = clock.nsecsElapsed() / 1e6;
      } else {
        window.Run(browse::Command::kSearch);
      }
    }
    cliMs.push_back(cliTime);
    windowMs.push_back(rounds_.elapsedMs);
    ratios.push_back(rounds_.elapsedMs / cliTime);
    stallMs.push_back(rounds_.stallMs);
  }

  std::string load;
  std::getline(std::ifstream("/proc/loadavg"), load);
  std::printf("search --all '%s' in %s: %zu results in the dialog (\"%s\"), %zu lines from volumist-cli\n",
              mask.c_str(), volumes.c_str(), rounds_.results, rounds_.shownCount.c_str(), cliLines);
  std::printf("%d interleaved rounds, load average at the end: %s\n", rounds,
              load.substr(0, load.find(' ', load.find(' ', load.find(' ') + 1) + 1)).c_str());
  Report("volumist-cli search --all", cliMs, "ms");
  Report("search dialog, Search to the final count", windowMs, "ms");
  Report("dialog / volumist-cli (per round)", ratios, "x ");
  std::printf("%-44s %9.2f x\n", "median dialog / median volumist-cli", Median(windowMs) / Median(cliMs));
  Report("longest GUI stall (10 ms timer lateness)", stallMs, "ms");
  session.Settings().ShowSplash = true;
  static_cast<void>(session.Finish());
  return 0;
}
