// "Rescan this Volume" from the window: pending description edits are offered first, the rescan runs
// in the scanning state, and its report is shown at the end; descriptions stay on their items.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "catalog/messages.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"
#include "ui/dialogs/change_report_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

class RescanWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void rescanSavesPendingEditsFirstAndShowsTheReport();
  void rescanIsOfferedOnlyForALoadedVolume();
};

void RescanWindowTest::rescanSavesPendingEditsFirstAndShowsTheReport() {
  Fixture fixture;
  const std::string tree = fixture.MakeTree("tree", 3);
  MainWindow& window = fixture.Open();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "v.vkt", "V")));
  QVERIFY(fixture.WaitForScanEnd());
  QVERIFY(window.LoadedVolume() != nullptr);
  std::optional<ContentItem> item = ::volumist::testing::FindItem(*window.LoadedVolume(), {"Tree", "sub", "f1.dat"});
  QVERIFY(item.has_value());
  QVERIFY(window.SetDescription(item->DescriptionKey(), "described, not saved yet"));
  QVERIFY(window.Actions().Action(Command::kRescanVolume)->isEnabled());

  std::filesystem::remove(tree + "/f0.dat");
  ::volumist::testing::TreeBuilder(tree).Text("new.dat", "new");
  QStringList shown;
  QStringList filtered;
  QString summary;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<ChangeReportDialog&>(d);
    summary = dialog.Summary();
    shown = dialog.ShownLines();
    auto* filter = dialog.findChild<QLineEdit*>();
    QVERIFY(filter != nullptr);
    QTest::keyClicks(filter, "REMOVED");
    filtered = dialog.ShownLines();
    dialog.reject();
  });
  fixture.prompter.answers = {true};  // save the edit first
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  window.Run(Command::kRescanVolume);
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QVERIFY(fixture.WaitForScanEnd());
  QTRY_COMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toBool(), true);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QCOMPARE(summary, QStringLiteral("1 added (0 folders, 1 file), 1 removed (0 folders, 1 file), 0 changed, 0 moved; "
                                   "1 description kept, 0 lost"));
  QVERIFY(shown.contains(QStringLiteral("Added Tree/new.dat")));
  QCOMPARE(filtered, QStringList{QStringLiteral("Removed Tree/f0.dat")});

  // The rescanned volume is loaded, with the description on the same item.
  VolumeCatalog* volume = window.LoadedVolume();
  QVERIFY(volume != nullptr && volume->IsLoaded());
  QVERIFY(!volume->HasPendingDescriptions());
  std::optional<ContentItem> again = ::volumist::testing::FindItem(*volume, {"Tree", "sub", "f1.dat"});
  QVERIFY(again.has_value());
  QCOMPARE(volume->GetDescription(again->DescriptionKey()), std::optional<std::string>("described, not saved yet"));
  QVERIFY(::volumist::testing::FindItem(*volume, {"Tree", "new.dat"}).has_value());
  QVERIFY(!::volumist::testing::FindItem(*volume, {"Tree", "f0.dat"}).has_value());
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{});
}

void RescanWindowTest::rescanIsOfferedOnlyForALoadedVolume() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  QVERIFY(window.LoadedVolume() == nullptr || !window.LoadedVolume()->IsLoaded());
  QVERIFY(!window.Actions().Action(Command::kRescanVolume)->isEnabled());
  window.Run(Command::kRescanVolume);
  QVERIFY(!window.IsScanning());
  QCOMPARE(fixture.dialogs.runs, 0);
}

VOLUMIST_UI_TEST_MAIN(RescanWindowTest)
#include "rescan_window_test.moc"
