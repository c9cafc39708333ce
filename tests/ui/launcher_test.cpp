// The desktop's launcher as the window uses it, against a stand-in xdg-open first on PATH: one
// file:// argument however the file is named, success only when it exits with 0, failure when it
// exits otherwise or cannot start, and nothing waits for it. Without a session bus, "Open in
// Explorer" opens the item's folder.
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "analysis/messages.h"
#include "browse/locate_item.h"
#include "browse/messages.h"
#include "ui/support/browsing_fixture.h"
#include "ui/support/fake_xdg_open.h"
#include "ui/support/ui_test_main.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using volumist::ui::testing::Browsing;
using volumist::ui::testing::FakeXdgOpen;

namespace {

// Waits for a launcher's answer.
std::optional<bool> Answer(const std::function<void(Launcher::Done)>& start) {
  std::optional<bool> answer;
  start([&answer](bool succeeded) { answer = succeeded; });
  static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, 10000));
  return answer;
}

}  // namespace

class LauncherTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void exitStatusDecides();
  void aMissingHelperFails();
  void theWindowReportsWhatTheDesktopAnswers();
};

void LauncherTest::exitStatusDecides() {
  FakeXdgOpen fake;
  DesktopLauncher launcher;
  const std::string url = browse::FileUrl("/tmp/x y/-rf");
  fake.SetExitStatus(4);
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.Open(url, done); }), std::optional<bool>(false));
  fake.SetExitStatus(0);
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.Open(url, done); }), std::optional<bool>(true));
  // One argument each time, the URL as it was given.
  QCOMPARE(fake.Log(), (QStringList{"1", "file:///tmp/x%20y/-rf", "1", "file:///tmp/x%20y/-rf"}));
}

void LauncherTest::aMissingHelperFails() {
  FakeXdgOpen fake;
  fake.Remove();
  DesktopLauncher launcher;
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.Open("file:///tmp", done); }), std::optional<bool>(false));
}

void LauncherTest::theWindowReportsWhatTheDesktopAnswers() {
  FakeXdgOpen fake;
  DesktopLauncher launcher;
  ::volumist::testing::TempDir disk;
  std::ofstream(disk.File("-rf")) << "x";
  const std::string root = std::filesystem::canonical(disk.path()).string();
  Browsing b(disk.path(), &launcher);
  b.Open("Extra");
  b.Select("-rf");
  fake.SetExitStatus(4);
  b.window->Run(Command::kExecuteFile);
  // The window does not wait: the answer comes later.
  QVERIFY(b.fixture.prompter.entries.empty());
  QTRY_COMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kOperationUnsuccessful});
  fake.SetExitStatus(0);
  b.fixture.prompter.entries.clear();
  b.window->Run(Command::kEditFile);
  QTRY_COMPARE(fake.Log().size(), 4);
  QTest::qWait(50);
  QVERIFY(b.fixture.prompter.entries.empty());
  QCOMPARE(fake.Log(), (QStringList{"1", QString::fromStdString("file://" + root + "/-rf"), "1",
                                    QString::fromStdString("file://" + root + "/-rf")}));
  // No file manager on a session bus: the folder of the item is opened.
  b.window->Run(Command::kOpenInExplorer);
  QTRY_COMPARE(fake.Log().size(), 6);
  QCOMPARE(fake.Log().last(), QString::fromStdString("file://" + root));
  QTest::qWait(50);
  QVERIFY(b.fixture.prompter.entries.empty());
}

VOLUMIST_UI_TEST_MAIN(LauncherTest)
#include "launcher_test.moc"
