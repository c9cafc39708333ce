// The scanning state: what is offered while a scan runs, the statistics clock, the end handled on
// the GUI thread, Stop, failing writes, and the question about pending edits before a start.
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "browse/window_captions.h"
#include "catalog/messages.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using browse::StripButton;
using Fixture = volumist::ui::testing::WindowFixture;

class ScanStateTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void aScanUpdatesTheBarAndShowsTheNewVolume();
  void nothingStartsASecondScan();
  void stopReopensTheOldVolumeAndRebuildsTheViews();
  void aFailingWriteGivesOneMessageAndAUsableWindow();
  void pendingEditsAreOfferedBeforeAScan();
  void aFailedSaveStartsNoScan();
  void closingDuringAScanIsIgnored();
};

void ScanStateTest::aScanUpdatesTheBarAndShowsTheNewVolume() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  std::string tree = fixture.MakeTree("tree", 40);
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  bool endOnGuiThread = false;
  connect(&window, &MainWindow::ScanFinished, this,
          [&] { endOnGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread(); });

  fixture.gate.Close();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "scanned.vkt", "Scanned")));
  QVERIFY(QTest::qWaitFor([&] { return fixture.gate.SomeoneWaits(); }, 10000));
  // The scanning state: "Stop" in the place of "New...", the clock running, the list off.
  QVERIFY(window.IsScanning());
  QVERIFY(window.Strip()->Scanning());
  QVERIFY(window.StatisticsTimer()->isActive());
  QCOMPARE(window.StatisticsTimer()->interval(), 35);
  QVERIFY(!window.Volumes()->List()->isEnabled());
  int step = window.Statistics()->ActivityStep();
  QTRY_VERIFY(window.Statistics()->ActivityStep() != step);
  QVERIFY(window.Statistics()->Texts().status.starts_with("Scanning... (00:"));
  QCOMPARE(window.Statistics()->Texts().files, std::string("0"));
  fixture.gate.Open();

  QVERIFY(finished.wait(30000) || finished.count() == 1);
  QCOMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toBool(), true);
  QVERIFY(endOnGuiThread);
  QVERIFY(!window.StatisticsTimer()->isActive());
  QVERIFY(!window.Strip()->Scanning());
  // The list is read again and the new volume is loaded and selected.
  QVERIFY(window.LoadedVolume() != nullptr);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, std::string("Scanned"));
  int row = window.VolumesModel()->RowOfPath(fixture.volumeDirectory + "/scanned.vkt");
  QVERIFY(row >= 0);
  QCOMPARE(window.Volumes()->SelectedRow(), row);
  QCOMPARE(window.Statistics()->Texts().status, std::string("Idle."));
  QCOMPARE(window.Statistics()->Texts().files, std::string("40"));
  QCOMPARE(window.Statistics()->ActivityStep(), -1);
  QVERIFY(window.Actions().Action(Command::kSearch)->isEnabled());
  QVERIFY(fixture.prompter.entries.empty());
}

void ScanStateTest::nothingStartsASecondScan() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  std::string tree = fixture.MakeTree("tree", 5);
  fixture.gate.Close();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "first.vkt", "First")));
  QVERIFY(QTest::qWaitFor([&] { return fixture.gate.SomeoneWaits(); }, 10000));

  // F5, F6 and every entry that starts a scan reach nothing while one runs.
  QTest::keyClick(&window, Qt::Key_F5);
  QTest::keyClick(&window, Qt::Key_F6);
  for (Command command : {Command::kNewVolume, Command::kNewSingle, Command::kNewMultiple,
                          Command::kNewFromVolumeSources, Command::kAddToVolume, Command::kAddSingle,
                          Command::kAddMultiple}) {
    QVERIFY(!window.Actions().Action(command)->isEnabled());
    window.Actions().Action(command)->trigger();
    window.Run(command);
  }
  // The strip's place of "New..." is "Stop" now; a click there stops, it starts nothing.
  QVERIFY(!window.Actions().Menu(StripButton::kNew)->isVisible());
  QCOMPARE(fixture.scanEditorCalls, 0);
  // A direct start returns at once.
  QVERIFY(!window.StartScan(fixture.JobFor(tree, "second.vkt", "Second")));
  QVERIFY(window.Actions().Action(Command::kOptions)->isEnabled());
  QVERIFY(window.Actions().Action(Command::kStop)->isEnabled());

  fixture.gate.Open();
  QVERIFY(fixture.WaitForScanEnd());
  QVERIFY(fixture.faults.Status(fixture.volumeDirectory + "/first.vkt"));
  QVERIFY(!fixture.faults.Status(fixture.volumeDirectory + "/second.vkt"));
  QVERIFY(fixture.prompter.entries.empty());
}

