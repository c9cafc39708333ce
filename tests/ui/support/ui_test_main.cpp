#include "ui/support/ui_test_main.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace volumist::ui::testing {
namespace {

std::string root;

const char* const kThreadWarnings[] = {
    "thread", "QObject::connect", "QObject::startTimer", "QObject::killTimer", "Cannot create children",
    "QSocketNotifier", "No such signal", "No such slot", "QBasicTimer", "invokeMethod",
};

QtMessageHandler previous = nullptr;

// Qt's own tray icon on the offscreen platform connects to a signal that platform lacks.
const char kOffscreenTrayWarning[] = "QPlatformNativeInterface::systemTrayWindowChanged";

void Guard(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if ((type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) &&
      !message.contains(QLatin1String(kOffscreenTrayWarning))) {
    for (const char* word : kThreadWarnings) {
      if (message.contains(QLatin1String(word), Qt::CaseInsensitive)) {
        std::fprintf(stderr, "FAIL: Qt warning about threads or connections: %s\n", message.toLocal8Bit().constData());
        std::fflush(stderr);
        std::abort();
      }
    }
  }
  if (previous) previous(type, context, message);
}

}  // namespace

void PrepareTestEnvironment() {
  char pattern[] = "/tmp/volumist-ui-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  root = pattern;
  for (const char* name : {"config", "data", "runtime"}) std::filesystem::create_directory(root + "/" + name);
  chmod((root + "/runtime").c_str(), 0700);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // No desktop theme or session bus of the machine leaks into the tests; a test that runs under a
  // session bus of its own (dbus-run-session, which says so) keeps that one.
  const char* privateBus = std::getenv("VOLUMIST_TEST_PRIVATE_BUS");
  if (privateBus == nullptr || std::string(privateBus) != "1") unsetenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("QT_QPA_PLATFORMTHEME", "", 1);
}

void CleanUpTestEnvironment() {
  std::error_code ignored;
  if (!root.empty()) std::filesystem::remove_all(root, ignored);
}

void InstallWarningGuard() { previous = qInstallMessageHandler(Guard); }

}  // namespace volumist::ui::testing
