// "Verify this Volume..." from the window: offered in the volumes menu and the volume list's context
// menu for a loaded volume, asks where an absent source is now, verifies on a worker while the
// dialog shows progress, then lists the differences, filters and copies them; Stop and closing the
// dialog end the worker.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "testing/memory_tree.h"
#include "testing/temp_dir.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"
#include "ui/dialogs/verify_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

class VerifyWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void offeredInTheVolumeMenusForALoadedVolume();
  void listsTheDifferencesAndCopiesTheShownLines();
  void asksWhereAnAbsentSourceIsNow();
  void stopAndCloseEndTheWorker();
};

namespace {

void SetTime(const std::string& path, int64_t seconds) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds))));
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Scans `tree` (MD5 signatures) into the volume "V" and waits for the end.
bool ScanWithSignatures(Fixture& fixture, MainWindow& window, const std::string& tree) {
  ScanJob job = fixture.JobFor(tree, "v.vkt", "V");
  job.computeSignatures = true;
  job.signatureMd5 = true;
  return window.StartScan(job) && fixture.WaitForScanEnd() && window.LoadedVolume() != nullptr;
}

bool WaitForEnd(VerifyDialog& dialog) {
  return QTest::qWaitFor([&] { return !dialog.IsRunning(); }, 30000);
}

}  // namespace

void VerifyWindowTest::offeredInTheVolumeMenusForALoadedVolume() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  QAction* verify = window.Actions().Action(Command::kVerifyVolume);
  QVERIFY(verify != nullptr);
  QCOMPARE(verify->text(), QStringLiteral("Verify this Volume..."));
  QVERIFY(!verify->isEnabled());
  window.Run(Command::kVerifyVolume);
  QCOMPARE(fixture.dialogs.runs, 0);

  QVERIFY(ScanWithSignatures(fixture, window, fixture.MakeTree("tree", 2)));
  QVERIFY(verify->isEnabled());
  QMenu* volumes = window.Actions().Menu(browse::StripButton::kVolumes);
  QVERIFY(volumes != nullptr && volumes->actions().contains(verify));
  // The volume list's context menu holds the volumes menu's commands.
  bool inContextMenu = false;
  for (QMenu* menu : window.findChildren<QMenu*>()) {
    if (menu != volumes && menu->actions().contains(verify)) inContextMenu = true;
  }
  QVERIFY(inContextMenu);
}

void VerifyWindowTest::listsTheDifferencesAndCopiesTheShownLines() {
  Fixture fixture;
  const std::string tree = fixture.MakeTree("tree", 4);
  MainWindow& window = fixture.Open();
  QVERIFY(ScanWithSignatures(fixture, window, tree));
  // f0.dat goes, new.dat comes, one byte of f2.dat changes with its size and time kept.
  std::filesystem::remove(tree + "/f0.dat");
  ::volumist::testing::TreeBuilder(tree).Text("new.dat", "new");
  const auto time = std::filesystem::last_write_time(tree + "/f2.dat");
  std::string bytes = FileBytes(tree + "/f2.dat");
  bytes[3] = static_cast<char>(bytes[3] ^ 0x20);
  std::ofstream(tree + "/f2.dat", std::ios::binary | std::ios::trunc) << bytes;
  std::filesystem::last_write_time(tree + "/f2.dat", time);

  QString title;
  QString summary;
  QStringList shown;
  QStringList filtered;
  QString copied;
  int progressEnd = -1;
  QString readText;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<VerifyDialog&>(d);
    QVERIFY(WaitForEnd(dialog));
    title = dialog.windowTitle();
    summary = dialog.Summary();
    shown = dialog.ShownLines();
    progressEnd = dialog.findChild<QProgressBar*>()->value();
    readText = dialog.ProgressText();
    auto* filter = dialog.findChild<QLineEdit*>();
    QVERIFY(filter != nullptr);
    QTest::keyClicks(filter, "missing");
    filtered = dialog.ShownLines();
    dialog.CopyShown();
    copied = QApplication::clipboard()->text();
    dialog.reject();
  });
  window.Run(Command::kVerifyVolume);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QCOMPARE(title, QStringLiteral("Verify V"));
  QCOMPARE(summary, QStringLiteral("0 changed, 1 content changed, 1 missing, 0 unreadable, 1 new; 3 the same."));
  QStringList sorted = shown;
  sorted.sort();
  QCOMPARE(sorted, (QStringList{QStringLiteral("Content changed Tree/f2.dat (MD5)"), QStringLiteral("Missing Tree/f0.dat"),
                                QStringLiteral("New Tree/new.dat")}));
  QCOMPARE(filtered, QStringList{QStringLiteral("Missing Tree/f0.dat")});
  QCOMPARE(copied, QStringLiteral("Missing Tree/f0.dat"));
  QCOMPARE(progressEnd, 1000);
  QCOMPARE(readText, QStringLiteral("Read 36 B from 3 files."));  // f1.dat, f2.dat and f3.dat: 11 + 12 + 13 bytes
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{});
  QCOMPARE(fixture.folders.answers.size(), size_t{0});  // the source was where it was recorded: nothing asked
}