void ScanStateTest::stopReopensTheOldVolumeAndRebuildsTheViews() {
  Fixture fixture;
  std::string old = fixture.WriteVolume("old.vkt", "Old");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(old);
  QVERIFY(window.LoadedVolume() != nullptr);
  QVERIFY(window.SetDescription(0, "the old volume"));
  fixture.prompter.answers = {true};  // save before the scan
  std::string tree = fixture.MakeTree("tree", 5);
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  fixture.gate.Close();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "new.vkt", "New")));
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QVERIFY(QTest::qWaitFor([&] { return fixture.gate.SomeoneWaits(); }, 10000));
  // The scan has the loaded volume closed: the views read nothing of it meanwhile.
  QVERIFY(!window.LoadedVolume()->IsLoaded());
  QVERIFY(window.Browse()->ReadingSuspended());
  QVERIFY(window.Browse()->DescriptionPane()->isReadOnly());

  window.Strip()->Press(StripButton::kStop, false);
  fixture.gate.Open();
  QVERIFY(finished.wait(30000) || finished.count() == 1);
  QCOMPARE(finished.at(0).at(0).toBool(), false);
  QVERIFY(window.LoadedVolume() != nullptr);
  QVERIFY(window.LoadedVolume()->IsLoaded());
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), old);
  QVERIFY(!window.Browse()->ReadingSuspended());
  QCOMPARE(window.Browse()->DescriptionPane()->toPlainText(), QStringLiteral("the old volume"));
  QVERIFY(!window.Browse()->DescriptionPane()->isReadOnly());
  QVERIFY(!fixture.faults.Status(fixture.volumeDirectory + "/new.vkt"));
  QCOMPARE(window.Statistics()->Texts().status, std::string("Idle."));
  QCOMPARE(window.Statistics()->Texts().files, std::string("3"));
}

void ScanStateTest::aFailingWriteGivesOneMessageAndAUsableWindow() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  std::string tree = fixture.MakeTree("tree", 20);
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  fixture.faults.failWritesFrom = 1;
  QVERIFY(window.StartScan(fixture.JobFor(tree, "broken.vkt", "Broken")));
  QVERIFY(finished.wait(30000) || finished.count() == 1);
  QCOMPARE(finished.at(0).at(0).toBool(), false);
  // The worker's message reaches the GUI thread, once, and shows there.
  QTRY_COMPARE(fixture.prompter.entries.size(), size_t{1});
  QTest::qWait(100);
  QCOMPARE(fixture.prompter.entries.size(), size_t{1});
  QCOMPARE(fixture.prompter.entries[0].kind, volumist::ui::testing::UiRecordingPrompter::Entry::kError);
  QVERIFY(fixture.prompter.entries[0].onGuiThread);
  QVERIFY(!fixture.faults.Status(fixture.volumeDirectory + "/broken.vkt"));

  // The window is usable: a second scan on a good disk succeeds.
  fixture.faults.failWritesFrom = 0;
  QVERIFY(window.Actions().Action(Command::kNewVolume)->isEnabled());
  QVERIFY(window.StartScan(fixture.JobFor(tree, "good.vkt", "Good")));
  QVERIFY(finished.wait(30000) || finished.count() == 2);
  QCOMPARE(finished.at(1).at(0).toBool(), true);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, std::string("Good"));
}

void ScanStateTest::pendingEditsAreOfferedBeforeAScan() {
  Fixture fixture;
  std::string old = fixture.WriteVolume("old.vkt", "Old");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(old);
  QVERIFY(window.SetDescription(0, "dropped"));
  QVERIFY(window.Actions().Action(Command::kApply)->isEnabled());
  std::string tree = fixture.MakeTree("tree", 3);
  fixture.prompter.answers = {false};  // No: the edits go with the closed volume
  QVERIFY(window.StartScan(fixture.JobFor(tree, "new.vkt", "New")));
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QVERIFY(fixture.WaitForScanEnd());
  VolumeCatalog reread(fixture.faults, fixture.prompter);
  QVERIFY(reread.OpenVolume(old));
  QVERIFY(!reread.GetDescription(0).has_value());
  QCOMPARE(fixture.prompter.unexpectedQuestions, 0);
}

void ScanStateTest::aFailedSaveStartsNoScan() {
  Fixture fixture;
  std::string old = fixture.WriteVolume("old.vkt", "Old");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(old);
  QVERIFY(window.SetDescription(0, "kept"));
  std::string tree = fixture.MakeTree("tree", 3);
  fixture.faults.failRename = true;
  fixture.prompter.answers = {true};
  QVERIFY(!window.StartScan(fixture.JobFor(tree, "new.vkt", "New")));
  QVERIFY(!window.IsScanning());
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
  QVERIFY(window.LoadedVolume()->IsLoaded());
  QVERIFY(window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(window.LoadedVolume()->GetDescription(0), std::optional<std::string>("kept"));
  QVERIFY(window.Actions().Action(Command::kApply)->isEnabled());
  QVERIFY(!fixture.faults.Status(fixture.volumeDirectory + "/new.vkt"));
  // Apply on a good disk saves the same edits.
  fixture.faults.failRename = false;
  window.Run(Command::kApply);
  QVERIFY(!window.LoadedVolume()->HasPendingDescriptions());
  QVERIFY(!window.Actions().Action(Command::kApply)->isEnabled());
  QCOMPARE(window.LoadedVolume()->GetDescription(0), std::optional<std::string>("kept"));
}

void ScanStateTest::closingDuringAScanIsIgnored() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  window.show();
  std::string tree = fixture.MakeTree("tree", 3);
  fixture.gate.Close();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "new.vkt", "New")));
  QVERIFY(QTest::qWaitFor([&] { return fixture.gate.SomeoneWaits(); }, 10000));
  QVERIFY(!window.close());
  QVERIFY(window.isVisible());
  fixture.gate.Open();
  QVERIFY(fixture.WaitForScanEnd());
  QVERIFY(window.close());
}

VOLUMIST_UI_TEST_MAIN(ScanStateTest)
#include "scan_state_test.moc"