void VerifyWindowTest::asksWhereAnAbsentSourceIsNow() {
  Fixture fixture;
  const std::string tree = fixture.MakeTree("tree", 3);
  MainWindow& window = fixture.Open();
  QVERIFY(ScanWithSignatures(fixture, window, tree));
  const std::string moved = fixture.dir.File("moved");
  std::filesystem::rename(tree, moved);

  struct Case {
    std::optional<std::string> answer;
    QString summary;
    QStringList lines;
  };
  const std::vector<Case> cases = {
      {moved, QStringLiteral("Everything matches: 4 items compared, 3 files read."), {}},
      {std::nullopt,
       QStringLiteral("0 changed, 0 content changed, 0 missing, 0 unreadable, 0 new; 0 the same."),
       {QString::fromStdString("Source Tree (" + tree + ") is absent: nothing of it was compared")}},
  };
  for (const Case& c : cases) {
    fixture.folders.answers = {c.answer};
    QString summary;
    QStringList lines;
    fixture.dialogs.scripts.push_back([&](QDialog& d) {
      auto& dialog = dynamic_cast<VerifyDialog&>(d);
      QVERIFY(WaitForEnd(dialog));
      summary = dialog.Summary();
      lines = dialog.ShownLines();
      dialog.reject();
    });
    window.Run(Command::kVerifyVolume);
    QCOMPARE(fixture.folders.lastPrompt, QString::fromStdString("Where is source Tree now? (recorded at " + tree + ")"));
    QCOMPARE(fixture.folders.lastInitial, tree);
    QCOMPARE(summary, c.summary);
    QCOMPARE(lines, c.lines);
  }
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

// A volume that holds the MD5 of a large file, verified against a sparse file of that size that
// takes far longer to read than the test waits: Stop ends the worker and the dialog says what was
// compared; closing a dialog whose worker still reads returns at once too.
void VerifyWindowTest::stopAndCloseEndTheWorker() {
  Fixture fixture;
  constexpr uint64_t kHuge = uint64_t{64} << 30;
  ::volumist::testing::MemorySource source;
  ::volumist::testing::MemoryNode huge = ::volumist::testing::MemoryNode::File("huge", ".bin", kHuge, 1262304000);
  huge.hasSignatures = true;
  huge.signatures.hasMd5 = true;
  source.children = {huge};
  const std::string volume = fixture.volumeDirectory + "/huge.vkt";
  QVERIFY(::volumist::testing::WriteVolume(::volumist::testing::MakeJob(volume, "Huge", {true}), {source},
                                           fixture.prompter));
  const std::string disk = fixture.dir.File("disk");
  std::filesystem::create_directory(disk);
  std::ofstream(disk + "/huge.bin").close();
  std::filesystem::resize_file(disk + "/huge.bin", kHuge);
  SetTime(disk + "/huge.bin", 1262304000);

  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(volume);
  QTRY_VERIFY(window.LoadedVolume() != nullptr && window.LoadedVolume()->VolumeFilePath() == volume);

  QString summary;
  QString progress;
  bool stopped = false;
  fixture.folders.answers = {disk};
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<VerifyDialog&>(d);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.IsRunning());
    // The reading has begun and the line tells of it.
    QVERIFY(QTest::qWaitFor([&] { return dialog.ProgressText().startsWith(QStringLiteral("Read ")); }, 10000));
    progress = dialog.ProgressText();
    QPushButton* stop = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("&Stop")) stop = button;
    }
    QVERIFY(stop != nullptr && stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    QVERIFY(WaitForEnd(dialog));
    stopped = dialog.Report() && dialog.Report()->stopped;
    summary = dialog.Summary();
    dialog.reject();
  });
  window.Run(Command::kVerifyVolume);
  QVERIFY(stopped);
  QVERIFY2(progress.contains(QStringLiteral(" of 64.00 GB at ")), qPrintable(progress));
  QVERIFY2(summary.startsWith(QStringLiteral("Stopped: ")), qPrintable(summary));

  // Closed while the worker reads: the dialog goes at once, and the worker with it.
  fixture.folders.answers = {disk};
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<VerifyDialog&>(d);
    QVERIFY(QTest::qWaitFor([&] { return dialog.ProgressText().startsWith(QStringLiteral("Read ")); }, 10000));
    QVERIFY(dialog.IsRunning());
    dialog.reject();
  });
  const auto start = std::chrono::steady_clock::now();
  window.Run(Command::kVerifyVolume);
  QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(20));
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

VOLUMIST_UI_TEST_MAIN(VerifyWindowTest)
#include "verify_window_test.moc"
